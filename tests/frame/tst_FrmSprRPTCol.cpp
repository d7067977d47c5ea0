#include "GridWindowFixture.h"

#include "frame/FrmSprRPTCol.h"
#include "frame/modFormIni.h"
#include "frame/modMain.h"
#include "platform/IniFile.h"
#include "platform/SpreadGrid.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

using platform::SpreadGrid;

namespace {

// An owner window with a five-column grid whose third column is hidden.
struct OwnerWindow : frametest::GridWindow {
    OwnerWindow() : GridWindow(QStringLiteral("frmOwner"), 5, 0) { spList->SetColHidden(3, true); }
};

QString ownerIni() { return FormIniFile(QStringLiteral("frmOwner")); }

// "column:header:ticked" per listed item.
QString listed(const FrmSprRPTCol& f)
{
    QStringList out;
    for (int i = 0; i < f.List1->count(); ++i)
        out << QStringLiteral("%1:%2:%3").arg(f.ColumnOf(i)).arg(f.List1->item(i)->text())
                   .arg(f.List1->item(i)->checkState() == Qt::Checked ? 1 : 0);
    return out.join(QLatin1Char(' '));
}

} // namespace

class TestFrmSprRPTCol : public QObject, frametest::FolderFixture {
    Q_OBJECT

private slots:
    void init() { setUpFolder(); }
    void cleanup() { tearDownFolder(); }

    void selectionRoundTrip()
    {
        testsupport::ScriptedPrompter p;
        OwnerWindow w;
        SaveSpreadIni_Gn(&w, w.spList, QStringLiteral("FontSize"), QStringLiteral("11"));
        {
            FrmSprRPTCol f;
            f.SetParam(&w, w.spList);
            // Only visible columns; all ticked while the file holds no choice.
            QCOMPARE(listed(f), QStringLiteral("1:H1:1 2:H2:1 4:H4:1 5:H5:1"));
            QVERIFY(!f.Changed());
            f.show();
            f.List1->item(1)->setCheckState(Qt::Unchecked);
            f.List1->item(3)->setCheckState(Qt::Unchecked);
            f.cmdSave->click();
            QVERIFY(!f.isVisible());
            QCOMPARE(p.lastMessage().text, QStringLiteral("저장을 완료하였습니다."));
            QCOMPARE(p.messages().size(), 1); // saved: no question on closing
        }
        platform::IniFile ini(ownerIni());
        ini.load();
        QCOMPARE(ini.keys(QStringLiteral("spList_RPTCOL")), (QStringList{"1", "2", "4", "5"}));
        QCOMPARE(ini.value(QStringLiteral("spList_RPTCOL"), QStringLiteral("2")), QStringLiteral("0"));
        QCOMPARE(ini.value(QStringLiteral("spList_General"), QStringLiteral("FontSize")), QStringLiteral("11"));

        FrmSprRPTCol again;
        again.SetParam(&w, w.spList);
        QCOMPARE(listed(again), QStringLiteral("1:H1:1 2:H2:0 4:H4:1 5:H5:0"));
    }

    void closingAsksOnlyAfterAChange()
    {
        testsupport::ScriptedPrompter p;
        OwnerWindow w;
        FrmSprRPTCol f;
        f.SetParam(&w, w.spList);
        f.show();
        f.cmdClose->click();
        QVERIFY(!f.isVisible());
        QVERIFY(p.calls.isEmpty());

        f.SetParam(&w, w.spList);
        f.show();
        f.chkAll->click();
        f.chkAll->click(); // cleared: every item cleared
        QCOMPARE(listed(f), QStringLiteral("1:H1:0 2:H2:0 4:H4:0 5:H5:0"));
        p.msgAnswers << platform::AnswerNo << platform::AnswerYes;
        f.cmdClose->click();
        QVERIFY(f.isVisible());
        QCOMPARE(p.lastMessage().text, QStringLiteral("수정된 내용이 저장되지 않았습니다. 그래도, 닫으시겠습니까?"));
        QCOMPARE(p.lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        f.close();
        QVERIFY(!f.isVisible());
        QVERIFY(!QFile::exists(ownerIni()));
    }

    void failedSaveIsNoSuccess()
    {
        testsupport::ScriptedPrompter p;
        OwnerWindow w;
        QVERIFY(QDir().mkpath(ownerIni() + QStringLiteral("/blocked"))); // cannot be read or written
        FrmSprRPTCol f;
        f.SetParam(&w, w.spList);
        f.show();
        f.List1->item(0)->setCheckState(Qt::Unchecked);
        f.cmdSave->click();
        QVERIFY(f.isVisible());
        QVERIFY(f.Changed());
        QCOMPARE(p.messages().size(), 1);
        QVERIFY(p.lastMessage().text.contains(QStringLiteral("FrmSprRPTCol")));
        p.msgAnswers << platform::AnswerYes;
        f.close();
    }
};

QTEST_MAIN(TestFrmSprRPTCol)
#include "tst_FrmSprRPTCol.moc"
