#include "frame/FrmSprRPTCol.h"
#include "frame/modFormIni.h"
#include "frame/modMain.h"
#include "platform/FormRegistry.h"
#include "platform/IniFile.h"
#include "platform/SpreadGrid.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <QtTest>

using platform::SpreadGrid;

namespace {

// An owner window with a five-column grid whose third column is hidden.
class OwnerWindow : public QWidget {
public:
    SpreadGrid* spList;
    OwnerWindow()
    {
        setObjectName(QStringLiteral("frmOwner"));
        auto* layout = new QVBoxLayout(this);
        spList = new SpreadGrid(this);
        spList->SetName(QStringLiteral("spList"));
        spList->SetMaxCols(5);
        spList->SetMaxRows(2);
        layout->addWidget(spList);
        const QStringList headers{QStringLiteral("매입일"), QStringLiteral("그룹"), QStringLiteral("코드"),
                                  QStringLiteral("상품명"), QStringLiteral("금액")};
        for (int c = 1; c <= 5; ++c)
            spList->SetText(c, 0, headers[c - 1]);
        spList->SetColHidden(3, true);
    }
};

QString ownerIni() { return FormIniFile(QStringLiteral("frmOwner")); }

QString stored(const QString& key)
{
    platform::IniFile ini(ownerIni());
    ini.load();
    return ini.value(QStringLiteral("spList_RPTCOL"), key, QStringLiteral("<none>"));
}

QStringList listed(const FrmSprRPTCol& f)
{
    QStringList out;
    for (int i = 0; i < f.List1->count(); ++i)
        out << QStringLiteral("%1:%2:%3")
                   .arg(f.ColumnOf(i))
                   .arg(f.List1->item(i)->text())
                   .arg(f.List1->item(i)->checkState() == Qt::Checked ? 1 : 0);
    return out;
}

} // namespace

class TestFrmSprRPTCol : public QObject {
    Q_OBJECT
    std::unique_ptr<testsupport::TestEnv> env;

private slots:
    void init()
    {
        gsTitle = QStringLiteral("TrelvoTest");
        env = std::make_unique<testsupport::TestEnv>();
    }
    void cleanup() { env.reset(); }

    void listsVisibleColumnsAllTickedWithoutFile()
    {
        testsupport::ScriptedPrompter p;
        OwnerWindow w;
        FrmSprRPTCol f;
        QCOMPARE(f.windowTitle(), QStringLiteral("보고서용 컬럼설정"));
        QVERIFY(platform::FormRegistry::instance().isLoaded(QStringLiteral("FrmSprRPTCol")));
        f.SetParam(&w, w.spList);
        QCOMPARE(listed(f), (QStringList{QStringLiteral("1:매입일:1"), QStringLiteral("2:그룹:1"),
                                         QStringLiteral("4:상품명:1"), QStringLiteral("5:금액:1")}));
        QVERIFY(!f.Changed());
        // Closing right after opening asks nothing.
        f.show();
        f.cmdClose->click();
        QVERIFY(!f.isVisible());
        QVERIFY(p.calls.isEmpty());
    }

    void selectionRoundTrip()
    {
        testsupport::ScriptedPrompter p;
        OwnerWindow w;
        // Another section of the same file must survive the save.
        SaveSpreadIni_Gn(&w, w.spList, QStringLiteral("FontSize"), QStringLiteral("11"));
        {
            FrmSprRPTCol f;
            f.SetParam(&w, w.spList);
            f.show();
            f.List1->item(1)->setCheckState(Qt::Unchecked); // column 2
            f.List1->item(3)->setCheckState(Qt::Unchecked); // column 5
            QVERIFY(f.Changed());
            f.cmdSave->click();
            QVERIFY(!f.isVisible());
            QCOMPARE(f.result(), int(QDialog::Accepted));
            QCOMPARE(p.lastMessage().text, QStringLiteral("저장을 완료하였습니다."));
            QCOMPARE(p.lastMessage().style, 0);
            QCOMPARE(p.messages().size(), 1); // saved: no question on closing
        }
        QCOMPARE(stored(QStringLiteral("1")), QStringLiteral("1"));
        QCOMPARE(stored(QStringLiteral("2")), QStringLiteral("0"));
        QCOMPARE(stored(QStringLiteral("3")), QStringLiteral("<none>")); // hidden: not listed, not written
        QCOMPARE(stored(QStringLiteral("4")), QStringLiteral("1"));
        QCOMPARE(stored(QStringLiteral("5")), QStringLiteral("0"));
        QCOMPARE(ReadIniValue(ownerIni(), QStringLiteral("spList_General"), QStringLiteral("FontSize")),
                 QStringLiteral("11"));

        FrmSprRPTCol again;
        again.SetParam(&w, w.spList);
        QCOMPARE(listed(again), (QStringList{QStringLiteral("1:매입일:1"), QStringLiteral("2:그룹:0"),
                                             QStringLiteral("4:상품명:1"), QStringLiteral("5:금액:0")}));
        QVERIFY(!again.Changed());
    }

    void storedValuesReadByFirstCharacter()
    {
        testsupport::ScriptedPrompter p;
        OwnerWindow w;
        QDir().mkpath(QFileInfo(ownerIni()).absolutePath());
        QFile file(ownerIni());
        QVERIFY(file.open(QIODevice::WriteOnly));
        // Column 1 missing (ticked), 2 "10" (first character 1), 4 "01", 5 empty.
        file.write("[spList_RPTCOL]\n2=10\n4=01\n5=\n");
        file.close();
        FrmSprRPTCol f;
        f.SetParam(&w, w.spList);
        QCOMPARE(listed(f), (QStringList{QStringLiteral("1:매입일:1"), QStringLiteral("2:그룹:1"),
                                         QStringLiteral("4:상품명:0"), QStringLiteral("5:금액:0")}));
    }

    void unsavedChangeAsksBeforeClosing()
    {
        testsupport::ScriptedPrompter p;
        OwnerWindow w;
        FrmSprRPTCol f;
        f.SetParam(&w, w.spList);
        f.show();
        f.chkAll->click(); // ticked: every item ticked, counts as a change
        f.chkAll->click(); // cleared: every item cleared
        for (int i = 0; i < f.List1->count(); ++i)
            QCOMPARE(f.List1->item(i)->checkState(), Qt::Unchecked);
        QVERIFY(f.Changed());
        p.msgAnswers << platform::AnswerNo;
        f.cmdClose->click();
        QVERIFY(f.isVisible());
        QCOMPARE(p.lastMessage().text, QStringLiteral("수정된 내용이 저장되지 않았습니다. 그래도, 닫으시겠습니까?"));
        QCOMPARE(p.lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        p.msgAnswers << platform::AnswerYes;
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
        QVERIFY(!p.lastMessage().text.contains(QStringLiteral("저장을 완료하였습니다.")));
        p.msgAnswers << platform::AnswerYes;
        f.close();
    }
};

QTEST_MAIN(TestFrmSprRPTCol)
#include "tst_FrmSprRPTCol.moc"
