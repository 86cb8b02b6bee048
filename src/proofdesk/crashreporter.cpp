#include "crashreporter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include "crashreportconfig.h"
#include "library.h"

namespace {
CrashReporter& processReporter()
{
    static CrashReporter reporter;
    return reporter;
}

// Configured values: null when the build left them empty.
LPCWSTR configured(const WCHAR* value)
{
    return value[0] ? value : nullptr;
}

template <class T>
T entry(HMODULE module, const char* name)
{
    return reinterpret_cast<T>(GetProcAddress(module, name));
}
}

bool CrashReporter::install(const WCHAR* name, const WCHAR* library)
{
    if (!module) {
        module = LoadLibraryW(library);
        if (module) {
            crInstallW = entry<PFNCRINSTALLW>(module, "crInstallW");
            crGetLastErrorMsgW = entry<PFNCRGETLASTERRORMSGW>(module, "crGetLastErrorMsgW");
            crSetCrashCallbackW = entry<PFNCRSETCRASHCALLBACKW>(module, "crSetCrashCallbackW");
            crUninstall = entry<PFNCRUNINSTALL>(module, "crUninstall");
        }
    }
    if (!crInstallW || !crGetLastErrorMsgW || !crSetCrashCallbackW || !crUninstall)
        return false;

    appName = name ? name : u"";
    appVersion = QString::asprintf("%d.%d.%d.%d", 2, 1, 0, 1545).toStdU16String();
    subject = QStringLiteral("Korrelo-%1-crash").arg(QString::fromStdU16String(appVersion)).toStdU16String();
    // The running program restarts itself; the folder already ends in its separator.
    const QString program = QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).fileName();
    restartCommand = GetModuleDir(nullptr) + program.toStdU16String();

    info = CR_INSTALL_INFOW{};
    info.cb = sizeof(CR_INSTALL_INFOW);
    info.pszAppName = appName.c_str();
    info.pszAppVersion = appVersion.c_str();
    info.pszEmailTo = configured(KORRELO_CRASH_EMAIL);
    info.pszEmailSubject = subject.c_str();
    info.uPriorities[CR_HTTP] = 1;
    info.uPriorities[CR_SMTP] = 3;
    info.uPriorities[CR_SMAPI] = 2;
    info.dwFlags = CR_INST_ALL_POSSIBLE_HANDLERS | CR_INST_APP_RESTART | CR_INST_SEND_QUEUED_REPORTS
                   | CR_INST_AUTO_THREAD_HANDLERS;
    info.uMiniDumpType = MiniDumpWithDataSegs | MiniDumpWithHandleData | MiniDumpScanMemory
                         | MiniDumpWithUnloadedModules | MiniDumpWithIndirectlyReferencedMemory
                         | MiniDumpWithProcessThreadData | MiniDumpWithThreadInfo | MiniDumpWithTokenInformation;
    info.pszRestartCmdLine = restartCommand.c_str();
    info.pszSmtpProxy = configured(KORRELO_CRASH_SMTP_SERVER);
    info.pszSmtpLogin = configured(KORRELO_CRASH_SMTP_LOGIN) ? configured(KORRELO_CRASH_SMTP_LOGIN)
                                                             : configured(KORRELO_CRASH_EMAIL);
    info.pszSmtpPassword = configured(KORRELO_CRASH_SMTP_PASSWORD);

    const QString documents = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (!documents.isEmpty()) {
        const QString path = documents + QStringLiteral("/Korrelo/crash");
        QDir().mkpath(path);
        reportFolder = path.toStdU16String();
        info.pszErrorReportSaveDir = reportFolder.c_str();
    }

    if (crInstallW(&info) != 0)
        return false;
    crSetCrashCallbackW(CrashReportCallback, nullptr);
    installed = true;
    return true;
}

void CrashReporter::uninstall()
{
    if (crUninstall)
        crUninstall();
    installed = false;
}

void InstallCrashReporter(const WCHAR* appName)
{
    processReporter().install(appName);
}

void UninstallCrashReporter()
{
    processReporter().uninstall();
}

int CrashReportCallback(CR_CRASH_CALLBACK_INFOW* info)
{
    // Only failures the C++ runtime cannot recover from get a report; for the rest the library is
    // asked to let the program run on.
    if (info && info->pExceptionInfo
        && (info->pExceptionInfo->exctype == CR_CPP_UNEXPECTED_CALL
            || info->pExceptionInfo->exctype == CR_CPP_INVALID_PARAMETER))
        return CR_CB_DODEFAULT;
    if (info)
        info->bContinueExecution = TRUE;
    return CR_CB_CANCEL;
}

std::u16string GetModuleDir(HMODULE module)
{
    WCHAR buffer[MAX_PATH] = {};
    if (GetModuleFileNameW(module, buffer, MAX_PATH) == 0)
        return std::u16string();
    std::u16string path(buffer);
    const size_t slash = path.find_last_of(u"/\\");
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}
