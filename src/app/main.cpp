#include "frame/modMain.h"
#include "ledger/frmMain.h"
#include "platform/QtTranslation.h"
#include "platform/WholeFile.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // Under a file-size limit (ulimit -f) a write past it fails and is told like any other
    // failed write (a print, the database, a layout) instead of ending the program.
    platform::FailWritesPastTheSizeLimit();
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Trelvo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));
    gsTitle = QApplication::applicationName();
    platform::InstallQtTranslation(); // without it Qt's own menus and dialogs stay English

    frmMain mainWindow;
    if (!mainWindow.Form_Load())
        return 0; // the login ended the program
    mainWindow.show();
    // The start-up window takes the focus, as it does on a desktop with a window manager;
    // its first activation finishes the start-up.
    mainWindow.raise();
    mainWindow.activateWindow();
    return app.exec();
}
