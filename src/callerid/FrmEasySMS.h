#pragma once
#include <QString>
#include <QWidget>
#include <functional>
#include <memory>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;

#include "platform/ActiveSMS.h"

// The text-message window ("문자전송"): one message of at most 80 bytes (code page 949) to
// one or more mobile numbers through the message service. It keeps the service login, the
// last message, six favourite messages and the last callback number in the settings store,
// checks the remaining message count before sending and sends to each recipient in turn.
class FrmEasySMS : public QWidget {
    Q_OBJECT
public:
    using ControlFactory = std::function<std::unique_ptr<platform::ActiveSMS>()>;

    // The loaded window, loading it first when needed (the load connects to the message
    // server). nullptr when the server cannot be reached: the client has told the user and
    // the caller ends the program.
    static FrmEasySMS* Load();
    static FrmEasySMS* Instance(); // nullptr when not loaded
    // Where windows loaded by Load get their message-service control (empty: the platform's).
    static void SetControlFactory(ControlFactory factory);

    static constexpr int kMaxBytes = 80;

    // control: the message-service control to use (null: a new platform control).
    explicit FrmEasySMS(QWidget* parent = nullptr, std::unique_ptr<platform::ActiveSMS> control = nullptr);
    ~FrmEasySMS() override;

    // Connects and restores the settings. False when the connection failed (the program
    // then ends; nothing else of the load has run).
    bool Form_Load();

    void cmdSubmit_Click();
    bool DoLogin();
    void ShowRestCount();
    // Adds the number typed in txtDestAddr (Enter, or the focus leaving the box).
    void AddTypedNumber(bool bMoveFocus);
    // Delete (46) on the recipient list removes the selected recipient.
    void lstTelNo_KeyDown(int KeyCode, int Shift);
    // lblCountTelNo := the number of recipients & "명".
    void UpdateRecipientCount();

    platform::ActiveSMS* ctSMS() const { return m_ctl.get(); }
    bool LoggedIn() const { return bLoggedIn; }
    int LoginFailures() const { return iLoginFail; }

    QLineEdit* txtUserName = nullptr;
    QLineEdit* txtPassword = nullptr;
    QCheckBox* chkSave[2] = {};
    QPlainTextEdit* txtText = nullptr;
    QLabel* lblCountByte = nullptr;
    QLabel* lblRestCnt = nullptr;
    QLineEdit* txtCallback = nullptr;
    QLineEdit* txtDestAddr = nullptr;
    QListWidget* lstTelNo = nullptr;
    QLabel* lblCountTelNo = nullptr;
    QCheckBox* chkReserve = nullptr;
    QPlainTextEdit* txtFavoMsg[6] = {};
    QPushButton* cmdSubmit = nullptr;
    QPushButton* cmdClose = nullptr;

    static const QString kDestHint; // "여기에 번호입력"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void chkSave_Click(int Index);
    void txtText_Change();
    void txtFavoMsg_Change(int Index);
    void txtCallback_Change();
    static void limitBytes(QPlainTextEdit* box);

    std::unique_ptr<platform::ActiveSMS> m_ctl;
    bool bLoggedIn = false;
    int iLoginFail = 0;
    QString sFavoOld;
    bool m_inChange = false;
};
