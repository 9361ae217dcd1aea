// Reading page files and the safe save: a failed write never harms the old file.
#include "editor/EditorModel.h"
#include "editor/FileIO.h"

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
        // Recovery copies of in-place saves go beside the test's folder, not into the user's.
        if (const char* state = std::getenv("XDG_STATE_HOME"))
            savedState_ = state;
        ::setenv("XDG_STATE_HOME", (folder_ + ".state").c_str(), 1);
    }
    void TearDown() override
    {
        fs::remove_all(folder_);
        fs::remove_all(folder_ + ".state");
        if (savedState_)
            ::setenv("XDG_STATE_HOME", savedState_->c_str(), 1);
        else
            ::unsetenv("XDG_STATE_HOME");
    }

    std::string Write(const std::string& name, const std::string& bytes)
    {
        const std::string path = folder_ + "/" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }
    int EntryCount() const { return static_cast<int>(std::distance(fs::directory_iterator(folder_), {})); }

    std::string folder_;
    std::optional<std::string> savedState_;
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
    WriteFileSafely(folder_ + "/fresh.html", "x");
    ::umask(mask);
    struct stat info {};
    ::stat((folder_ + "/fresh.html").c_str(), &info);
    EXPECT_EQ(info.st_mode & 0777, 0644u);
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
    const std::string paths[] = {
        folder_ + "/missing/page.html",  // folder does not exist
        directory,                        // a directory in place of the file
        "/proc/version",                  // neither renamable nor writable
        loop,                             // symbolic links that lead round in a circle
        "",
    };
    for (const std::string& path : paths) {
        try {
            WriteFileSafely(path, "new");
            ADD_FAILURE() << "no error for " << path;
        } catch (const EFileError& error) {
            EXPECT_EQ(std::string(error.what()), "Cannot create file " + path);
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
    EXPECT_THROW(model.SaveToFile(path), EFileError);
    EXPECT_TRUE(fs::is_directory(path));
    EXPECT_EQ(model.Text(), "edited old content\n");
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
    EXPECT_EQ(model.Text(), "keep me");
}

TEST_F(SafeSave, ReadsFilesWithoutAKnownSize)
{
    EXPECT_FALSE(ReadWholeFile("/proc/self/status").empty());
}

}  // namespace
