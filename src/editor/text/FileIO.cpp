#include "editor/text/FileIO.h"

#include "base/FileDescriptor.h"
#include "editor/text/HugePages.h"

#include <cerrno>
#include <cstring>
#include <functional>
#include <new>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string ReadOpenFile(int fd, const struct stat& info, const std::function<EFileError()>& fail)
{
    std::string bytes;
    // A file is read into a block of its size, with room behind that an edited long line (a
    // minified page) can grow into without a copy; room never written costs address space only.
    // One that reports no size (/proc) grows as it comes, and so does a file that grows while it is read.
    const std::size_t size = info.st_size > 0 ? static_cast<std::size_t>(info.st_size) : 65536;
    bytes.reserve(size + size / 16);
    AskForHugePages(bytes.data(), bytes.capacity());
    bytes.resize(size);
    std::size_t used = 0;
    while (true) {
        char spare[4096];
        const bool full = used == bytes.size();
        char* into = full ? spare : bytes.data() + used;
        const std::size_t room = full ? sizeof spare : bytes.size() - used;
        const ssize_t got = ::read(fd, into, room);
        if (got < 0) {
            if (errno == EINTR) continue;
            throw fail();
        }
        if (got == 0) break;
        if (full) {
            bytes.append(spare, static_cast<std::size_t>(got));
            bytes.resize(bytes.size() * 2);  // room for more of a stream
        }
        used += static_cast<std::size_t>(got);
    }
    bytes.resize(used);
    return bytes;
}

}  // namespace

std::string ReadWholeFile(const std::string& path)
{
    const auto fail = [&] { return EFileError("Cannot open file " + path); };
    // Non-blocking, so that opening a pipe nobody writes to cannot hang; no effect on files.
    TFileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    if (!fd.Valid()) throw fail();
    struct stat info {};
    // Only regular files are pages: a device or a pipe may never end (/dev/zero) or never answer.
    if (::fstat(fd.Get(), &info) != 0 || !S_ISREG(info.st_mode)) throw fail();
    try {
        return ReadOpenFile(fd.Get(), info, fail);
    } catch (const std::bad_alloc&) {
        throw fail();  // larger than the memory the program can have
    }
}

void WriteFileSafely(const std::string& path, std::string_view bytes)
{
    WriteFileSafely(path, [bytes](const TByteSink& write) { return write(bytes); });
}

void WriteFileSafely(const std::string& path, const TByteProducer& produce)
{
    if (const int error = SafeWrite(path, produce, TFileAccess::Shared))
        throw EFileError("Cannot create file " + path + ". " + std::strerror(error));
}
