#include "frame/frmpass.h"

#include "frame/modCommon.h"
#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/FormRegistry.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

frmpass::frmpass(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("frmpass"));
    setWindowTitle(QStringLiteral("비밀번호변경"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    auto* grid = new QGridLayout(this);
    const QString labels[2] = {QStringLiteral("기존 비밀번호"), QStringLiteral("새 비밀번호")};
    for (int i = 0; i < 2; ++i) {
        txtInput[i] = new QLineEdit(this);
        txtInput[i]->setObjectName(QStringLiteral("txtInput"));
        txtInput[i]->setProperty("Index", i);
        txtInput[i]->setEchoMode(QLineEdit::Password);
        txtInput[i]->installEventFilter(this);
        grid->addWidget(new QLabel(labels[i], this), i, 0);
        grid->addWidget(txtInput[i], i, 1);
    }
    cmdSearch = new QPushButton(QStringLiteral("확인(&O)"), this);
    cmdSearch->setObjectName(QStringLiteral("cmd검색"));
    // Enter moves from box to box onto the button; Enter on the button confirms.
    cmdSearch->setAutoDefault(true);
    grid->addWidget(cmdSearch, 2, 1, Qt::AlignRight);
    connect(cmdSearch, &QPushButton::clicked, this, &frmpass::cmdSearch_Click);
    platform::FormRegistry::instance().registerForm(this, QStringLiteral("frmpass"));
}

frmpass::~frmpass() { platform::FormRegistry::instance().unregisterForm(this); }

void frmpass::cmdSearch_Click()
{
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, QStringLiteral("select * from user")))
        return;
    QString stored;
    bool hasRow = false;
    try {
        if (!rs->eof()) {
            hasRow = true;
            stored = rs->text(QStringLiteral("pass")); // "" for Null
        }
    } catch (const dao::DaoError& e) {
        CloseRS(rs);
        ShowProcError(e.number(), e.description(), QStringLiteral("cmd검색_Click"), QStringLiteral("Form"),
                      QStringLiteral("frmpass"));
        return;
    }
    CloseRS(rs);

    if (txtInput[0]->text() != stored) {
        MsgBoxPlain(QStringLiteral("기존의 비밀번호가 일치하지 않습니다"));
        QCoreApplication::processEvents();
        txtInput[0]->setFocus();
        return;
    }
    const QString newPass = txtInput[1]->text();
    try {
        dao::Transaction tx(*gDB);
        if (!newPass.isEmpty()) {
            gDB->execute(QStringLiteral("update user set pass = ?"), {newPass});
            if (!hasRow || gDB->recordsAffected() == 0) // no row yet: the password needs one
                gDB->execute(QStringLiteral("insert into user(userid, pass) values(?, ?)"), {gsTitle, newPass});
        } else {
            gDB->execute(QStringLiteral("delete from user"));
            gDB->execute(QStringLiteral("insert into user(userid) values(?)"), {gsTitle});
        }
        tx.commit();
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("cmd검색_Click"), QStringLiteral("Form"),
                      QStringLiteral("frmpass"));
        return;
    }
    accept();
}

bool frmpass::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && (watched == txtInput[0] || watched == txtInput[1])) {
        const int key = VbKeyCode(static_cast<QKeyEvent*>(event));
        if (key == 13 || key == 40) {
            SendTabKey(0);
            return true;
        }
        if (key == 38) {
            SendTabKey(1);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
