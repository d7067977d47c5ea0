#include "frame/modBackUp.h"

#include "frame/frmMsgBackUp.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QStringList>

namespace {

bool g_bBackUpDone = false;

QString modeName(int mode)
{
    switch (mode) {
    case 1: return QStringLiteral("서버");
    case 2: return QStringLiteral("AS");
    default: return QStringLiteral("하드");
    }
}

} // namespace

bool IsBackUpDone() { return g_bBackUpDone; }
void ResetBackUpDone() { g_bBackUpDone = false; }

QString GetBackUpArgs(int mode)
{
    switch (mode) {
    case 1: return QStringLiteral(" SERVERUP");
    case 2: return QStringLiteral(" AS");
    case 3: return QStringLiteral(" HDDAUTO");
    default: return QString();
    }
}

bool ExecBackUp(int mode, bool bNoAsk, const QString& sKeepForm, const QString& sDBPath)
{
    if (g_bBackUpDone)
        return false;

    const QString path = platform::programPath(kBackUpProgram);
    if (!QFileInfo(path).isFile()) {
        MsgPlain(QStringLiteral("데이터백업 프로그램을 찾을 수 없습니다.\r\n경로) ") + path);
        return false;
    }

    if (!bNoAsk) {
        const int answer = MsgYesNo(QStringLiteral("안전한 백업을 위하여 현재 사용중인 ") + gsTitle
                                        + QStringLiteral(" 프로그램을 종료합니다.\r\n계속하시겠습니까?"),
                                    QStringLiteral("데이터 백업(") + modeName(mode) + QLatin1Char(')'), true);
        if (answer != platform::AnswerYes)
            return false;
    }

    if (!sKeepForm.isEmpty())
        UnloadOtherForms(sKeepForm);
    if (!sDBPath.isEmpty())
        platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"), sDBPath);

    const QString args = GetBackUpArgs(mode).trimmed();
    QStringList argList = args.isEmpty() ? QStringList() : QStringList{args};
    // The compressor is also given the folder of this run itself, so that the backup does
    // not depend on the stored setting: its save may have given up (another program held
    // the settings file), leaving none or another run's folder there.
    const QString folder = !sDBPath.isEmpty() ? sDBPath : gsDBPath.isEmpty() ? QString() : gsDBPath + QDir::separator();
    if (!folder.isEmpty())
        argList << QStringLiteral("--folder=") + folder;
    if (!platform::prompter().startProgram(path, argList, QString())) {
        // Not counted as done: a later close offers the backup again.
        MsgPlain(QStringLiteral("데이터백업 프로그램을 실행할 수 없습니다.\r\n경로) ") + path);
        return false;
    }
    g_bBackUpDone = true;
    return true;
}

bool ExecBackUpAuto(const QString& sKeepForm, const QString& sDBPath, const QIcon* picIcon)
{
    if (g_bBackUpDone)
        return true;

    int result = 3;
    {
        frmMsgBackUp dlg;
        if (picIcon)
            dlg.setWindowIcon(*picIcon);
        platform::prompter().execModal(dlg);
        result = dlg.Result();
    }

    switch (result) {
    case 0:
        ExecBackUp(1, true, sKeepForm, sDBPath);
        return true;
    case 1:
        ExecBackUp(0, true, sKeepForm, sDBPath);
        return true;
    case 2:
        return true;
    default:
        return false;
    }
}
