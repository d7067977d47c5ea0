#pragma once
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;

// The login window ("일반사용자 로그인"). The password of the one user is read from the
// table `user` of the main database. Three wrong passwords, or Escape answered with Yes, end
// the program: the window then reports EndProgram and the caller ends the process.
class frmSplash : public QDialog {
    Q_OBJECT
public:
    enum Outcome { Waiting, LoggedIn, EndProgram };

    explicit frmSplash(QWidget* parent = nullptr);
    ~frmSplash() override;

    // Loads the window and shows it modally. True when the login succeeded; false when the
    // program must end (wrong passwords, Escape confirmed, or a user table that cannot be read).
    static bool RunLogin(QWidget* parent = nullptr);

    // Reads the user table and fills the boxes. False when the table cannot be read (the
    // message has been shown); the program must then end.
    bool Form_Load();
    // The key handling of the password box (13 Enter, 27 Escape; Qt keys are understood too).
    void txtPassword_KeyDown(int keyCode);

    Outcome outcome() const { return m_outcome; }
    bool EndRequested() const { return m_outcome == EndProgram; }
    int WrongTries() const { return m_wrongTries; }
    QString StoredPassword() const { return m_storedPass; }

    QLabel* lblIdentify = nullptr;
    QLineEdit* TxtUser = nullptr;
    QLineEdit* txtPassword = nullptr;

public slots:
    // The close box asks the same question as Escape.
    void reject() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void finish(Outcome outcome);
    void askToEnd();

    QString m_storedPass;
    int m_wrongTries = 0;
    Outcome m_outcome = Waiting;
};
