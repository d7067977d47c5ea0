#include "frame/modMain.h"
#include "frame/modFloatMsg.h"
#include "frame/modGlobal.h"
#include "frame/modMsgBox.h"

#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

#include <QAbstractButton>
#include <QApplication>
#include <QThread>
#include <QTimer>
#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <QStorageInfo>

QString gsTitle;
QString gsDBPath;
QString gsRptPath;
QString gsDBFile;
QString gsPostDBFile;
std::shared_ptr<dao::Database> gDB;

namespace {
QString gStartApp; // the stored first-start month; read by nothing else
QString gMainDBOpenError;
QPointer<QAbstractButton>& callerIdBox()
{
    static QPointer<QAbstractButton> box;
    return box;
}
QString joinPath(const QString& folder, const QString& name)
{
    return QDir::toNativeSeparators(QDir::cleanPath(folder + QLatin1Char('/') + name));
}
} // namespace

void InitApp()
{
    // A setting that could not be stored is told in the program's own box, once while the
    // same failure goes on (on the window thread, whichever thread saved it).
    platform::setUnsavedSettingsHook([](const QString& file) {
        auto tell = [file] {
            MsgWarn(QStringLiteral("설정을 저장하지 못했습니다. 다른 프로그램이 설정 파일을 잠그고 있거나 쓸 수 없습니다.\r\n%1")
                        .arg(QDir::toNativeSeparators(file)),
                    QStringLiteral("설정 저장 오류"));
        };
        QCoreApplication* app = QCoreApplication::instance();
        if (!app || QThread::currentThread() == app->thread())
            tell();
        else
            QMetaObject::invokeMethod(app, tell, Qt::QueuedConnection);
    });
    LoadEnvSettings();
    OpenMainDB();
}

void LoadEnvSettings()
{
    using platform::GetSetting;
    using platform::SaveSetting;
    gStartApp = GetSetting(gsTitle, kEnvSection, QStringLiteral("StartApp"));
    gsDBPath = GetSetting(gsTitle, kEnvSection, QStringLiteral("db경로"));
    gsRptPath = GetSetting(gsTitle, kEnvSection, QStringLiteral("Rpt경로"));
    gsDBFile = GetSetting(gsTitle, kEnvSection, QStringLiteral("db기초"));
    gsPostDBFile = GetSetting(gsTitle, kEnvSection, QStringLiteral("우편번호"));

    if (gStartApp.isEmpty())
        SaveSetting(gsTitle, kEnvSection, QStringLiteral("StartApp"), platform::today().toString(QStringLiteral("yyyy-MM")));

    if (!gsDBPath.isEmpty()) {
        if (!QFileInfo(gsDBPath).isDir())
            MsgWarn(QStringLiteral("데이터베이스 파일 경로가 없어졌거나 옮겨졌습니다.\r\n데이터베이스 파일 경로를 확인하십시요."),
                    QStringLiteral("파일 경로 오류"));
    } else {
        gsDBPath = platform::programPath(QStringLiteral("Dbs"));
    }
    if (gsDBFile.isEmpty() || !QFileInfo(gsDBFile).isFile())
        gsDBFile = joinPath(gsDBPath, QStringLiteral("trelvoDB.mdb"));
    if (gsPostDBFile.isEmpty() || !QFileInfo(gsPostDBFile).isFile())
        gsPostDBFile = joinPath(gsDBPath, QStringLiteral("dbpost.mdb"));
    if (gsRptPath.isEmpty() || !QFileInfo(gsRptPath).isDir()) {
        gsRptPath = joinPath(QDir::homePath() + QLatin1Char('/') + gsTitle, QStringLiteral("Rpt"));
        if (!QFileInfo(gsRptPath).isDir())
            QDir().mkdir(gsRptPath); // one level only: a missing parent is left missing
    }

    SaveSetting(gsTitle, kEnvSection, QStringLiteral("db기초"), gsDBFile);
    SaveSetting(gsTitle, kEnvSection, QStringLiteral("db경로"), gsDBPath);
    SaveSetting(gsTitle, kEnvSection, QStringLiteral("Rpt경로"), gsRptPath);
    SaveSetting(gsTitle, kEnvSection, QStringLiteral("우편번호"), gsPostDBFile);
}

bool EditRightFromSetting(const QString& value)
{
    const QString v = value.trimmed();
    bool isNumber = false;
    const double d = v.toDouble(&isNumber);
    if (isNumber)
        return d != 0.0;
    if (v.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        return true;
    if (v.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        return false;
    return true; // neither a number nor a Boolean word: the default
}

bool IsLocalDatabasePath(const QString& path)
{
    QFileInfo fi(path);
    const QString probe = fi.exists() ? fi.absoluteFilePath() : fi.absolutePath();
    const QString fs = QString::fromLatin1(QStorageInfo(probe).fileSystemType()).toLower();
    static const QStringList network = {QStringLiteral("nfs"), QStringLiteral("nfs4"), QStringLiteral("cifs"),
                                        QStringLiteral("smbfs"), QStringLiteral("smb3"), QStringLiteral("fuse.sshfs"),
                                        QStringLiteral("sshfs"), QStringLiteral("afs"), QStringLiteral("ncpfs"),
                                        QStringLiteral("9p"), QStringLiteral("davfs"), QStringLiteral("fuse.davfs")};
    return !network.contains(fs);
}

void OpenMainDB()
{
    bool readOnly = false;
    if (!IsLocalDatabasePath(gsDBFile))
        readOnly = !EditRightFromSetting(platform::GetSetting(gsTitle, kEnvSection, QStringLiteral("수정권한"), QStringLiteral("1")));
    // At start nothing else is on the screen yet: while the open waits, the floating message
    // says why, until the open goes on or gives up.
    {
        StartWaitNotice notice;
        DAO_OpenDatabase(gDB, gsDBFile, 0, readOnly, &gMainDBOpenError);
    }
    gMainDBOpenError.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
}

namespace {
// A wait for another workstation's lock that lasts shows the wait cursor until the program is
// back in its event loop.
void showWaitCursor()
{
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread())
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QTimer::singleShot(0, app, [] { QApplication::restoreOverrideCursor(); });
}
} // namespace

StartWaitNotice::StartWaitNotice()
{
    dao::Database::setLongWaitHook([this] {
        auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
        if (app && QThread::currentThread() == app->thread() && !m_shown) {
            m_shown = true;
            ShowFloatMsgNow(QStringLiteral("다른 작업장이 데이터베이스를 사용 중입니다. 잠시 기다려 주십시오."));
        }
        showWaitCursor();
    });
}

StartWaitNotice::~StartWaitNotice()
{
    dao::Database::setLongWaitHook(showWaitCursor);
    if (m_shown)
        CloseFloatMsg();
}

QString MainDBOpenError() { return gMainDBOpenError; }

void SetCallerIdCheckBox(QAbstractButton* box) { callerIdBox() = box; }

void ApplyCallerIdState(bool bEnable)
{
    QAbstractButton* box = callerIdBox();
    if (!box)
        return;
    box->setEnabled(bEnable);
    box->setChecked(platform::GetSetting(gsTitle, QStringLiteral("Registration"), QStringLiteral("RingletUse")) == QLatin1String("1"));
}
