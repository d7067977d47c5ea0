#include "ledger/FrmProduct_sel.h"

#include "frame/modComboBox.h"
#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "ledger/frmMain.h"
#include "platform/SpreadGrid.h"
#include "platform/SqlText.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

FrmProduct_sel::FrmProduct_sel(QWidget* parent)
    : NameSelForm(NameList::Product, QStringLiteral("FrmProduct_sel"), QStringLiteral("상품검색"), parent)
{
    lblGroup = new QLabel(QStringLiteral("그룹:"), this);
    lblGroup->setObjectName(QStringLiteral("lblGroup"));
    cmbGroup = new QComboBox(this);
    cmbGroup->setObjectName(QStringLiteral("cmbGroup"));
    cmbGroup->setEditable(true);
    cmbGroup->setInsertPolicy(QComboBox::NoInsert);
    cmbGroup->setMinimumWidth(90);
    lblGroup->setBuddy(cmbGroup);
    searchRow->addSpacing(8);
    searchRow->addWidget(lblGroup);
    searchRow->addWidget(cmbGroup);
    setTabOrder(txtName, cmbGroup);
    setTabOrder(cmbGroup, spList);
    watchKeys(cmbGroup);
    connect(cmbGroup, QOverload<int>::of(&QComboBox::activated), this, [this](int) { cmbGroup_Click(); });

    Form_Load();

    // The group combo: an empty entry first, then every group in name order.
    CmbSetSize(cmbGroup, long(cmbGroup->width() * TwipsPerPixelX()), spList->Height());
    cmbGroup->clear();
    cmbGroup->addItem(QString());
    cmbGroup->setCurrentIndex(0);
    RecordsetPtr rs;
    if (DAO_OpenSnapshot(gDB, rs, QStringLiteral("SELECT name FROM group_name ORDER BY name COLLATE NOCASE"))) {
        try {
            while (!rs->eof()) {
                cmbGroup->addItem(rs->text(0));
                rs->moveNext();
            }
        } catch (const dao::DaoError& e) {
            ShowRecordsetError(e.number(), e.description(), QStringLiteral("SELECT name FROM group_name"));
        }
        CloseRS(rs);
    }
}

void FrmProduct_sel::Group(const QString& sGroup) { cmbGroup->setCurrentText(sGroup); }

QString FrmProduct_sel::SearchSql(QVariantList& params) const
{
    params.clear();
    const QString text = txtName->text();
    const QString group = cmbGroup->currentText();
    if (text.isEmpty() && !group.isEmpty()) {
        // each product used in that group's vouchers, once
        params << group;
        return QStringLiteral("SELECT name FROM product INNER JOIN total ON product.name = total.pro_name COLLATE NOCASE"
                              " WHERE total.group_name = ? COLLATE NOCASE GROUP BY name ORDER BY name COLLATE NOCASE");
    }
    QString sql = QStringLiteral("SELECT name FROM product");
    if (!text.isEmpty()) {
        if (gbAutoPickProduct) {
            sql += QStringLiteral(" WHERE name = ? COLLATE NOCASE");
            params << text;
        } else {
            sql += QStringLiteral(" WHERE name LIKE ?") + QString::fromLatin1(dao::kLikeEscape);
            params << dao::likeContains(text);
        }
    }
    return sql + QStringLiteral(" ORDER BY name COLLATE NOCASE");
}

void FrmProduct_sel::cmbGroup_Click()
{
    // A group chosen in the open list searches at once, as it does before the list is shown.
    Refresh_Sheet();
}

void FrmProduct_sel::cmbGroup_GotFocus() { CmbShowList(false); }

void FrmProduct_sel::cmbGroup_KeyDown(int keyCode) { CmbEnterToTab(keyCode); }

bool FrmProduct_sel::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == cmbGroup) {
        if (e->type() == QEvent::FocusIn && isVisible()) {
            // Entered from the keyboard only: the focus coming back from the closed list, or
            // from a click that opens the list itself, opens nothing.
            const auto reason = static_cast<QFocusEvent*>(e)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                cmbGroup_GotFocus();
        } else if (e->type() == QEvent::KeyPress) {
            auto* k = static_cast<QKeyEvent*>(e);
            const int code = VbKeyCode(k);
            if (code == 13 || code == 37 || code == 39) {
                cmbGroup_KeyDown(code);
                return true;
            }
        }
    }
    return NameSelForm::eventFilter(watched, e);
}

void FrmProduct_sel::showEvent(QShowEvent* e)
{
    NameSelForm::showEvent(e);
    // the combo's list is as long as the grid is tall
    CmbSetSize(cmbGroup, long(cmbGroup->width() * TwipsPerPixelX()), spList->Height());
}
