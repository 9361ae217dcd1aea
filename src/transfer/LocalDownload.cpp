#include "transfer/LocalDownload.h"

#include "transfer/RemoteSession.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <random>

namespace {

[[noreturn]] void FailLocally(const std::string& what, const std::string& path, int error)
{
    throw ETransferError(TTransferStep::Send, TFailureKind::Permanent, 0,
                         what + " \"" + path + "\". " + std::strerror(error));
}

}  // namespace

TLocalDownload::TLocalDownload(std::string targetPath) : target_(std::move(targetPath))
{
    // Opened by hand rather than by mkstemp, so the file gets the mode any new file of the user gets.
    std::random_device source;
    for (int attempt = 0; fd_ < 0; ++attempt) {
        char suffix[32];
        std::snprintf(suffix, sizeof suffix, ".tallo-part-%08x", static_cast<unsigned>(source()));
        temporary_ = target_ + suffix;
        fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt == 10))
            FailLocally("Cannot create file", target_, errno);
    }
}

TLocalDownload::~TLocalDownload()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlink(temporary_.c_str());
    }
}

void TLocalDownload::Write(std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd_, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written < 0)
            FailLocally("Cannot write file", target_, errno);
        bytes.remove_prefix(static_cast<std::size_t>(written));
        bytes_ += static_cast<std::uint64_t>(written);
    }
}

void TLocalDownload::Commit()
{
    if (::fsync(fd_) != 0)
        FailLocally("Cannot write file", target_, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0 || ::rename(temporary_.c_str(), target_.c_str()) != 0) {
        const int error = errno;
        ::unlink(temporary_.c_str());
        FailLocally("Cannot create file", target_, error);
    }
}
