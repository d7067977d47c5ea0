#include "frame/FrmSprRPTCol.h"

#include "frame/modFormIni.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMsgBox.h"
#include "platform/FormRegistry.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

FrmSprRPTCol::FrmSprRPTCol(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmSprRPTCol"));
    setWindowTitle(QStringLiteral("보고서용 컬럼설정"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    Label1 = new QLabel(QStringLiteral("- 체크한 컬럼만 보고서에 나타납니다."), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    chkAll = new QCheckBox(QStringLiteral("전체(&A)"), this);
    chkAll->setObjectName(QStringLiteral("chkAll"));
    cmdSave = new QPushButton(QStringLiteral("저장(&S)"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    cmdClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdSave, cmdClose}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(chkAll);
    buttons->addStretch(1);
    buttons->addWidget(cmdSave);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(List1, 1);
    layout->addWidget(Label1);
    layout->addLayout(buttons);
    resize(300, 380);

    connect(List1, &QListWidget::itemChanged, this, &FrmSprRPTCol::List1_ItemCheck);
    connect(chkAll, &QCheckBox::clicked, this, &FrmSprRPTCol::chkAll_Click);
    connect(cmdSave, &QPushButton::clicked, this, &FrmSprRPTCol::cmdSave_Click);
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    platform::FormRegistry::instance().registerForm(this, QStringLiteral("FrmSprRPTCol"));
}

FrmSprRPTCol::~FrmSprRPTCol() { platform::FormRegistry::instance().unregisterForm(this); }

QString FrmSprRPTCol::iniFile() const { return FormIniFile(FormName(m_frm)); }

QString FrmSprRPTCol::iniSection() const { return SpreadIniPrefix(m_spr, -1) + QStringLiteral("_RPTCOL"); }

int FrmSprRPTCol::ColumnOf(int i) const
{
    const QListWidgetItem* item = List1->item(i);
    return item ? item->data(Qt::UserRole).toInt() : 0;
}

void FrmSprRPTCol::SetParam(QWidget* Frm, platform::SpreadGrid* sp)
{
    m_frm = Frm;
    m_spr = sp;
    m_bFilling = true;
    List1->clear();
    if (sp) {
        sp->SetRow(0);
        for (int c = 1; c <= sp->MaxCols(); ++c) {
            sp->SetCol(c);
            if (sp->ColHidden())
                continue;
            auto* item = new QListWidgetItem(sp->Text(), List1);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setData(Qt::UserRole, c);
            item->setCheckState(Qt::Checked);
        }
        const QString file = iniFile();
        if (m_frm && QFileInfo::exists(file)) {
            platform::IniFile ini(file);
            ini.load();
            const QString section = iniSection();
            for (int i = 0; i < List1->count(); ++i) {
                // Only the first character counts, as the choice has always been read.
                const QString v = ini.value(section, QString::number(ColumnOf(i)), QStringLiteral("1")).trimmed();
                List1->item(i)->setCheckState(v.startsWith(QLatin1Char('1')) ? Qt::Checked : Qt::Unchecked);
            }
        }
    }
    m_bFilling = false;
    m_bChanged = false;
}

void FrmSprRPTCol::List1_ItemCheck(QListWidgetItem*)
{
    if (!m_bFilling && isVisible())
        m_bChanged = true;
}

void FrmSprRPTCol::chkAll_Click(bool checked)
{
    m_bFilling = true;
    for (int i = 0; i < List1->count(); ++i)
        List1->item(i)->setCheckState(checked ? Qt::Checked : Qt::Unchecked);
    m_bFilling = false;
    m_bChanged = true;
}

void FrmSprRPTCol::cmdSave_Click()
{
    if (!m_frm || !m_spr) {
        MsgWarn(QStringLiteral("설정할 그리드가 없습니다."));
        return;
    }
    platform::IniFileLock lock(iniFile());
    platform::IniFile ini(iniFile());
    bool ok = lock.isLocked() && ini.load();
    if (ok) {
        const QString section = iniSection();
        for (int i = 0; i < List1->count(); ++i)
            ini.setValue(section, QString::number(ColumnOf(i)),
                         List1->item(i)->checkState() == Qt::Checked ? QStringLiteral("1") : QStringLiteral("0"));
        ok = ini.save();
    }
    if (!ok) {
        // Nothing was stored: the choice stays on the screen and counts as unsaved.
        ShowProcError(75, QStringLiteral("Path/File access error"), QStringLiteral("cmdSave_Click"),
                      QStringLiteral("Form"), QStringLiteral("FrmSprRPTCol"));
        return;
    }
    m_bChanged = false;
    MsgPlain(QStringLiteral("저장을 완료하였습니다."));
    accept();
}

void FrmSprRPTCol::done(int r)
{
    if (m_bChanged
        && MsgYesNo(QStringLiteral("수정된 내용이 저장되지 않았습니다. 그래도, 닫으시겠습니까?"), QString(), false)
               != platform::AnswerYes)
        return;
    m_bChanged = false;
    m_frm.clear();
    m_spr.clear();
    QDialog::done(r);
}
