#include "frame/FrmSprRPTCol.h"
#include "frame/ModWinApi.h"
#include "frame/modFormIni.h"
#include "frame/modMain.h"
#include "frame/modSpread60.h"
#include "frame/modSpreadMenu.h"
#include "platform/IniFile.h"
#include "platform/SpreadGrid.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QVBoxLayout>
#include <QtTest>

using platform::SpreadGrid;
using platform::rgbColor;

namespace {

class MenuWindow : public QWidget {
public:
    SpreadGrid* spList;
    MenuWindow()
    {
        setObjectName(QStringLiteral("frmMenuTest"));
        auto* layout = new QVBoxLayout(this);
        spList = new SpreadGrid(this);
        spList->SetName(QStringLiteral("spList"));
        spList->SetMaxCols(4);
        spList->SetMaxRows(8);
        layout->addWidget(spList);
        for (int r = 1; r <= 7; ++r) {
            spList->SetText(1, r, QStringLiteral("item %1").arg(r));
            spList->SetText(2, r, QString::number(r * 100));
        }
    }
};

QString iniFile() { return FormIniFile(QStringLiteral("frmMenuTest")); }

QString readRaw(const QString& section, const QString& key)
{
    platform::IniFile ini(iniFile());
    ini.load();
    return ini.value(section, key);
}

// The menu entries as the prompt seam receives them (separators empty).
QString menuText(const QStringList& captions) { return captions.join(QLatin1Char('|')); }

// A prompt seam that also notes the colours of one grid cell while a question is open.
class ColourWatchingPrompter : public testsupport::ScriptedPrompter {
public:
    SpreadGrid* grid = nullptr;
    int col = 0, row = 0;
    quint32 back = 0, fore = 0;
    int messageBox(const QString& text, const QString& title, int style) override
    {
        grid->SetCol(col);
        grid->SetRow(row);
        back = grid->BackColor();
        fore = grid->ForeColor();
        grid->SetCol(1); // the question must not rely on where the pointer was left
        grid->SetRow(1);
        return ScriptedPrompter::messageBox(text, title, style);
    }
};

} // namespace

class TestModSpreadMenu : public QObject {
    Q_OBJECT
    std::unique_ptr<testsupport::TestEnv> env;

private slots:
    void init()
    {
        gsTitle = QStringLiteral("TrelvoTest");
        env = std::make_unique<testsupport::TestEnv>();
    }
    void cleanup() { env.reset(); }

    void popupMenuIdsSeparatorsAndGreyedItems()
    {
        testsupport::ScriptedPrompter p;
        const QStringList items{QStringLiteral("01하나"), QStringLiteral("-"), QStringLiteral("X"),
                                QStringLiteral("07일곱"), QStringLiteral("12열둘"), QStringLiteral("00닫기")};
        // Shown entries: 하나, separator, 일곱 (greyed), 열둘, 닫기.
        p.menuAnswers << 0 << 1 << 2 << 3 << 4 << -1 << 9;
        QCOMPARE(ShowPopupMenu(nullptr, items), 1L);
        QCOMPARE(ShowPopupMenu(nullptr, items), 0L); // the separator
        QCOMPARE(ShowPopupMenu(nullptr, items), 0L); // greyed: cannot be chosen
        QCOMPARE(ShowPopupMenu(nullptr, items), 12L); // the grey mark held for one item only
        QCOMPARE(ShowPopupMenu(nullptr, items), 0L);
        QCOMPARE(ShowPopupMenu(nullptr, items), 0L); // dismissed
        QCOMPARE(ShowPopupMenu(nullptr, items), 0L); // out of range
        QCOMPARE(p.calls.first().kind, QStringLiteral("menu"));
        QCOMPARE(p.calls.first().text, QStringLiteral("하나||일곱|열둘|닫기"));
    }

    void menuItemsFollowTheOptions()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        // The voucher grid's menu: no report columns, no shortcuts, subtotals.
        ShowSpreadMenu(&w, w.spList, false, QString(), false, true);
        QCOMPARE(p.calls.last().text,
                 menuText({QStringLiteral("그리드 【줄높이】변경"), QStringLiteral("【글자크기】       변경"), QString(),
                           QStringLiteral("폼 및 그리드 설정【초기화】"), QString(), QStringLiteral("【소계】숨김/보기"),
                           QStringLiteral("【소계만】보기/해제"), QString(), QStringLiteral("메    뉴      닫    기")}));
        ShowSpreadMenu(&w, w.spList, true, QString(), true, false);
        QCOMPARE(p.calls.last().text,
                 menuText({QStringLiteral("그리드 【줄높이】변경"), QStringLiteral("【글자크기】       변경"), QString(),
                           QStringLiteral("폼 및 그리드 설정【초기화】"), QString(), QStringLiteral("【보고서】용 칼럼 설정"),
                           QString(), QStringLiteral("시트내 【단축키】 목록"), QString(),
                           QStringLiteral("메    뉴      닫    기")}));
        // Shortcuts only come with report columns.
        ShowSpreadMenu(&w, w.spList, false, QString(), true, false);
        QVERIFY(!p.calls.last().text.contains(QStringLiteral("단축키")));
        QCOMPARE(p.calls.size(), 3); // nothing chosen: nothing else asked
    }

    void closingTheMenuChangesNothing()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        const double height = w.spList->RowHeight(1);
        // The "close" entry is the last one of the voucher grid's menu (index 8).
        p.menuAnswers << 8 << -1;
        ShowSpreadMenu(&w, w.spList, false, QString(), false, true);
        ShowSpreadMenu(&w, w.spList, false, QString(), false, true);
        QCOMPARE(p.calls.size(), 2);
        QCOMPARE(w.spList->RowHeight(1), height);
        QVERIFY(!QFile::exists(iniFile()));
    }

    void rowHeightAskedUntilInRangeAndStored()
    {
        testsupport::ScriptedPrompter p;
        {
            MenuWindow w;
            p.menuAnswers << 0; // first entry: row height
            p.inputAnswers << QStringLiteral("7") << QStringLiteral("101") << QStringLiteral("20");
            ShowSpreadMenu(&w, w.spList, false, QString(), false, true);
            int asked = 0;
            for (const auto& c : p.calls)
                if (c.kind == QLatin1String("input")) {
                    ++asked;
                    QCOMPARE(c.title, QStringLiteral("그리드의 줄높이 변경"));
                    QCOMPARE(c.text, QStringLiteral("변경할 그리드의 줄높이를 입력하세요.(입력범위: 8~100, 0:기본값)"));
                }
            QCOMPARE(asked, 3);
            QCOMPARE(w.spList->RowHeight(1), 20.0);
            QCOMPARE(w.spList->RowHeight(7), 20.0);
            QCOMPARE(w.spList->RowHeight(0), 22.0);
            QCOMPARE(readRaw(QStringLiteral("spList_General"), QStringLiteral("RowHeight")), QStringLiteral("20"));
        }
        // The next opening of the window takes the stored height.
        MenuWindow again;
        LoadFormIni(&again, true);
        QCOMPARE(again.spList->RowHeight(3), 20.0);
        QCOMPARE(again.spList->RowHeight(0), 22.0);
    }

    void rowHeightZeroCancelAndSameValue()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        const double designed = w.spList->RowHeight(1);
        const QString same = QString::number(int(designed));
        // Cancel, the value in effect: nothing stored.
        p.inputAnswers << QVariant() << same;
        DoSpreadMenuItem(SpreadMenuRowHeight, &w, w.spList, QString());
        DoSpreadMenuItem(SpreadMenuRowHeight, &w, w.spList, QString());
        QVERIFY(!QFile::exists(iniFile()));
        // 0: the grid keeps its height now, the file says "0" (designed height next time).
        p.inputAnswers << QStringLiteral("0");
        DoSpreadMenuItem(SpreadMenuRowHeight, &w, w.spList, QString());
        QCOMPARE(w.spList->RowHeight(1), designed);
        QCOMPARE(readRaw(QStringLiteral("spList_General"), QStringLiteral("RowHeight")), QStringLiteral("0"));
        // Text that is no number counts as 0 and is not asked again.
        p.clear();
        p.inputAnswers << QStringLiteral("abc");
        DoSpreadMenuItem(SpreadMenuRowHeight, &w, w.spList, QString());
        QCOMPARE(p.calls.size(), 1);
        QCOMPARE(w.spList->RowHeight(1), designed);
    }

    void fontSizeAppliesToCellsAndHeader()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        p.inputAnswers << QStringLiteral("61") << QStringLiteral("7") << QStringLiteral("14");
        DoSpreadMenuItem(SpreadMenuFontSize, &w, w.spList, QStringLiteral("_b"));
        QCOMPARE(p.calls.size(), 3);
        QCOMPARE(p.calls.first().title, QStringLiteral("그리드내 글자크기 변경"));
        QCOMPARE(p.calls.first().text, QStringLiteral("변경할 글자의 크기를 입력하세요.(입력범위: 8~60, 0:기본값)"));
        for (int r : {0, 1, 8}) {
            w.spList->SetCol(3);
            w.spList->SetRow(r);
            QCOMPARE(w.spList->FontSize(), 14.0);
        }
        // Stored in the file with the caller's suffix.
        platform::IniFile ini(FormIniFile(QStringLiteral("frmMenuTest"), QStringLiteral("_b")));
        ini.load();
        QCOMPARE(ini.value(QStringLiteral("spList_General"), QStringLiteral("FontSize")), QStringLiteral("14"));
        QVERIFY(!QFile::exists(iniFile()));
        // Asking again offers 14: entering it stores nothing new.
        p.clear();
        p.inputAnswers << QStringLiteral("14");
        SaveSpreadIni_Gn(&w, w.spList, QStringLiteral("FontSize"), QStringLiteral("x"), QStringLiteral("_b"));
        DoSpreadMenuItem(SpreadMenuFontSize, &w, w.spList, QStringLiteral("_b"));
        ini.load();
        QCOMPARE(ini.value(QStringLiteral("spList_General"), QStringLiteral("FontSize")), QStringLiteral("x"));
    }

    void resetDeletesTheLayoutFile()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        SaveSpreadIni_Gn(&w, w.spList, QStringLiteral("RowHeight"), QStringLiteral("30"));
        QVERIFY(QFile::exists(iniFile()));
        p.msgAnswers << platform::AnswerNo;
        DoSpreadMenuItem(SpreadMenuReset, &w, w.spList, QString());
        QVERIFY(QFile::exists(iniFile()));
        QCOMPARE(p.messages().size(), 1);
        QCOMPARE(p.messages().first().style, int(platform::MsgStyleYesNo));
        QCOMPARE(p.messages().first().text,
                 QStringLiteral("해당폼의 폼의 위치 및 크기, 그리드의 각 칸의 넓이\r\n\r\n, 줄높이, 글자크기등이 모두 초기화 "
                                "됩니다.\r\n\r\n초기화 하시겠습니까?"));
        p.msgAnswers << platform::AnswerYes;
        DoSpreadMenuItem(SpreadMenuReset, &w, w.spList, QString());
        QVERIFY(!QFile::exists(iniFile()));
        QCOMPARE(p.lastMessage().text, QStringLiteral("초기화를 완료하였습니다.\r\n\r\n현재창을 닫고 다시 열어 주셔야 "
                                                      "초기화된 형태가 제대로 보여집니다."));
        QCOMPARE(p.lastMessage().title, QStringLiteral("TrelvoTest"));
    }

    void resetThatCannotDeleteDoesNotReportSuccess()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        // Something that cannot be removed as a file stands where the layout file goes.
        QVERIFY(QDir().mkpath(iniFile() + QStringLiteral("/blocked")));
        p.msgAnswers << platform::AnswerYes;
        DoSpreadMenuItem(SpreadMenuReset, &w, w.spList, QString());
        const auto msgs = p.messages();
        QCOMPARE(msgs.size(), 2);
        QVERIFY(msgs.last().text.contains(QStringLiteral("DelFormIni")));
        for (const auto& m : msgs)
            QVERIFY(!m.text.contains(QStringLiteral("초기화를 완료하였습니다.")));
    }

    void subtotalRowsToggleWithoutTouchingData()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        SpreadGrid* g = w.spList;
        for (int r : {3, 6}) {
            g->SetCol(0);
            g->SetRow(r);
            g->SetCellTag(QStringLiteral("subtot"));
        }
        g->SetRefStyle(2);
        g->SetCol(3);
        g->SetRow(8);
        g->SetFormula(QStringLiteral("SUM(R1C2:R7C2)"));
        QStringList before;
        for (int r = 1; r <= 8; ++r)
            before << g->GetText(1, r) + QLatin1Char('/') + g->GetText(2, r);
        const QString sum = g->GetText(3, 8);
        QCOMPARE(sum, QStringLiteral("2800"));

        auto hidden = [g] {
            QList<int> rows;
            for (int r = 1; r <= g->MaxRows(); ++r)
                if (g->RowHidden(r))
                    rows << r;
            return rows;
        };
        DoSpreadMenuItem(SpreadMenuSubtot, &w, g, QString());
        QCOMPARE(hidden(), (QList<int>{3, 6}));
        DoSpreadMenuItem(SpreadMenuSubtot, &w, g, QString());
        QCOMPARE(hidden(), QList<int>());
        DoSpreadMenuItem(SpreadMenuOnlySubtot, &w, g, QString());
        QCOMPARE(hidden(), (QList<int>{1, 2, 4, 5, 7, 8}));
        // Each item toggles its own rows: hiding the subtotals now hides everything.
        DoSpreadMenuItem(SpreadMenuSubtot, &w, g, QString());
        QCOMPARE(hidden().size(), 8);
        DoSpreadMenuItem(SpreadMenuOnlySubtot, &w, g, QString());
        DoSpreadMenuItem(SpreadMenuSubtot, &w, g, QString());
        QCOMPARE(hidden(), QList<int>());

        QCOMPARE(g->MaxRows(), 8);
        QStringList after;
        for (int r = 1; r <= 8; ++r)
            after << g->GetText(1, r) + QLatin1Char('/') + g->GetText(2, r);
        QCOMPARE(after, before);
        QCOMPARE(g->GetText(3, 8), sum);
        QVERIFY(p.calls.isEmpty());
    }

    void reportColumnsAndShortcutItems()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        int listed = -1;
        p.modalAnswers << [&listed](QDialog& d) {
            listed = d.findChild<QListWidget*>(QStringLiteral("List1"))->count();
            return int(QDialog::Rejected);
        };
        // Report-column entry of the full menu (index 5), then the shortcut list (index 7).
        p.menuAnswers << 5 << 7;
        ShowSpreadMenu(&w, w.spList, true, QString(), true, false);
        QCOMPARE(p.calls.last().kind, QStringLiteral("modal"));
        QCOMPARE(p.calls.last().title, QStringLiteral("FrmSprRPTCol"));
        QCOMPARE(listed, 4);
        ShowSpreadMenu(&w, w.spList, true, QString(), true, false);
        QCOMPARE(p.lastMessage().title, QStringLiteral("시트내 단축키 목록"));
        QCOMPARE(p.lastMessage().style, 64);
        QCOMPARE(p.lastMessage().text,
                 QStringLiteral(" - Ctrl + H : 단축키 목록보기\r\n\r\n - Ctrl + F : 찾기\r\n\r\n - Ctrl + E : 행숨김\r\n\r\n"
                                " - Ctrl + W : 행숨김 취소(아래/위행)"));
    }

    void reallyEditAnswers()
    {
        ColourWatchingPrompter p;
        MenuWindow w;
        SpreadGrid* g = w.spList;
        CommonSpreadDesign(g, false, false, true, true, true);
        g->SetCol(2);
        g->SetRow(4);
        const quint32 back = g->BackColor();
        const quint32 fore = g->ForeColor();
        p.grid = g;
        p.col = 2;
        p.row = 4;

        // Yes: the new text stays.
        g->SetText(2, 4, QStringLiteral("999"));
        p.msgAnswers << platform::AnswerYes;
        QVERIFY(ReallyEdit(g, QStringLiteral("400"), 2, 4, true));
        QCOMPARE(g->GetText(2, 4), QStringLiteral("999"));
        QCOMPARE(p.lastMessage().text, QStringLiteral("정말 수정하시겠습니까?\r\n이전 데이터: 400"));
        QCOMPARE(p.lastMessage().style, int(platform::MsgStyleYesNo));
        QCOMPARE(p.lastMessage().title, QStringLiteral("TrelvoTest"));
        // The cell was marked while the question was open, and has its colours back.
        QCOMPARE(p.back, rgbColor(0, 80, 250));
        QCOMPARE(p.fore, rgbColor(255, 255, 128));
        g->SetCol(2);
        g->SetRow(4);
        QCOMPARE(g->BackColor(), back);
        QCOMPARE(g->ForeColor(), fore);

        // No: the old value returns.
        p.msgAnswers << platform::AnswerNo;
        QVERIFY(!ReallyEdit(g, QStringLiteral("400"), 2, 4, false, QStringLiteral("바꿀까요?")));
        QCOMPARE(g->GetText(2, 4), QStringLiteral("400"));
        QCOMPARE(p.lastMessage().text, QStringLiteral("바꿀까요?\r\n이전 데이터: 400"));
        QCOMPARE(p.lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        g->SetCol(2);
        g->SetRow(4);
        QCOMPARE(g->BackColor(), back);
        QCOMPARE(g->ForeColor(), fore);

        // A cell outside the sheet asks nothing and refuses.
        p.clear();
        QVERIFY(!ReallyEdit(g, QStringLiteral("1"), 9, 4, true));
        QCOMPARE(p.messages().size(), 1);
        QVERIFY(p.lastMessage().text.contains(QStringLiteral("ReallyEdit")));
    }
};

QTEST_MAIN(TestModSpreadMenu)
#include "tst_modSpreadMenu.moc"
