#pragma once
#include <QString>

namespace platform {

// The folder that holds the program and its companions (Dbs/, FormIni/, Image/, RCidLog,
// the helper programs). It is the folder of the executable unless the environment variable
// TRELVO_PROGRAM_DIR or setProgramFolder() names another one (tests do this).
QString programFolder();
void setProgramFolder(const QString& folder);

// programFolder() joined with a relative path, using the native separator.
QString programPath(const QString& relative);

} // namespace platform
