#pragma once

#include <string>

#include "crashreportapi.h"

// What the crash-library double saw: a copy of the install record and the calls made.
struct CrashDoubleState
{
    int installCalls = 0;
    int callbackCalls = 0;
    int uninstallCalls = 0;
    int installResult = 0;               // what crInstallW answers
    PFN_CRASH_CALLBACKW callback = nullptr;
    UINT cb = 0;
    std::u16string appName;
    std::u16string appVersion;
    std::u16string emailTo;
    std::u16string subject;
    std::u16string url;
    std::u16string saveDir;
    std::u16string restartCommand;
    std::u16string smtpProxy;
    std::u16string smtpLogin;
    std::u16string smtpPassword;
    UINT priorities[3] = {};
    DWORD flags = 0;
    DWORD dumpType = 0;
};

// A null string is recorded as this text, so a test tells "not given" from "empty".
inline const std::u16string crashDoubleNull = u"<null>";

typedef CrashDoubleState* (*PFNCRASHDOUBLESTATE)();
