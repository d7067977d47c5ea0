#include "frame/modCompileEnv.h"

#include "platform/ProgramFolder.h"

#include <QFileInfo>
#include <QPalette>
#include <QPixmap>
#include <QWidget>

bool LoadLoginBG(QWidget* frm)
{
    if (!frm)
        return false;
    const QString file = platform::programPath(QStringLiteral("Image/loginbg.jpg"));
    if (!QFileInfo(file).isFile())
        return false;
    const QPixmap picture(file);
    if (picture.isNull())
        return false;
    QPalette pal = frm->palette();
    QBrush brush(picture);
    pal.setBrush(QPalette::Window, brush);
    frm->setPalette(pal);
    frm->setAutoFillBackground(true);
    return true;
}
