#pragma once
#include <QSize>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

class QProcess;

namespace testsupport {

// A scratch program folder and settings folder for one test; both are restored afterwards.
// Qt's own menus and dialogs speak Korean, as in the program.
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    QString folder() const { return m_dir.path(); } // the program folder
    QString path(const QString& relative) const;    // a path inside it
    QString settingsFolder() const;

private:
    QTemporaryDir m_dir;
};

// Creates a database file from one of the shipped schema scripts in schema/
// ("main", "post" or "trade"). Returns false when the script or the file fails.
bool createDatabase(const QString& path, const QString& schemaName);
// Runs an SQL script against a file with the SQLite API directly (no program code).
bool runSqlScript(const QString& path, const QString& sql);

// A user without root rights (root ignores file modes). The scratch folder is opened to
// every user and the program copied into it as name, so that user can run it; the copy's
// path, or an empty text when that fails.
QString copyForUnprivileged(const QTemporaryDir& scratch, const QString& program, const QString& name);
// Starts program with args as the user nobody through setpriv, on the settings of
// settingsFolder, with scratch as its home and working folder. False when setpriv is missing.
bool startUnprivileged(QProcess& process, const QString& program, const QStringList& args,
                       const QString& settingsFolder, const QString& scratch);

// Runs the present test function's present data row again in a program of its own (this test
// program) on an offscreen screen of the given size, in pixels, at the given font DPI (a DPI
// above 96 makes the screen smaller for the program, as on a real screen). True when the row
// passed there; output receives what that program wrote. onOwnScreen() is true in it.
bool runOnScreen(const QSize& screen, int fontDpi, QString& output);
bool onOwnScreen();
// The data columns of a test whose rows run on screens of their own: "screen" (QSize, in
// pixels) and "fontDpi" (int).
void addScreenColumns();

} // namespace testsupport

// The first line of such a test: the row is run again in its own program on its screen, and
// the test function returns here, unless this is that program.
#define RUN_ROW_ON_ITS_SCREEN()                                                                    \
    do {                                                                                           \
        QFETCH(QSize, screen);                                                                     \
        QFETCH(int, fontDpi);                                                                      \
        if (!testsupport::onOwnScreen()) {                                                         \
            QString output;                                                                        \
            QVERIFY2(testsupport::runOnScreen(screen, fontDpi, output), qPrintable(output));       \
            return;                                                                                \
        }                                                                                          \
    } while (false)

namespace testsupport {

} // namespace testsupport
