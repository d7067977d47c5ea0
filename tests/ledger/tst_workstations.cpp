// Several workstations on one database file, as real processes with the program's own
// connection: no voucher write, ledger read or start fails while another workstation's lock
// is only passing by.
#include "frame/FrmFloatMsg.h"
#include "frame/frmSplash.h"
#include "frame/modMain.h"
#include "ledger/VoucherWriter.h"
#include "platform/Database.h"
#include "platform/FormRegistry.h"
#include "platform/IniFile.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"
#include "support/Workstations.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

using testsupport::Workstations;

// Every show, paint and hide of the floating message while it lives, with the time since
// the watch began and the number of message boxes shown by then.
class FloatMsgWatch : public QObject {
public:
    struct Event {
        QEvent::Type type;
        qint64 ms;
        QString text;
        int boxes;
    };
    explicit FloatMsgWatch(const testsupport::ScriptedPrompter& prompter) : m_prompter(prompter)
    {
        m_clock.start();
        qApp->installEventFilter(this);
    }
    ~FloatMsgWatch() override { qApp->removeEventFilter(this); }
    QList<Event> events;
    QList<QEvent::Type> types() const
    {
        QList<QEvent::Type> out;
        for (const Event& e : events)
            if (out.isEmpty() || out.last() != e.type)
                out << e.type;
        return out;
    }

protected:
    bool eventFilter(QObject* o, QEvent* e) override
    {
        auto* msg = qobject_cast<FrmFloatMsg*>(o);
        if (msg && (e->type() == QEvent::Show || e->type() == QEvent::Paint || e->type() == QEvent::Hide))
            events << Event{e->type(), m_clock.elapsed(), msg->text(), int(m_prompter.messages().size())};
        return false;
    }

private:
    const testsupport::ScriptedPrompter& m_prompter;
    QElapsedTimer m_clock;
};

class TestWorkstations : public QObject {
    Q_OBJECT

    static qint64 rows(const QString& file, const QString& table)
    {
        return dao::Database::open(file)->scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table).toLongLong();
    }

    // The program's start on file: settings, the main database, the login window's first read.
    static void startProgram(const QString& file)
    {
        gsTitle = QStringLiteral("Trelvo");
        gDB.reset();
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("db경로"), QFileInfo(file).absolutePath());
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("db기초"), file);
        InitApp();
        frmSplash::RunLogin(nullptr);
    }

private slots:
    void cleanup()
    {
        gDB.reset();
        dao::Database::setDefaultBusyLimit(-1);
    }

    // Four workstations start at the same moment and each types vouchers as fast as it can.
    void fourWorkstationsInsertVouchers()
    {
        testsupport::TestEnv env;
        const QString file = env.path(QStringLiteral("trelvoDB.mdb"));
        QVERIFY(testsupport::createDatabase(file, QStringLiteral("main")));
        const int n = 200;
        Workstations ws;
        for (int i = 0; i < 4; ++i)
            ws.start({QStringLiteral("insert"), file, QString::number(n)});
        ws.go();
        const auto results = ws.finish();
        for (const auto& r : results) {
            QVERIFY2(r.values.value(QStringLiteral("open")) == QLatin1String("ok"), qPrintable(r.errors));
            QVERIFY2(r.value(QStringLiteral("failed")) == 0, qPrintable(r.errors));
            QCOMPARE(r.value(QStringLiteral("inserted")), qint64(n));
            QCOMPARE(r.exitCode, 0);
        }
        QCOMPARE(rows(file, QStringLiteral("total")), qint64(4 * n));
    }

    // The ledger is read every 20 ms, and a second workstation types vouchers, while
    // another workstation never stops writing.
    void besideContinuousWriter()
    {
        testsupport::TestEnv env;
        const QString file = env.path(QStringLiteral("trelvoDB.mdb"));
        QVERIFY(testsupport::createDatabase(file, QStringLiteral("main")));
        const QString stop = env.path(QStringLiteral("stop"));
        Workstations writer, others;
        writer.start({QStringLiteral("insert"), file, QStringLiteral("0"), stop});
        others.start({QStringLiteral("read"), file, QStringLiteral("100"), QStringLiteral("20")});
        others.start({QStringLiteral("insert"), file, QStringLiteral("200")});
        writer.go();
        QTest::qWait(200);
        others.go();
        const auto done = others.finish();
        QFile(stop).open(QIODevice::WriteOnly);
        const auto wrote = writer.finish();
        QVERIFY2(done[0].value(QStringLiteral("failed")) == 0, qPrintable(done[0].errors));
        QCOMPARE(done[0].value(QStringLiteral("reads")), qint64(100));
        QVERIFY2(done[1].value(QStringLiteral("failed")) == 0, qPrintable(done[1].errors));
        QCOMPARE(done[1].value(QStringLiteral("inserted")), qint64(200));
        QVERIFY2(wrote[0].value(QStringLiteral("failed")) == 0, qPrintable(wrote[0].errors));
        QVERIFY(wrote[0].value(QStringLiteral("inserted")) > 0);
        QCOMPARE(rows(file, QStringLiteral("total")), wrote[0].value(QStringLiteral("inserted")) + 200);
    }

    // A start while another workstation is in the middle of a write waits for it and opens;
    // a start that cannot open says why after the usual text.
    void startMeetsLock()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const QString file = env.path(QStringLiteral("trelvoDB.mdb"));
        QVERIFY(testsupport::createDatabase(file, QStringLiteral("main")));
        const QString notSet = QStringLiteral("Data Base MDB가 선언되지 않았습니다.\rselect * from user\r");

        // Past half a second of waiting the floating message says why nothing comes yet,
        // drawn at once; it goes when the open goes on, before anything else is shown.
        const QString waiting = QStringLiteral("다른 작업장이 데이터베이스를 사용 중입니다. 잠시 기다려 주십시오.");
        const QList<QEvent::Type> shownDrawnHidden = {QEvent::Show, QEvent::Paint, QEvent::Hide};
        {
            auto holder = Workstations::holdLock(file, 4000); // longer than a short write ever takes
            gsDBFile = file;
            FloatMsgWatch watch(prompter);
            startProgram(file);
            QVERIFY(gDB);
            QVERIFY(prompter.messages().isEmpty());
            QCOMPARE(watch.types(), shownDrawnHidden);
            QVERIFY2(watch.events.first().ms >= 500, qPrintable(QString::number(watch.events.first().ms)));
            QCOMPARE(watch.events.first().text, waiting);
            QVERIFY(!platform::FormRegistry::instance().isLoaded(QStringLiteral("FrmFloatMsg")));
            holder->waitForFinished(10000);
        }

        // A workstation stopped in the middle of a write: the start gives up at the limit,
        // and the floating message goes before the box that says why.
        dao::Database::setDefaultBusyLimit(1000);
        {
            auto holder = Workstations::holdLock(file, 6000);
            FloatMsgWatch watch(prompter);
            startProgram(file);
            QVERIFY(!gDB);
            QCOMPARE(watch.types(), shownDrawnHidden);
            QVERIFY2(watch.events.first().ms >= 500, qPrintable(QString::number(watch.events.first().ms)));
            QCOMPARE(watch.events.first().text, waiting);
            QCOMPARE(watch.events.last().boxes, 0);
            QVERIFY(!platform::FormRegistry::instance().isLoaded(QStringLiteral("FrmFloatMsg")));
            QCOMPARE(prompter.messages().size(), 1);
            QCOMPARE(prompter.lastMessage().title, QStringLiteral("MDB 오류"));
            const QString text = prompter.lastMessage().text;
            QVERIFY2(text.startsWith(notSet), qPrintable(text));
            QVERIFY2(text.mid(notSet.size()).contains(QStringLiteral("다른 사용자가 사용 중이어서 잠겨 있습니다")), qPrintable(text));
            QVERIFY(!text.mid(notSet.size()).contains(QLatin1Char('\r')));
            holder->kill();
            holder->waitForFinished(5000);
        }
        dao::Database::setDefaultBusyLimit(-1);

        // A file that is no database, and a file that is gone.
        prompter.clear();
        const QString junk = env.path(QStringLiteral("junk.mdb"));
        {
            QFile f(junk);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        }
        {
            FloatMsgWatch watch(prompter); // nothing waited for: no floating message
            startProgram(junk);
            QVERIFY(watch.events.isEmpty());
        }
        QVERIFY(!gDB);
        QCOMPARE(prompter.lastMessage().text, notSet + QStringLiteral("'%1' 파일은 데이터베이스 형식이 아닙니다.").arg(junk));

        prompter.clear();
        QVERIFY(QFile::rename(file, env.path(QStringLiteral("moved.mdb"))));
        startProgram(file);
        QVERIFY(!gDB);
        QVERIFY2(prompter.lastMessage().text.startsWith(notSet), qPrintable(prompter.lastMessage().text));
        QVERIFY2(prompter.lastMessage().text.endsWith(QStringLiteral("파일을 찾을 수 없습니다.")),
                 qPrintable(prompter.lastMessage().text));
    }

    // A main database file that the user may not read (root ignores file modes: the start
    // runs as a user without root rights): the start's box says why in Korean, as for every
    // other reason.
    void startWithoutReadRight()
    {
        if (::geteuid() != 0)
            QSKIP("needs root, to leave a file the user may not read and to start as that user");
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv (util-linux) is missing: cannot start as a user without root rights");
        // Everything the user needs lies in one folder the user reaches: the program, the
        // database and the settings.
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString program = testsupport::copyForUnprivileged(scratch, Workstations::program(), QStringLiteral("workstation"));
        QVERIFY(!program.isEmpty());
        const QString file = scratch.filePath(QStringLiteral("trelvoDB.mdb"));
        QVERIFY(testsupport::createDatabase(file, QStringLiteral("main")));
        QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0), 0);
        const QString settings = scratch.filePath(QStringLiteral("settings"));
        QVERIFY(QDir().mkdir(settings));
        QCOMPARE(::chmod(QFile::encodeName(settings).constData(), 0777), 0);
        {
            platform::IniFile ini(settings + QStringLiteral("/Trelvo.ini"));
            ini.setValue(kEnvSection, QStringLiteral("db경로"), scratch.path());
            ini.setValue(kEnvSection, QStringLiteral("db기초"), file);
            QVERIFY(ini.save());
        }
        QCOMPARE(::chmod(QFile::encodeName(settings + QStringLiteral("/Trelvo.ini")).constData(), 0666), 0);

        QProcess start;
        QVERIFY(testsupport::startUnprivileged(start, program, {QStringLiteral("start")}, settings, scratch.path()));
        QVERIFY(start.waitForFinished(60000));
        const QString out = QString::fromUtf8(start.readAllStandardOutput());
        const QString errors = QString::fromUtf8(start.readAllStandardError());
        QVERIFY2(out.contains(QStringLiteral("open=failed boxes=1")), qPrintable(out + errors));
        QVERIFY2(errors.contains(QStringLiteral("box: MDB 오류: Data Base MDB가 선언되지 않았습니다.|select * from user|'%1' 파일을 열 수 "
                                                "없습니다(읽을 권한이 없습니다).\n").arg(file)),
                 qPrintable(errors));
    }

    // A write that waits longer than half a second shows the wait cursor until the program
    // is back in its event loop; a write past the limit is refused whole.
    void longWaitShowsWaitCursor()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const QString file = env.path(QStringLiteral("trelvoDB.mdb"));
        QVERIFY(testsupport::createDatabase(file, QStringLiteral("main")));
        startProgram(file);
        QVERIFY(gDB);
        QTest::qWait(0);
        qint64 id = 0;
        NewVoucher v;
        v.proName = QStringLiteral("빠른");
        QVERIFY(InsertVoucher(*gDB, v, id));
        QVERIFY(!QApplication::overrideCursor());

        {
            auto holder = Workstations::holdLock(file, 1500);
            v.proName = QStringLiteral("기다린");
            QVERIFY(InsertVoucher(*gDB, v, id));
            QVERIFY(QApplication::overrideCursor());
            QCOMPARE(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
            QTest::qWait(0);
            QVERIFY(!QApplication::overrideCursor());
            holder->waitForFinished(10000);
        }

        gDB->setBusyTimeout(1000);
        {
            auto holder = Workstations::holdLock(file, 6000);
            v.proName = QStringLiteral("막힌");
            try {
                InsertVoucher(*gDB, v, id);
                QFAIL("a write went through a held lock");
            } catch (const dao::DaoError& e) {
                QCOMPARE(e.number(), long(dao::errLocked));
            }
            holder->kill();
            holder->waitForFinished(5000);
        }
        QTest::qWait(0);
        QVERIFY(!QApplication::overrideCursor());
        QCOMPARE(rows(file, QStringLiteral("total")), qint64(2));
    }
};

QTEST_MAIN(TestWorkstations)
#include "tst_workstations.moc"
