// Reading page files and the safe save: a failed write never harms the old file.
#include "editor/control/EditorModel.h"
#include "editor/text/FileIO.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SafeSave : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = testing::TempDir() + "tallo_fileio_" + std::to_string(::getpid()) + "_" +
                  testing::UnitTest::GetInstance()->current_test_info()->name();
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    int EntryCount() const { return static_cast<int>(std::distance(fs::directory_iterator(folder_), {})); }

    std::string folder_;
};

TEST_F(SafeSave, ReplacesContentAndKeepsPermissions)
{
    const std::string path = Write("page.html", "old");
    ::chmod(path.c_str(), 0640);
    WriteFileSafely(path, "new text");
    EXPECT_EQ(ReadWholeFile(path), "new text");
    struct stat info {};
    ::stat(path.c_str(), &info);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(EntryCount(), 1);  // no temporary file left behind
}

TEST_F(SafeSave, NewFileGetsTheUsualPermissions)
{
    const mode_t mask = ::umask(022);
    ::umask(mask);
    WriteFileSafely(folder_ + "/fresh.html", "x");
    struct stat info {};
    ::stat((folder_ + "/fresh.html").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0666u & ~mask);
}

TEST_F(SafeSave, WritesThroughASymbolicLinkToItsTarget)
{
    const std::string target = Write("target.html", "old");
    const std::string link = folder_ + "/link.html";
    fs::create_symlink("target.html", link);
    WriteFileSafely(link, "through link");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadWholeFile(target), "through link");
}

TEST_F(SafeSave, FileWithSeveralHardLinksStaysOneFile)
{
    const std::string first = Write("a.html", "old");
    const std::string second = folder_ + "/b.html";
    fs::create_hard_link(first, second);
    WriteFileSafely(first, "shared");
    EXPECT_EQ(ReadWholeFile(second), "shared");
    EXPECT_EQ(fs::hard_link_count(first), 2u);
}

TEST_F(SafeSave, FailuresThrowTheMessageAndLeaveTheOldFileIntact)
{
    const std::string directory = folder_ + "/adir";
    fs::create_directories(directory);
    const std::string loop = folder_ + "/loop.html";
    fs::create_symlink("loop2.html", loop);
    fs::create_symlink("loop.html", folder_ + "/loop2.html");
    const struct {
        std::string path;
        const char* reason;
    } cases[] = {
        {folder_ + "/missing/page.html", "No such file or directory"},  // folder does not exist
        {directory, "Is a directory"},                                 // a directory in place of the file
        {"/proc/version", "Permission denied"},                        // neither renamable nor writable
        {loop, "Too many levels of symbolic links"},                   // links that lead round in a circle
        {"", "No such file or directory"},
    };
    for (const auto& c : cases) {
        try {
            WriteFileSafely(c.path, "new");
            ADD_FAILURE() << "no error for " << c.path;
        } catch (const EFileError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot create file " + c.path + ". " + c.reason);
        }
    }
    EXPECT_TRUE(fs::is_directory(directory));
    EXPECT_NE(ReadWholeFile("/proc/version"), "new");
    EXPECT_TRUE(fs::is_symlink(loop)) << "the link was replaced by a file";
}

TEST_F(SafeSave, ModelSaveFailureKeepsOldFileAndText)
{
    const std::string path = Write("page.html", "old content\n");
    TEditorModel model;
    model.LoadFromFile(path);
    model.ReplaceSelection(U"edited ");
    fs::remove(path);
    fs::create_directories(path);  // now a directory stands where the file was
    EXPECT_THROW(model.Document().SaveToFile(path), EFileError);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(model.Document().Text(), "edited old content\n");
}

TEST_F(SafeSave, OpenFailureNamesThePathAndChangesNothing)
{
    TEditorModel model;
    model.SetText("keep me");
    // A pipe nobody writes to and an endless device must fail at once, not hang or fill memory.
    const std::string pipe = folder_ + "/pipe.html";
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string paths[] = {folder_ + "/nope.html", folder_, pipe, "/dev/zero"};
    for (const std::string& path : paths) {
        try {
            model.LoadFromFile(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const EFileError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot open file " + path);
        }
    }
    EXPECT_EQ(model.Document().Text(), "keep me");
}

TEST_F(SafeSave, ReadsFilesWithoutAKnownSize)
{
    EXPECT_FALSE(ReadWholeFile("/proc/self/status").empty());
}

}  // namespace
