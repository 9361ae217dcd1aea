// The safe save under hostile conditions, on real files: full disks and inode tables (a small tmpfs,
// mounted when the tests run as root), no free descriptors, long names, kills in the middle of a
// save, and the attributes a replaced file must keep.
#include "editor/text/FileIO.h"
#include "base/InterruptedSaves.h"
#include "base/NewFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <tuple>
#include <sys/file.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SafeSaveUnderStress : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = testing::TempDir() + "tallo_safesave_" + std::to_string(::getpid()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_ + "/state");
        // In-place saves keep the previous versions here.
        savedCopyFolder_ = InterruptedSaveFolder();
        SetInterruptedSaveFolder(RecoveryFolder());
    }
    void TearDown() override
    {
        if (mounted_)
            ::umount2(mount_.c_str(), MNT_DETACH);
        fs::remove_all(folder_);
        SetInterruptedSaveFolder(savedCopyFolder_);
    }

    // A tmpfs of its own at folder/small; the reason it cannot be had otherwise.
    std::optional<std::string> MountSmall(const std::string& options)
    {
        if (::geteuid() != 0)
            return "mounting a small file system needs root";
        mount_ = folder_ + "/small";
        fs::create_directories(mount_);
        if (::mount("tmpfs", mount_.c_str(), "tmpfs", 0, options.c_str()) != 0)
            return "tmpfs cannot be mounted here: " + std::string(std::strerror(errno));
        mounted_ = true;
        return std::nullopt;
    }

    static std::string Write(const std::string& path, const std::string& bytes)
    {
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    static std::string Read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::vector<std::string> Entries(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder))
            names.push_back(entry.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
    std::string RecoveryFolder() const { return folder_ + "/state/saves"; }

    std::string folder_;
    std::string mount_;
    bool mounted_ = false;
    std::string savedCopyFolder_;
};

// Fills a file system until it refuses: one growing file for blocks, empty files for inodes.
void FillBlocks(const std::string& folder)
{
    std::ofstream filler(folder + "/filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size()) && filler.flush()) {}
}

void FillInodes(const std::string& folder)
{
    for (int i = 0; ::close(::open((folder + "/i" + std::to_string(i)).c_str(), O_CREAT | O_WRONLY, 0600)) == 0; ++i) {}
}

// Lowers the descriptor limit so that no descriptor is free, until destroyed.
class TNoFreeDescriptors {
public:
    TNoFreeDescriptors()
    {
        ::getrlimit(RLIMIT_NOFILE, &saved_);
        const int lowestFree = ::open("/dev/null", O_RDONLY);
        ::close(lowestFree);
        rlimit limit = saved_;
        limit.rlim_cur = static_cast<rlim_t>(lowestFree);
        ::setrlimit(RLIMIT_NOFILE, &limit);
    }
    ~TNoFreeDescriptors() { ::setrlimit(RLIMIT_NOFILE, &saved_); }

private:
    rlimit saved_{};
};

TEST_F(SafeSaveUnderStress, RunningOutOfResourcesFailsAndKeepsTheOldFile)
{
    const struct {
        const char* name;
        const char* mountOptions;  // null: no small file system needed
        bool hardLinked;
        std::function<void(const std::string& folder)> exhaust;  // null: no free descriptors
    } cases[] = {
        {"inode table full", "size=1m,nr_inodes=8", false, FillInodes},
        {"disk full, new file", "size=64k", false, FillBlocks},
        {"disk full, rewritten in place", "size=64k", true, FillBlocks},
        {"no free descriptors", nullptr, false, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string where = folder_ + "/plain";
        if (c.mountOptions) {
            if (const auto reason = MountSmall(c.mountOptions)) {
                std::cout << "[  SKIPPED ] " << c.name << ": " << *reason << '\n';
                continue;
            }
            where = mount_;
        }
        fs::create_directories(where);
        const std::string page = Write(where + "/page.html", std::string(8192, 'o'));
        if (c.hardLinked)
            fs::create_hard_link(page, where + "/other-name.html");
        if (c.exhaust)
            c.exhaust(where);
        const auto entries = Entries(where);
        {
            std::optional<TNoFreeDescriptors> limit;
            if (!c.exhaust)
                limit.emplace();
            EXPECT_THROW(WriteFileSafely(page, std::string(64 * 1024, 'n')), EFileError);
        }
        EXPECT_TRUE(Read(page) == std::string(8192, 'o')) << "old content lost";
        EXPECT_EQ(Entries(where), entries) << "nothing left behind";
        if (mounted_) {
            ::umount2(mount_.c_str(), MNT_DETACH);
            mounted_ = false;
        }
    }
}

TEST_F(SafeSaveUnderStress, LongNameIsStillReplacedByANewFile)
{
    const std::string page = Write(folder_ + "/" + std::string(245, 'p') + ".html", "old");
    struct stat before {};
    ::stat(page.c_str(), &before);
    WriteFileSafely(page, "new");
    struct stat after {};
    ::stat(page.c_str(), &after);
    EXPECT_EQ(Read(page), "new");
    EXPECT_NE(after.st_ino, before.st_ino) << "written in place";
}

// An access ACL in the kernel's attribute form: owner rw, user 12345 r, group r, mask r, other none.
const std::string kAccessAcl("\x02\0\0\0"
                             "\x01\0\x06\0\xff\xff\xff\xff"
                             "\x02\0\x04\0\x39\x30\0\0"
                             "\x04\0\x04\0\xff\xff\xff\xff"
                             "\x10\0\x04\0\xff\xff\xff\xff"
                             "\x20\0\0\0\xff\xff\xff\xff",
                             44);

TEST_F(SafeSaveUnderStress, ReplacedFileKeepsOwnerModeAndAttributes)
{
    const struct {
        const char* name;
        uid_t owner;  // 0: the file stays ours
        mode_t mode;
        const char* attribute;  // null: none
        std::string value;
    } cases[] = {
        {"setuid and setgid, another owner", 12345, 06755, nullptr, ""},
        {"user extended attribute", 0, 0640, "user.tallo.note", "kept"},
        {"POSIX access ACL", 0, 0640, "system.posix_acl_access", kAccessAcl},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string page = Write(folder_ + "/page.html", "old");
        std::string skip;
        if (c.owner && (::geteuid() != 0 || ::chown(page.c_str(), c.owner, c.owner) != 0))
            skip = "giving a file to another owner needs root";
        ::chmod(page.c_str(), c.mode);
        if (c.attribute && ::setxattr(page.c_str(), c.attribute, c.value.data(), c.value.size(), 0) != 0)
            skip = "this file system has no " + std::string(c.attribute) + ": " + std::strerror(errno);
        if (!skip.empty()) {
            std::cout << "[  SKIPPED ] " << c.name << ": " << skip << '\n';
            continue;
        }
        struct stat before {}, after {};
        ::stat(page.c_str(), &before);
        WriteFileSafely(page, "new");
        ::stat(page.c_str(), &after);
        EXPECT_EQ(Read(page), "new");
        EXPECT_EQ(std::tie(after.st_uid, after.st_gid, after.st_mode), std::tie(before.st_uid, before.st_gid, before.st_mode));
        if (c.attribute) {
            char value[256];
            const ssize_t size = ::getxattr(page.c_str(), c.attribute, value, sizeof value);
            EXPECT_EQ(std::string(value, static_cast<std::size_t>(std::max<ssize_t>(size, 0))), c.value);
        }
        fs::remove(page);
    }
}

// Saves in a child process that stops after producing `before` bytes of `bytes`, then kills it.
void KillSaveMidway(const std::string& path, const std::string& bytes, std::size_t before)
{
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        try {
            WriteFileSafely(path, [&](const TByteSink& write) {
                if (!write(std::string_view(bytes).substr(0, before)))
                    return false;
                (void)!::write(ready[1], "x", 1);
                ::pause();
                return write(std::string_view(bytes).substr(before));
            });
        } catch (...) {
        }
        ::_exit(0);
    }
    char signal = 0;
    EXPECT_EQ(::read(ready[0], &signal, 1), 1);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST_F(SafeSaveUnderStress, SaveKilledMidwayKeepsTheOldContentAndLeavesNothingBehind)
{
    const std::string old(3 << 20, 'o');
    const std::string fresh(4 << 20, 'n');
    for (const bool hardLinked : {false, true}) {
        SCOPED_TRACE(hardLinked ? "rewritten in place" : "new file renamed");
        fs::remove_all(folder_ + "/pages");
        fs::create_directories(folder_ + "/pages");
        const std::string page = Write(folder_ + "/pages/page.html", old);
        if (hardLinked)
            fs::create_hard_link(page, folder_ + "/pages/other-name.html");
        const auto entries = Entries(folder_ + "/pages");
        for (int kill = 0; kill < 3; ++kill)
            KillSaveMidway(page, fresh, 3 << 20);
        EXPECT_TRUE(Read(page) == old);
        EXPECT_EQ(Entries(folder_ + "/pages"), entries);
        WriteFileSafely(page, "after");
        EXPECT_EQ(Read(page), "after");
        EXPECT_EQ(Entries(folder_ + "/pages"), entries);
        EXPECT_TRUE(!fs::exists(RecoveryFolder()) || fs::is_empty(RecoveryFolder())) << "a finished save keeps no copy";
    }
}

TEST_F(SafeSaveUnderStress, InPlaceSaveKilledAtAnyMomentLeavesTheOldOrTheNewContent)
{
    const std::string old(6 << 20, 'o');
    const std::string fresh(8 << 20, 'n');
    for (const int microseconds : {0, 300, 1000, 3000, 10000, 30000, 100000}) {
        SCOPED_TRACE(microseconds);
        fs::remove_all(folder_ + "/pages");
        fs::remove_all(RecoveryFolder());
        fs::create_directories(folder_ + "/pages");
        const std::string page = Write(folder_ + "/pages/page.html", old);
        fs::create_hard_link(page, folder_ + "/pages/other-name.html");
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                WriteFileSafely(page, fresh);
            } catch (...) {
            }
            ::_exit(0);
        }
        ::usleep(static_cast<useconds_t>(microseconds));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        const std::string now = Read(page);
        if (now == old || now == fresh)
            continue;
        std::vector<TInterruptedSave> saves = ClaimInterruptedSaves(RecoveryFolder());
        ASSERT_EQ(saves.size(), 1u) << "page holds " << now.size() << " bytes, no previous version kept";
        EXPECT_EQ(PutBackPreviousVersion(saves[0]), 0);
        EXPECT_TRUE(Read(page) == old);
    }
}

TEST_F(SafeSaveUnderStress, LeftoversOfKilledSavesGoButFilesInUseStay)
{
    const std::string prefix = ".tallo-0123abcd-";
    const struct {
        std::string name;
        bool locked;  // a save in progress holds its file
        bool removed;
    } cases[] = {
        {prefix + "Ab12Cd", false, true},
        {prefix + "Xy34Zw", true, false},
        {prefix + "toolong", false, false},
        {".tallo-99999999-Ab12Cd", false, false},
        {"page.html", false, false},
    };
    std::vector<int> locks;
    for (const auto& c : cases) {
        Write(folder_ + "/" + c.name, "x");
        if (c.locked) {
            locks.push_back(::open((folder_ + "/" + c.name).c_str(), O_RDONLY));
            ::flock(locks.back(), LOCK_EX);
        }
    }
    RemoveStaleTemporaries(folder_, prefix);
    for (const auto& c : cases)
        EXPECT_EQ(fs::exists(folder_ + "/" + c.name), !c.removed) << c.name;
    for (const int fd : locks)
        ::close(fd);
}

}  // namespace
