#include "base/FileWrites.h"

#include "base/FileDescriptor.h"
#include "base/PathName.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool WriteAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

int ReplacePrivateFile(const std::string& path, std::string_view bytes)
{
    std::string temporary = FolderPart(path) + "/." + FileNamePart(path) + ".XXXXXX";
    int error = 0;
    errno = 0;
    {
        TFileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
        if (!file.Valid())
            return errno;
        // mkostemp makes the file owner-only whatever the umask; fchmod states it for any system that does not.
        if (::fchmod(file.Get(), S_IRUSR | S_IWUSR) != 0 || !WriteAll(file.Get(), bytes) ||
            ::fsync(file.Get()) != 0 || !file.Close())
            error = errno != 0 ? errno : EIO;
    }
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0)
        error = errno;
    if (error != 0)
        ::unlink(temporary.c_str());
    return error;
}
