#pragma once
// The local side of a download: bytes go to a temporary file beside the target, which takes the
// target's name only once it is whole and on disk, so a failed download never leaves half a file.

#include <cstdint>
#include <string>
#include <string_view>

class TLocalDownload {
public:
    // Throws ETransferError (Permanent) when the folder takes no new file.
    explicit TLocalDownload(std::string targetPath);
    ~TLocalDownload();
    TLocalDownload(const TLocalDownload&) = delete;
    TLocalDownload& operator=(const TLocalDownload&) = delete;

    void Write(std::string_view bytes);
    // Flushes and renames into place.
    void Commit();
    std::uint64_t Bytes() const { return bytes_; }

private:
    std::string target_;
    std::string temporary_;
    int fd_ = -1;
    std::uint64_t bytes_ = 0;
};
