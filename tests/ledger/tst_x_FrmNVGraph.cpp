#include "frame/modMain.h"
#include "ledger/FrmNVGraph.h"
#include "platform/NVGraph.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"
#include "support/XDesktop.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDate>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QtTest>

// The graph window on an X server with a window manager and the real fonts: its option bar
// shows every caption and choice whole, at the size it opens with and at any width.
class tst_x_FrmNVGraph : public QObject {
    Q_OBJECT
    std::unique_ptr<testsupport::TestEnv> env;
    std::unique_ptr<testsupport::ScriptedPrompter> prompter;

    static void handOver(FrmNVGraph& w, int n)
    {
        w.ClearGraph();
        const QDate first(2024, 1, 1);
        for (int i = 0; i < n; ++i) {
            double v = 100000 + (i * 7919) % 500000;
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
};

QTEST_MAIN(tst_x_FrmNVGraph)
#include "tst_x_FrmNVGraph.moc"
