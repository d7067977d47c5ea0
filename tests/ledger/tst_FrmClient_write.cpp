#include "NameListFixture.h"
#include "LedgerFixture.h"

#include "frame/FrmPost.h"
#include "ledger/FrmClient_Sel.h"
#include "ledger/FrmClient_write.h"
#include "ledger/frmMain.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"

#include <QCheckBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QSemaphore>
#include <QTableView>
#include <QThread>
#include <QtTest>

// The postal list as the editor opens it modally: shown and active, as the user meets it.
static FrmPost* showPostalList(QDialog& d)
{
    auto* post = qobject_cast<FrmPost*>(&d);
    if (!post)
        return nullptr;
    post->show();
    QApplication::setActiveWindow(post);
    return QTest::qWaitForWindowActive(post) ? post : nullptr;
}

// Records the call-backs of the editor, as a calling window receives them.
class CallBackSink : public QObject {
    Q_OBJECT
public:
    struct Call { qint64 code; int kind; bool add; };
    QList<Call> calls;
    Q_INVOKABLE void SyncUpdateClient(qint64 ncode, int nBusiMode, bool bAdd = false)
    {
        calls << Call{ncode, nBusiMode, bAdd};
    }
};

// The party editor: numbering under one write lock, the byte limit of the name, the
// duplicate and rename questions, the call-back and the main window's edit button.
class tst_FrmClient_write : public QObject {
    Q_OBJECT

    std::unique_ptr<namelisttest::Fixture> f;
    testsupport::ScriptedPrompter* prompter = nullptr;
    QString dbFile;

    QVariant scalar(const QString& sql, const QVariantList& params = {}) { return gDB->scalar(sql, params); }

    // An editor for a new party of the kind, name typed in.
    static void fillNew(FrmClient_write& w, int kind, const QString& name)
    {
        w.AddEditMode(1);
        w.busiMode(kind);
        w.txtInput[0]->setText(name);
    }
    // An editor opened on a stored party, as the list and the main window open it; with a
    // name given, that name is typed over the loaded one.
    static void openEdit(FrmClient_write& w, int kind, qint64 id, const QString& name = QString())
    {
        w.AddEditMode(2);
        w.busiMode(kind);
        w.CCode(id);
        if (!name.isNull())
            w.txtInput[0]->setText(name);
    }

    // Types text as the keyboard does: ASCII by key, anything else (Hangul, full-width
    // characters) as the input method commits it.
    static void typeKeys(QWidget* box, const QString& text)
    {
        for (QChar c : text) {
            if (c.unicode() < 0x80) {
                QTest::keyClick(box, c.toLatin1());
            } else {
                QInputMethodEvent commit;
                commit.setCommitString(QString(c));
                QApplication::sendEvent(box, &commit);
            }
        }
    }

    bool savedMessageShown() const
    {
        for (const auto& c : prompter->calls)
            if (c.kind == QLatin1String("modal") && c.title == QLatin1String("FrmFloatMsg"))
                return true;
        return false;
    }

private slots:
    void init()
    {
        f = std::make_unique<namelisttest::Fixture>();
        QVERIFY(f->ok);
        prompter = &f->prompter;
        dbFile = gDB->name();
    }
    void cleanup() { f.reset(); }

    void newPartiesTakeTheNextIdAndWriteEmptyTexts()
    {
        CallBackSink sink;
        FrmClient_write w;
        fillNew(w, 1, QStringLiteral("첫거래처"));
        w.CallForm(&sink);
        w.btnSave_Click();
        QCOMPARE(w.CCode(), qint64(1)); // first party of an empty table
        QCOMPARE(w.CName(), QStringLiteral("첫거래처"));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(savedMessageShown());
        QCOMPARE(sink.calls.size(), 1);
        QCOMPARE(sink.calls[0].code, qint64(1));
        QCOMPARE(sink.calls[0].kind, 1);
        QVERIFY(sink.calls[0].add);
        // empty boxes are zero-length texts, never Null
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maechul WHERE id = 1 AND tel = '' AND tel6 = ''"
                                       " AND memo = '' AND phone IS NOT NULL")).toInt(), 1);

        // ids above 16 bits go on counting
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (41000, 'x')"));
        FrmClient_write w2;
        fillNew(w2, 1, QStringLiteral("O'Neil & Co"));
        w2.btnSave_Click();
        QCOMPARE(w2.CCode(), qint64(41001));
        QCOMPARE(scalar(QStringLiteral("SELECT name FROM maechul WHERE id = 41001")).toString(), QStringLiteral("O'Neil & Co"));
        // the other kind numbers on its own
        FrmClient_write w3;
        fillNew(w3, 0, QStringLiteral("공급사"));
        w3.btnSave_Click();
        QCOMPARE(w3.CCode(), qint64(1));
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maeip")).toInt(), 1);
    }

    void numberIsTakenUnderTheWriteLock()
    {
        // Another workstation inserts the next number and holds its transaction open for a
        // moment: this save must wait and take the number after it, not the same one.
        QSemaphore locked;
        QThread* other = QThread::create([this, &locked] {
            auto db = dao::Database::open(dbFile);
            db->beginImmediate();
            db->execute(QStringLiteral("INSERT INTO maeip (id, name) VALUES (1, 'other')"));
            locked.release();
            QThread::msleep(400);
            db->commit();
        });
        other->start();
        locked.acquire();
        gDB->setBusyTimeout(10000);
        FrmClient_write w;
        fillNew(w, 0, QStringLiteral("mine"));
        w.btnSave_Click();
        other->wait();
        delete other;
        QVERIFY2(prompter->messages().isEmpty(), qPrintable(prompter->lastMessage().text));
        QCOMPARE(w.CCode(), qint64(2));
        QCOMPARE(scalar(QStringLiteral("SELECT name FROM maeip WHERE id = 2")).toString(), QStringLiteral("mine"));

        // A lock that is not released in time: the save fails visibly and writes nothing.
        auto holder = dao::Database::open(dbFile);
        holder->beginImmediate();
        gDB->setBusyTimeout(50);
        prompter->clear();
        CallBackSink sink;
        FrmClient_write w2;
        fillNew(w2, 0, QStringLiteral("blocked"));
        w2.CallForm(&sink);
        w2.btnSave_Click();
        holder->rollback();
        QVERIFY(prompter->lastMessage().text.startsWith(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.")));
        QCOMPARE(w2.CCode(), qint64(0));
        QVERIFY(sink.calls.isEmpty());
        QVERIFY(!savedMessageShown());
        QCOMPARE(w2.result(), 0); // the window stays open
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maeip WHERE name = 'blocked'")).toInt(), 0);
        // the next attempt numbers anew
        gDB->setBusyTimeout(5000);
        w2.btnSave_Click();
        QCOMPARE(w2.CCode(), qint64(3));
    }

    // An id once in use is never handed out again: not the id of a deleted party, whether a
    // voucher still names it or not, and not a code that vouchers hold without a party.
    void noIdIsHandedOutTwice()
    {
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (1, '하나'), (2, '둘')"));
        const auto deleteFromList = [this](int kind, const QString& name) {
            FrmClient_Sel list;
            list.mode(kind);
            if (list.FindRecords(name) != 1)
                return false;
            list.spList->SetActiveCell(1, 1);
            prompter->msgAnswers << platform::AnswerYes;
            list.cmdDel_Click();
            return list.spList->MaxRows() == 0;
        };
        const auto addNew = [](int kind, const QString& name) {
            FrmClient_write w;
            fillNew(w, kind, name);
            w.btnSave_Click();
            return w.CCode();
        };
        QVERIFY(deleteFromList(1, QStringLiteral("둘"))); // stored before, no voucher
        QCOMPARE(addNew(1, QStringLiteral("셋")), qint64(3));
        QVERIFY(deleteFromList(1, QStringLiteral("셋"))); // made by the editor
        prompter->clear();
        QCOMPARE(addNew(1, QStringLiteral("넷")), qint64(4));

        // purchase codes of vouchers whose party is gone; the sales codes do not count here
        gDB->execute(QStringLiteral("INSERT INTO total (maechul_code, maechul_name, maeip_code, maeip_name) VALUES"
                                    " (70, '어디', 9, '옛공급사')"));
        QCOMPARE(addNew(0, QStringLiteral("공급사")), qint64(10));
        QCOMPARE(addNew(1, QStringLiteral("다섯")), qint64(71));
        QVERIFY(prompter->messages().isEmpty());

        // ids are 32-bit: the last one is given, the one after it refused
        gDB->execute(QStringLiteral("INSERT INTO maeip (id, name) VALUES (2147483646, '끝에서둘째')"));
        QCOMPARE(addNew(0, QStringLiteral("마지막")), qint64(2147483647));
        prompter->clear();
        CallBackSink sink;
        FrmClient_write w;
        fillNew(w, 0, QStringLiteral("넘침"));
        w.CallForm(&sink);
        w.btnSave_Click();
        QCOMPARE(prompter->lastMessage().text,
                 QStringLiteral("거래처 코드가 최대값(2,147,483,647)에 이르러 새 거래처를 등록할 수 없습니다."));
        QCOMPARE(w.CCode(), qint64(0));
        QCOMPARE(w.result(), 0); // the window stays open
        QVERIFY(sink.calls.isEmpty());
        QVERIFY(!savedMessageShown());
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maeip WHERE name = '넘침' OR id > 2147483647")).toInt(), 0);
    }

    // A voucher's party code held as text (imported files hold '') hides no numeric code:
    // the new party is numbered above the largest code by number, for both kinds.
    void textCodesOnVouchersHideNoCode()
    {
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (1, '하나'), (2, '둘')"));
        gDB->execute(QStringLiteral("INSERT INTO maeip (id, name) VALUES (1, '공급')"));
        gDB->execute(QStringLiteral("INSERT INTO total (maechul_code, maechul_name, maeip_code, maeip_name) VALUES"
                                    " (5, '옛거래처', 8, '옛공급사'), ('', '', '', ''), ('9abc', '', 'x', '')"));
        const auto addNew = [](int kind, const QString& name) {
            FrmClient_write w;
            fillNew(w, kind, name);
            w.btnSave_Click();
            return w.CCode();
        };
        QCOMPARE(addNew(1, QStringLiteral("셋")), qint64(6));
        QCOMPARE(addNew(0, QStringLiteral("새공급사")), qint64(9));
        QVERIFY(prompter->messages().isEmpty());
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maechul WHERE id = 6 AND name = '셋'")).toInt(), 1);
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maeip WHERE id = 9 AND name = '새공급사'")).toInt(), 1);
    }

    void nameLimitCountsCodePageBytes()
    {
        const QString hangul25 = QString(25, QChar(0xAC00)); // 가 x 25 = 50 bytes
        struct Case { QString name; bool saved; };
        const Case cases[] = {
            {hangul25, true},
            {QString(26, QChar(0xAC00)), false},               // 26 characters, 52 bytes
            {QString(24, QChar(0xAC00)) + QStringLiteral("ab"), true},  // 50 bytes
            {QString(24, QChar(0xAC00)) + QStringLiteral("abc"), false}, // 51 bytes
            {QString(50, QLatin1Char('x')), true},
            {QStringLiteral("   "), true}, // blanks are a name
        };
        for (const Case& c : cases) {
            prompter->clear();
            prompter->msgAnswers.enqueue(platform::AnswerYes); // a same-name question, if any
            FrmClient_write w;
            fillNew(w, 1, c.name);
            w.btnSave_Click();
            QCOMPARE(w.CCode() > 0, c.saved);
            if (!c.saved)
                QCOMPARE(prompter->lastMessage().text, QStringLiteral("상호명이 너무깁니다. 최대길이는 50(한글25자)입니다."));
        }
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maechul")).toInt(), 4);

        prompter->clear();
        FrmClient_write empty;
        fillNew(empty, 1, QString());
        empty.btnSave_Click();
        QCOMPARE(empty.CCode(), qint64(0));
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("[상호명]은(는) 필수 입력 사항입니다."));
    }

    void sameNameAsksWithNoAsDefault()
    {
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (5, '동명'), (6, '다른')"));
        FrmClient_write w;
        fillNew(w, 1, QStringLiteral("동명"));
        w.btnSave_Click(); // unscripted: No
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("이미 같은 이름이 등록 되어 있습니다.\r\n그래도, 저장하시겠습니까?"));
        QCOMPARE(prompter->lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(w.CCode(), qint64(0));
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maechul")).toInt(), 2);

        // editing keeps its own name without a question; another party of that name asks
        prompter->clear();
        FrmClient_write e;
        openEdit(e, 1, 6);
        e.btnSave_Click();
        QVERIFY(prompter->messages().isEmpty());
        QCOMPARE(e.CCode(), qint64(6));
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (7, '다른')"));
        FrmClient_write e2;
        openEdit(e2, 1, 6);
        e2.btnSave_Click();
        QCOMPARE(prompter->messages().size(), 1); // the same question
        QCOMPARE(e2.CCode(), qint64(0));
    }

    // Two workstations save a new party of the same name at the same moment: both counted no
    // such name before either had saved. The one that writes second sees the other's row
    // under the write lock and asks; answered No, the name is stored once.
    void sameNameFromTwoWorkstationsIsAskedAbout()
    {
        const QString name = QStringLiteral("동시손님");
        const QString question = QStringLiteral("msg:이미 같은 이름이 등록 되어 있습니다.\r\n그래도, 저장하시겠습니까?");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        QProcess station[2];
        for (QProcess& p : station) {
            p.setProcessEnvironment(env);
            p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
            p.start(QStringLiteral(TRELVO_BINARY_DIR "/tests/ledger_party_station"),
                    {dbFile, QStringLiteral("1"), name});
        }
        for (QProcess& p : station) {
            QVERIFY(p.waitForStarted(10000));
            QVERIFY(p.waitForReadyRead(20000));
            QCOMPARE(p.readLine().trimmed(), QByteArray("ready"));
        }
        // A third workstation is busy writing: both find no such name and wait for the lock.
        auto busy = dao::Database::open(dbFile);
        busy->beginImmediate();
        busy->execute(QStringLiteral("INSERT INTO maeip (id, name) VALUES (500, '다른일')"));
        for (QProcess& p : station) {
            p.write("go\n");
            p.waitForBytesWritten(5000);
        }
        QThread::msleep(800);
        busy->commit();

        QString out[2];
        for (int i = 0; i < 2; ++i) {
            QVERIFY(station[i].waitForFinished(20000));
            QCOMPARE(station[i].exitCode(), 0);
            out[i] = QString::fromUtf8(station[i].readAllStandardOutput());
        }
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maechul WHERE name = ?"), {name}).toInt(), 1);
        const qint64 id = scalar(QStringLiteral("SELECT id FROM maechul WHERE name = ?"), {name}).toLongLong();
        // one saved without a question, the other asked once and saved nothing
        const QString saved = QStringLiteral("code:%1\n").arg(id);
        const int saver = out[0] == saved ? 0 : 1;
        QCOMPARE(out[saver], saved);
        QCOMPARE(out[1 - saver], question + QStringLiteral("\ncode:0\n"));
    }

    void renameReachesOnlyThisPartysVouchersWhenAsked()
    {
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name, tel, tel3) VALUES (40000, '옛이름', '02-1', '031-3'),"
                                    " (2, '옛이름', '', '')"));
        gDB->execute(QStringLiteral("INSERT INTO total (maechul_code, maechul_name, maeip_code, maeip_name) VALUES"
                                    " (40000, '옛이름', 0, ''), (40000, '옛이름', 0, ''), (2, '옛이름', 0, ''),"
                                    " (0, '', 40000, '옛이름')"));
        const QString renameQuestion =
            QStringLiteral("전표에 이미 등록된 동일한 거래처의 이름도 변경 하시겠습니까?\r\n(동일 거래처코드만 변경)");

        // No (the default): the party changes, its vouchers keep the old name
        FrmClient_write w;
        openEdit(w, 1, 40000, QStringLiteral("새이름"));
        QVERIFY(!w.ChkContinueAdd->isVisibleTo(&w));
        w.btnSave_Click();
        QCOMPARE(prompter->lastMessage().text, renameQuestion);
        QCOMPARE(prompter->lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(scalar(QStringLiteral("SELECT name FROM maechul WHERE id = 40000")).toString(), QStringLiteral("새이름"));
        QCOMPARE(scalar(QStringLiteral("SELECT tel3 FROM maechul WHERE id = 40000")).toString(), QStringLiteral("031-3"));
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM total WHERE maechul_name = '옛이름'")).toInt(), 3);

        // Yes: only the vouchers with this party's sales code follow
        prompter->clear();
        FrmClient_write y;
        openEdit(y, 1, 40000, QStringLiteral("새이름2"));
        prompter->msgAnswers << platform::AnswerYes;
        y.btnSave_Click();
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("전표에서 2건의 자료가 변경되었습니다."));
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM total WHERE maechul_code = 40000 AND maechul_name = '새이름2'")).toInt(), 2);
        QCOMPARE(scalar(QStringLiteral("SELECT maechul_name FROM total WHERE maechul_code = 2")).toString(), QStringLiteral("옛이름"));
        QCOMPARE(scalar(QStringLiteral("SELECT maeip_name FROM total WHERE maeip_code = 40000")).toString(), QStringLiteral("옛이름"));

        // an unchanged name asks nothing; a change of letter case is a change
        gDB->execute(QStringLiteral("INSERT INTO maeip (id, name) VALUES (9, 'abc')"));
        prompter->clear();
        FrmClient_write same;
        openEdit(same, 0, 9);
        same.btnSave_Click();
        QVERIFY(prompter->messages().isEmpty());
        FrmClient_write cased;
        openEdit(cased, 0, 9, QStringLiteral("ABC"));
        cased.btnSave_Click();
        QCOMPARE(prompter->lastMessage().text, renameQuestion);
    }

    void editOfAVanishedRowWritesItBackUnderItsId()
    {
        gDB->execute(QStringLiteral("INSERT INTO maeip (id, name) VALUES (33000, '사라진곳')"));
        FrmClient_write w;
        openEdit(w, 0, 33000);
        gDB->execute(QStringLiteral("DELETE FROM maeip WHERE id = 33000")); // another workstation
        w.txtInput[1]->setText(QStringLiteral("0212345678"));
        w.txtInput_Validate(1);
        QCOMPARE(w.txtInput[1]->text(), QStringLiteral("02-1234-5678"));
        w.btnSave_Click();
        QCOMPARE(w.CCode(), qint64(33000));
        QCOMPARE(scalar(QStringLiteral("SELECT tel FROM maeip WHERE id = 33000")).toString(), QStringLiteral("02-1234-5678"));

        // a party missing already when loading cannot be saved
        prompter->clear();
        FrmClient_write none;
        openEdit(none, 0, 777, QStringLiteral("유령"));
        none.btnSave_Click();
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("CODE 생성 및 정의 오류입니다."));
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maeip WHERE id = 777 OR id = -1")).toInt(), 0);
    }

    // Leaving a telephone box formats a number but keeps a text that is more than a number
    // (an extension in words) as typed; it is saved as it stands.
    void leavingATelephoneBoxKeepsWhatIsNoPlainNumber()
    {
        FrmClient_write w;
        fillNew(w, 1, QStringLiteral("내선손님"));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const struct { int box; QString typed, shown; } boxes[] = {
            {1, QStringLiteral("02-123-4567 내선 12"), QStringLiteral("02-123-4567 내선 12")},
            {2, QStringLiteral("+82-10-1234-5678"), QStringLiteral("010-1234-5678")},
            {6, QStringLiteral("０２-１２３-４５６７"), QStringLiteral("02-123-4567")},
            {7, QStringLiteral("02-123-4567#12"), QStringLiteral("02-123-4567#12")},
            {8, QStringLiteral("0082-10-1234-5678"), QStringLiteral("010-1234-5678")},
            {9, QStringLiteral("+1-212-555-1234"), QStringLiteral("+1-212-555-1234")},
        };
        for (const auto& b : boxes) {
            w.txtInput[b.box]->setFocus();
            QTRY_VERIFY(w.txtInput[b.box]->hasFocus());
            typeKeys(w.txtInput[b.box], b.typed);
            QCOMPARE(w.txtInput[b.box]->text(), b.typed);
            QTest::keyClick(w.txtInput[b.box], Qt::Key_Tab);
            QTRY_VERIFY(!w.txtInput[b.box]->hasFocus());
            QCOMPARE(w.txtInput[b.box]->text(), b.shown);
        }
        w.btnSave->click();
        QCOMPARE(w.CCode(), qint64(1));
        QCOMPARE(scalar(QStringLiteral("SELECT tel || '|' || phone || '|' || tel2 || '|' || tel3 || '|' || tel4 || '|' || tel5"
                                       " FROM maechul WHERE id = 1"))
                     .toString(),
                 QStringLiteral("02-123-4567 내선 12|010-1234-5678|02-123-4567|02-123-4567#12|010-1234-5678|+1-212-555-1234"));
    }

    // A memo is free text: one that reads as a number comes back exactly as typed, in the
    // editor and in the party list, on a new file and on an old one brought up to date at start.
    void memoComesBackAsTyped_data()
    {
        QTest::addColumn<bool>("oldFile");
        QTest::addColumn<QString>("memo");
        for (const bool old : {false, true})
            for (const char* memo : {"007", "1.50", "0012345678", "11100000000000000000000", " 42", "-0"})
                QTest::newRow(qPrintable(QStringLiteral("%1 file, '%2'").arg(old ? "old" : "new", memo)))
                    << old << QString::fromLatin1(memo);
    }
    void memoComesBackAsTyped()
    {
        QFETCH(bool, oldFile);
        QFETCH(QString, memo);
        if (oldFile) {
            const QString old = f->env.path(QStringLiteral("old.mdb"));
            QVERIFY(ledgertest::makeDatabase(old, ledgertest::oldMainSchema()));
            gDB = dao::Database::open(old);
            UpgradeSchema(gDB.get());
        }
        for (const int kind : {0, 1}) {
            FrmClient_write w;
            fillNew(w, kind, QStringLiteral("메모손님"));
            w.txtInput[5]->setText(memo);
            w.btnSave_Click();
            QVERIFY(w.CCode() > 0);
            FrmClient_write again;
            openEdit(again, kind, w.CCode());
            QCOMPARE(again.txtInput[5]->text(), memo);
            // saved again unchanged, it stays as it is
            again.btnSave_Click();
            FrmClient_Sel list;
            list.mode(kind);
            QCOMPARE(list.FindRecords(QStringLiteral("메모손님")), qint64(1));
            QCOMPARE(list.spList->GetText(4, 1), memo);
        }
        QVERIFY(prompter->messages().isEmpty());
    }

    void continueAddingSavesOneRowPerSave()
    {
        CallBackSink sink;
        FrmClient_write w;
        w.AddEditMode(1);
        w.busiMode(0);
        w.CallForm(&sink);
        w.ChkContinueAdd->setChecked(true);
        w.txtInput[8]->setText(QStringLiteral("010-1111-2222")); // tel4 of the first party only
        for (const char* name : {"하나", "둘"}) {
            w.txtInput[0]->setText(QString::fromUtf8(name));
            w.txtInput[5]->setText(QStringLiteral("memo"));
            w.btnSave_Click();
            for (QLineEdit* box : w.txtInput)
                QCOMPARE(box->text(), QString());
            QCOMPARE(w.result(), 0);
        }
        QCOMPARE(sink.calls.size(), 2);
        QCOMPARE(sink.calls[1].code, qint64(2));
        QVERIFY(sink.calls[1].add);
        QCOMPARE(scalar(QStringLiteral("SELECT name || '/' || tel4 FROM maeip WHERE id = 2")).toString(), QStringLiteral("둘/"));
        w.btnCancel_Click();
        QCOMPARE(w.CCode(), qint64(2));

        // opened with a proposed name and cancelled: nothing saved
        FrmClient_write d;
        d.AddEditMode(1);
        d.busiMode(1);
        d.DefaultName(QStringLiteral("제안"));
        QVERIFY(!d.ChkContinueAdd->isVisibleTo(&d));
        d.btnCancel_Click();
        QCOMPARE(d.CCode(), qint64(0));
        QCOMPARE(d.CName(), QString());
    }

    // After a pick in the postal list the user types the rest of the address after the
    // district: the caret stands at its end, nothing is selected, also when the editor gets
    // its focus back only once the list has closed.
    void postalPickLeavesTheCaretAfterTheDistrict()
    {
        const QString postFile = f->env.path(QStringLiteral("dbpost.mdb"));
        QVERIFY(testsupport::createDatabase(postFile, QStringLiteral("post"))); // several places in 역삼동
        gsPostDBFile = postFile;
        FrmClient_write w;
        fillNew(w, 1, QStringLiteral("새거래처"));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.txtInput[3]->setFocus();
        w.txtInput[3]->setText(QStringLiteral("역삼"));
        prompter->modalAnswers.enqueue([](QDialog& d) { // the list is shown and takes the focus
            FrmPost* post = showPostalList(d);
            if (!post)
                return 0;
            post->PickRow(0);
            return post->result();
        });
        QTest::keyClick(w.txtInput[3], Qt::Key_Return);
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QTRY_VERIFY(w.txtInput[4]->hasFocus());
        QVERIFY(!w.txtInput[3]->text().isEmpty());
        QVERIFY(!w.txtInput[4]->hasSelectedText());
        QTest::keyClicks(w.txtInput[4], QStringLiteral("12"));
        QCOMPARE(w.txtInput[4]->text(), QStringLiteral("서울특별시 강남구 역삼동 12"));
        // any later visit of the box selects its text, as every box does
        w.txtInput[5]->setFocus();
        w.txtInput[4]->setFocus();
        QVERIFY(w.txtInput[4]->hasSelectedText());
    }

    // Each postal search ends with at most one blank after the district, whether the user
    // picks, searches again or leaves the list with Escape; the row is saved as it reads.
    void postalSearchesAddNoBlanks()
    {
        const QString postFile = f->env.path(QStringLiteral("dbpost.mdb"));
        QVERIFY(testsupport::createDatabase(postFile, QStringLiteral("post"))); // several places in 역삼동
        gsPostDBFile = postFile;
        FrmClient_write w;
        fillNew(w, 1, QStringLiteral("우편거래처"));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QLineEdit* zip = w.txtInput[3];
        QLineEdit* address = w.txtInput[4];
        // The postal list as the user meets it: shown, then left with a key.
        auto answerList = [this](Qt::Key key) {
            prompter->modalAnswers.enqueue([key](QDialog& d) {
                FrmPost* post = showPostalList(d);
                if (!post)
                    return 0;
                QWidget* target = post->focusWidget() ? post->focusWidget() : post;
                if (key == Qt::Key_Return)
                    post->grdList->setFocus();
                QTest::keyClick(key == Qt::Key_Return ? static_cast<QWidget*>(post->grdList) : target, key);
                return post->result();
            });
        };
        auto search = [&](const QString& text, Qt::Key key) {
            answerList(key);
            zip->setFocus();
            zip->setText(text);
            QTest::keyClick(zip, Qt::Key_Return);
            QApplication::setActiveWindow(&w);
            QTRY_VERIFY(address->hasFocus());
        };

        // Left with Escape on an empty address: nothing is written.
        search(QStringLiteral("역삼"), Qt::Key_Escape);
        QCOMPARE(address->text(), QString());
        // A pick writes the district and one blank to type on after.
        search(QStringLiteral("역삼"), Qt::Key_Return);
        const QString district = QStringLiteral("서울특별시 강남구 역삼동");
        QCOMPARE(address->text(), district + QLatin1Char(' '));
        // Searched again and left with Escape, twice: the address stays as it was.
        search(QStringLiteral("역삼"), Qt::Key_Escape);
        search(QStringLiteral("역삼"), Qt::Key_Escape);
        QCOMPARE(address->text(), district + QLatin1Char(' '));
        // Searched again and picked: still one blank.
        search(QStringLiteral("역삼"), Qt::Key_Return);
        QCOMPARE(address->text(), district + QLatin1Char(' '));
        // The user types the rest after the district, searches once more and leaves it.
        QTest::keyClicks(address, QStringLiteral("12"));
        search(QStringLiteral("역삼"), Qt::Key_Escape);
        QCOMPARE(address->text(), district + QStringLiteral(" 12"));
        QVERIFY(!zip->text().isEmpty());
        w.btnSave_Click();
        QCOMPARE(scalar(QStringLiteral("SELECT address FROM maechul WHERE name = ?"), {QStringLiteral("우편거래처")})
                     .toString(),
                 district + QStringLiteral(" 12"));
    }

    // A postal code picked from the list reads "000-000"; searching again from the box, with
    // the button or with Enter, finds its place. A code that is not in the table is still
    // reported and the box emptied.
    void postalCodeWrittenByAPickIsFoundAgain()
    {
        const QString postFile = f->env.path(QStringLiteral("dbpost.mdb"));
        QVERIFY(testsupport::createDatabase(postFile, QStringLiteral("post")));
        gsPostDBFile = postFile;
        FrmClient_write w;
        fillNew(w, 1, QStringLiteral("삼성거래처"));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QLineEdit* zip = w.txtInput[3];
        QLineEdit* address = w.txtInput[4];
        const QString district = QStringLiteral("서울특별시 강남구 삼성동");

        // 삼성 lists several places; the user picks 135091 with Enter
        prompter->modalAnswers.enqueue([](QDialog& d) {
            FrmPost* post = showPostalList(d);
            if (!post)
                return 0;
            int row = -1;
            for (int r = 0; r < post->model()->rowCount(); ++r)
                if (post->model()->text(r, 0) == QLatin1String("135091"))
                    row = r;
            if (row < 0)
                return 0;
            post->grdList->setFocus();
            post->grdList->setCurrentIndex(post->model()->index(row, 0));
            QTest::keyClick(post->grdList, Qt::Key_Return);
            return post->result();
        });
        zip->setFocus();
        typeKeys(zip, QStringLiteral("삼성"));
        QTest::keyClick(zip, Qt::Key_Return);
        QApplication::setActiveWindow(&w);
        QTRY_VERIFY(address->hasFocus());
        QCOMPARE(zip->text(), QStringLiteral("135-091"));
        QCOMPARE(address->text(), district + QLatin1Char(' '));

        // searched again from the box: the one place is found, no list, no message
        prompter->clear();
        address->clear();
        QTest::mouseClick(w.btnPost, Qt::LeftButton);
        QCOMPARE(prompter->messages().size(), 0);
        QCOMPARE(zip->text(), QStringLiteral("135091"));
        QCOMPARE(address->text(), district + QLatin1Char(' '));
        zip->setFocus();
        zip->setText(QStringLiteral("135-091"));
        address->clear();
        QTest::keyClick(zip, Qt::Key_Return);
        QCOMPARE(prompter->messages().size(), 0);
        QCOMPARE(zip->text(), QStringLiteral("135091"));
        QCOMPARE(address->text(), district + QLatin1Char(' '));

        // a code the table does not hold
        zip->setFocus();
        zip->setText(QStringLiteral("999-999"));
        QTest::keyClick(zip, Qt::Key_Return);
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("해당하는 주소가 검색되지 않습니다."));
        QCOMPARE(zip->text(), QString());
        QVERIFY(zip->hasFocus());
        w.btnSave_Click();
        QCOMPARE(scalar(QStringLiteral("SELECT address FROM maechul WHERE name = ?"), {QStringLiteral("삼성거래처")})
                     .toString(),
                 district + QLatin1Char(' '));
    }

    void mainWindowEditButtonRefreshesItsBox()
    {
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name, tel) VALUES (40000, '김상회', '02-555-1234')"));
        frmMain main;
        main.DispClientInfo(1, 40000);
        QCOMPARE(main.pnlinfo2[0]->text(), QStringLiteral("김상회"));
        QString opened;
        prompter->modalAnswers.enqueue([&opened](QDialog& d) {
            auto* w = qobject_cast<FrmClient_write*>(&d);
            if (!w)
                return 0;
            opened = w->windowTitle() + QLatin1Char('|') + w->txtInput[0]->text();
            w->txtInput[0]->setText(QStringLiteral("김상회2"));
            w->txtInput[1]->setText(QStringLiteral("0255512345"));
            w->btnSave->click();
            return w->result();
        });
        main.btnClientEdit[1]->setEnabled(true);
        main.btnClientEdit[1]->click();
        QCOMPARE(opened, QStringLiteral("기존 거래처 수정(매출처)|김상회"));
        QCOMPARE(main.pnlinfo2[0]->text(), QStringLiteral("김상회2"));
        QCOMPARE(main.txtCurClient[1]->text(), QStringLiteral("40000"));
    }
};

QTEST_MAIN(tst_FrmClient_write)
#include "tst_FrmClient_write.moc"
