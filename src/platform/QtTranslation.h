#pragma once

namespace platform {

// Qt's own texts (the context menu of a text box, the print, page set-up, preview and colour
// dialogs, standard buttons) in Korean, as the system's own dialogs speak on a Korean
// desktop: installs Qt's Korean translation (qtbase_ko.qm from Qt's translations folder) into
// the running application. Called once the application object exists, by the program, by
// each outside program with windows and by the tests that open the program's windows;
// further calls do nothing. Returns false when the translation is not installed on this
// machine, in which case Qt's texts stay English and everything else works as before.
bool InstallQtTranslation();

} // namespace platform
