#include "frame/frmMsgBackUp.h"

#include "platform/FormRegistry.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

frmMsgBackUp::frmMsgBackUp(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmMsgBackUp"));
    setWindowTitle(QStringLiteral("데이터 백업"));
    setModal(true);

    auto* layout = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("프로그램을 종료하기 전에 데이터를 백업하시겠습니까?"), this);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label, 0, 0, 1, 2);

    static const char* captions[4] = {"서버로 백업", "하드디스크로 백업", "백업없이 종료", "취소"};
    for (int i = 0; i < 4; ++i) {
        auto* b = new QPushButton(QString::fromUtf8(captions[i]), this);
        b->setObjectName(QStringLiteral("cmdResult_%1").arg(i));
        b->setMinimumSize(150, 48);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, i] { cmdResult_Click(i); });
        layout->addWidget(b, 1 + i / 2, i % 2);
        m_buttons[i] = b;
    }
    platform::FormRegistry::instance().registerForm(this, QStringLiteral("frmMsgBackUp"));
}

frmMsgBackUp::~frmMsgBackUp()
{
    platform::FormRegistry::instance().unregisterForm(this);
}

void frmMsgBackUp::cmdResult_Click(int index)
{
    m_result = index;
    if (index == 3)
        reject();
    else
        accept();
}
