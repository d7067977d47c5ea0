#include "callerid/FrmEasySMS.h"

#include "callerid/modVeltSMS.h"
#include "frame/modCommon.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/ActiveSMS.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFrame>
#include <QTextCursor>
#include <QValidator>
#include <QVBoxLayout>

const QString FrmEasySMS::kDestHint = QStringLiteral("여기에 번호입력");

namespace {

const QString kFormName = QStringLiteral("FrmEasySMS");
const QString kCrLf = QStringLiteral("\r\n");

FrmEasySMS::ControlFactory& factory()
{
    static FrmEasySMS::ControlFactory f;
    return f;
}

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QString setting(const QString& section, const QString& key)
{
    return platform::GetSetting(gsTitle, section, key);
}

void saveSetting(const QString& section, const QString& key, const QString& value)
{
    platform::SaveSetting(gsTitle, section, key, value);
}

void msgInfoBox(const QString& text, const QString& title = QString())
{
    MsgInfo(text, title);
}

// A box of the designed size where the screen has room for it, that gives way down to minimum
// on a smaller screen (or one with larger fonts), so that the window fits there whole. A zero
// width leaves the width to the layout.
void shrinkable(QWidget* box, const QSize& designed, const QSize& minimum)
{
    if (designed.width() > 0) {
        box->setMinimumWidth(minimum.width());
        box->setMaximumWidth(designed.width());
    }
    box->setMinimumHeight(minimum.height());
    box->setMaximumHeight(designed.height());
}

// The width of a line edit that shows text whole.
int lineEditWidthFor(QLineEdit* edit, const QString& text)
{
    QStyleOptionFrame opt;
    opt.initFrom(edit);
    opt.lineWidth = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &opt, edit);
    const QMargins m = edit->textMargins() + edit->contentsMargins();
    const int inner = edit->fontMetrics().horizontalAdvance(text) + 2 * 2 + m.left() + m.right() + 1;
    return edit->style()->sizeFromContents(QStyle::CT_LineEdit, &opt, QSize(inner, edit->sizeHint().height()), edit).width();
}

QString countText(int n) { return QString::number(n) + QStringLiteral("명"); }

// The number box holds its hint or digits. Whatever reaches its text, typed, pasted, dropped
// or handed over by the input method, keeps only its digits.
class DigitsOrHint : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int& pos) const override
    {
        if (input == FrmEasySMS::kDestHint)
            return Acceptable;
        QString digits;
        int caret = 0;
        for (int i = 0; i < input.size(); ++i) {
            const QChar c = input.at(i);
            if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
                digits += c;
                if (i < pos)
                    ++caret;
            }
        }
        input = digits;
        pos = caret;
        return Acceptable;
    }
};

} // namespace

void FrmEasySMS::SetControlFactory(ControlFactory f) { factory() = std::move(f); }

FrmEasySMS* FrmEasySMS::Instance()
{
    return qobject_cast<FrmEasySMS*>(platform::FormRegistry::instance().find(kFormName));
}

FrmEasySMS* FrmEasySMS::Load()
{
    if (FrmEasySMS* w = Instance())
        return w;
    auto* w = new FrmEasySMS(nullptr, factory() ? factory()() : nullptr);
    if (!w->Form_Load()) {
        delete w;
        return nullptr;
    }
    return w;
}

FrmEasySMS::FrmEasySMS(QWidget* parent, std::unique_ptr<platform::ActiveSMS> control)
    : QWidget(parent, Qt::Window), m_ctl(std::move(control))
{
    if (!m_ctl)
        m_ctl = std::make_unique<platform::ActiveSMS>();
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("문자전송"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    // Its designed size; a screen without room for it cuts it down, not below the minimum
    // its boxes give way to.
    resize(sizeHint());
    platform::FormRegistry::instance().registerForm(this, kFormName);
}

FrmEasySMS::~FrmEasySMS()
{
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmEasySMS::closeEvent(QCloseEvent* e)
{
    platform::FormRegistry::instance().unregisterForm(this);
    e->accept();
}

void FrmEasySMS::buildControls()
{
    // ---- Login
    auto* fraLogin = new QGroupBox(QStringLiteral("Login"), this);
    auto* gl = new QGridLayout(fraLogin);
    txtUserName = new QLineEdit(fraLogin);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtPassword = new QLineEdit(fraLogin);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setEchoMode(QLineEdit::Password);
    for (int i = 0; i < 2; ++i) {
        chkSave[i] = new QCheckBox(QStringLiteral("저장"), fraLogin);
        chkSave[i]->setObjectName(QStringLiteral("chkSave"));
        chkSave[i]->setProperty("Index", i);
        connect(chkSave[i], &QCheckBox::toggled, this, [this, i] { chkSave_Click(i); });
    }
    auto* lblUser = new QLabel(QStringLiteral("아이디(&U):"), fraLogin);
    lblUser->setBuddy(txtUserName);
    auto* lblPass = new QLabel(QStringLiteral("암호(&P):"), fraLogin);
    lblPass->setBuddy(txtPassword);
    gl->addWidget(lblUser, 0, 0);
    gl->addWidget(txtUserName, 0, 1);
    gl->addWidget(chkSave[0], 0, 2);
    gl->addWidget(lblPass, 1, 0);
    gl->addWidget(txtPassword, 1, 1);
    gl->addWidget(chkSave[1], 1, 2);

    // ---- the message
    auto* fraSend = new QGroupBox(QStringLiteral("문자전송"), this);
    auto* vs = new QVBoxLayout(fraSend);
    txtText = new QPlainTextEdit(fraSend);
    txtText->setObjectName(QStringLiteral("txtText"));
    shrinkable(txtText, QSize(0, 110), QSize(0, 56));
    txtText->setTabChangesFocus(true);
    vs->addWidget(txtText);
    auto* rowCount = new QHBoxLayout;
    lblCountByte = new QLabel(QStringLiteral("0"), fraSend);
    lblCountByte->setObjectName(QStringLiteral("lblCountByte"));
    rowCount->addWidget(lblCountByte);
    rowCount->addWidget(new QLabel(QStringLiteral(" / 80 Byte"), fraSend));
    rowCount->addStretch(1);
    rowCount->addWidget(new QLabel(QStringLiteral("[ 잔여건수:"), fraSend));
    lblRestCnt = new QLabel(fraSend);
    lblRestCnt->setObjectName(QStringLiteral("lblRestCnt"));
    rowCount->addWidget(lblRestCnt);
    rowCount->addWidget(new QLabel(QStringLiteral("]"), fraSend));
    vs->addLayout(rowCount);
    auto* rowCallback = new QHBoxLayout;
    rowCallback->addWidget(new QLabel(QStringLiteral("보내는 사람(Tel):"), fraSend));
    txtCallback = new QLineEdit(fraSend);
    txtCallback->setObjectName(QStringLiteral("txtCallback"));
    rowCallback->addWidget(txtCallback, 1);
    vs->addLayout(rowCallback);
    auto* rowDest = new QHBoxLayout;
    rowDest->addWidget(new QLabel(QStringLiteral("받는사람:"), fraSend));
    txtDestAddr = new QLineEdit(kDestHint, fraSend);
    txtDestAddr->setObjectName(QStringLiteral("txtDestAddr"));
    txtDestAddr->setValidator(new DigitsOrHint(txtDestAddr));
    txtDestAddr->setCursorPosition(0);
    txtDestAddr->setMinimumWidth(lineEditWidthFor(txtDestAddr, kDestHint));
    rowDest->addWidget(txtDestAddr, 1);
    lblCountTelNo = new QLabel(countText(0), fraSend);
    lblCountTelNo->setObjectName(QStringLiteral("lblCountTelNo"));
    rowDest->addWidget(lblCountTelNo);
    vs->addLayout(rowDest);
    lstTelNo = new QListWidget(fraSend);
    lstTelNo->setObjectName(QStringLiteral("lstTelNo"));
    lstTelNo->setToolTip(QStringLiteral("받는사람 삭제: 선택후 DEL키"));
    shrinkable(lstTelNo, QSize(0, 90), QSize(0, 44));
    vs->addWidget(lstTelNo);
    vs->addWidget(new QLabel(QStringLiteral("받는사람 삭제: 선택후 DEL키"), fraSend));
    chkReserve = new QCheckBox(QStringLiteral("예약발송"), fraSend);
    chkReserve->setObjectName(QStringLiteral("chkReserve"));
    vs->addWidget(chkReserve);

    // ---- favourites
    auto* fraFavo = new QGroupBox(QStringLiteral("자주쓰는 문자함"), this);
    auto* gf = new QGridLayout(fraFavo);
    for (int i = 0; i < 6; ++i) {
        auto* box = new QPlainTextEdit(fraFavo);
        box->setObjectName(QStringLiteral("txtFavoMsg"));
        box->setProperty("Index", i);
        shrinkable(box, QSize(130, 100), QSize(96, 60));
        box->setTabChangesFocus(true);
        box->installEventFilter(this);
        box->viewport()->installEventFilter(this);
        txtFavoMsg[i] = box;
        gf->addWidget(box, i / 3, i % 3);
        connect(box, &QPlainTextEdit::textChanged, this, [this, i] { txtFavoMsg_Change(i); });
    }

    // ---- buttons
    cmdSubmit = new QPushButton(QStringLiteral("보내기(&S)"), this);
    cmdSubmit->setObjectName(QStringLiteral("cmdSubmit"));
    cmdClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    for (QPushButton* b : {cmdSubmit, cmdClose})
        b->setAutoDefault(false);
    auto* rowButtons = new QHBoxLayout;
    rowButtons->addStretch(1);
    rowButtons->addWidget(cmdSubmit);
    rowButtons->addWidget(cmdClose);

    auto* left = new QVBoxLayout;
    left->addWidget(fraLogin);
    left->addWidget(fraSend, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(fraFavo);
    right->addStretch(1);
    right->addLayout(rowButtons);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(left, 1);
    layout->addLayout(right);

    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, txtText);
    setTabOrder(txtText, txtCallback);
    setTabOrder(txtCallback, txtDestAddr);
    setTabOrder(txtDestAddr, lstTelNo);
    setTabOrder(lstTelNo, cmdSubmit);

    for (QWidget* w : {static_cast<QWidget*>(txtUserName), static_cast<QWidget*>(txtPassword),
                       static_cast<QWidget*>(txtText), static_cast<QWidget*>(txtCallback),
                       static_cast<QWidget*>(txtDestAddr), static_cast<QWidget*>(lstTelNo)})
        w->installEventFilter(this);

    connect(txtText, &QPlainTextEdit::textChanged, this, [this] { txtText_Change(); });
    connect(txtCallback, &QLineEdit::textChanged, this, [this] { txtCallback_Change(); });
    connect(cmdSubmit, &QPushButton::clicked, this, [this] { cmdSubmit_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });
}

bool FrmEasySMS::Form_Load()
{
    if (!SMS_Start(m_ctl.get()))
        return false;

    txtUserName->setText(setting(QStringLiteral("SMSLogin"), QStringLiteral("LoginID")).trimmed());
    txtPassword->setText(setting(QStringLiteral("SMSLogin"), QStringLiteral("LoginPW")).trimmed());
    if (!txtUserName->text().isEmpty()) {
        chkSave[0]->setChecked(true);
        txtUserName->setFocusPolicy(Qt::ClickFocus);
    }
    if (!txtPassword->text().isEmpty()) {
        chkSave[1]->setChecked(true);
        txtPassword->setFocusPolicy(Qt::ClickFocus);
    }
    txtText->setPlainText(setting(QStringLiteral("SMSMSG"), QStringLiteral("LastMsg")));
    if (!txtText->toPlainText().isEmpty())
        txtText->setFocusPolicy(Qt::ClickFocus);
    for (int i = 0; i < 6; ++i)
        txtFavoMsg[i]->setPlainText(setting(QStringLiteral("SMSMSG"), QStringLiteral("FavoMsg") + QString::number(i)));
    txtCallback->setText(setting(QStringLiteral("SMSConfig"), QStringLiteral("최근회신번호")));
    return true;
}

// ---------------------------------------------------------------------------------------
// Settings kept as they change

void FrmEasySMS::chkSave_Click(int Index)
{
    if (!isVisible())
        return;
    const bool ticked = chkSave[Index]->isChecked();
    if (Index == 0) {
        saveSetting(QStringLiteral("SMSLogin"), QStringLiteral("LoginID"), ticked ? txtUserName->text() : QString());
    } else {
        if (ticked)
            msgInfoBox(QStringLiteral("저장된 암호는 보안이 되지 않으므로 외부에 유출될 우려가 있습니다."));
        saveSetting(QStringLiteral("SMSLogin"), QStringLiteral("LoginPW"), ticked ? txtPassword->text() : QString());
    }
}

void FrmEasySMS::txtCallback_Change()
{
    if (!isVisible())
        return;
    saveSetting(QStringLiteral("SMSConfig"), QStringLiteral("최근회신번호"), txtCallback->text());
}

void FrmEasySMS::limitBytes(QPlainTextEdit* box)
{
    const QString text = box->toPlainText();
    if (AnsiByteLen(text) <= kMaxBytes)
        return;
    box->setPlainText(LeftByte(text, kMaxBytes, false));
    QTextCursor c = box->textCursor();
    c.movePosition(QTextCursor::End);
    box->setTextCursor(c);
}

void FrmEasySMS::txtText_Change()
{
    if (m_inChange)
        return;
    m_inChange = true;
    limitBytes(txtText);
    m_inChange = false;
    lblCountByte->setText(QString::number(AnsiByteLen(txtText->toPlainText())));
}

void FrmEasySMS::txtFavoMsg_Change(int Index)
{
    if (m_inChange)
        return;
    m_inChange = true;
    limitBytes(txtFavoMsg[Index]);
    m_inChange = false;
}

// ---------------------------------------------------------------------------------------
// Recipients

void FrmEasySMS::UpdateRecipientCount()
{
    lblCountTelNo->setText(countText(lstTelNo->count()));
}

void FrmEasySMS::AddTypedNumber(bool bMoveFocus)
{
    const QString number = txtDestAddr->text();
    if (number.isEmpty() || number == kDestHint) {
        if (bMoveFocus)
            PostTabKey(0);
        return;
    }
    lstTelNo->addItem(number);
    UpdateRecipientCount();
    txtDestAddr->clear();
    if (bMoveFocus && lstTelNo->count() == 1)
        PostTabKey(0);
}

void FrmEasySMS::lstTelNo_KeyDown(int KeyCode, int Shift)
{
    Q_UNUSED(Shift);
    const int row = lstTelNo->currentRow();
    if (KeyCode != 46 || row < 0 || !lstTelNo->currentItem() || !lstTelNo->currentItem()->isSelected())
        return;
    delete lstTelNo->takeItem(row);
    if (lstTelNo->count() > 0) {
        const int next = row < lstTelNo->count() ? row : lstTelNo->count() - 1;
        lstTelNo->setCurrentRow(next);
        lstTelNo->item(next)->setSelected(true);
    }
    UpdateRecipientCount();
}

// ---------------------------------------------------------------------------------------
// Login and send

void FrmEasySMS::ShowRestCount()
{
    lblRestCnt->setText(QString::number(SMS_RestCnt(m_ctl.get())));
}

bool FrmEasySMS::DoLogin()
{
    if (txtUserName->text().trimmed().isEmpty()) {
        MsgPlain(QStringLiteral("아이디를 입력하세요."));
        txtUserName->setFocus();
        return false;
    }
    if (txtPassword->text().trimmed().isEmpty()) {
        MsgPlain(QStringLiteral("암호를 입력하세요."));
        txtPassword->setFocus();
        return false;
    }
    bool ok;
    {
        WaitCursor wait;
        ok = SMS_LogIn(m_ctl.get(), txtUserName->text(), txtPassword->text());
    }
    if (ok)
        return true;
    txtPassword->setFocus();
    ++iLoginFail;
    if (iLoginFail >= 3) {
        msgInfoBox(QStringLiteral("3회이상 일치하지 않아 프로그램이 종료됩니다."), QStringLiteral("로그인"));
        close();
    }
    return false;
}

void FrmEasySMS::cmdSubmit_Click()
{
    if (!bLoggedIn) {
        if (!DoLogin())
            return;
        bLoggedIn = true;
    }
    ShowRestCount();
    if (lblRestCnt->text().toLong() < lstTelNo->count()) {
        msgInfoBox(QStringLiteral("잔량이 부족합니다. 충전후 사용하세요.") + kCrLf
                   + QStringLiteral("문자 충전은 프로그램을 구입하신 곳으로 문의하세요."));
        return;
    }
    if (txtText->toPlainText().trimmed().isEmpty()) {
        msgInfoBox(QStringLiteral("메시지를 입력하세요."));
        txtText->setFocus();
        return;
    }
    if (lstTelNo->count() == 0) {
        msgInfoBox(QStringLiteral("받는 사람을 입력하세요."));
        txtDestAddr->setFocus();
        return;
    }
    if (txtCallback->text().trimmed().isEmpty()) {
        msgInfoBox(QStringLiteral("보내는 사람을 입력하세요."));
        txtCallback->setFocus();
        return;
    }

    int firstOrdinary = -1;
    for (int i = 0; i < lstTelNo->count(); ++i)
        if (!IsMobileNumber(lstTelNo->item(i)->text())) {
            firstOrdinary = i;
            break;
        }
    if (firstOrdinary >= 0) {
        const QString kind = QStringLiteral("일반 전화번호");
        const QString service = QStringLiteral("문자");
        const QString question = QStringLiteral("받는사람 목록에 ") + kind + QStringLiteral("가 포함되어 있습니다.") + kCrLf
            + service + QStringLiteral("전송은 ") + kind + QStringLiteral("로 할 수 없습니다.") + kCrLf + kCrLf + kind
            + QStringLiteral("를 모두 삭제 할까요?");
        if (MsgYesNo(question, QString(), true) != platform::AnswerYes) {
            lstTelNo->setCurrentRow(firstOrdinary);
            lstTelNo->item(firstOrdinary)->setSelected(true);
            lstTelNo->setFocus();
            return;
        }
        for (int i = lstTelNo->count() - 1; i >= 0; --i)
            if (!IsMobileNumber(lstTelNo->item(i)->text()))
                delete lstTelNo->takeItem(i);
        UpdateRecipientCount();
        if (lstTelNo->count() == 0)
            return;
    }

    const int count = lstTelNo->count();
    int failedAt = -1;
    {
        WaitCursor wait;
        m_ctl->CallbackNumber = txtCallback->text();
        m_ctl->ReserveTime = QString(); // nothing is ever deferred
        const QString message = txtText->toPlainText();
        for (int i = 0; i < count; ++i) {
            if (!SMS_Send(m_ctl.get(), lstTelNo->item(i)->text(), message, QString(), QString())) {
                failedAt = i;
                lstTelNo->clearSelection();
                lstTelNo->setCurrentRow(i);
                lstTelNo->item(i)->setSelected(true);
                break;
            }
        }
    }
    if (failedAt < 0) {
        msgInfoBox(QString::number(count)
                   + (chkReserve->isChecked() ? QStringLiteral("건이 예약발송되었습니다.") : QStringLiteral("건이 전송되었습니다.")));
        lstTelNo->clear();
        saveSetting(QStringLiteral("SMSMSG"), QStringLiteral("LastMsg"), txtText->toPlainText());
    } else {
        msgInfoBox(QStringLiteral("전송을 실패하였습니다."));
    }
    UpdateRecipientCount();
    ShowRestCount();
}

// ---------------------------------------------------------------------------------------
// Keyboard and focus

bool FrmEasySMS::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type == QEvent::FocusIn) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (watched == txtUserName || watched == txtPassword || watched == txtDestAddr || watched == txtText)
            SelectAllText(static_cast<QWidget*>(watched), reason);
        for (int i = 0; i < 6; ++i)
            if (watched == txtFavoMsg[i])
                sFavoOld = txtFavoMsg[i]->toPlainText();
    } else if (type == QEvent::FocusOut) {
        for (int i = 0; i < 6; ++i)
            if (watched == txtFavoMsg[i] && txtFavoMsg[i]->toPlainText() != sFavoOld)
                saveSetting(QStringLiteral("SMSMSG"), QStringLiteral("FavoMsg") + QString::number(i),
                            txtFavoMsg[i]->toPlainText());
        // Its own context menu does not take the focus out of the number box.
        const bool popup = static_cast<QFocusEvent*>(event)->reason() == Qt::PopupFocusReason;
        if (watched == txtDestAddr && !popup) {
            // Leaving the box with a number typed adds it, as Enter does, without moving on.
            const QString t = txtDestAddr->text();
            if (!t.isEmpty() && t != kDestHint)
                AddTypedNumber(false);
        }
    } else if (type == QEvent::MouseButtonDblClick) {
        for (int i = 0; i < 6; ++i)
            if (watched == txtFavoMsg[i]->viewport() || watched == txtFavoMsg[i]) {
                txtText->setPlainText(txtFavoMsg[i]->toPlainText());
                return true;
            }
    } else if (type == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        const int vk = VbKeyCode(ke);
        const bool enter = ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter;
        if (watched == txtUserName || watched == txtPassword) {
            if (enter) {
                PostTabKey(0);
                return true;
            }
        } else if (watched == txtDestAddr) {
            if (enter) {
                AddTypedNumber(true);
                return true;
            }
            // Ctrl and Meta make a shortcut (Ctrl+V pastes), not a typed character.
            const QString typed = ke->text();
            const bool shortcut = ke->modifiers() & (Qt::ControlModifier | Qt::MetaModifier);
            const bool character = !shortcut && !typed.isEmpty() && typed.at(0).isPrint();
            if (character && !(typed.size() == 1 && typed.at(0) >= QLatin1Char('0') && typed.at(0) <= QLatin1Char('9')))
                return true; // only digits (and Backspace) are typed into the number box
            if (!character && EnterToTab(vk))
                return true;
        } else if (watched == txtCallback) {
            if (EnterToTab(vk))
                return true;
        } else if (watched == lstTelNo) {
            if (vk == 46) {
                lstTelNo_KeyDown(46, 0);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}
