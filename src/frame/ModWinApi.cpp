#include "frame/ModWinApi.h"

#include "frame/modFormIni.h"
#include "platform/Prompter.h"

#include <QCursor>
#include <QVector>

namespace {

struct MenuLine {
    long id = 0;
    bool enabled = true;
};

} // namespace

long ShowPopupMenu(QWidget* frm, const QStringList& items)
{
    Q_UNUSED(frm); // the menu belongs to the window that is active while it is open
    const QPoint cursor = QCursor::pos();

    QStringList shown;        // what the menu shows; an empty entry is a separator
    QVector<MenuLine> lines;  // one per shown entry
    bool greyNext = false;
    for (const QString& item : items) {
        if (item == QLatin1String("-")) {
            shown << QString();
            lines << MenuLine{0, false};
        } else if (item == QLatin1String("X")) {
            greyNext = true;
        } else {
            MenuLine line;
            line.id = long(ValText(item.left(2)));
            line.enabled = !greyNext;
            greyNext = false;
            QString caption = item.mid(2);
            if (caption.isEmpty())
                caption = QStringLiteral(" "); // an empty caption would read as a separator
            shown << caption;
            lines << line;
        }
    }

    const int chosen = platform::prompter().popupMenu(shown, cursor);
    if (chosen < 0 || chosen >= lines.size() || !lines[chosen].enabled)
        return 0;
    return lines[chosen].id;
}
