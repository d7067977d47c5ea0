#include "CallerIdFixture.h"

#include "callerid/FrmCallsNotStored.h"
#include "callerid/FrmTelList.h"
#include "frame/frmMsgBackUp.h"
#include "callerid/IncomingCall.h"
#include "frame/modCommon.h"
#include "frame/modFrmCtrl.h"
#include "ledger/FrmClient_write.h"
#include "platform/ProgramFolder.h"
#include "platform/SpreadGrid.h"
#include "support/DrawnText.h"
#include "support/Workstations.h"

#include <QCheckBox>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QScreen>
#include <QNetworkDatagram>
#include <QProcess>
#include <QPushButton>
#include <QTimer>
#include <QToolTip>
#include <QHelpEvent>
#include <QUdpSocket>
#include <QtTest>

#include <QElapsedTimer>

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <unistd.h>

using calleridtest::Fixture;

namespace {

const char* const kParties =
    "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo, tel2, tel3, tel4, tel5, tel6) VALUES"
    " (40000, '김상회', '', '010-9999-0001', '06236', '서울 강남구', '단골', '', '010-555-1234', '', '', ''),"
    " (12, '이가게', '031-555-1234', '', '', '', '', '', '', '', '', ''),"
    " (13, '박상점', '02-555-12345', '', '', '', '', '', '', '', '', ''),"
    " (14, '최상사', '555-1234-9', '', '', '', '', '', '', '', '', ''),"
    " (15, '오''브라이언', '', '010-7777-8888', '', '', '', '', '', '', '', '');"
    "INSERT INTO total (maechul_code, maechul_name, pro_name, maechul_date) VALUES"
    " (40000, '김상회', 'TV', '2024-03-01'), (40000, '김상회', '냉장고', '2024-03-10'),"
    " (12, '이가게', '오디오', '2024-03-15'), (13, '박상점', '세탁기', '2024-03-19');";

// Sends one datagram to the client from the workstation's own address (or from addr).
bool sendFrom(const QString& addr, quint16 port, const QByteArray& payload)
{
    QUdpSocket s;
    if (!s.bind(QHostAddress(addr), 0))
        return false;
    return s.writeDatagram(payload, QHostAddress(QHostAddress::LocalHost), port) == payload.size();
}

// A sales party saved through the party editor with a number typed into box; its id.
qint64 saveSalesParty(const char* name, int box, const char* typed)
{
    FrmClient_write e;
    e.AddEditMode(1);
    e.busiMode(1);
    e.txtInput[0]->setText(QString::fromUtf8(name));
    e.txtInput[box]->setText(QString::fromUtf8(typed));
    e.txtInput_Validate(box);
    e.btnSave_Click();
    return e.CCode();
}

// How the window naming the calls not stored fails the screen it is shown on: the window,
// its 확인 or a call's line drawn beyond the screen or its list. Empty: every call can be read.
QString callsWindowFault(FrmCallsNotStored* w)
{
    w->show();
    if (!QTest::qWaitForWindowExposed(w))
        return QStringLiteral("the window is not shown");
    const QRect area = w->screen()->availableGeometry();
    const auto where = [](const QRect& r) {
        return QStringLiteral("%1x%2 at %3,%4").arg(r.width()).arg(r.height()).arg(r.x()).arg(r.y());
    };
    if (!area.contains(w->frameGeometry()))
        return QStringLiteral("the window (%1) runs past the screen (%2)").arg(where(w->frameGeometry()), where(area));
    const QRect ok(w->cmdOk->mapToGlobal(QPoint(0, 0)), w->cmdOk->size());
    if (!area.contains(ok) || !w->rect().contains(QRect(w->cmdOk->mapTo(w, QPoint(0, 0)), w->cmdOk->size())))
        return QStringLiteral("확인 (%1) lies beyond the screen").arg(where(ok));
    QListWidget* list = w->lstCalls;
    for (int i = 0; i < list->count(); ++i) {
        list->scrollToItem(list->item(i));
        QCoreApplication::processEvents();
        const auto runs = testsupport::drawnText(list->viewport());
        const bool whole = std::any_of(runs.cbegin(), runs.cend(), [&](const testsupport::DrawnTextRun& r) {
            return r.text == list->item(i)->text() && QRectF(list->viewport()->rect()).adjusted(-0.5, -0.5, 0.5, 0.5).contains(r.box);
        });
        if (!whole)
            return QStringLiteral("\"%1\" is not drawn whole in the list").arg(list->item(i)->text());
    }
    return QString();
}

} // namespace

// The road of an incoming call: datagram, log line, caller lookup, history, call record,
// call list; and the client's socket as the check box switches it.
class tst_incomingCall : public QObject {
    Q_OBJECT

private slots:
    void datagramTravelsToTheCallList()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.startMain();
        QVERIFY(w);
        platform::SaveSetting(gsTitle, QStringLiteral("Registration"), QStringLiteral("RingletUse"), QStringLiteral("1"));
        w->Form_Activate(); // first activation: server program (missing here) and the client
        QCOMPARE(f.prompter->lastMessage().text,
                 QStringLiteral("CID서버를 찾을 수 없습니다.\r\n") + platform::programPath(QStringLiteral("CIDsvr")));
        FrmRCidClient* client = FrmRCidClient::Instance();
        QVERIFY(client);
        QVERIFY(client->IsBound());
        const QString own = client->LocalIP();
        QVERIFY(!own.isEmpty());
        if (!sendFrom(own, client->BoundPort(), "025551234"))
            QSKIP("cannot send from the workstation's own address here");
        QTRY_VERIFY_WITH_TIMEOUT(IsFormLoaded(QStringLiteral("FrmTelList")), 5000);

        // the log line: payload, sender, own address
        QCOMPARE(f.readLog(), QStringLiteral("025551234, R:") + own + QStringLiteral(", L:") + own + QStringLiteral("\r\n"));
        // the lookup: the party of the newest voucher; products of every party ending in 555-1234
        QCOMPARE(w->pnlinfo2[0]->text(), QStringLiteral("이가게"));
        QCOMPARE(w->pnlinfo2[1]->text(), QStringLiteral("031-555-1234"));
        QCOMPARE(w->txtCurClient[1]->text(), QStringLiteral("12"));
        QCOMPARE(w->txtCName->text(), QStringLiteral("이가게"));
        QCOMPARE(w->pnlinfoSales->text(),
                 QStringLiteral("오디오(2024-03-15), 냉장고(2024-03-10), TV(2024-03-01)"));
        // the history line and the number as received
        QCOMPARE(w->cmbGetRinglet->count(), 1);
        QCOMPARE(w->cmbGetRinglet->itemText(0),
                 QStringLiteral("02-555-1234    2024-03-20 14:05:09 이가게 [제품: 오디오(2024-03-15), 냉장고(2024-03-10), TV(2024-03-01)]"));
        QCOMPARE(w->cmbGetRinglet->currentText(), QStringLiteral("025551234"));
        // the call record, stored once by this workstation
        QCOMPARE(f.calls(), QStringList{QStringLiteral("2024-03-20|14:05:09|025551234|이가게|")});
        FrmTelList* list = FrmTelList::Instance();
        QCOMPARE(list->spList[0]->MaxRows(), 1);
        QCOMPARE(list->spList[0]->GetText(3, 1), QStringLiteral("025551234"));
        QCOMPARE(list->spList[0]->GetText(6, 1), QString::number(1));

        // a second call while the list is open arrives at its top as a live row
        QVERIFY(sendFrom(own, client->BoundPort(), "01077778888"));
        QTRY_COMPARE_WITH_TIMEOUT(list->spList[0]->MaxRows(), 2, 5000);
        QCOMPARE(list->spList[0]->GetText(3, 1), QStringLiteral("01077778888"));
        QCOMPARE(list->spList[0]->GetText(4, 1), QStringLiteral("오'브라이언")); // a quote in a name is stored as it is
        QCOMPARE(list->spList[0]->GetText(6, 1), QString::number(2)); // stored at once: the row has its key
        QCOMPARE(list->spList[0]->CellType(), int(platform::SpreadGrid::CellTypeButton));
        QCOMPARE(f.calls().size(), 2);
        QCOMPARE(f.calls().at(1), QStringLiteral("2024-03-20|14:05:09|01077778888|오'브라이언|"));
        QCOMPARE(w->pnlinfoSales->text(), QStringLiteral("()")); // a party without vouchers
        QCOMPARE(w->cmbGetRinglet->count(), 2);
        QVERIFY(w->cmbGetRinglet->itemText(0).startsWith(QStringLiteral("010-7777-8888  2024-03-20")));
        QCOMPARE(f.prompter->messages().size(), 1); // only the missing server program
    }

    // A datagram that cannot carry a telephone number, from any address, is logged on one
    // line and dropped: no box, and the next call is handled at once.
    void junkFromTheNetworkNeverHoldsUpTheNextCall()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.startMain();
        QVERIFY(w);
        w->cmdTelList_Click();
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        QVERIFY(client->IsBound());
        const QString own = client->LocalIP();
        const quint16 port = client->BoundPort();
        FrmTelList* list = FrmTelList::Instance();
        // another workstation (a loopback address that is not this one's)
        const QString other = own == QLatin1String("127.0.0.2") ? QStringLiteral("127.0.0.3") : QStringLiteral("127.0.0.2");
        const QByteArray digits(60000, '5');
        QVERIFY(sendFrom(other, port, digits));
        QVERIFY(sendFrom(other, port, "0311112222"));
        QTRY_COMPARE_WITH_TIMEOUT(list->spList[0]->MaxRows(), 1, 1000);
        QCOMPARE(list->spList[0]->GetText(3, 1), QStringLiteral("0311112222"));
        QCOMPARE(f.prompter->messages().size(), 0);

        if (own.isEmpty() || !sendFrom(own, port, digits))
            QSKIP("cannot send from the workstation's own address here");
        QVERIFY(sendFrom(own, port, "02555" + QByteArray(1, '\0') + "1234"));
        QVERIFY(sendFrom(own, port, "025551234\r\n"));
        QVERIFY(sendFrom(own, port, QByteArray("010-1234-5678-9012-3456"))); // 23 characters
        QVERIFY(sendFrom(own, port, QByteArray("010123456789012345678")));   // 21 characters
        QVERIFY(sendFrom(own, port, "025551234"));
        QTRY_COMPARE_WITH_TIMEOUT(list->spList[0]->MaxRows(), 2, 1000);
        QCOMPARE(list->spList[0]->GetText(3, 1), QStringLiteral("025551234"));
        QCOMPARE(f.calls(), QStringList{QStringLiteral("2024-03-20|14:05:09|025551234|이가게|")});
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(w->cmbGetRinglet->count(), 2);

        // every datagram has its line, the dropped ones cut short and without control characters
        const QStringList lines = f.readLog().split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 8);
        for (const QString& line : lines) {
            QVERIFY2(line.size() < 200, qPrintable(line.left(200)));
            for (QChar c : line)
                QVERIFY(c.category() != QChar::Other_Control);
        }
        QCOMPARE(lines.at(1), QStringLiteral("0311112222, R:") + other + QStringLiteral(", L:") + own);
        QVERIFY(lines.at(0).contains(QStringLiteral("60000")));
        QVERIFY(lines.at(0).endsWith(QStringLiteral(", R:") + other + QStringLiteral(", L:") + own));
        QVERIFY(lines.at(3).contains(QStringLiteral("02555\\x001234")));
        QCOMPARE(lines.at(7), QStringLiteral("025551234, R:") + own + QStringLiteral(", L:") + own);
    }

    // Numbers as the caller-ID server sends them are handled as before; text that cannot
    // be a number from this workstation's own address is not stored.
    void onlyPossibleNumbersAreStored()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.startMain();
        QVERIFY(w);
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        const QList<QByteArray> kept = {"0311112222", "010-7777-8888", "02)555-1234", "050512345678",
                                        "+82-505-1234-5678", QByteArray(20, '1'), "0505123456789"};
        const QList<QByteArray> dropped = {
            QByteArray(21, '1'),        // longer than the call list keeps
            QByteArray("0311112222\0", 11), "\t0311112222", "0311112222\x7f",
            "031 111 2222 ext 1234 5",  // 23 characters
        };
        for (const QByteArray& p : dropped + kept)
            client->HandleDatagram(p, own);
        QStringList stored;
        for (const QString& c : f.calls())
            stored << c.section(QLatin1Char('|'), 2, 2);
        QCOMPARE(stored, (QStringList{QStringLiteral("0311112222"), QStringLiteral("010-7777-8888"),
                                      QStringLiteral("02)555-1234"), QStringLiteral("050512345678"),
                                      QStringLiteral("+82-505-1234-5678"), QString(20, QLatin1Char('1')),
                                      QStringLiteral("0505123456789")}));
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(f.readLog().count(QStringLiteral("\r\n")), dropped.size() + kept.size());
    }

    // What the caller-ID server sends, over the network to the running client: the number's
    // digits are read whatever else the payload carries (signs, a country code, a 00 prefix,
    // a scheme), so every call is looked up, stored exactly as received and listed. The
    // caller is found whatever signs the party's number carries, as the party editor keeps
    // it or as an older file holds it; +82 and 0082 stand for the national 0 on either side.
    // A payload without a digit shows the unknown-format panel only.
    void everyNumberFormIsRecorded()
    {
        Fixture f(QString::fromUtf8(kParties)
                  + QStringLiteral("INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo, tel2, tel3, tel4,"
                                   " tel5, tel6) VALUES (16, '정무역', '02-1234-5678', '', '', '', '', '', '', '', '', ''),"
                                   " (17, '옛상회', '', '+82-10-2222-3333', '', '', '', '', '', '', '', '');"
                                   "INSERT INTO total (maechul_code, maechul_name, pro_name, maechul_date) VALUES"
                                   " (16, '정무역', '프린터', '2024-03-18');"));
        auto w = f.startMain();
        QVERIFY(w);
        // parties saved through the editor: a number that is more than digits and blanks is
        // kept as typed, one of Korea is written in its national form
        const struct { const char* name; int box; const char* typed; const char* stored; } saved[] = {
            {"NY Deli", 1, "+1-212-555-1234", "+1-212-555-1234"},
            {"北京贸易", 1, "+86 10 1234 5678", "+86 10 1234 5678"},
            {"텔상회", 2, "+82 10 5555 6666", "010-5555-6666"},
            {"한국상사", 6, "0082 10 3456 7890", "010-3456-7890"},
        };
        for (const auto& p : saved) {
            const qint64 id = saveSalesParty(p.name, p.box, p.typed);
            QVERIFY(id > 0);
            QCOMPARE(gDB->scalar(QStringLiteral("SELECT tel || phone || tel2 FROM maechul WHERE id = ?"), {id}).toString(),
                     QString::fromUtf8(p.stored));
        }
        w->cmdTelList_Click();
        FrmTelList* list = FrmTelList::Instance();
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        const quint16 port = client->BoundPort();
        struct Case { QByteArray payload; QString formatted, name; };
        const QList<Case> cases = {
            {"+1-212-555-1234", QStringLiteral("1212555-1234"), QStringLiteral("NY Deli")},
            {"+86 10 1234 5678", QStringLiteral("86101234-5678"), QStringLiteral("北京贸易")},
            {"0212345678#", QStringLiteral("02-1234-5678"), QStringLiteral("정무역")},
            {"tel:0212345678", QStringLiteral("02-1234-5678"), QStringLiteral("정무역")},
            {"001-1-212-555-1234", QStringLiteral("001-1212555-1234"), QStringLiteral("NY Deli")}, // 14 digits
            {"tel:+821055556666", QStringLiteral("010-5555-6666"), QStringLiteral("텔상회")},
            {"00821034567890", QStringLiteral("010-3456-7890"), QStringLiteral("한국상사")},
            {"0082-10-3456-7890", QStringLiteral("010-3456-7890"), QStringLiteral("한국상사")},
            {"01022223333", QStringLiteral("010-2222-3333"), QStringLiteral("옛상회")},
            {"0505123456789", QStringLiteral("050-512345-6789"), QString()},       // 13 digits
            {"01012345678901234", QStringLiteral("010-1234567890-1234"), QString()},
            {QByteArray(20, '1'), QStringLiteral("1111111111111111-1111"), QString()},
            // the forms the caller-ID tests always had
            {"025551234", QStringLiteral("02-555-1234"), QStringLiteral("이가게")},
            {"0311112222", QStringLiteral("031-111-2222"), QString()},
            {"010-7777-8888", QStringLiteral("010-7777-8888"), QStringLiteral("오'브라이언")},
            {"02)555-1234", QStringLiteral("02-555-1234"), QStringLiteral("이가게")},
            {"050512345678", QStringLiteral("050-51234-5678"), QString()},
            {"+82-505-1234-5678", QStringLiteral("050-51234-5678"), QString()},
            {"+82-10-7777-8888", QStringLiteral("010-7777-8888"), QStringLiteral("오'브라이언")},
        };
        if (own.isEmpty() || !sendFrom(own, port, cases.first().payload))
            QSKIP("cannot send from the workstation's own address here");
        for (int i = 0; i < cases.size(); ++i) {
            if (i > 0)
                QVERIFY(sendFrom(own, port, cases[i].payload));
            QTRY_COMPARE_WITH_TIMEOUT(w->cmbGetRinglet->count(), i + 1, 5000);
            const QString line = w->cmbGetRinglet->itemText(0);
            QVERIFY2(line.startsWith(cases[i].formatted + QLatin1Char(' ')), qPrintable(line));
            QCOMPARE(w->pnlinfo2[0]->text(), cases[i].name);
            if (cases[i].name.isEmpty())
                QCOMPARE(w->pnlinfoSales->text(), QStringLiteral("등록되지 않은 전화번호 입니다.(")
                                                      + QString::fromLatin1(cases[i].payload) + QLatin1Char(')'));
            QCOMPARE(list->spList[0]->MaxRows(), i + 1);
            QCOMPARE(list->spList[0]->GetText(3, 1), QString::fromLatin1(cases[i].payload));
        }
        QStringList stored;
        for (const QString& c : f.calls())
            stored << c.section(QLatin1Char('|'), 2, 2);
        QStringList sent;
        for (const Case& c : cases)
            sent << QString::fromLatin1(c.payload);
        QCOMPARE(stored, sent);

        // no digit at all: the panel says so, nothing is stored or listed
        QVERIFY(sendFrom(own, port, "tel:unknown"));
        QTRY_COMPARE_WITH_TIMEOUT(w->pnlinfoSales->text(), QStringLiteral("알수 없는 전화번호 형식입니다.(tel:unknown)"), 5000);
        QCOMPARE(w->cmbGetRinglet->count(), cases.size());
        QCOMPARE(f.calls().size(), cases.size());
        QCOMPARE(list->spList[0]->MaxRows(), cases.size());
        QCOMPARE(f.prompter->messages().size(), 0);
    }

    // Another workstation in the middle of a write (BEGIN IMMEDIATE and an insert, as a ledger
    // print fills its table): calls are shown at once and the window goes on taking events;
    // they are stored once the other commits, in the order received, with the time received,
    // and no box opens. Where even reading must wait (an exclusive lock) the panel says so and
    // the caller follows as soon as the file can be read. A call handled while this
    // workstation's own connection is inside a transaction is not written into it.
    void callsWhileTheFileIsLocked()
    {
        Fixture f(QString::fromUtf8(kParties));
        QTime clock(14, 5, 9);
        platform::setClock([&clock] { return QDateTime(QDate(2024, 3, 20), clock); });
        auto w = f.start(true);
        QVERIFY(w);
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        const quint16 port = client->BoundPort();
        if (own.isEmpty() || !sendFrom(own, port, "0311112222"))
            QSKIP("cannot send from the workstation's own address here");
        QTRY_COMPARE_WITH_TIMEOUT(f.calls().size(), 1, 5000); // a free file: stored at once
        FrmTelList::Instance()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

        // The event loop's pulse: the longest time between two turns of a 10 ms timer.
        QElapsedTimer pulse;
        qint64 last = 0, longest = 0;
        QTimer tick;
        tick.setInterval(10);
        connect(&tick, &QTimer::timeout, [&] {
            longest = qMax(longest, pulse.elapsed() - last);
            last = pulse.elapsed();
        });
        const auto startPulse = [&] {
            pulse.start();
            last = 0;
            longest = 0;
            tick.start();
        };

        constexpr int kWriteMs = 4000;
        auto writer = testsupport::Workstations::holdWrite(f.dbFile, kWriteMs);
        QVERIFY(writer->readLine().startsWith("held=1"));
        startPulse();
        QVERIFY(sendFrom(own, port, "025551234"));
        QTRY_COMPARE_WITH_TIMEOUT(w->pnlinfo2[0]->text(), QStringLiteral("이가게"), 1000);
        clock = QTime(14, 5, 10);
        QVERIFY(sendFrom(own, port, "01077778888"));
        QTRY_COMPARE_WITH_TIMEOUT(w->pnlinfo2[0]->text(), QStringLiteral("오'브라이언"), 1000);
        QCOMPARE(w->cmbGetRinglet->count(), 3);
        // the call list, opened by the calls, shows them before they are stored
        FrmTelList* list = FrmTelList::Instance();
        QVERIFY(list);
        QCOMPARE(list->spList[0]->MaxRows(), 3);
        QCOMPARE(list->spList[0]->GetText(3, 1), QStringLiteral("01077778888"));
        QCOMPARE(list->spList[0]->GetText(3, 2), QStringLiteral("025551234"));
        QCOMPARE(list->spList[0]->GetText(3, 3), QStringLiteral("0311112222"));
        QCOMPARE(writer->state(), QProcess::Running);
        QCOMPARE(f.calls().size(), 1);
        clock = QTime(14, 5, 30);
        QTRY_COMPARE_WITH_TIMEOUT(writer->state(), QProcess::NotRunning, 2 * kWriteMs);
        QCOMPARE(writer->exitCode(), 0);
        QTRY_COMPARE_WITH_TIMEOUT(f.calls(), (QStringList{QStringLiteral("2024-03-20|14:05:09|0311112222||"),
                                                          QStringLiteral("2024-03-20|14:05:00|0299990000||"),
                                                          QStringLiteral("2024-03-20|14:05:09|025551234|이가게|"),
                                                          QStringLiteral("2024-03-20|14:05:10|01077778888|오'브라이언|")}),
                                  5000);
        tick.stop();
        qInfo("longest turn of the event loop during another workstation's write: %lld ms", longest);
        QVERIFY2(longest < kWriteMs / 4, qPrintable(QStringLiteral("the window was held %1 ms").arg(longest)));
        QCOMPARE(f.prompter->messages().size(), 0);

        // an exclusive lock: even the lookup must wait
        constexpr int kExclusiveMs = 2000;
        clock = QTime(14, 6, 0);
        auto locker = testsupport::Workstations::holdLock(f.dbFile, kExclusiveMs);
        startPulse();
        QVERIFY(sendFrom(own, port, "0311112222"));
        QTRY_COMPARE_WITH_TIMEOUT(w->pnlinfoSales->text(),
                                  QStringLiteral("다른 작업장에서 자료를 쓰는 중입니다. 끝나는 대로 표시합니다.(0311112222)"), 1000);
        QCOMPARE(w->cmbGetRinglet->currentText(), QStringLiteral("0311112222"));
        QCOMPARE(locker->state(), QProcess::Running);
        clock = QTime(14, 6, 30);
        QTRY_COMPARE_WITH_TIMEOUT(w->pnlinfoSales->text(), QStringLiteral("등록되지 않은 전화번호 입니다.(0311112222)"),
                                  2 * kExclusiveMs);
        QVERIFY(w->cmbGetRinglet->itemText(0).startsWith(QStringLiteral("031-111-2222   2024-03-20 14:06:00")));
        QTRY_COMPARE_WITH_TIMEOUT(f.calls().size(), 5, 5000);
        QCOMPARE(f.calls().last(), QStringLiteral("2024-03-20|14:06:00|0311112222||"));
        tick.stop();
        qInfo("longest turn of the event loop during an exclusive lock: %lld ms", longest);
        QVERIFY2(longest < kExclusiveMs / 4, qPrintable(QStringLiteral("the window was held %1 ms").arg(longest)));
        QCOMPARE(f.prompter->messages().size(), 0);

        // this workstation's own transaction (the ledger print's) is not the call's
        {
            dao::Transaction tx(*gDB);
            gDB->execute(QStringLiteral("DELETE FROM total_print"));
            client->HandleDatagram("025551234", own);
            QCOMPARE(w->pnlinfo2[0]->text(), QStringLiteral("이가게"));
        } // rolled back, as a print that failed
        QTRY_COMPARE_WITH_TIMEOUT(f.calls().size(), 6, 5000);
        QCOMPARE(f.calls().last(), QStringLiteral("2024-03-20|14:06:30|025551234|이가게|"));
        QCOMPARE(f.prompter->messages().size(), 0);
    }

    // While even reading must wait, every caller's number shows as it arrives: the box holds
    // the newest, the panel names every caller still waiting. Once the file is free they are
    // shown in the order they came.
    // The panel's tip shows each waiting caller on its own line, all on the screen.
    void everyWaitingCallerIsNamed_data()
    {
        QTest::addColumn<int>("callers");
        QTest::newRow("three") << 3;
        QTest::newRow("five, more than the panel's line") << 5;
        QTest::newRow("a long queue") << 45;
        QTest::newRow("a queue wider than the screen") << 130;
    }
    void everyWaitingCallerIsNamed()
    {
        QFETCH(int, callers);
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.start(true);
        QVERIFY(w);
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        auto locker = testsupport::Workstations::holdLock(f.dbFile, 60000);
        QVERIFY(locker->readLine().startsWith("held=1"));
        QStringList numbers{QStringLiteral("0311112222"), QStringLiteral("01077778888"), QStringLiteral("025551234")};
        while (numbers.size() < callers)
            numbers << QStringLiteral("0105555%1").arg(numbers.size(), 4, 10, QLatin1Char('0'));
        for (int i = 0; i < numbers.size(); ++i) {
            client->HandleDatagram(numbers[i].toLatin1(), i == 2 ? QStringLiteral("10.1.2.3") : own);
            QCOMPARE(w->cmbGetRinglet->currentText(), numbers[i]);
            for (int j = 0; j <= i; ++j)
                QVERIFY2(w->pnlinfoSales->text().contains(numbers[j]), qPrintable(w->pnlinfoSales->text()));
            QVERIFY(w->pnlinfoSales->text().startsWith(QStringLiteral("다른 작업장에서 자료를 쓰는 중입니다.")));
        }
        QCOMPARE(w->cmbGetRinglet->count(), 0);
        // the tip as drawn: every caller whole inside it, and the tip on the screen
        QHelpEvent help(QEvent::ToolTip, QPoint(5, 5), w->pnlinfoSales->mapToGlobal(QPoint(5, 5)));
        QCoreApplication::sendEvent(w->pnlinfoSales, &help);
        QWidget* tip = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((tip = [] {
                                     for (QWidget* t : QApplication::topLevelWidgets())
                                         if (t->inherits("QTipLabel") && t->isVisible())
                                             return t;
                                     return static_cast<QWidget*>(nullptr);
                                 }()) != nullptr, 2000);
        QVERIFY2(tip->screen()->availableGeometry().contains(tip->geometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                 .arg(tip->x()).arg(tip->y()).arg(tip->width()).arg(tip->height())));
        const auto runs = testsupport::drawnText(tip);
        for (const QString& n : std::as_const(numbers))
            QVERIFY2(std::any_of(runs.cbegin(), runs.cend(), [&](const testsupport::DrawnTextRun& r) {
                         return r.text.contains(n) && QRectF(tip->rect()).contains(r.box);
                     }), qPrintable(n));
        QToolTip::hideText();
        locker->kill();
        QVERIFY(locker->waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(w->cmbGetRinglet->count(), callers, 5000);
        QVERIFY(w->cmbGetRinglet->itemText(callers - 1).startsWith(QStringLiteral("031-111-2222")));
        QCOMPARE(w->cmbGetRinglet->currentText(), numbers.last());
        if (callers == 3) {
            QVERIFY(w->cmbGetRinglet->itemText(0).startsWith(QStringLiteral("02-555-1234")));
            QCOMPARE(w->pnlinfo2[0]->text(), QStringLiteral("이가게"));
        }
        QCOMPARE(w->pnlinfoSales->toolTip(), QString());
        QTRY_COMPARE_WITH_TIMEOUT(f.calls().size(), callers - 1, 5000);
        QCOMPARE(f.prompter->messages().size(), 0);
    }

    // Calls that still wait for the file when the program is closed are stored before it ends.
    void callsWaitingAtTheEndAreStored()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.start(true);
        QVERIFY(w);
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        // a call the file refuses for another reason than a lock is named, in the window only
        gDB->execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tellist WHEN NEW.stel = '0319990000'"
                                    " BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        auto locker = testsupport::Workstations::holdLock(f.dbFile, 1500);
        QVERIFY(locker->readLine().startsWith("held=1"));
        client->HandleDatagram("025551234", own);
        client->HandleDatagram("0319990000", own);
        client->HandleDatagram("0311112222", QStringLiteral("10.1.2.3")); // another workstation's
        QVERIFY(w->pnlinfoSales->text().startsWith(QStringLiteral("다른 작업장에서 자료를 쓰는 중입니다.")));
        f.prompter->modalAnswers.enqueue([](QDialog& d) {
            if (auto* b = qobject_cast<frmMsgBackUp*>(&d))
                b->cmdResult(2)->click(); // close without a backup
            return d.result();
        });
        QStringList named;
        f.prompter->modalAnswers.enqueue([&named](QDialog& d) {
            if (auto* n = qobject_cast<FrmCallsNotStored*>(&d))
                for (int i = 0; i < n->lstCalls->count(); ++i)
                    named << n->lstCalls->item(i)->text();
            return int(QDialog::Accepted);
        });
        QCOMPARE(locker->state(), QProcess::Running);
        // a call that comes while the close waits is stored with the others
        bool sent = false;
        QTimer during;
        during.setSingleShot(true);
        connect(&during, &QTimer::timeout, [&] { sent = sendFrom(own, client->BoundPort(), "01077778888"); });
        during.start(300);
        w->close();
        QStringList expected{QStringLiteral("2024-03-20|14:05:09|025551234|이가게|")};
        if (!sent)
            QSKIP("cannot send from the workstation's own address here");
        expected << QStringLiteral("2024-03-20|14:05:09|01077778888|오'브라이언|");
        QCOMPARE(f.calls(), expected);
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(named, QStringList{QStringLiteral("0319990000  2024-03-20 14:05:09")});
    }

    // A call listed while its record still waits for another workstation's write is claimed
    // only with its own record: the claim is refused while the record waits, and succeeds
    // once it is stored. An older call from the same number is never touched, nor by a row
    // of another workstation's call that is not stored yet.
    void answeringACallThatWaitsForTheFile()
    {
        Fixture f(QString::fromUtf8(kParties)
                  + QStringLiteral("INSERT INTO tellist (seq, sdate, stime, stel, cname, sdam) VALUES"
                                   " (1, '2024-03-19', '17:00:00', '0314446666', '', ''),"
                                   " (2, '2024-03-20', '09:00:00', '0314446666', '', '');"));
        auto w = f.start(true);
        QVERIFY(w);
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        const QStringList older = f.calls();
        auto writer = testsupport::Workstations::holdWrite(f.dbFile, 120000);
        QVERIFY(writer->readLine().startsWith("held=1"));
        client->HandleDatagram("0314446666", own);
        FrmTelList* list = FrmTelList::Instance();
        QVERIFY(list);
        platform::SpreadGrid* today = list->spList[0];
        QCOMPARE(today->MaxRows(), 2);
        QCOMPARE(today->GetText(3, 1), QStringLiteral("0314446666"));
        QCOMPARE(today->GetText(6, 1), QString()); // not stored yet
        list->txtMyName->setText(QStringLiteral("Kim"));
        list->spList_ButtonClicked(0, 5, 1, 0);
        QCOMPARE(f.prompter->messages().size(), 1);
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("아직 저장되지 않은 전화입니다. 잠시 후 다시 누르세요."));
        QCOMPARE(f.calls(), older);
        QCOMPARE(today->GetText(5, 1), QString());
        QCOMPARE(list->spList[2]->MaxRows(), 0);
        // 조회 keeps the waiting call listed, drawn at the top of the list
        list->cmdQuery[0]->click();
        QCOMPARE(today->MaxRows(), 2);
        QCOMPARE(today->GetText(3, 1), QStringLiteral("0314446666"));
        QCOMPARE(today->GetText(2, 1), QStringLiteral("14:05:09"));
        QCOMPARE(today->GetText(6, 1), QString());
        QCOMPARE(today->GetText(6, 2), QStringLiteral("2"));
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list));
        const auto drawn = testsupport::drawnText(today->viewport());
        QVERIFY(std::any_of(drawn.cbegin(), drawn.cend(), [&](const testsupport::DrawnTextRun& r) {
            return r.text == QStringLiteral("14:05:09") && QRectF(today->viewport()->rect()).contains(r.box);
        }));

        // the write ends: the call is stored, its row learns its key, and the claim takes it
        writer->kill();
        QVERIFY(writer->waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(f.calls().size(), 3, 5000);
        QCOMPARE(f.calls().at(2), QStringLiteral("2024-03-20|14:05:09|0314446666||"));
        QCOMPARE(today->GetText(6, 1), QStringLiteral("3"));
        f.prompter->clear();
        list->spList_ButtonClicked(0, 5, 1, 0);
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(f.calls(), older + QStringList{QStringLiteral("2024-03-20|14:05:09|0314446666||Kim")});
        QCOMPARE(today->GetText(5, 1), QStringLiteral("Kim"));
        QCOMPARE(list->spList[2]->GetText(5, 1), QStringLiteral("3"));

        // another workstation's call from that number, listed before it stores it: the calls
        // listed already and yesterday's are other calls
        client->HandleDatagram("0314446666", QStringLiteral("10.1.2.3"));
        QCOMPARE(today->MaxRows(), 3);
        list->spList_ButtonClicked(0, 5, 1, 0);
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("아직 저장되지 않은 전화입니다. 잠시 후 다시 누르세요."));
        QCOMPARE(f.calls().size(), 3);
        QCOMPARE(f.calls().mid(0, 2), older);
        // once stored there, the same press claims it
        auto other = dao::Database::open(f.dbFile);
        other->execute(QStringLiteral("INSERT INTO tellist (sdate, stime, stel, cname, sdam)"
                                      " VALUES ('2024-03-20', '14:05:10', '0314446666', '', '')"));
        f.prompter->clear();
        list->spList_ButtonClicked(0, 5, 1, 0);
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(f.calls().at(3), QStringLiteral("2024-03-20|14:05:10|0314446666||Kim"));
        QCOMPARE(f.calls().mid(0, 2), older);

        // with the list open, a call of the same second from that number waits in turn
        writer = testsupport::Workstations::holdWrite(f.dbFile, 120000);
        QVERIFY(writer->readLine().startsWith("held=1"));
        client->HandleDatagram("0314446666", own);
        QCOMPARE(today->MaxRows(), 4);
        list->spList_ButtonClicked(0, 5, 1, 0);
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("아직 저장되지 않은 전화입니다. 잠시 후 다시 누르세요."));
        writer->kill();
        QVERIFY(writer->waitForFinished(5000));
        QTRY_COMPARE_WITH_TIMEOUT(today->GetText(6, 1), QStringLiteral("5"), 5000);
        QCOMPARE(today->GetText(6, 3), QStringLiteral("3"));
        f.prompter->clear();
        list->spList_ButtonClicked(0, 5, 1, 0);
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(f.calls().at(4), QStringLiteral("2024-03-20|14:05:09|0314446666||Kim"));
        QCOMPARE(f.calls().mid(0, 2), older);
    }

    // Another workstation (A) stores the calls; this one lists them live and presses one. The
    // press writes only on the record of that call: that number, received at the row's time
    // give or take the seconds between the two clocks, and not another row's. A record not
    // stored yet (A waits for a lock a real process holds; this workstation's own call given
    // up after a write error) refuses the claim and touches no other call.
    void claimTakesOnlyTheCallPressed_data()
    {
        QTest::addColumn<QString>("stored"); // times of A's records of the number, before the press
        QTest::addColumn<QString>("live");   // times of the rows listed here, oldest first
        QTest::addColumn<QString>("how");    // "" / "locked": A's write waits / "given up": own call
        QTest::addColumn<int>("pressed");    // the row pressed (1: the newest)
        QTest::addColumn<QString>("claimed"); // the record that gets the name, "" for none
        QTest::newRow("A's write waits for a lock") << "14:00:00" << "14:05:09" << "locked" << 1 << "";
        QTest::newRow("stored by A a moment later") << "14:00:00,14:05:11" << "14:05:09" << "" << 1 << "14:05:11";
        QTest::newRow("stored by a clock running behind") << "14:05:05" << "14:05:09" << "" << 1 << "14:05:05";
        QTest::newRow("the older of two live rows") << "14:05:10,14:05:21" << "14:05:09,14:05:20" << "" << 2
                                                    << "14:05:10";
        QTest::newRow("the newer of two live rows") << "14:05:10,14:05:21" << "14:05:09,14:05:20" << "" << 1
                                                    << "14:05:21";
        QTest::newRow("the older row's record not stored yet") << "14:05:21" << "14:05:09,14:05:20" << "" << 2 << "";
        QTest::newRow("a call from that number 12 seconds before") << "14:04:57" << "14:05:09" << "" << 1 << "";
        QTest::newRow("own call given up after a write error") << "14:00:00" << "14:05:09" << "given up" << 1 << "";
        // this clock runs 3 seconds ahead of A's; the caller rang again 5 seconds later
        QTest::newRow("ahead: the older of two calls 5 s apart") << "14:05:06,14:05:11" << "14:05:09,14:05:14" << ""
                                                                  << 2 << "14:05:06";
        QTest::newRow("ahead: the newer of two calls 5 s apart") << "14:05:06,14:05:11" << "14:05:09,14:05:14" << ""
                                                                  << 1 << "14:05:11";
        QTest::newRow("behind: the newer of two calls 5 s apart") << "14:05:12,14:05:17" << "14:05:09,14:05:14" << ""
                                                                   << 1 << "14:05:17";
        QTest::newRow("A's clock past midnight already") << "2024-03-21 00:00:03" << "23:59:58" << "" << 1 << "00:00:03";
        QTest::newRow("ahead: the newer one's record not stored yet") << "14:05:06" << "14:05:09,14:05:14" << ""
                                                                       << 2 << "14:05:06";
    }
    void claimTakesOnlyTheCallPressed()
    {
        QFETCH(QString, stored);
        QFETCH(QString, live);
        QFETCH(QString, how);
        QFETCH(int, pressed);
        QFETCH(QString, claimed);
        const QString number = QStringLiteral("0519998888");
        Fixture f(QString::fromUtf8(kParties));
        QTime clock(14, 5, 9);
        platform::setClock([&clock] { return QDateTime(QDate(2024, 3, 20), clock); });
        auto w = f.start(true);
        QVERIFY(w);
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        w->cmdTelList_Click(); // open before A's records: only the live rows are listed
        auto stationA = dao::Database::open(f.dbFile);
        for (const QString& t : stored.split(QLatin1Char(','), Qt::SkipEmptyParts)) // [date ]time
            stationA->execute(QStringLiteral("INSERT INTO tellist (sdate, stime, stel, cname, sdam) VALUES (?, ?, ?, '', '')"),
                              {t.contains(QLatin1Char(' ')) ? t.section(QLatin1Char(' '), 0, 0) : QStringLiteral("2024-03-20"),
                               t.section(QLatin1Char(' '), -1), number});
        const QStringList before = f.calls();
        std::unique_ptr<QProcess> holder;
        if (!how.isEmpty()) {
            if (how == QLatin1String("given up"))
                stationA->execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON tellist WHEN NEW.stel = '")
                                  + number + QStringLiteral("' BEGIN SELECT RAISE(ABORT, 'refused'); END"));
            holder = testsupport::Workstations::holdWrite(f.dbFile, 120000);
            QVERIFY(holder->readLine().startsWith("held=1"));
        }
        for (const QString& t : live.split(QLatin1Char(','))) {
            clock = QTime::fromString(t, QStringLiteral("HH:mm:ss"));
            client->HandleDatagram(number.toLatin1(), how == QLatin1String("given up") ? client->LocalIP()
                                                                                    : QStringLiteral("10.1.2.3"));
        }
        if (how == QLatin1String("given up")) {
            holder->kill();
            QVERIFY(holder->waitForFinished(5000));
            QTRY_COMPARE_WITH_TIMEOUT(f.prompter->messages().size(), 1, 5000); // the write error
        }
        FrmTelList* list = FrmTelList::Instance();
        QVERIFY(list);
        platform::SpreadGrid* today = list->spList[0];
        QCOMPARE(today->GetText(2, pressed), live.split(QLatin1Char(',')).value(live.count(QLatin1Char(',')) + 1 - pressed));
        list->txtMyName->setText(QStringLiteral("Kim"));
        f.prompter->clear();
        list->spList_ButtonClicked(0, 5, pressed, 0);
        QStringList expected = before;
        for (QString& c : expected)
            if (c.section(QLatin1Char('|'), 1, 1) == claimed)
                c += QStringLiteral("Kim");
        QCOMPARE(f.calls(), expected);
        if (claimed.isEmpty()) {
            QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("아직 저장되지 않은 전화입니다. 잠시 후 다시 누르세요."));
            QCOMPARE(today->GetText(5, pressed), QString());
        } else {
            QCOMPARE(f.prompter->messages().size(), 0);
            QCOMPARE(today->GetText(5, pressed), QStringLiteral("Kim"));
        }
    }

    // A lock that never frees: the close waits once, up to the usual limit, for all the
    // waiting calls together, then one message names every call of this workstation that
    // could not be stored, with its time. Calls not shown yet (even reading had to wait) and
    // calls shown whose record waits alike.
    void closingUnderALockThatNeverFrees_data()
    {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("callsDuringTheWait"); // two more calls sent while the close waits
        QTest::addColumn<int>("calls");               // calls received before the close
        QTest::newRow("reading waits too") << QStringLiteral("hold") << false << 3;
        QTest::newRow("writing waits") << QStringLiteral("holdwrite") << false << 3;
        QTest::newRow("a read that never ends") << QStringLiteral("holdread") << false << 3;
        QTest::newRow("calls during the wait, reading waits") << QStringLiteral("hold") << true << 3;
        QTest::newRow("calls during the wait, writing waits") << QStringLiteral("holdwrite") << true << 3;
        QTest::newRow("more calls than the screen is tall") << QStringLiteral("holdwrite") << false << 70;
    }
    void closingUnderALockThatNeverFrees()
    {
        QFETCH(QString, holder);
        QFETCH(bool, callsDuringTheWait);
        QFETCH(int, calls);
        const bool exclusive = holder == QLatin1String("hold");
        Fixture f(QString::fromUtf8(kParties));
        QTime clock(14, 5, 9);
        platform::setClock([&clock] { return QDateTime(QDate(2024, 3, 20), clock); });
        constexpr int kLimitMs = 2000;
        dao::Database::setDefaultBusyLimit(kLimitMs);
        const auto restoreLimit = qScopeGuard([] { dao::Database::setDefaultBusyLimit(-1); });
        auto w = f.start(true);
        QVERIFY(w);
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        auto locker = holder == QLatin1String("holdwrite")
            ? testsupport::Workstations::holdWrite(f.dbFile, 120000)
            : testsupport::Workstations::holdLock(f.dbFile, 120000, exclusive);
        QVERIFY(locker->readLine().startsWith("held=1"));
        QStringList numbers{QStringLiteral("0311112222"), QStringLiteral("01077778888"), QStringLiteral("025551234")};
        while (numbers.size() < calls)
            numbers << QStringLiteral("0311%1").arg(numbers.size(), 6, 10, QLatin1Char('0'));
        for (int i = 0; i < numbers.size(); ++i) {
            clock = QTime(14, 5, 10).addSecs(i);
            client->HandleDatagram(numbers[i].toLatin1(), own);
        }
        client->HandleDatagram("0299998888", QStringLiteral("10.1.2.3")); // another workstation's to store
        QCOMPARE(w->cmbGetRinglet->count(), exclusive ? 0 : calls + 1);
        f.prompter->modalAnswers.enqueue([](QDialog& d) {
            if (auto* b = qobject_cast<frmMsgBackUp*>(&d))
                b->cmdResult(2)->click(); // close without a backup
            return d.result();
        });
        QString shown, fault; // what the window naming the calls holds, and how it fails the screen
        int windows = 0;
        f.prompter->modalAnswers.enqueue([&](QDialog& d) {
            auto* named = qobject_cast<FrmCallsNotStored*>(&d);
            if (!named)
                return int(QDialog::Rejected);
            ++windows;
            QStringList lines{named->lblHeading->text()};
            for (int i = 0; i < named->lstCalls->count(); ++i)
                lines << named->lstCalls->item(i)->text();
            shown = lines.join(QLatin1Char('\n'));
            fault = callsWindowFault(named);
            return int(QDialog::Accepted);
        });
        QStringList numbersDuringTheWait;
        QTimer during; // sends while the close waits, never after the test
        during.setSingleShot(true);
        if (callsDuringTheWait) {
            numbersDuringTheWait = {QStringLiteral("0512223333"), QStringLiteral("0513334444")};
            during.start(300);
            connect(&during, &QTimer::timeout, [&] {
                clock = QTime(14, 5, 20);
                for (const QString& n : std::as_const(numbersDuringTheWait))
                    if (!sendFrom(own, client->BoundPort(), n.toLatin1()))
                        numbersDuringTheWait.clear();
            });
        }
        QElapsedTimer closing;
        closing.start();
        w->close();
        const qint64 ms = closing.elapsed();
        if (callsDuringTheWait && numbersDuringTheWait.isEmpty())
            QSKIP("cannot send from the workstation's own address here");
        for (const QString& n : std::as_const(numbersDuringTheWait)) {
            QVERIFY2(shown.contains(n + QStringLiteral("  2024-03-20 14:05:20")), qPrintable(shown));
            QVERIFY(f.readLog().contains(n + QStringLiteral(", R:") + own));
        }
        QCOMPARE(locker->state(), QProcess::Running);
        qInfo("close: %lld ms with a limit of %d ms", ms, kLimitMs);
        QVERIFY2(ms < 2 * kLimitMs, qPrintable(QString::number(ms)));
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(windows, 1);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        const QString text = shown;
        for (int i = 0; i < numbers.size(); ++i)
            QVERIFY2(text.contains(numbers[i] + QStringLiteral("  2024-03-20 ")
                                   + QTime(14, 5, 10).addSecs(i).toString(QStringLiteral("HH:mm:ss"))),
                     qPrintable(text));
        QVERIFY2(!text.contains(QStringLiteral("0299998888")), qPrintable(text));
        locker->kill();
        QVERIFY(locker->waitForFinished(5000));
        QCOMPARE(f.calls(), QStringList());
    }

    // Parties saved through the editor; a call finds a party whose number has the caller's
    // part after the area code (middle and last parts alike), and a number with a country
    // code other than Korea's only a number of that country. The party holding the caller's
    // whole number comes first. The name goes into the panel, the history and the record.
    void callerIsFiledUnderItsOwnParty_data()
    {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("name");
        QTest::newRow("another middle part") << QStringLiteral("010-2555-1234") << QString();
        QTest::newRow("a middle part ending alike") << QStringLiteral("010-1555-1234") << QString();
        QTest::newRow("a middle part one digit longer") << QStringLiteral("010-2888-9999") << QString();
        QTest::newRow("Beijing's number at home") << QStringLiteral("010-1234-5678") << QString();
        QTest::newRow("London's number at home") << QStringLiteral("010-7946-0958") << QString();
        QTest::newRow("London's number in another country") << QStringLiteral("+1 20 7946 0958") << QString();
        QTest::newRow("Beijing's number in another country") << QStringLiteral("+886 10 1234 5678") << QString();
        QTest::newRow("the whole number first") << QStringLiteral("031-555-1234") << QStringLiteral("수원가게");
        QTest::newRow("the whole number first, Seoul") << QStringLiteral("02-555-1234") << QStringLiteral("서울가게");
        QTest::newRow("the whole number with +82") << QStringLiteral("+82-31-555-1234") << QStringLiteral("수원가게");
        QTest::newRow("the whole number with 0082") << QStringLiteral("0082 2 555 1234") << QStringLiteral("서울가게");
        QTest::newRow("the whole number with +82 (0)") << QStringLiteral("+82 (0)31 555 1234") << QStringLiteral("수원가게");
        QTest::newRow("no whole number: the older party") << QStringLiteral("010-555-1234") << QStringLiteral("서울가게");
        QTest::newRow("the area code takes no part") << QStringLiteral("010-888-9999") << QStringLiteral("인천상회");
        QTest::newRow("Beijing") << QStringLiteral("+86 10 1234 5678") << QStringLiteral("北京贸易");
        QTest::newRow("Beijing through 0086") << QStringLiteral("0086-10-1234-5678") << QStringLiteral("北京贸易");
        QTest::newRow("London") << QStringLiteral("tel:+442079460958") << QStringLiteral("London Ltd");
        QTest::newRow("London through 001") << QStringLiteral("001-44-20-7946-0958") << QStringLiteral("London Ltd");
    }
    void callerIsFiledUnderItsOwnParty()
    {
        QFETCH(QString, number);
        QFETCH(QString, name);
        Fixture f;
        auto w = f.startMain();
        QVERIFY(w);
        const struct { const char* name; int box; const char* typed; } saved[] = {
            {"서울가게", 1, "02-555-1234"},      {"수원가게", 1, "031-555-1234"},
            {"인천상회", 6, "032-888-9999"},     {"北京贸易", 2, "+86 10 1234 5678"},
            {"London Ltd", 1, "+44 20 7946 0958"},
        };
        for (const auto& p : saved)
            QVERIFY(saveSalesParty(p.name, p.box, p.typed) > 0);
        bool mine = true;
        QVERIFY(w->InputFromRinglet(number, mine));
        QCOMPARE(w->pnlinfo2[0]->text(), name);
        QVERIFY2(w->cmbGetRinglet->itemText(0).contains(QStringLiteral(":09 ") + name + QStringLiteral(" [제품: ")),
                 qPrintable(w->cmbGetRinglet->itemText(0)));
        QCOMPARE(f.calls(), QStringList{QStringLiteral("2024-03-20|14:05:09|") + number + QLatin1Char('|') + name
                                        + QLatin1Char('|')});
        QCOMPARE(f.prompter->messages().size(), 0);
    }

    void anotherWorkstationsCallIsShownNotStored()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.startMain();
        QVERIFY(w);
        w->cmdTelList_Click();
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        client->HandleDatagram("025551234", QStringLiteral("10.1.2.3"));
        QCOMPARE(f.readLog(), QStringLiteral("025551234, R:10.1.2.3, L:") + own + QStringLiteral("\r\n"));
        QCOMPARE(f.calls(), QStringList());
        FrmTelList* list = FrmTelList::Instance();
        QCOMPARE(list->spList[0]->MaxRows(), 1);
        QCOMPARE(list->spList[0]->GetText(4, 1), QStringLiteral("이가게"));
        // the same datagram from this workstation is stored
        client->HandleDatagram("025551234", own);
        QCOMPARE(f.calls().size(), 1);
    }

    void lookupMatchesTheEndOfTheNumberOnly()
    {
        Fixture f(QString::fromUtf8(kParties));
        f.openDb();
        auto lookup = [](const QString& number) {
            QVariantList params;
            const QString sql = CallerLookupSql(number, params);
            auto rs = gDB->openRecordset(sql, dao::dbOpenSnapshot, params);
            return ReadCaller(*rs, number).parties;
        };
        // 02-555-12345 and 555-1234-9 contain the number but do not end with it
        QCOMPARE(lookup(QStringLiteral("025551234")), (QStringList{QStringLiteral("이가게"), QStringLiteral("김상회")}));
        // the area code takes no part: a mobile number with the same local part finds them too,
        // the party holding that very number first
        QCOMPARE(lookup(QStringLiteral("0105551234")), (QStringList{QStringLiteral("김상회"), QStringLiteral("이가게")}));
        // a party without vouchers is found through its mobile column
        QCOMPARE(lookup(QStringLiteral("01077778888")), QStringList{QStringLiteral("오'브라이언")});
        // the same mobile number in its international form
        QCOMPARE(lookup(QStringLiteral("+82-10-7777-8888")), QStringList{QStringLiteral("오'브라이언")});
        QCOMPARE(lookup(QStringLiteral("0299998888")), QStringList());
        // 0082 is +82; a number held with wide digits and a word after it is still its digits
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo, tel2, tel3, tel4,"
                                    " tel5, tel6) VALUES (20, '한국상사', '', '010-1234-5678', '', '', '', '', '', '', '', ''),"
                                    " (21, '넓은상회', '', '', '', '', '', '', '', '', '', '０３１－７７７－６６６６ 내선')"));
        for (const char* number : {"00821012345678", "0082-10-1234-5678", "tel:+82-10-1234-5678"})
            QCOMPARE(lookup(QString::fromLatin1(number)), QStringList{QStringLiteral("한국상사")});
        QCOMPARE(lookup(QStringLiteral("0317776666")), QStringList{QStringLiteral("넓은상회")});
    }

    void unusableAndUnknownNumbers()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.startMain();
        QVERIFY(w);
        QString telno = QStringLiteral("12345");
        bool mine = true;
        QVERIFY(w->InputFromRinglet(telno, mine));
        QCOMPARE(w->pnlinfoSales->text(), QStringLiteral("알수 없는 전화번호 형식입니다.(12345)"));
        QCOMPARE(w->cmbGetRinglet->count(), 0);
        QCOMPARE(f.calls(), QStringList());
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmTelList")));

        telno = QStringLiteral("0311112222");
        QVERIFY(w->InputFromRinglet(telno, mine));
        QCOMPARE(w->cmbGetRinglet->itemText(0),
                 QStringLiteral("031-111-2222   2024-03-20 14:05:09  [제품: 등록되지 않은 전화번호 입니다.(0311112222)]"));
        QCOMPARE(w->pnlinfo2[0]->text(), QString());
        QCOMPARE(f.calls(), QStringList{QStringLiteral("2024-03-20|14:05:09|0311112222||")});

        telno.clear();
        QVERIFY(!w->InputFromRinglet(telno, mine));
        QCOMPARE(w->cmbGetRinglet->count(), 1);
    }

    void searchTextBeingTypedIsKept()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.startMain();
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->txtCName->setFocus();
        w->txtCName->setText(QStringLiteral("김"));
        QString telno = QStringLiteral("025551234");
        bool mine = false;
        w->InputFromRinglet(telno, mine);
        QCOMPARE(w->txtCName->text(), QStringLiteral("김"));
        QCOMPARE(w->pnlinfo2[0]->text(), QStringLiteral("이가게"));
    }

    // The caller history drops down at the newest call, opened with the mouse or the keys,
    // and the box keeps showing the number as received.
    void historyOpensAtTheNewestCall()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.start(true);
        QVERIFY(w);
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        QComboBox* cmb = w->cmbGetRinglet;
        const auto callFrom = [&](int i) {
            client->HandleDatagram("0311" + QByteArray::number(100000 + i), QStringLiteral("10.1.2.3"));
        };
        for (int i = 1; i <= 40; ++i)
            callFrom(i);
        QCOMPARE(cmb->count(), 40);
        QVERIFY(cmb->itemText(0).startsWith(QStringLiteral("031-110-0040")));
        QCOMPARE(cmb->currentText(), QStringLiteral("0311100040"));
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));

        const auto expectNewestOnTop = [cmb](const QString& newest) {
            QTRY_VERIFY(cmb->view()->isVisible());
            QCOMPARE(cmb->view()->currentIndex().row(), 0);
            QCOMPARE(cmb->view()->indexAt(QPoint(4, 4)).row(), 0);
            QVERIFY(cmb->view()->currentIndex().data().toString().startsWith(newest));
            QTest::keyClick(cmb->view(), Qt::Key_Escape);
            QTRY_VERIFY(!cmb->view()->isVisible());
        };
        // the mouse on the arrow
        QStyleOptionComboBox opt;
        opt.initFrom(cmb);
        opt.editable = true;
        opt.frame = true;
        const QRect arrow = cmb->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, cmb);
        QTest::mouseClick(cmb, Qt::LeftButton, Qt::NoModifier, arrow.center());
        expectNewestOnTop(QStringLiteral("031-110-0040"));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(cmb->currentText(), QStringLiteral("0311100040"));

        // one more call, then the keys
        callFrom(41);
        QCOMPARE(cmb->currentText(), QStringLiteral("0311100041"));
        QTest::mouseClick(cmb->lineEdit(), Qt::LeftButton);
        QTest::keyClick(cmb->lineEdit(), Qt::Key_Down, Qt::AltModifier);
        expectNewestOnTop(QStringLiteral("031-110-0041"));
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(cmb->currentText(), QStringLiteral("0311100041"));

        // A line picked from the history shows from its beginning, where the number is.
        const auto expectLineFromItsStart = [cmb](int row) {
            QTRY_VERIFY(!cmb->view()->isVisible());
            QCOMPARE(cmb->currentText(), cmb->itemText(row));
            QVERIFY(cmb->fontMetrics().horizontalAdvance(cmb->currentText()) > cmb->lineEdit()->width());
            QCOMPARE(cmb->lineEdit()->cursorPosition(), 0);
            QVERIFY(cmb->lineEdit()->inputMethodQuery(Qt::ImCursorRectangle).toRect().left() < cmb->fontMetrics().averageCharWidth() * 2);
            // what the box draws: the line from its first character on, the number in sight
            const QList<testsupport::DrawnTextRun> runs = testsupport::drawnText(cmb->lineEdit());
            QCOMPARE(runs.size(), 1);
            QCOMPARE(runs.first().text, cmb->itemText(row));
            QVERIFY(runs.first().box.left() >= 0);
            QVERIFY(runs.first().box.left() + cmb->fontMetrics().horizontalAdvance(cmb->itemText(row).left(13))
                    < cmb->lineEdit()->width());
        };
        // with the keys: the second line
        QTest::keyClick(cmb->lineEdit(), Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(cmb->view()->isVisible());
        QTest::keyClick(cmb->view(), Qt::Key_Down);
        QTest::keyClick(cmb->view(), Qt::Key_Return);
        expectLineFromItsStart(1);
        if (QTest::currentTestFailed())
            return;
        // with the mouse: the third line
        QTest::mouseClick(cmb, Qt::LeftButton, Qt::NoModifier, arrow.center());
        QTRY_VERIFY(cmb->view()->isVisible());
        const QRect third = cmb->view()->visualRect(cmb->model()->index(2, 0));
        QTest::qWait(QApplication::doubleClickInterval() + 50); // a click at once only closes it
        QTest::mouseMove(cmb->view()->viewport(), third.center());
        QTest::mouseClick(cmb->view()->viewport(), Qt::LeftButton, Qt::NoModifier, third.center());
        expectLineFromItsStart(2);
    }

    void checkBoxSwitchesTheClient()
    {
        Fixture f;
        auto w = f.startMain();
        QVERIFY(w);
        auto ringletUse = [] {
            return platform::GetSetting(gsTitle, QStringLiteral("Registration"), QStringLiteral("RingletUse"));
        };
        // hidden window: a click changes nothing
        w->chkUseRinglet->click();
        QCOMPARE(ringletUse(), QString());
        QVERIFY(!FrmRCidClient::Instance());

        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        w->chkUseRinglet->setChecked(false);
        w->chkUseRinglet->click(); // on
        QCOMPARE(ringletUse(), QStringLiteral("1"));
        QVERIFY(FrmRCidClient::Instance() && FrmRCidClient::Instance()->IsBound());
        const quint16 port = FrmRCidClient::Instance()->BoundPort();
        w->chkUseRinglet->click(); // off: the socket closes
        QCOMPARE(ringletUse(), QStringLiteral("0"));
        QVERIFY(!FrmRCidClient::Instance());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        {
            QUdpSocket probe; // the port is free again
            QVERIFY(probe.bind(QHostAddress::AnyIPv4, port));
        }
        w->chkUseRinglet->click(); // on again: bound anew
        QCOMPARE(ringletUse(), QStringLiteral("1"));
        QVERIFY(FrmRCidClient::Instance()->IsBound());
        // closing the main window unloads the client with it
        f.prompter->modalAnswers.enqueue([](QDialog& d) {
            if (auto* b = qobject_cast<frmMsgBackUp*>(&d))
                b->cmdResult(2)->click(); // close without a backup
            return d.result();
        });
        w->close();
        QVERIFY(!FrmRCidClient::Instance());
    }

    void portInUseIsReportedAndTheClientStaysLoaded()
    {
        Fixture f;
        QUdpSocket holder;
        QVERIFY(holder.bind(QHostAddress::AnyIPv4, 0));
        FrmRCidClient::SetListenPort(holder.localPort());
        FrmRCidClient* c = FrmRCidClient::Load({});
        QVERIFY(c);
        QVERIFY(!c->IsBound());
        QVERIFY(f.prompter->lastMessage().text.startsWith(QStringLiteral("Error 10048 (")));
        QVERIFY(f.prompter->lastMessage().text.endsWith(QStringLiteral(") in procedure Form_Load of Form FrmRCidClient")));
        QVERIFY(IsFormLoaded(QStringLiteral("FrmRCidClient")));
    }

    void serverProgramSendsToTheClient()
    {
        Fixture f;
        FrmRCidClient::SetListenPort(FrmRCidClient::kDefaultPort);
        {
            QUdpSocket probe;
            if (!probe.bind(QHostAddress::AnyIPv4, FrmRCidClient::kDefaultPort))
                QSKIP("port 16580 is taken by another program");
        }
        QStringList got;
        QList<bool> mine;
        FrmRCidClient* c = FrmRCidClient::Load([&got, &mine](QString& t, bool& m) {
            got << t;
            mine << m;
            return true;
        });
        QVERIFY(c->IsBound());
        QCOMPARE(c->BoundPort(), FrmRCidClient::kDefaultPort);
        QProcess p;
        p.start(QStringLiteral(TRELVO_BINARY_DIR "/bin/CIDsvr"), {QStringLiteral("0212345678")});
        QVERIFY(p.waitForFinished(10000));
        QCOMPARE(p.exitCode(), 0);
        p.start(QStringLiteral(TRELVO_BINARY_DIR "/bin/CIDsvr"), {});
        QVERIFY(p.waitForStarted(10000));
        p.write("01011112222\n\n0313334444\n");
        p.closeWriteChannel();
        QVERIFY(p.waitForFinished(10000));
        QTRY_COMPARE_WITH_TIMEOUT(got.size(), 3, 5000);
        QCOMPARE(got, (QStringList{QStringLiteral("0212345678"), QStringLiteral("01011112222"), QStringLiteral("0313334444")}));
        // sent from the workstation's own address: the client stores these calls as its own
        QCOMPARE(mine, (QList<bool>{true, true, true}));
    }

    // Calls handled while the day's list already holds 100 or 20,000 calls of today (a quarter
    // of them from each of two callers of the batches), the call list open: each call is
    // stored and listed. The two sizes take turns, a few batches each, and the medians of the
    // time a call takes are reported for both. Each stored call is committed without waiting
    // for the disk: that wait is the disk's, the same for any list.
    void callsAreHandledOnALongDay()
    {
        Fixture f(QString::fromUtf8(kParties));
        auto w = f.startMain();
        QVERIFY(w);
        gDB->execute(QStringLiteral("PRAGMA synchronous = OFF"));
        FrmRCidClient* client = FrmRCidClient::Load([&w](QString& t, bool& m) { return w->InputFromRinglet(t, m); });
        const QString own = client->LocalIP();
        auto other = dao::Database::open(f.dbFile);
        const auto storeToday = [&other](int count) {
            other->execute(QStringLiteral("DELETE FROM tellist"));
            other->execute(QStringLiteral(
                "INSERT INTO tellist (sdate, stime, stel, cname, sdam)"
                " WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?)"
                " SELECT '2024-03-20', printf('%02d:%02d:%02d', 8 + (i / 3600) % 6, (i / 60) % 60, i % 60),"
                " CASE i % 4 WHEN 0 THEN '025551234' WHEN 1 THEN '0311000007' ELSE printf('0311%06d', i % 300) END,"
                " CASE i % 4 WHEN 0 THEN '이가게' ELSE '' END,"
                " CASE WHEN i % 3 = 0 THEN '홍길동' ELSE '' END FROM n"), {count});
        };
        static const char* const numbers[] = {"025551234", "0311000007", "01077778888", "0299998888"};
        QMap<int, QList<double>> perCall; // list size -> ms per call of each batch
        int sent = 0;
        for (int round = 0; round < 3; ++round) {
            for (int stored : {100, 20000}) {
                if (FrmTelList* list = FrmTelList::Instance())
                    list->close();
                QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
                storeToday(stored);
                w->cmdTelList_Click(); // the list opens with today's calls
                QCOMPARE(FrmTelList::Instance()->spList[0]->MaxRows(), stored);
                for (int b = 0; b < 3; ++b) {
                    QElapsedTimer t;
                    t.start();
                    for (int i = 0; i < 20; ++i, ++sent)
                        client->HandleDatagram(numbers[sent % 4], own);
                    perCall[stored] << double(t.nsecsElapsed()) / 20.0 / 1e6;
                }
                QCOMPARE(FrmTelList::Instance()->spList[0]->MaxRows(), stored + 60);
            }
        }
        QCOMPARE(f.calls().size(), 20000 + 60);
        QCOMPARE(f.prompter->messages().size(), 0);
        const auto median = [](QList<double> v) {
            std::sort(v.begin(), v.end());
            return v.at(v.size() / 2);
        };
        const double shortDay = median(perCall[100]);
        const double longDay = median(perCall[20000]);
        qInfo("per call: %.3f ms with 100 calls of today stored, %.3f ms with 20000", shortDay, longDay);
    }

    void serverStartedInTheBackgroundLeavesTheTerminalAlone()
    {
        // Started by the main program, the server has no terminal of its own; the one it
        // inherits as standard input belongs to the user's shell and is not read.
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0)
            QSKIP("no pseudo terminal here");
        const QByteArray slave = ptsname(master);
        QProcess p;
        p.setChildProcessModifier([slave] {
            setsid();
            const int fd = ::open(slave.constData(), O_RDWR | O_NOCTTY);
            if (fd >= 0)
                dup2(fd, STDIN_FILENO);
        });
        p.start(QStringLiteral(TRELVO_BINARY_DIR "/bin/CIDsvr"), {});
        const bool ended = p.waitForFinished(5000);
        if (!ended)
            p.kill();
        ::close(master);
        QVERIFY(ended);
        QCOMPARE(p.exitCode(), 0);
    }
};

QTEST_MAIN(tst_incomingCall)
#include "tst_incomingCall.moc"
