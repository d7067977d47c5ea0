#include "frame/modMain.h"
#include "ledger/frmMain.h"
#include "platform/QtTranslation.h"

#include <QApplication>

int main(int argc, char** argv)
{
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
