#include "apppath.h"

#include <climits>
#include <cstdlib>
#include <dlfcn.h>
#include <filesystem>
#include <memory>
#include <sys/auxv.h>
#include <system_error>
#include <unistd.h>

namespace {

std::string programFile()
{
    std::error_code error;
    const std::filesystem::path path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::string() : path.string();
}

bool inProgram(const Dl_info& module)
{
    // The program's own headers lie in its first mapping; their module base is the program's.
    Dl_info program{};
    const auto headers = reinterpret_cast<const void*>(getauxval(AT_PHDR));
    return headers && dladdr(headers, &program) != 0 && program.dli_fbase == module.dli_fbase;
}

// Full file name of the module holding `address`; "" when it cannot be told.
std::string moduleFile(const void* address)
{
    if (!address)
        return programFile();
    Dl_info module{};
    if (dladdr(address, &module) == 0)
        return std::string();
    // The loader names the program by how it was started, so its own link is more reliable.
    if (inProgram(module))
        return programFile();
    if (!module.dli_fname || !*module.dli_fname)
        return std::string();
    const std::string name = module.dli_fname;
    if (name.front() == '/')
        return name;
    // A library opened by a relative name.
    std::unique_ptr<char, decltype(&std::free)> resolved(realpath(name.c_str(), nullptr), &std::free);
    return resolved ? std::string(resolved.get()) : name;
}

} // namespace

std::string GetAppPath(const void* addressInModule)
{
    const std::string file = moduleFile(addressInModule);
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(0, slash + 1);
}

std::string GetAppName()
{
    const std::string file = programFile();
    if (file.empty())
        return std::string();
    return std::filesystem::path(file).stem().string();
}

bool SetCurrentPath(const std::string& path)
{
    const std::string folder = path.empty() ? GetAppPath(nullptr) : path;
    if (folder.empty())
        return false;
    std::error_code error;
    std::filesystem::current_path(folder, error);
    return !error;
}

CHARACTER_ENCODING GetFileEncoding(const char* bytes)
{
    if (!bytes)
        return ENCODING_NONE;
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    if (b[0] == 0xFF && b[1] == 0xFE)
        return ENCODING_UTF16_LE;
    if (b[0] == 0xFE && b[1] == 0xFF)
        return ENCODING_UTF16_BE;
    if (b[0] == 0xEF && b[1] == 0xBB && b[2] == 0xBF)
        return ENCODING_UTF8;
    return ENCODING_NONE;
}
