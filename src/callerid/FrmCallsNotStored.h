#pragma once
#include "callerid/IncomingCall.h"

#include <QDialog>
#include <QList>
#include <QStringList>

class QLabel;
class QListWidget;
class QPushButton;

// The calls of this workstation that could not be stored in the call list when the program
// ends, named so that the user can note them: a heading, one line per call ("number  date
// time  name") in a list that scrolls, and 확인. The window never grows past the screen.
class FrmCallsNotStored : public QDialog {
    Q_OBJECT
public:
    static const QString kHeading;

    FrmCallsNotStored(const QList<CallRecordQueue::Call>& calls, QWidget* parent = nullptr);
    // Shows the window modally (through the program's prompter) for calls; nothing when empty.
    static void Show(const QList<CallRecordQueue::Call>& calls, QWidget* parent = nullptr);
    // The line of one call.
    static QString LineOf(const CallRecordQueue::Call& call);

    QLabel* lblHeading = nullptr;
    QListWidget* lstCalls = nullptr;
    QPushButton* cmdOk = nullptr;

private:
    void fitScreen();
};
