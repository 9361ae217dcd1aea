#include "base/ProcessUmask.h"

#include <fstream>
#include <mutex>
#include <string>
#include <sys/stat.h>

namespace {

std::once_flag umaskRead;
mode_t mask = 022;

mode_t UmaskFromProc()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with("Umask:"))
            return static_cast<mode_t>(std::stoul(line.substr(6), nullptr, 8)) & 0777;
    // Without /proc the only way is to set it; harmless this early or once in a tool.
    const mode_t value = ::umask(022);
    ::umask(value);
    return value;
}

}  // namespace

void ReadProcessUmask()
{
    std::call_once(umaskRead, [] {
        mask = ::umask(022);
        ::umask(mask);
    });
}

mode_t ProcessUmask()
{
    std::call_once(umaskRead, [] { mask = UmaskFromProc(); });
    return mask;
}
