// A stand-in for the crash-report library, built only for tests: it records what the program
// installs instead of handling crashes.
#include "crashdouble.h"

#define DOUBLE_EXPORT extern "C" __attribute__((visibility("default")))

namespace {
CrashDoubleState state;

std::u16string copy(LPCWSTR text)
{
    return text ? std::u16string(text) : crashDoubleNull;
}
}

DOUBLE_EXPORT CrashDoubleState* crashDoubleState()
{
    return &state;
}

DOUBLE_EXPORT int crInstallW(CR_INSTALL_INFOW* info)
{
    state.installCalls++;
    if (!info)
        return 1;
    state.cb = info->cb;
    state.appName = copy(info->pszAppName);
    state.appVersion = copy(info->pszAppVersion);
    state.emailTo = copy(info->pszEmailTo);
    state.subject = copy(info->pszEmailSubject);
    state.url = copy(info->pszUrl);
    state.saveDir = copy(info->pszErrorReportSaveDir);
    state.restartCommand = copy(info->pszRestartCmdLine);
    state.smtpProxy = copy(info->pszSmtpProxy);
    state.smtpLogin = copy(info->pszSmtpLogin);
    state.smtpPassword = copy(info->pszSmtpPassword);
    for (int i = 0; i < 3; ++i)
        state.priorities[i] = info->uPriorities[i];
    state.flags = info->dwFlags;
    state.dumpType = info->uMiniDumpType;
    return state.installResult;
}

DOUBLE_EXPORT int crGetLastErrorMsgW(LPWSTR buffer, UINT size)
{
    if (buffer && size > 0)
        buffer[0] = 0;
    return 0;
}

DOUBLE_EXPORT int crSetCrashCallbackW(PFN_CRASH_CALLBACKW callback, void*)
{
    state.callbackCalls++;
    state.callback = callback;
    return 0;
}

#ifndef CRASHDOUBLE_WITHOUT_UNINSTALL
DOUBLE_EXPORT int crUninstall()
{
    state.uninstallCalls++;
    return 0;
}
#endif
