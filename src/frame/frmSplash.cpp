#include "frame/frmSplash.h"

#include "frame/modCommon.h"
#include "frame/modCompileEnv.h"
#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {
const QString kPrompt = QStringLiteral("엔터 치세요");
}

frmSplash::frmSplash(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmSplash"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setFixedSize(400, 250);

    lblIdentify = new QLabel(QStringLiteral("사용자 인증 중입니다..."), this);
    lblIdentify->setObjectName(QStringLiteral("lblIdentify"));
    auto* lblUser = new QLabel(QStringLiteral("사용자"), this);
    auto* lblPass = new QLabel(QStringLiteral("비밀번호"), this);
    TxtUser = new QLineEdit(this);
    TxtUser->setObjectName(QStringLiteral("TxtUser"));
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->installEventFilter(this);

    auto* grid = new QGridLayout;
    grid->addWidget(lblUser, 0, 0);
    grid->addWidget(TxtUser, 0, 1);
    grid->addWidget(lblPass, 1, 0);
    grid->addWidget(txtPassword, 1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(150, 90, 24, 24);
    layout->addWidget(lblIdentify);
    layout->addLayout(grid);
    layout->addStretch(1);
    setTabOrder(TxtUser, txtPassword);
    platform::FormRegistry::instance().registerForm(this, QStringLiteral("frmSplash"));
}

frmSplash::~frmSplash() { platform::FormRegistry::instance().unregisterForm(this); }

bool frmSplash::RunLogin(QWidget* parent)
{
    frmSplash frm(parent);
    if (!frm.Form_Load())
        return false;
    frm.txtPassword->setFocus();
    platform::prompter().execModal(frm);
    return frm.outcome() == LoggedIn;
}

bool frmSplash::Form_Load()
{
    LoadLoginBG(this);
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, QStringLiteral("select * from user"))) {
        // Without the user table nobody can be checked: the program ends (the open has
        // shown the engine's message).
        m_outcome = EndProgram;
        return false;
    }
    setWindowTitle(QStringLiteral("일반사용자 로그인"));
    ApplyCallerIdState(true);
    try {
        if (!rs->eof()) {
            TxtUser->setText(rs->text(QStringLiteral("userid")));
            if (rs->value(QStringLiteral("pass")).isNull()) {
                txtPassword->setEchoMode(QLineEdit::Normal);
                txtPassword->setText(kPrompt);
            } else {
                m_storedPass = rs->text(QStringLiteral("pass"));
                txtPassword->setEchoMode(QLineEdit::Password);
            }
        } else {
            TxtUser->setText(gsTitle);
            txtPassword->setEchoMode(QLineEdit::Normal);
            txtPassword->setText(kPrompt);
        }
    } catch (const dao::DaoError& e) {
        CloseRS(rs);
        ShowProcError(e.number(), e.description(), QStringLiteral("Form_Load"), QStringLiteral("Form"),
                      QStringLiteral("frmSplash"));
        m_outcome = EndProgram;
        return false;
    }
    CloseRS(rs);
    txtPassword->selectAll();
    return true;
}

void frmSplash::finish(Outcome outcome)
{
    m_outcome = outcome;
    QDialog::done(outcome == LoggedIn ? QDialog::Accepted : QDialog::Rejected);
}

void frmSplash::askToEnd()
{
    const int answer = MsgBoxPlain(gsTitle + QStringLiteral(" 프로그램을 종료하시겠습니까?   "), platform::MsgYesNo,
                                   QStringLiteral("Trelvo"));
    if (answer == platform::AnswerYes)
        finish(EndProgram);
}

void frmSplash::reject()
{
    if (m_outcome != Waiting) {
        QDialog::reject();
        return;
    }
    askToEnd();
}

void frmSplash::txtPassword_KeyDown(int keyCode)
{
    if (m_outcome != Waiting)
        return;
    const int key = VbKeyCode(keyCode);
    if (key == 27) {
        askToEnd();
        return;
    }
    if (key != 13)
        return;
    const QString typed = txtPassword->text();
    if (typed == m_storedPass) {
        finish(LoggedIn);
        return;
    }
    if (!typed.isEmpty() && m_storedPass.isEmpty()) {
        MsgBoxPlain(QStringLiteral("보안을 위해 암호를 설정해 주시기 바랍니다."));
        finish(LoggedIn);
        return;
    }
    txtPassword->clear();
    ++m_wrongTries;
    if (m_wrongTries < 3) {
        MsgBoxPlain(QStringLiteral("암호가 일치하지 않습니다.  ") + QLatin1Char('\r') + QStringLiteral("다시 입력하여주십시오.  "));
        return;
    }
    MsgBoxPlain(QStringLiteral("암호가 일치하지 않습니다.") + QLatin1Char('\r')
                + QStringLiteral("다시확인하시고 입력하여 주시기 바랍니다.   ") + QLatin1Char('\r')
                + QStringLiteral("문제가 발생하면 판매처로 연락바랍니다.   "));
    finish(EndProgram);
}

bool frmSplash::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtPassword && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        const int key = VbKeyCode(ke);
        if (key == 13 || key == 27) {
            txtPassword_KeyDown(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
