#include "platform/QtTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QPointer>
#include <QTranslator>

namespace platform {

bool InstallQtTranslation()
{
    static QPointer<QTranslator> installed; // goes with the application object that owns it
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return false;
    if (installed && installed->parent() == app)
        return true;
    auto* translator = new QTranslator(app);
    if (!translator->load(QStringLiteral("qtbase_ko"), QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    installed = translator;
    return true;
}

} // namespace platform
