#include "desktop/FileStamp.h"

#include <sys/stat.h>

TFileStamp TFileStamp::Of(const std::string& path)
{
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) return {};
    return TFileStamp{true,
                      static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino),
                      static_cast<std::uint64_t>(info.st_size),
                      static_cast<std::int64_t>(info.st_mtim.tv_sec),
                      static_cast<std::int64_t>(info.st_mtim.tv_nsec)};
}

TFileChange CompareStamps(const TFileStamp& remembered, const TFileStamp& now)
{
    if (remembered == now) return TFileChange::None;
    return now.Exists ? TFileChange::Changed : TFileChange::Deleted;
}
