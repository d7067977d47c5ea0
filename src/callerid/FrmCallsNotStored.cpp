#include "callerid/FrmCallsNotStored.h"

#include "frame/modMain.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

const QString FrmCallsNotStored::kHeading =
    QStringLiteral("다음 전화를 전화 리스트에 저장하지 못했습니다. 따로 적어 두십시오.");

QString FrmCallsNotStored::LineOf(const CallRecordQueue::Call& c)
{
    return c.stel + QStringLiteral("  ") + c.sdate + QLatin1Char(' ') + c.stime
        + (c.cname.isEmpty() ? QString() : QStringLiteral("  ") + c.cname);
}

FrmCallsNotStored::FrmCallsNotStored(const QList<CallRecordQueue::Call>& calls, QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmCallsNotStored"));
    setWindowTitle(gsTitle);
    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxWarning, nullptr, this).pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop);
    lblHeading = new QLabel(kHeading, this);
    lblHeading->setObjectName(QStringLiteral("lblHeading"));
    lblHeading->setWordWrap(true);
    lstCalls = new QListWidget(this);
    lstCalls->setObjectName(QStringLiteral("lstCalls"));
    lstCalls->setSelectionMode(QAbstractItemView::NoSelection);
    lstCalls->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    lstCalls->setTextElideMode(Qt::ElideNone);
    for (const CallRecordQueue::Call& c : calls)
        lstCalls->addItem(LineOf(c));
    cmdOk = new QPushButton(QStringLiteral("확인"), this);
    cmdOk->setObjectName(QStringLiteral("cmdOk"));
    cmdOk->setDefault(true);
    connect(cmdOk, &QPushButton::clicked, this, &QDialog::accept);

    auto* text = new QVBoxLayout;
    text->addWidget(lblHeading);
    text->addWidget(lstCalls, 1);
    auto* body = new QHBoxLayout;
    body->addWidget(icon);
    body->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cmdOk);
    buttons->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(body, 1);
    layout->addLayout(buttons);
    fitScreen();
}

void FrmCallsNotStored::fitScreen()
{
    QScreen* screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 800, 600);
    // room for the frame the window system adds around the window
    constexpr int kFrameW = 16, kFrameH = 48;
    const QFontMetrics fm(lstCalls->font());
    int widest = 0;
    for (int i = 0; i < lstCalls->count(); ++i)
        widest = std::max(widest, fm.horizontalAdvance(lstCalls->item(i)->text()));
    const int listFrame = 2 * lstCalls->frameWidth();
    const int rowH = std::max(fm.height(), lstCalls->sizeHintForRow(0));
    const int rows = std::max(1, lstCalls->count());
    // every line whole where the screen is wide enough (else the list scrolls sideways too)
    lstCalls->setMinimumWidth(std::min(widest + listFrame + lstCalls->verticalScrollBar()->sizeHint().width() + 12,
                                       area.width() / 2));
    lstCalls->setMinimumHeight(std::min(rows, 3) * rowH + listFrame);
    layout()->activate();
    const int listHint = std::max(lstCalls->sizeHint().height(), lstCalls->minimumHeight());
    const int around = sizeHint().height() - listHint;
    const int width = std::min(std::max(sizeHint().width(), 360), area.width() - kFrameW);
    const int height = std::min(around + rows * rowH + listFrame, area.height() - kFrameH);
    setMaximumSize(area.width() - kFrameW, area.height() - kFrameH);
    resize(width, std::max(height, minimumSizeHint().height()));
    move(area.x() + (area.width() - width - kFrameW) / 2, area.y() + (area.height() - this->height() - kFrameH) / 2);
}

void FrmCallsNotStored::Show(const QList<CallRecordQueue::Call>& calls, QWidget* parent)
{
    if (calls.isEmpty())
        return;
    FrmCallsNotStored dlg(calls, parent);
    platform::prompter().execModal(dlg);
}
