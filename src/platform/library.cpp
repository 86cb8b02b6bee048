#include "library.h"

#include <dlfcn.h>
#include <link.h>

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QString>

#include "sim/counters.h"
#include "sim/state.h"

namespace {
QString programFolder()
{
    return QFileInfo(QFile::symLinkTarget(QStringLiteral("/proc/self/exe"))).absolutePath();
}
}

HMODULE LoadLibraryW(LPCWSTR name)
{
    if (!name)
        return nullptr;
    QString file = QString::fromUtf16(name);
    QStringList candidates;
    if (file.contains(QLatin1Char('/'))) {
        candidates << file;
    } else {
        if (file.endsWith(QLatin1String(".dll"), Qt::CaseInsensitive))
            file.chop(4);
        const QString soName = QStringLiteral("lib%1.so").arg(file);
        candidates << programFolder() + QLatin1Char('/') + soName << soName;
    }
    for (const QString& candidate : candidates) {
        if (void* handle = dlopen(QFile::encodeName(candidate).constData(), RTLD_NOW | RTLD_LOCAL)) {
            platform_detail::counters().libraries++;
            return static_cast<HMODULE>(handle);
        }
    }
    return nullptr;
}

FARPROC GetProcAddress(HMODULE module, const char* name)
{
    if (!module || !name)
        return nullptr;
    return reinterpret_cast<FARPROC>(dlsym(module, name));
}

BOOL FreeLibrary(HMODULE module)
{
    if (!module || dlclose(module) != 0)
        return FALSE;
    platform_detail::counters().libraries--;
    return TRUE;
}

DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size)
{
    QString path;
    if (!module) {
        path = QFile::symLinkTarget(QStringLiteral("/proc/self/exe"));
    } else {
        link_map* map = nullptr;
        if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name)
            return 0;
        path = QFile::decodeName(map->l_name);
    }
    return static_cast<DWORD>(sim_detail::copyText(path.toStdU16String(), buffer, static_cast<int>(size)));
}
