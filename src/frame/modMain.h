#pragma once
#include "platform/Database.h"

#include <QString>
#include <memory>

class QAbstractButton;

// Shared globals of the program, set before any window but the main window exists.
extern QString gsTitle;      // program title: settings application name, default box title
extern QString gsDBPath;     // database folder
extern QString gsRptPath;    // report folder
extern QString gsDBFile;     // main database file
extern QString gsPostDBFile; // postal-code database file
extern std::shared_ptr<dao::Database> gDB; // the open main database; empty when the open failed

// Settings section names used across the program.
inline const QString kEnvSection = QStringLiteral("환경설정");

// Reads and repairs the folder and file settings, then opens the main database.
void InitApp();
void LoadEnvSettings();
void OpenMainDB();
// While it lives, a wait for another workstation's lock that lasts is shown as at the open:
// the floating message says why, until the wait ends.
class StartWaitNotice {
public:
    StartWaitNotice();
    ~StartWaitNotice();
    StartWaitNotice(const StartWaitNotice&) = delete;
    StartWaitNotice& operator=(const StartWaitNotice&) = delete;

private:
    bool m_shown = false;
};
// Why the last OpenMainDB could not open the main database (one line, the engine's words);
// empty when it opened.
QString MainDBOpenError();

// The main window's caller-ID check box, set by ApplyCallerIdState.
void SetCallerIdCheckBox(QAbstractButton* box);
void ApplyCallerIdState(bool bEnable);

// How a stored "수정권한" value reads as a Boolean (numbers: non-zero is true; "True"/"False"
// in any case; anything else counts as the default, true).
bool EditRightFromSetting(const QString& value);
// True when the file lies on a local file system (the old "drive C" rule).
bool IsLocalDatabasePath(const QString& path);
