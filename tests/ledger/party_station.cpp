// One workstation of the two-workstation party tests, as a program of its own: opens the
// database file with the program's own settings, types a name into the party editor for a
// new party and presses save when a line arrives on standard input. Every question is
// answered with its default (No for Yes/No questions) and written to standard output as
// "msg:<text>"; the last line is "code:<saved id>".
//
//   ledger_party_station <database file> <kind 0|1> <name>
#include "frame/modMain.h"
#include "ledger/FrmClient_write.h"
#include "platform/Database.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4)
        return 2;
    QCoreApplication::setApplicationName(QStringLiteral("Trelvo"));
    gsTitle = QStringLiteral("Trelvo");
    testsupport::ScriptedPrompter prompter;
    gDB = dao::Database::open(args[1]);
    if (!gDB)
        return 3;

    int result = 0;
    {
        FrmClient_write w;
        w.AddEditMode(1);
        w.busiMode(args[2].toInt());
        w.show();
        QApplication::setActiveWindow(&w);
        if (!QTest::qWaitForWindowActive(&w))
            return 4;
        w.txtInput[0]->setFocus();
        QInputMethodEvent typed; // Hangul arrives from the input method
        typed.setCommitString(args[3]);
        QApplication::sendEvent(w.txtInput[0], &typed);

        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        std::string go;
        std::getline(std::cin, go);
        QTest::mouseClick(w.btnSave, Qt::LeftButton);

        for (const auto& m : prompter.messages())
            std::printf("msg:%s\n", m.text.toUtf8().constData());
        std::printf("code:%lld\n", static_cast<long long>(w.CCode()));
        result = w.txtInput[0]->text() == args[3] ? 0 : 5;
    }
    gDB.reset();
    return result;
}
