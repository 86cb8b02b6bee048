#pragma once

// Our own declarations of the crash-report library's entry points and structures, limited to what
// this program uses. Nothing links against it: the library is opened by file name at run time.

#include "wintypes.h"

// Report transports, by index into CR_INSTALL_INFOW::uPriorities.
constexpr int CR_HTTP = 0;
constexpr int CR_SMTP = 1;
constexpr int CR_SMAPI = 2;

constexpr DWORD CR_INST_ALL_POSSIBLE_HANDLERS = 0x1FFF;
constexpr DWORD CR_INST_APP_RESTART = 0x10000;
constexpr DWORD CR_INST_SEND_QUEUED_REPORTS = 0x40000;
constexpr DWORD CR_INST_AUTO_THREAD_HANDLERS = 0x800000;

// Parts of the crashing process written to the minidump.
constexpr DWORD MiniDumpWithDataSegs = 0x1;
constexpr DWORD MiniDumpWithHandleData = 0x4;
constexpr DWORD MiniDumpScanMemory = 0x10;
constexpr DWORD MiniDumpWithUnloadedModules = 0x20;
constexpr DWORD MiniDumpWithIndirectlyReferencedMemory = 0x40;
constexpr DWORD MiniDumpWithProcessThreadData = 0x100;
constexpr DWORD MiniDumpWithThreadInfo = 0x1000;
constexpr DWORD MiniDumpWithTokenInformation = 0x40000;

// Fields not set stay zero or null.
struct CR_INSTALL_INFOW
{
    UINT cb;                             // size of this record
    LPCWSTR pszAppName;
    LPCWSTR pszAppVersion;
    LPCWSTR pszEmailTo;
    LPCWSTR pszEmailSubject;
    LPCWSTR pszUrl;                      // HTTP address for reports
    UINT uPriorities[3];                 // by CR_HTTP, CR_SMTP, CR_SMAPI
    DWORD dwFlags;
    DWORD uMiniDumpType;
    LPCWSTR pszErrorReportSaveDir;
    LPCWSTR pszRestartCmdLine;
    LPCWSTR pszSmtpProxy;
    LPCWSTR pszSmtpLogin;
    LPCWSTR pszSmtpPassword;
};

// Kinds of failure the library reports to the callback.
constexpr int CR_SEH_EXCEPTION = 0;
constexpr int CR_CPP_TERMINATE_CALL = 1;
constexpr int CR_CPP_UNEXPECTED_CALL = 2;
constexpr int CR_CPP_INVALID_PARAMETER = 6;

struct CR_EXCEPTION_INFO
{
    UINT cb;
    int exctype;
    DWORD code;
};

struct CR_CRASH_CALLBACK_INFOW
{
    UINT cb;
    LPCWSTR pszErrorReportFolder;
    CR_EXCEPTION_INFO* pExceptionInfo;
    void* pUserParam;
    BOOL bContinueExecution;
};

// Callback answers: make the report and end the process, or make none and go on.
constexpr int CR_CB_DODEFAULT = 0;
constexpr int CR_CB_CANCEL = 1;

typedef int (*PFN_CRASH_CALLBACKW)(CR_CRASH_CALLBACK_INFOW* info);
typedef int (*PFNCRINSTALLW)(CR_INSTALL_INFOW* info);
typedef int (*PFNCRGETLASTERRORMSGW)(LPWSTR buffer, UINT size);
typedef int (*PFNCRSETCRASHCALLBACKW)(PFN_CRASH_CALLBACKW callback, void* userParam);
typedef int (*PFNCRUNINSTALL)();
