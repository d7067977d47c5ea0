#include "frame/FrmFloatMsg.h"

#include "platform/FormRegistry.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QTimer>
#include <QVBoxLayout>

FrmFloatMsg::FrmFloatMsg(QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::Tool)
{
    setObjectName(QStringLiteral("FrmFloatMsg"));
    setFixedSize(425, 50);
    lblMsg = new QLabel(this);
    lblMsg->setObjectName(QStringLiteral("lblMsg"));
    lblMsg->setAlignment(Qt::AlignCenter);
    lblMsg->setStyleSheet(QStringLiteral("color: #10305a; font-weight: bold;"));
    lblMsg->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 4, 8, 4);
    layout->addWidget(lblMsg);
    Timer1 = new QTimer(this);
    Timer1->setSingleShot(true);
    connect(Timer1, &QTimer::timeout, this, [this] {
        Timer1->stop();
        done(QDialog::Accepted);
        close();
    });
    platform::FormRegistry::instance().registerForm(this, objectName());
}

FrmFloatMsg::~FrmFloatMsg()
{
    Timer1->stop();
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmFloatMsg::InitForm(const QString& text, int delay, long)
{
    lblMsg->setText(text);
    if (delay > 0) {
        Timer1->setInterval(delay);
        Timer1->start();
    }
}

QString FrmFloatMsg::text() const { return lblMsg->text(); }
bool FrmFloatMsg::timerRunning() const { return Timer1->isActive(); }

void FrmFloatMsg::closeIfTimed()
{
    if (!Timer1->isActive())
        return;
    Timer1->stop();
    done(QDialog::Accepted);
    close();
}

void FrmFloatMsg::mousePressEvent(QMouseEvent*) { closeIfTimed(); }

void FrmFloatMsg::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)
        closeIfTimed();
    else if (e->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(e);
}

bool FrmFloatMsg::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == lblMsg && e->type() == QEvent::MouseButtonPress) {
        closeIfTimed();
        return true;
    }
    return QDialog::eventFilter(watched, e);
}

void FrmFloatMsg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    QLinearGradient g(0, 0, 0, height());
    g.setColorAt(0, QColor(0xF4, 0xF9, 0xFF));
    g.setColorAt(1, QColor(0xCF, 0xE2, 0xF7));
    p.fillRect(rect(), g);
    p.setPen(QColor(0x5A, 0x82, 0xB4));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}
