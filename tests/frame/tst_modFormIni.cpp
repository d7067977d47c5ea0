#include "frame/modDate.h"
#include "frame/modFormIni.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "platform/IniFile.h"
#include "platform/SpreadGrid.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QFile>
#include <QVBoxLayout>
#include <QtTest>

using platform::SpreadGrid;

namespace {

// A window with one grid and a pair of one-cell date grids (a control array).
class TestWindow : public QWidget {
public:
    SpreadGrid* spList;
    SpreadGrid* spDate[2];
    QCheckBox* chkChain;
    TestWindow()
    {
        setObjectName(QStringLiteral("frmLayoutTest"));
        auto* layout = new QVBoxLayout(this);
        spList = new SpreadGrid(this);
        spList->SetName(QStringLiteral("spList"));
        spList->SetMaxCols(4);
        spList->SetMaxRows(3);
        layout->addWidget(spList);
        for (int i = 0; i < 2; ++i) {
            spDate[i] = new SpreadGrid(this);
            spDate[i]->SetName(QStringLiteral("spDate"));
            spDate[i]->SetIndex(i);
            spDate[i]->SetMaxCols(1);
            spDate[i]->SetMaxRows(1);
            layout->addWidget(spDate[i]);
        }
        chkChain = new QCheckBox(this);
        chkChain->setObjectName(QStringLiteral("chkChain"));
        layout->addWidget(chkChain);
    }
};

// Places the window, shows it and waits until it is on the screen.
bool showAt(TestWindow& w, const QRect& geometry)
{
    w.setGeometry(geometry);
    w.show();
    return QTest::qWaitForWindowExposed(&w);
}

QString iniFile() { return FormIniFile(QStringLiteral("frmLayoutTest")); }

QString readRaw(const QString& section, const QString& key)
{
    platform::IniFile ini(iniFile());
    ini.load();
    return ini.value(section, key);
}

void writeRaw(const QString& text)
{
    QDir().mkpath(QFileInfo(iniFile()).absolutePath());
    QFile f(iniFile());
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

} // namespace

class TestModFormIni : public QObject {
    Q_OBJECT
    std::unique_ptr<testsupport::TestEnv> env;

private slots:
    void init()
    {
        gsTitle = QStringLiteral("TrelvoTest");
        env = std::make_unique<testsupport::TestEnv>();
    }
    void cleanup() { env.reset(); }

    void positionRoundTrip()
    {
        QRect original;
        {
            TestWindow w;
            QVERIFY(showAt(w, QRect(120, 90, 500, 300)));
            original = w.frameGeometry();
            SaveFormIni(&w);
        }
        QVERIFY(QFile::exists(env->path(QStringLiteral("FormIni/frmLayoutTest.ini"))));
        QCOMPARE(readRaw(QStringLiteral("FormPosition"), QStringLiteral("WindowState")), QStringLiteral("0"));
        TestWindow w;
        w.setGeometry(10, 10, 200, 150);
        LoadFormIni(&w, false);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QCOMPARE(w.frameGeometry(), original);
        // Twips come from the screen's logical resolution.
        const double left = readRaw(QStringLiteral("FormPosition"), QStringLiteral("Left")).toDouble();
        QCOMPARE(qRound(left / TwipsPerPixelX()), w.frameGeometry().x());
    }

    void minimisedWritesNothing()
    {
        TestWindow w;
        w.showMinimized();
        SaveFormIni(&w);
        QVERIFY(!QFile::exists(iniFile()));
        TestWindow hidden;
        SaveFormIni(&hidden);
        QVERIFY(!QFile::exists(iniFile()));
    }

    void maximisedKeepsNormalPlace()
    {
        QPoint framePos;
        {
            TestWindow w;
            QVERIFY(showAt(w, QRect(150, 100, 600, 450)));
            framePos = w.frameGeometry().topLeft();
            SaveFormIni(&w);
            const QString left = readRaw(QStringLiteral("FormPosition"), QStringLiteral("Left"));
            w.showMaximized();
            QTRY_VERIFY(w.windowState() & Qt::WindowMaximized);
            SaveFormIni(&w);
            QCOMPARE(readRaw(QStringLiteral("FormPosition"), QStringLiteral("WindowState")), QStringLiteral("2"));
            QCOMPARE(readRaw(QStringLiteral("FormPosition"), QStringLiteral("Left")), left);
        }
        TestWindow w;
        w.setGeometry(10, 10, 200, 150);
        LoadFormIni(&w, false);
        QVERIFY(w.windowState() & Qt::WindowMaximized);
        QCOMPARE(w.normalGeometry().size(), QSize(600, 450) + (w.frameGeometry().size() - w.geometry().size()));
        // With bNoSize only the position is restored.
        TestWindow n;
        n.setGeometry(10, 10, 200, 150);
        LoadFormIni(&n, true);
        QVERIFY(!(n.windowState() & Qt::WindowMaximized));
        QCOMPARE(n.size(), QSize(200, 150));
        QCOMPARE(n.pos(), framePos);
    }

    void damagedFileRestoresWhatItCan()
    {
        const double tx = TwipsPerPixelX();
        const double ty = TwipsPerPixelY();
        writeRaw(QStringLiteral("garbage line\n[formposition\nLeft=1\n[FORMPOSITION]\nleft = 0\nTOP=%1\n"
                                "Width=abc\nHeight=%2\nno equals sign\nWindowState=\n")
                     .arg(70 * ty).arg(int(180 * ty)));
        Q_UNUSED(tx);
        TestWindow w;
        w.setGeometry(33, 44, 210, 160);
        LoadFormIni(&w, false);
        QCOMPARE(w.pos(), QPoint(33, 70)); // Left 0 not applied, Top applied (case ignored)
        QCOMPARE(w.size(), QSize(210, 180));
    }

    void valuesAreCutToNineCharacters()
    {
        // "12000.00012345" is cut to "12000.000".
        writeRaw(QStringLiteral("[FormPosition]\nWidth=  12000.00012345  \nHeight=\"6000\"\n"));
        TestWindow w;
        w.resize(100, 100);
        LoadFormIni(&w, false);
        QCOMPARE(w.width(), qRound(12000 / TwipsPerPixelX()));
        QCOMPARE(w.height(), qRound(6000 / TwipsPerPixelY()));
        QCOMPARE(ReadIniValue(iniFile(), QStringLiteral("formposition"), QStringLiteral("WIDTH")),
                 QStringLiteral("12000.000"));
    }

    void outOfRangeValuesAreSkipped()
    {
        writeRaw(QStringLiteral("[FormPosition]\nLeft=1E+30\nTop=99999999\nWidth=-5\nHeight=1e308\n"));
        TestWindow w;
        w.setGeometry(20, 30, 200, 150);
        LoadFormIni(&w, false);
        QCOMPARE(w.pos(), QPoint(20, 30));
        QCOMPARE(w.height(), 150);
        // a window state that is none of the three leaves the window as it is
        for (const char* state : {"1e30", "-1E+30", "4294967298", "3", "-1"}) {
            writeRaw(QStringLiteral("[FormPosition]\nWindowState=%1\n").arg(QLatin1String(state)));
            TestWindow s;
            s.resize(200, 150);
            LoadFormIni(&s, false);
            QVERIFY2(s.windowState() == Qt::WindowNoState, state);
            QCOMPARE(s.size(), QSize(200, 150));
        }
        writeRaw(QStringLiteral("[FormPosition]\nWindowState=2\n"));
        TestWindow m;
        LoadFormIni(&m, false);
        QVERIFY(m.windowState() & Qt::WindowMaximized);
    }

    void gridLayoutRoundTrip()
    {
        {
            TestWindow w;
            w.show();
            QVERIFY(QTest::qWaitForWindowExposed(&w));
            w.spList->SetColWidth(2, 17.5);
            SaveSpreadColWidth(&w, w.spList, 2, QString(), -1);
            SaveSpreadIni_Gn(&w, w.spList, QStringLiteral("FontSize"), QStringLiteral("12"));
            SaveSpreadIni_Gn(&w, w.spList, QStringLiteral("RowHeight"), QStringLiteral("20"));
            w.spDate[1]->SetColWidth(1, 11);
            SaveSpreadColWidth(&w, w.spDate[1], 1, QString(), 1);
        }
        QCOMPARE(readRaw(QStringLiteral("spList_ColsWidth"), QStringLiteral("2")), QStringLiteral("17.5"));
        QCOMPARE(readRaw(QStringLiteral("spList_General"), QStringLiteral("FontSize")), QStringLiteral("12"));
        QCOMPARE(readRaw(QStringLiteral("spDate_1_ColsWidth"), QStringLiteral("1")), QStringLiteral("11"));
        TestWindow w;
        const double designedWidth1 = w.spList->ColWidth(1);
        LoadFormIni(&w, false);
        QCOMPARE(w.spList->ColWidth(2), 17.5);
        QCOMPARE(w.spList->ColWidth(1), designedWidth1);
        QCOMPARE(w.spDate[1]->ColWidth(1), 11.0);
        w.spList->SetCol(1);
        w.spList->SetRow(1);
        QCOMPARE(w.spList->FontSize(), 12.0);
        QCOMPARE(w.spList->RowHeight(1), 20.0);
        QCOMPARE(w.spList->RowHeight(0), 22.0);
        // Without the size the grids are restored all the same.
        TestWindow n;
        n.resize(321, 123);
        LoadFormIni(&n, true);
        QCOMPARE(n.size(), QSize(321, 123));
        QCOMPARE(n.spList->ColWidth(2), 17.5);
        QCOMPARE(n.spDate[1]->ColWidth(1), 11.0);
        n.spList->SetCol(1);
        n.spList->SetRow(1);
        QCOMPARE(n.spList->FontSize(), 12.0);
    }

    void badFontSizeKeepsDesign()
    {
        for (const QString& bad : {QStringLiteral("0"), QStringLiteral("abc"), QStringLiteral("-3")}) {
            writeRaw(QStringLiteral("[spList_General]\nFontSize=%1\nRowHeight=%1\n").arg(bad));
            TestWindow w;
            w.spList->SetCol(1);
            w.spList->SetRow(1);
            const double designedFont = w.spList->FontSize();
            const double designedRow = w.spList->RowHeight(1);
            LoadSpreadIni(w.spList, iniFile(), -1);
            w.spList->SetCol(1);
            w.spList->SetRow(1);
            QCOMPARE(w.spList->FontSize(), designedFont);
            QCOMPARE(w.spList->RowHeight(1), designedRow);
        }
    }

    void hiddenGridStoresNoWidth()
    {
        TestWindow w; // never shown
        w.spList->SetColWidth(1, 30);
        SaveSpreadColWidth(&w, w.spList, 1);
        QVERIFY(readRaw(QStringLiteral("spList_ColsWidth"), QStringLiteral("1")).isEmpty());
    }

    void deleteGivesDesignedLayout()
    {
        writeRaw(QStringLiteral("[spList_ColsWidth]\n1=40\n"));
        DelFormIni(QStringLiteral("frmLayoutTest"));
        QVERIFY(!QFile::exists(iniFile()));
        TestWindow w;
        const double designed = w.spList->ColWidth(1);
        LoadFormIni(&w, false);
        QCOMPARE(w.spList->ColWidth(1), designed);
        DelFormIni(QStringLiteral("frmLayoutTest")); // a missing file is no error
    }

    void chainDate()
    {
        testsupport::ScriptedPrompter p;
        TestWindow w;
        w.spDate[0]->SetText(1, 1, QStringLiteral("2009-03-01"));
        w.spDate[1]->SetText(1, 1, QStringLiteral("2009-03-31"));
        ChainDate(&w, 0); // not ticked: nothing
        QCOMPARE(w.spDate[1]->GetText(1, 1), QStringLiteral("2009-03-31"));
        w.chkChain->setChecked(true);
        ChainDate(&w, 0);
        QCOMPARE(w.spDate[1]->GetText(1, 1), QStringLiteral("2009-03-01"));
        w.spDate[1]->SetText(1, 1, QStringLiteral("2009-04-30"));
        ChainDate(&w, 1);
        QCOMPARE(w.spDate[0]->GetText(1, 1), QStringLiteral("2009-04-30"));
        ChainDate(&w, 2);
        QCOMPARE(p.lastMessage().text, QStringLiteral("코딩누락"));
    }
};

QTEST_MAIN(TestModFormIni)
#include "tst_modFormIni.moc"
