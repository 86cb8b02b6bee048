#include "process.h"

#include <set>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

#include <QFile>
#include <QString>

#include "sim/counters.h"
#include "sim/state.h"

using namespace sim_detail;

namespace {

struct ProcessHandle
{
    DWORD pid = 0;
    DWORD access = 0;
};

std::set<ProcessHandle*>& handles()
{
    static std::set<ProcessHandle*> all;
    return all;
}

// The real image of a Linux process, for ids that are not simulated (this process among them).
std::u16string linuxImage(DWORD pid)
{
    const QString link = pid == GetCurrentProcessId() ? QStringLiteral("/proc/self/exe")
                                                     : QStringLiteral("/proc/%1/exe").arg(pid);
    return QFile::symLinkTarget(link).toStdU16String();
}

// The path a handle answers, or nothing (with the reason as a failure).
bool imageOf(HANDLE handle, DWORD neededAccess, bool viaModule, std::u16string& path)
{
    Lock lock(state().mutex);
    auto* h = static_cast<ProcessHandle*>(handle);
    if (!handles().count(h) || (h->access & neededAccess) != neededAccess)
        return false;
    auto it = state().processes.find(h->pid);
    if (it == state().processes.end()) {
        path = linuxImage(h->pid);
        return !path.empty();
    }
    const sim::ProcessSpec& desc = it->second.desc;
    if (viaModule ? !desc.moduleNameReadable : !desc.imageNameReadable)
        return false;
    path = desc.imagePath;
    return true;
}

} // namespace

DWORD GetCurrentProcessId()
{
    return static_cast<DWORD>(getpid());
}

DWORD GetCurrentThreadId()
{
    return static_cast<DWORD>(syscall(SYS_gettid));
}

HANDLE OpenProcess(DWORD access, BOOL, DWORD processId)
{
    if (FAILED(enter(sim::Call::OpenProcess)))
        return nullptr;
    Lock lock(state().mutex);
    auto it = state().processes.find(processId);
    if (it != state().processes.end()) {
        if (!it->second.desc.canOpen)
            return nullptr;
    } else if (linuxImage(processId).empty()) {
        return nullptr;
    }
    auto* h = new ProcessHandle{processId, access};
    handles().insert(h);
    platform_detail::counters().processHandles++;
    return h;
}

BOOL CloseHandle(HANDLE handle)
{
    Lock lock(state().mutex);
    auto* h = static_cast<ProcessHandle*>(handle);
    if (!handles().erase(h))
        return FALSE;
    delete h;
    platform_detail::counters().processHandles--;
    return TRUE;
}

DWORD K32GetModuleFileNameExW(HANDLE process, HMODULE module, LPWSTR buffer, DWORD size)
{
    std::u16string path;
    if (module || !imageOf(process, PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, true, path))
        return 0;
    return static_cast<DWORD>(copyText(path, buffer, static_cast<int>(size)));
}

BOOL QueryFullProcessImageNameW(HANDLE process, DWORD, LPWSTR buffer, DWORD* size)
{
    std::u16string path;
    if (!size || !imageOf(process, 0, false, path))
        return FALSE;
    // Unlike the window-text calls, a short buffer is a failure rather than a cut.
    if (path.size() + 1 > *size)
        return FALSE;
    *size = static_cast<DWORD>(copyText(path, buffer, static_cast<int>(*size)));
    return TRUE;
}
