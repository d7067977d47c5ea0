#include "platform/Prompter.h"

#include <QApplication>
#include <QColorDialog>
#include <QDialog>
#include <QInputDialog>
#include <QMenu>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>

namespace platform {

namespace {
Prompter*& current()
{
    static Prompter* p = nullptr;
    return p;
}
std::function<QDateTime()>& clockFn()
{
    static std::function<QDateTime()> fn;
    return fn;
}
// A window kept above all others (the analysis window once it has drawn a graph) would hide
// a modal window that is not kept above as well: while one is shown, modal windows are kept
// above too.
void keepAboveTopMostWindows(QDialog& dialog)
{
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w != &dialog && w->isVisible() && w->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) {
            dialog.setWindowFlag(Qt::WindowStaysOnTopHint, true);
            return;
        }
    }
}
} // namespace

Prompter& prompter()
{
    static QtPrompter qtPrompter;
    return current() ? *current() : qtPrompter;
}

void setPrompter(Prompter* p) { current() = p; }

QDateTime now() { return clockFn() ? clockFn()() : QDateTime::currentDateTime(); }
QDate today() { return now().date(); }
void setClock(std::function<QDateTime()> clock) { clockFn() = std::move(clock); }

int QtPrompter::messageBox(const QString& text, const QString& title, int style)
{
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    box.setText(shown);
    switch (style & 0x70) {
    case MsgCritical: box.setIcon(QMessageBox::Critical); break;
    case MsgQuestionIcon: box.setIcon(QMessageBox::Question); break;
    case MsgExclamation: box.setIcon(QMessageBox::Warning); break;
    case MsgInformation: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
    }
    keepAboveTopMostWindows(box);
    if ((style & 0x0F) == MsgYesNo) {
        QPushButton* yes = box.addButton(QStringLiteral("예(&Y)"), QMessageBox::YesRole);
        QPushButton* no = box.addButton(QStringLiteral("아니오(&N)"), QMessageBox::NoRole);
        box.setDefaultButton((style & MsgDefaultButton2) ? no : yes);
        box.setEscapeButton(no);
        box.exec();
        return box.clickedButton() == yes ? AnswerYes : AnswerNo;
    }
    QPushButton* ok = box.addButton(QStringLiteral("확인"), QMessageBox::AcceptRole);
    box.setDefaultButton(ok);
    box.setEscapeButton(ok);
    box.exec();
    return AnswerOk;
}

bool QtPrompter::inputBox(const QString& prompt, const QString& title, QString& value)
{
    QInputDialog box(QApplication::activeWindow());
    box.setInputMode(QInputDialog::TextInput);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setTextValue(value);
    box.setOkButtonText(QStringLiteral("확인"));
    box.setCancelButtonText(QStringLiteral("취소"));
    keepAboveTopMostWindows(box);
    if (box.exec() != QDialog::Accepted)
        return false;
    value = box.textValue();
    return true;
}

int QtPrompter::popupMenu(const QStringList& items, const QPoint& globalPos)
{
    QMenu menu;
    QList<QAction*> actions;
    for (const QString& item : items)
        actions << (item.isEmpty() ? menu.addSeparator() : menu.addAction(item));
    QAction* chosen = menu.exec(globalPos);
    return chosen ? int(actions.indexOf(chosen)) : -1;
}

bool QtPrompter::chooseColor(quint32& color, const QString& title)
{
    const QColor initial(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
    QColorDialog dialog(initial, QApplication::activeWindow());
    if (!title.isEmpty())
        dialog.setWindowTitle(title);
    keepAboveTopMostWindows(dialog);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QColor c = dialog.selectedColor();
    if (!c.isValid())
        return false;
    color = quint32(c.red()) | (quint32(c.green()) << 8) | (quint32(c.blue()) << 16);
    return true;
}

int QtPrompter::execModal(QDialog& dialog)
{
    keepAboveTopMostWindows(dialog);
    return dialog.exec();
}

bool QtPrompter::startProgram(const QString& program, const QStringList& arguments,
                              const QString& workingFolder)
{
    return QProcess::startDetached(program, arguments, workingFolder);
}

} // namespace platform
