#pragma once
#include "platform/Prompter.h"

#include <QDialog>
#include <QList>
#include <QQueue>
#include <QString>
#include <functional>

namespace testsupport {

// A prompt seam for tests: records every question and answers from a script.
// Unscripted questions get the default answers below and are still recorded.
class ScriptedPrompter : public platform::Prompter {
public:
    struct Call {
        QString kind;  // "msg", "input", "menu", "color", "modal", "start"
        QString title; // message/input title, dialog object name, program path
        QString text;  // message text / prompt / menu items joined by '|' / arguments joined by ' '
        int style = 0;
    };

    ScriptedPrompter();  // installs itself
    ~ScriptedPrompter() override; // restores the Qt prompter

    QList<Call> calls;
    QQueue<int> msgAnswers;            // next answers to messageBox
    QQueue<QVariant> inputAnswers;     // next inputBox values (null QVariant = cancel)
    QQueue<int> menuAnswers;           // next popupMenu choices
    QQueue<QVariant> colorAnswers;     // next colours (null = cancel)
    QQueue<std::function<int(QDialog&)>> modalAnswers; // next modal windows
    QQueue<bool> startAnswers;         // next startProgram results

    int defaultMsgAnswer = platform::AnswerOk; // Yes/No boxes answer 7 unless scripted
    int defaultModalAnswer = QDialog::Rejected;
    bool defaultStartAnswer = true;

    QList<Call> messages() const; // only the message boxes
    Call lastMessage() const;     // the last message box (empty Call when none)
    void clear() { calls.clear(); }

    int messageBox(const QString& text, const QString& title, int style) override;
    bool inputBox(const QString& prompt, const QString& title, QString& value) override;
    int popupMenu(const QStringList& items, const QPoint& globalPos) override;
    bool chooseColor(quint32& color, const QString& title = QString()) override;
    int execModal(QDialog& dialog) override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder) override;
};

} // namespace testsupport
