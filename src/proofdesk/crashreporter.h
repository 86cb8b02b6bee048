#pragma once

#include <string>

#include "crashreportapi.h"

// Crash reporting through a library loaded at run time: without the library, or without one of its
// four entry points, the program runs without crash reports.
class CrashReporter
{
public:
    static constexpr const WCHAR* defaultLibrary = u"CrashRpt1402.dll";

    // Loads the library once and installs the reporter; true when installed.
    bool install(const WCHAR* appName, const WCHAR* library = defaultLibrary);
    void uninstall();

    bool isLoaded() const { return module != nullptr; }
    bool isInstalled() const { return installed; }
    // The record given to the library (valid after install).
    const CR_INSTALL_INFOW& record() const { return info; }

private:
    HMODULE module = nullptr;
    PFNCRINSTALLW crInstallW = nullptr;
    PFNCRGETLASTERRORMSGW crGetLastErrorMsgW = nullptr;
    PFNCRSETCRASHCALLBACKW crSetCrashCallbackW = nullptr;
    PFNCRUNINSTALL crUninstall = nullptr;
    bool installed = false;

    CR_INSTALL_INFOW info{};
    std::u16string appName;
    std::u16string appVersion;
    std::u16string subject;
    std::u16string reportFolder;
    std::u16string restartCommand;
};

void InstallCrashReporter(const WCHAR* appName);
void UninstallCrashReporter();
int CrashReportCallback(CR_CRASH_CALLBACK_INFOW* info);
// Directory holding the module, ending in a separator so a file name can be appended directly;
// empty if the module's path is unknown.
std::u16string GetModuleDir(HMODULE module);
