#include "platform/IniFile.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QtTest>
#include <thread>
#include <vector>

// Several copies of the program write one user's settings file at the same moment (two
// workstations of one user closing together): every key written survives, and the file
// stays whole.
class tst_SettingsStore : public QObject {
    Q_OBJECT

private slots:
    void writersAtOnceLoseNoKey()
    {
        testsupport::TestEnv env;
        const int writers = 4;
        const int keys = 40;
        std::vector<std::thread> threads;
        for (int w = 0; w < writers; ++w)
            threads.emplace_back([w] {
                for (int i = 0; i < keys; ++i)
                    platform::SaveSetting(QStringLiteral("Trelvo"), QStringLiteral("환경설정"),
                                          QStringLiteral("k%1_%2").arg(w).arg(i), QStringLiteral("값%1").arg(i));
            });
        for (auto& t : threads)
            t.join();
        int missing = 0;
        for (int w = 0; w < writers; ++w)
            for (int i = 0; i < keys; ++i)
                if (platform::GetSetting(QStringLiteral("Trelvo"), QStringLiteral("환경설정"),
                                         QStringLiteral("k%1_%2").arg(w).arg(i))
                    != QStringLiteral("값%1").arg(i))
                    ++missing;
        QCOMPARE(missing, 0);
        // Nothing but the settings file is left behind (no lock or temporary files).
        QCOMPARE(QDir(platform::settingsFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Trelvo.ini")});
    }
};

QTEST_GUILESS_MAIN(tst_SettingsStore)
#include "tst_settingsstore.moc"
