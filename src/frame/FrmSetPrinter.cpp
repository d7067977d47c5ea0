#include "frame/FrmSetPrinter.h"

#include "frame/modCommon.h"
#include "frame/modMain.h"
#include "platform/FormRegistry.h"
#include "platform/SettingsStore.h"

#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

FrmSetPrinter::FrmSetPrinter(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmSetPrinter"));
    setWindowTitle(QStringLiteral("프린트 드라이버 설정"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    Spn기본프린터 = new QLabel(this);
    Spn기본프린터->setObjectName(QStringLiteral("Spn기본프린터"));
    Spn기본프린터->setFrameShape(QFrame::Panel);
    Spn기본프린터->setFrameShadow(QFrame::Sunken);
    layout->addWidget(Spn기본프린터);
    List1 = new QListWidget(this);
    List1->setObjectName(QStringLiteral("List1"));
    List1->setMinimumSize(280, 160);
    layout->addWidget(List1);
    Command1 = new QPushButton(QStringLiteral("프린터선택(&S)"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setAutoDefault(false);
    layout->addWidget(Command1);
    connect(Command1, &QPushButton::clicked, this, &FrmSetPrinter::Command1_Click);

    platform::FormRegistry::instance().registerForm(this, QStringLiteral("FrmSetPrinter"));
    Form_Load();
}

FrmSetPrinter::~FrmSetPrinter()
{
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmSetPrinter::Form_Load()
{
    Spn기본프린터->setText(QStringLiteral(" ") + GetDefaultPrinterName());
    List1->clear();
    List1->addItems(QPrinterInfo::availablePrinterNames());
}

void FrmSetPrinter::Command1_Click()
{
    const QListWidgetItem* item = List1->currentItem();
    if (item && item->isSelected())
        platform::SaveSetting(gsTitle, QStringLiteral("Drive"), gsTitle, item->text());
    accept();
}

void FrmSetPrinter::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape) {
        reject();
        return;
    }
    QDialog::keyPressEvent(e);
}
