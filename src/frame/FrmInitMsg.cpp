#include "frame/FrmInitMsg.h"

#include "frame/modMain.h"
#include "platform/FormRegistry.h"
#include "platform/ProgramFolder.h"
#include "platform/SettingsStore.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

FrmInitMsg::FrmInitMsg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmInitMsg"));
    setWindowTitle(QStringLiteral("안내 메세지"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setMinimumSize(480, 300);
    Picture1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    const QString picture = platform::programPath(QStringLiteral("Image/SoftwareInfoMsg.jpg"));
    if (QFileInfo(picture).isFile())
        Picture1->setPixmap(QPixmap(picture));
    ChkCheck = new QCheckBox(QStringLiteral("다음부터 이 화면을 띄우지 않음."), this);
    ChkCheck->setObjectName(QStringLiteral("ChkCheck"));
    Command1 = new QPushButton(QStringLiteral("닫기(&C)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(ChkCheck);
    bottom->addStretch(1);
    bottom->addWidget(Command1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Picture1, 1);
    layout->addLayout(bottom);

    connect(ChkCheck, &QCheckBox::clicked, this, &FrmInitMsg::ChkCheck_Click);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
    platform::FormRegistry::instance().registerForm(this, QStringLiteral("FrmInitMsg"));
}

FrmInitMsg::~FrmInitMsg() { platform::FormRegistry::instance().unregisterForm(this); }

void FrmInitMsg::ChkCheck_Click()
{
    platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg"),
                          ChkCheck->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
}
