#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "ledger/FrmNVGraph.h"
#include "platform/NVGraph.h"
#include "support/ScriptedPrompter.h"
#include "support/DrawnText.h"
#include "support/TestEnv.h"
#include "support/WriteFailure.h"
#include "support/XDesktop.h"

#include <QAbstractButton>
#include <QColorDialog>
#include <QComboBox>
#include <QCheckBox>
#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest>

// The graph window on an X server with a window manager and the real fonts: its option bar
// shows every caption and choice whole, at the size it opens with and at any width.
class tst_x_FrmNVGraph : public QObject {
    Q_OBJECT
    std::unique_ptr<testsupport::TestEnv> env;
    std::unique_ptr<testsupport::ScriptedPrompter> prompter;

    static void handOver(FrmNVGraph& w, int n, int negativeAt = -1)
    {
        w.ClearGraph();
        const QDate first(2024, 1, 1);
        for (int i = 0; i < n; ++i) {
            double v = i == negativeAt ? -5900 : 100000 + (i * 7919) % 500000;
            QString name = first.addDays(i).toString(QStringLiteral("yyyy-MM-dd"));
            w.AddData(v, name);
        }
        w.ReDrawGraph();
    }

    // The room a combo box gives its text.
    static int comboTextRoom(QComboBox* c)
    {
        QStyleOptionComboBox opt;
        opt.initFrom(c);
        opt.editable = c->isEditable();
        return c->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, c).width();
    }

    static void checkOptionBar(FrmNVGraph& w)
    {
        const QString at = QStringLiteral(" at width %1").arg(w.width());
        for (QComboBox* c : {w.cboGraphType, w.cboUnit})
            for (int i = 0; i < c->count(); ++i)
                QVERIFY2(c->fontMetrics().horizontalAdvance(c->itemText(i)) <= comboTextRoom(c),
                         qPrintable(c->itemText(i) + QStringLiteral(" is cut") + at));
        const QRect bar(w.pnlTop->mapTo(&w, QPoint()), w.pnlTop->size());
        QList<QRect> taken;
        for (QWidget* c : w.pnlTop->findChildren<QWidget*>()) {
            const bool caption = qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c)
                || qobject_cast<QComboBox*>(c);
            if (!c->isVisibleTo(&w) || !(caption || qobject_cast<QLineEdit*>(c)) || c->parentWidget() != c->window()
                && qobject_cast<QComboBox*>(c->parentWidget()))
                continue;
            const QRect r(c->mapTo(&w, QPoint()), c->size());
            const QString what = c->objectName() + QStringLiteral(" \"") + c->property("text").toString()
                + QStringLiteral("\"") + at;
            QVERIFY2(bar.contains(r), qPrintable(what + QStringLiteral(" lies outside the bar")));
            const bool fixedWidth = c->minimumWidth() == c->maximumWidth();
            if (fixedWidth) // made that wide on purpose: its text still fits
                QVERIFY2(c->fontMetrics().horizontalAdvance(c->property("text").toString()) + 4 <= c->width(),
                         qPrintable(what + QStringLiteral(" is cut")));
            else if (caption)
                QVERIFY2(c->width() >= c->sizeHint().width(), qPrintable(what + QStringLiteral(" is cut")));
            else
                QVERIFY2(c->width() >= c->minimumSizeHint().width(), qPrintable(what + QStringLiteral(" is squeezed")));
            for (const QRect& o : taken)
                QVERIFY2(!r.intersects(o), qPrintable(what + QStringLiteral(" covers another control")));
            taken << r;
        }
        QVERIFY(w.pnlList->y() >= bar.bottom());
    }

    // For a person checking the drawing by hand: with TRELVO_SHOTS_DIR set, the window is
    // saved there as a picture.
    static void keepShot(QWidget& w, const QString& name)
    {
        const QString dir = qEnvironmentVariable("TRELVO_SHOTS_DIR");
        if (!dir.isEmpty())
            w.grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
    }

    // What the graph draws: no text over another or past the graph's edge; every text a
    // value, or a name, whole or shortened at its end with "…".
    static void checkGraphTexts(FrmNVGraph& w, const QString& at)
    {
        const QList<testsupport::DrawnTextRun> runs = testsupport::drawnText(w.NVGraph);
        const QString fault = testsupport::firstOverlap(runs, QRectF(w.NVGraph->rect()));
        QVERIFY2(fault.isEmpty(), qPrintable(fault + at));
        static const QRegularExpression number(QStringLiteral("^-?[0-9,]+(\\.[0-9]+)?$"));
        QStringList names;
        for (int i = 0; i < w.NVGraph->DataCount(); ++i)
            names << w.NVGraph->Name(i);
        int values = 0, named = 0;
        for (const auto& r : runs) {
            if (number.match(r.text).hasMatch()) {
                ++values;
                continue;
            }
            const bool shortened = r.text.endsWith(QChar(0x2026));
            const QString kept = shortened ? r.text.chopped(1) : r.text;
            bool known = false;
            for (const QString& n : names)
                known = known || (shortened ? n.startsWith(kept) && !kept.isEmpty() : n == kept);
            QVERIFY2(known, qPrintable(QStringLiteral("\"%1\" is no name").arg(r.text) + at));
            ++named;
        }
        QVERIFY2(values >= 2 && named >= 1, qPrintable(QStringLiteral("%1 values, %2 names").arg(values).arg(named) + at));
    }

    static bool hasHangul(const QString& s)
    {
        return std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; });
    }

    // The captions a dialog shows: its title, and the texts of its visible labels and buttons
    // that hold words (not numbers, colour codes or names of printers and paper).
    static QStringList captionsOf(QDialog& d, const QStringList& valuesShown = {})
    {
        QStringList list{d.windowTitle()};
        for (QWidget* c : d.findChildren<QWidget*>()) {
            if (!c->isVisibleTo(&d))
                continue;
            QString t;
            if (auto* l = qobject_cast<QLabel*>(c))
                t = l->text();
            else if (auto* b = qobject_cast<QPushButton*>(c))
                t = b->text();
            t.remove(QLatin1Char('&'));
            if (std::any_of(t.begin(), t.end(), [](QChar ch) { return ch.isLetter(); }) && !valuesShown.contains(t))
                list << t;
        }
        return list;
    }

private slots:
    void init()
    {
        env = std::make_unique<testsupport::TestEnv>();
        prompter = std::make_unique<testsupport::ScriptedPrompter>();
        gsTitle = QStringLiteral("Trelvo");
    }
    void cleanup()
    {
        prompter.reset();
        env.reset();
    }

    void optionBarShowsEverythingWhole()
    {
        FrmNVGraph w;
        w.show();
        QVERIFY(testsupport::waitForFramed(&w));
        handOver(w, 120);
        QApplication::processEvents();
        checkOptionBar(w); // as it opens
        for (int width : {w.minimumWidth(), 500, 700, 900, 1200}) {
            w.resize(width, 600);
            QTRY_COMPARE(w.width(), width);
            QApplication::processEvents();
            checkOptionBar(w);
        }
    }

    // Opened as the analysis window opens it (placed and shown, then the points handed over),
    // the window is wide enough for each option row to lie on one line.
    void optionRowsLieOnOneLineEachAtTheDefaultSize()
    {
        auto* w = new FrmNVGraph(); // deleted when it closes
        FormFocus(w);
        handOver(*w, 120);
        QVERIFY(testsupport::waitForFramed(w));
        QApplication::processEvents();
        QLayout* rows = w->pnlTop->layout()->itemAt(0)->layout();
        QVERIFY(rows && rows->count() == 2);
        for (int r = 0; r < rows->count(); ++r) {
            QLayout* row = rows->itemAt(r)->layout();
            QVERIFY(row && row->count() > 3);
            const QRect first = row->itemAt(0)->geometry();
            for (int i = 1; i < row->count(); ++i) // on the first item's line: beside it, not under it
                QVERIFY2(row->itemAt(i)->geometry().top() <= first.bottom()
                             && row->itemAt(i)->geometry().bottom() >= first.top(),
                         qPrintable(QStringLiteral("option row %1 wraps before item %2 at width %3")
                                        .arg(r + 1).arg(i + 1).arg(w->width())));
        }
        w->close();
    }

    // At every size, from the smallest the window allows, with the names across or turned
    // upright and the values shown or not (a negative one among them): the texts of the
    // graph stand apart and inside it, and a name that does not fit is shortened at its end.
    void graphTextsStandApartAtEverySize()
    {
        FrmNVGraph w;
        w.show();
        QVERIFY(testsupport::waitForFramed(&w));
        handOver(w, 120, 3);
        auto click = [](QCheckBox* box) {
            QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
        };
        for (int flags = 0; flags < 4; ++flags) {
            const bool rotate = flags & 1, values = flags & 2;
            if (w.chkGrpStat[3]->isChecked() != rotate)
                click(w.chkGrpStat[3]);
            if (w.chkGrpStat[0]->isChecked() != values)
                click(w.chkGrpStat[0]);
            QCOMPARE(w.NVGraph->RotateLabels(), rotate);
            QCOMPARE(w.NVGraph->ShowValues(), values);
            for (const QSize& size : {w.minimumSize(), QSize(500, 450), QSize(900, 600)}) {
                w.resize(size);
                QTRY_COMPARE(w.size(), size);
                QApplication::processEvents();
                const QString at = QStringLiteral(" at %1x%2, %3%4").arg(size.width()).arg(size.height())
                    .arg(rotate ? QStringLiteral("upright") : QStringLiteral("across"),
                         values ? QStringLiteral(", values") : QString());
                keepShot(w, QStringLiteral("graph-%1x%2-%3%4").arg(size.width()).arg(size.height())
                    .arg(rotate ? QStringLiteral("upright") : QStringLiteral("across"),
                         values ? QStringLiteral("-values") : QString()));
                checkGraphTexts(w, at);
                if (QTest::currentTestFailed())
                    return;
            }
        }
    }

    // Qt's own dialogs in the graph window speak the program's language: the print dialog of
    // F7 and the colour dialog of the colour buttons.
    void printAndColourDialogsAreKorean()
    {
        auto* w = new FrmNVGraph(); // deleted when it closes
        w->show();
        QVERIFY(testsupport::waitForFramed(w));
        handOver(*w, 20);

        QStringList captions;
        prompter->modalAnswers.enqueue([&](QDialog& d) {
            if (auto* print = qobject_cast<QPrintDialog*>(&d))
                captions = captionsOf(d, {print->printer()->printerName()});
            return int(QDialog::Rejected);
        });
        QTest::keyClick(w, Qt::Key_F7);
        QVERIFY(captions.size() > 3);
        for (const QString& t : captions)
            QVERIFY2(hasHangul(t), qPrintable(QStringLiteral("print dialog: ") + t));

        // The colour dialog is Qt's, as the user gets it: no scripted answers.
        prompter.reset();
        captions.clear();
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            if (auto* d = qobject_cast<QColorDialog*>(QApplication::activeModalWidget())) {
                poll.stop();
                QTest::qWait(100); // laid out and shown
                // "HTML" names the colour code's format in either language
                captions = captionsOf(*d, {QStringLiteral("HTML:"), QStringLiteral("HTML(H):")});
                d->reject();
            }
        });
        poll.start(50);
        w->btnColor[0]->click();
        QVERIFY(captions.size() > 8);
        for (const QString& t : captions)
            QVERIFY2(hasHangul(t), qPrintable(QStringLiteral("colour dialog: ") + t));
        w->close();
    }

    // F7 into a PDF file, on small file systems with and without an older graph.pdf, and into
    // a folder that is not there (the print cannot start). Exactly when the print fits, the
    // file is there whole and nothing is told; otherwise the window tells it with its own
    // message, no file is left, and an older one stays as it was.
    void printToAFile_data()
    {
        QTest::addColumn<int>("roomKb"); // the file system's size; 0: a folder that is not there
        QTest::addColumn<bool>("aboutTheEnd"); // roomKb beyond what the print and an older file take
        QTest::addColumn<bool>("olderFile");
        QTest::newRow("no folder") << 0 << false << false;
        for (bool older : {false, true}) {
            const char* o = older ? ", older file" : "";
            for (int kb : {4, 16, 32})
                QTest::addRow("%d KB%s", kb, o) << kb << false << older;
            for (int kb : {-8, -4, 0, 4})
                QTest::addRow("%+d KB about the end%s", kb, o) << kb << true << older;
        }
    }
    void printToAFile()
    {
        QFETCH(int, roomKb);
        QFETCH(bool, aboutTheEnd);
        QFETCH(bool, olderFile);
        auto* w = new FrmNVGraph(); // deleted when it closes
        const auto closeWindow = qScopeGuard([w] { w->close(); });
        w->show();
        QVERIFY(testsupport::waitForFramed(w));
        // names of many different letters: the font the print carries is written in pieces
        // larger than a write buffer
        w->ClearGraph();
        for (int i = 0; i < 120; ++i) {
            double v = 1000 + i * 37;
            QString name;
            for (int k = 0; k < 4; ++k)
                name += QChar(0xAC00 + ((i * 4 + k) * 23) % 11172);
            w->AddData(v, name);
        }
        w->ReDrawGraph();
        const auto printTo = [&](const QString& path) {
            prompter->modalAnswers.enqueue([path](QDialog& d) {
                auto* dlg = qobject_cast<QPrintDialog*>(&d);
                if (!dlg)
                    return int(QDialog::Rejected);
                dlg->printer()->setOutputFormat(QPrinter::PdfFormat);
                dlg->printer()->setOutputFileName(path);
                return int(QDialog::Accepted);
            });
            QTest::keyClick(w, Qt::Key_F7);
        };
        const auto bytes = [](const QString& path) {
            QFile f(path);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        };
        const QString whole = env->path(QStringLiteral("whole.pdf"));
        printTo(whole);
        const qint64 size = QFileInfo(whole).size();
        QVERIFY2(size > 4096 && bytes(whole).trimmed().endsWith("%%EOF"), qPrintable(QString::number(size)));
        QCOMPARE(prompter->messages().size(), 0);

        const int pages = int((size + 4095) / 4096) + (olderFile ? 1 : 0);
        if (aboutTheEnd)
            roomKb += pages * 4;
        const QString folder = env->path(roomKb ? QStringLiteral("small") : QStringLiteral("없는 폴더"));
        const QByteArray diskSize = QByteArray::number(roomKb) + 'k';
        std::unique_ptr<testsupport::SmallFileSystem> disk;
        if (roomKb) {
            disk = std::make_unique<testsupport::SmallFileSystem>(folder, diskSize.constData());
            if (!disk->ok())
                QSKIP(qPrintable(disk->why()));
        }
        const QString target = QDir(folder).filePath(QStringLiteral("graph.pdf"));
        const QByteArray older(3000, 'o'); // one page of the file system
        if (olderFile) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(older) == older.size());
        }
        printTo(target);
        const bool fits = roomKb && pages * 4 <= roomKb;
        const QString at = QStringLiteral(" (print of %1 bytes on %2)").arg(size).arg(QString::fromLatin1(diskSize));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 fits || olderFile ? QStringList{QStringLiteral("graph.pdf")} : QStringList());
        if (fits) {
            QVERIFY2(prompter->messages().isEmpty(), qPrintable(prompter->lastMessage().text + at));
            QVERIFY2(bytes(target).size() == size && bytes(target).trimmed().endsWith("%%EOF"), qPrintable(at));
        } else {
            const QString told = prompter->lastMessage().text;
            QVERIFY2(prompter->messages().size() == 1 && told.startsWith(QStringLiteral("그래프를 인쇄하지 못했습니다.\r\n"))
                         && told.contains(QStringLiteral("graph.pdf")),
                     qPrintable(told + at));
            if (olderFile)
                QVERIFY2(bytes(target) == older, qPrintable(at));
        }
    }
};

QTEST_MAIN(tst_x_FrmNVGraph)
#include "tst_x_FrmNVGraph.moc"
