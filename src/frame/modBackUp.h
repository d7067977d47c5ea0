#pragma once
#include <QString>

class QIcon;

// Backup of the database folder through the outside compressor program in the program folder.
// The compressor reads the folder from the settings application "Backup", section "DB경로",
// key "경로"; it is also given the folder on its command line ("--folder=<folder>": the
// path given to ExecBackUp, else this run's database folder). At most one backup is started
// per run.

// The compressor's file name in the program folder.
inline const QString kBackUpProgram = QStringLiteral("데이터압축");

// Asks how to back up before the program ends. True lets the program end, false cancels
// the exit (the window was closed without a choice).
bool ExecBackUpAuto(const QString& sKeepForm, const QString& sDBPath, const QIcon* picIcon = nullptr);
// Starts the compressor with the mode's argument; true only when it was started.
bool ExecBackUp(int mode, bool bNoAsk, const QString& sKeepForm, const QString& sDBPath);
// " SERVERUP" (1), " AS" (2), " HDDAUTO" (3), else "".
QString GetBackUpArgs(int mode);

// Whether a backup was started in this run; the reset begins a new run (used by tests).
bool IsBackUpDone();
void ResetBackUpDone();
