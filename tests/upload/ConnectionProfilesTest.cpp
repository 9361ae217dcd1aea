#include "upload/ConnectionProfiles.h"
#include "upload/ProfileFile.h"
#include "base/FileWrites.h"
#include "support/OtherUser.h"
#include "support/net/RealFtpServer.h"

#include <csignal>
#include <fstream>
#include <functional>
#include <iostream>
#include <gtest/gtest.h>
#include <sstream>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace std::string_literals;

namespace {

const TConnectionProfile kHome{"home", "anna", "pa ss;\"\\&*", "ftp.example.org", true, "21", "public_html"};
const TConnectionProfile kWork{"work", "bo", "x", "10.0.0.1", false, "2121", ""};
const std::string kHomeLines = "home\r\nanna\r\npa ss;\"\\&*\r\nftp.example.org\r\nYes\r\n21\r\npublic_html\r\n";
const std::string kWorkLines = "work\r\nbo\r\nx\r\n10.0.0.1\r\nNo\r\n2121\r\n\r\n";

std::string Bytes(const TProfileLines& lines)
{
    return FormatProfileLines(lines);
}

TEST(ConnectionProfilesTest, ReadsEveryLineEndAndKeepsBytes)
{
    struct Case {
        std::string bytes;
        TProfileLines lines;
    };
    const std::string longLine(100000, 'n');
    const Case cases[] = {
        {"", {}},
        {"a\r\nb\r\n", {"a", "b"}},
        {"a\rb\nc", {"a", "b", "c"}},
        {"\r\n\r\n", {"", ""}},
        {"a\n\rb", {"a", "", "b"}},
        {"\xff\xfe bad\r\n\0x\r\n"s, {"\xff\xfe bad", "\0x"s}},
        {longLine + "\n", {longLine}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.bytes.substr(0, 20)));
        EXPECT_EQ(ParseProfileLines(c.bytes), c.lines);
    }
}

TEST(ConnectionProfilesTest, ChangesGiveTheseBytes)
{
    struct Case {
        const char* what;
        std::string before;
        std::function<void(TProfileLines&)> change;
        std::string after;
    };
    const Case cases[] = {
        {"first save", "", [](TProfileLines& l) { InsertProfileOnTop(l, kHome); }, kHomeLines},
        {"second save goes on top", kHomeLines, [](TProfileLines& l) { InsertProfileOnTop(l, kWork); },
         kWorkLines + kHomeLines},
        {"edit keeps the place, name changed", kWorkLines + kHomeLines + kWorkLines,
         [](TProfileLines& l) {
             TConnectionProfile renamed = kHome;
             renamed.Name = "renamed";
             ReplaceProfile(l, 7, renamed);
         },
         kWorkLines + "renamed" + kHomeLines.substr(4) + kWorkLines},
        {"delete the middle one", kWorkLines + kHomeLines + kWorkLines, [](TProfileLines& l) { RemoveProfile(l, 7); },
         kWorkLines + kWorkLines},
        {"delete the last one", kWorkLines + kHomeLines, [](TProfileLines& l) { RemoveProfile(l, 7); }, kWorkLines},
        {"delete the only one", kHomeLines, [](TProfileLines& l) { RemoveProfile(l, 0); }, ""},
        {"delete a cut-short last one", kWorkLines + "short\nbo\n", [](TProfileLines& l) { RemoveProfile(l, 7); },
         kWorkLines},
        {"edit a cut-short last one", kWorkLines + "short\nbo\n", [](TProfileLines& l) { ReplaceProfile(l, 7, kHome); },
         kWorkLines + kHomeLines},
        {"edit of a profile gone from the file adds it", kWorkLines, [](TProfileLines& l) { ReplaceProfile(l, 7, kHome); },
         kHomeLines + kWorkLines},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TProfileLines lines = ParseProfileLines(c.before);
        c.change(lines);
        EXPECT_EQ(Bytes(lines), c.after);
    }
}

TEST(ConnectionProfilesTest, LooksUpTheFirstNameAndReadsFieldsAsStored)
{
    const TProfileLines lines = ParseProfileLines(kHomeLines + kWorkLines + "home\r\nsecond\r\np\r\nh\r\nNo\r\n21\r\n\r\n" + kWorkLines +
                                                  "cut\r\nu\r\np\r\nh\r\nYes");
    EXPECT_EQ(ProfileNames(lines), (std::vector<std::string>{"home", "work", "home", "work", "cut"}));
    EXPECT_EQ(FindProfile(lines, "home"), 0u);
    EXPECT_EQ(FindProfile(lines, "work"), 7u);
    EXPECT_EQ(FindProfile(lines, "Home"), std::nullopt);
    EXPECT_EQ(ProfileAt(lines, 0).Password, kHome.Password);
    EXPECT_EQ(ProfileAt(lines, 14).UserID, "second");
    const TConnectionProfile cut = ProfileAt(lines, 28);
    EXPECT_EQ(cut.Host, "h");
    EXPECT_TRUE(cut.Passive);
    EXPECT_EQ(cut.Port, "");
    EXPECT_EQ(cut.Directory, "");
}

TEST(ConnectionProfilesTest, PassiveOnlyForExactlyYes)
{
    for (const char* passive : {"Yes", "yes", "YES", "Yes ", "", "No", "1"}) {
        SCOPED_TRACE(passive);
        const TProfileLines lines{"n", "u", "p", "h", passive, "21", ""};
        EXPECT_EQ(ProfileAt(lines, 0).Passive, std::string(passive) == "Yes");
    }
}

TEST(ConnectionProfilesTest, PortIsAWholeNumberOfAPort)
{
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"21", 21}, {"+2121", 2121}, {"65535", 65535}, {"", std::nullopt}, {"ftp", std::nullopt},
        {"21 ", std::nullopt}, {" 21", std::nullopt}, {"-21", std::nullopt}, {"0", std::nullopt},
        {"65536", std::nullopt}, {"99999999999", std::nullopt}, {"2.1", std::nullopt},
    };
    for (const auto& [text, port] : cases) {
        SCOPED_TRACE(text);
        EXPECT_EQ(PortNumber(text), port);
    }
}

class ProfileFileTest : public testing::Test {
protected:
    void TearDown() override { RemoveTree(folder); }

    void Put(const std::string& bytes, mode_t mode)
    {
        std::ofstream(path, std::ios::binary) << bytes;
        ::chmod(path.c_str(), mode);
    }
    std::string Get() const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        return bytes.str();
    }
    mode_t Mode() const
    {
        struct stat info {};
        ::stat(path.c_str(), &info);
        return info.st_mode & 07777;
    }

    std::string folder = MakeTempDirectory("tallo-profiles-");
    std::string path = folder + "/connect.set";
    TProfileFile file{path};
};

TEST_F(ProfileFileTest, MissingFileHasNoProfilesAndAnEmptyOneHasNone)
{
    EXPECT_EQ(file.Read(), std::nullopt);
    Put("", 0600);
    EXPECT_EQ(file.Read(), TProfileLines{});
}

TEST_F(ProfileFileTest, WritesOwnerOnlyWhateverTheUmaskAndTightensAWideFile)
{
    const mode_t saved = ::umask(0);
    file.Write(ParseProfileLines(kHomeLines));
    EXPECT_EQ(Mode(), 0600u);
    Put(kWorkLines, 0644);
    EXPECT_EQ(file.Read(), ParseProfileLines(kWorkLines));  // read as usual
    file.Write(ParseProfileLines(kHomeLines + kWorkLines));
    ::umask(saved);
    EXPECT_EQ(Mode(), 0600u);
    EXPECT_EQ(Get(), kHomeLines + kWorkLines);
}

TEST_F(ProfileFileTest, AFailedWriteKeepsTheOldFile)
{
    Put(kWorkLines, 0600);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 16;
    ::setrlimit(RLIMIT_FSIZE, &small);
    EXPECT_THROW(file.Write(ParseProfileLines(kHomeLines + kWorkLines)), EProfileFileError);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(Get(), kWorkLines);
    EXPECT_EQ(ParseProfileLines(std::string(Get())).size(), 7u);
}

TEST_F(ProfileFileTest, AFileReachedThroughALinkIsWrittenWhereTheLinkPoints)
{
    const std::string kept = folder + "/kept";
    ::mkdir(kept.c_str(), 0700);
    const std::string target = kept + "/profiles";
    std::ofstream(target, std::ios::binary) << kWorkLines;
    ASSERT_EQ(::symlink("kept/profiles", path.c_str()), 0);
    file.Write(ParseProfileLines(kHomeLines + kWorkLines));
    struct stat link {};
    ::lstat(path.c_str(), &link);
    EXPECT_TRUE(S_ISLNK(link.st_mode));
    std::ostringstream bytes;
    bytes << std::ifstream(target, std::ios::binary).rdbuf();
    EXPECT_EQ(bytes.str(), kHomeLines + kWorkLines);
    EXPECT_EQ(Mode(), 0600u);
}

TEST_F(ProfileFileTest, AFolderInThePlaceOfTheFileIsAClearError)
{
    ::mkdir(path.c_str(), 0700);
    try {
        file.Read();
        FAIL() << "no error";
    } catch (const EProfileFileError& error) {
        EXPECT_EQ(std::string(error.what()), "Cannot open file " + path + ". Is a directory");
    }
    EXPECT_THROW(file.Write(ParseProfileLines(kHomeLines)), EProfileFileError);
}

}  // namespace

// connect.set lies in whatever folder the program starts in, where others may write. What another
// user planted is neither read nor written through; what the user made read-only is left alone; a
// folder the user may not write still lets the user's own file be rewritten, in place. The user is a
// second account when the tests run as root (root plays the other user), else the tests' own.
TEST(ProfileFileSafety, StrangersFilesAndReadOnlyFiles)
{
    std::string whyNoOther;
    const std::optional<TOtherUser> user = TOtherUser::Get(whyNoOther);
    const uid_t uid = user ? user->Uid : ::geteuid();
    const gid_t gid = user ? user->Gid : ::getegid();
    const std::string own = kWorkLines;
    const std::string precious = "the user's own file\n";
    const struct {
        const char* name;
        bool plantedByOther;
        std::function<void(const std::string& folder)> setUp;  // as root (the other user) or as the tests' user
        std::string readResult;                                // "" for the error's reason after the path
        std::string writeResult;
        std::string afterwards;  // connect.set's bytes, or the planted link's target's
    } cases[] = {
        {"a link planted by another user", true,
         [&](const std::string& folder) {
             std::ofstream(folder + "/mine") << precious;
             ::chown((folder + "/mine").c_str(), uid, gid);
             ::symlink("mine", (folder + "/connect.set").c_str());
         },
         "Cannot open file %. It is a symbolic link that belongs to another user",
         "Cannot create file %. It is a symbolic link that belongs to another user", precious},
        {"a file planted by another user", true,
         [&](const std::string& folder) { std::ofstream(folder + "/connect.set") << own; },
         "Cannot open file %. It belongs to another user", "Cannot create file %. It belongs to another user", own},
        {"the user's file that others may write", false,
         [&](const std::string& folder) {
             std::ofstream(folder + "/connect.set") << own;
             ::chown((folder + "/connect.set").c_str(), uid, gid);
             ::chmod((folder + "/connect.set").c_str(), 0666);
         },
         "Cannot open file %. Other users may write to it", "Cannot create file %. Other users may write to it", own},
        {"the user's read-only file", false,
         [&](const std::string& folder) {
             std::ofstream(folder + "/connect.set") << own;
             ::chown((folder + "/connect.set").c_str(), uid, gid);
             ::chmod((folder + "/connect.set").c_str(), 0444);
         },
         "7 lines", "Cannot create file %. Permission denied", own},
        {"the user's file in a folder the user may not write", false,
         [&](const std::string& folder) {
             std::ofstream(folder + "/connect.set") << own;
             ::chown((folder + "/connect.set").c_str(), uid, gid);
             ::chmod((folder + "/connect.set").c_str(), 0600);
             ::chown(folder.c_str(), user ? 0 : uid, user ? 0 : gid);
             ::chmod(folder.c_str(), 0555);
         },
         "7 lines", "written", kHomeLines + own},
    };
    const std::string top = MakeTempDirectory("tallo-profile-safety-");
    ::chmod(top.c_str(), 0755);
    const std::string copies = top + "/copies";
    ::mkdir(copies.c_str(), 0700);
    ::chown(copies.c_str(), uid, gid);
    int number = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.plantedByOther && !user) {
            std::cout << "[  SKIPPED ] " << c.name << ": " << whyNoOther << '\n';
            continue;
        }
        const std::string folder = top + "/" + std::to_string(number++);
        ::mkdir(folder.c_str(), 0777);
        ::chmod(folder.c_str(), 0777);  // shared, not sticky: anyone may put a file or a link there
        c.setUp(folder);
        const std::string path = folder + "/connect.set";
        const auto expected = [&](std::string text) {
            const std::size_t at = text.find('%');
            return at == std::string::npos ? text : text.replace(at, 1, path);
        };
        const std::string read = RunInChild(user, [&] {
            try {
                return std::to_string(TProfileFile(path).Read().value_or(TProfileLines()).size()) + " lines";
            } catch (const EProfileFileError& error) {
                return std::string(error.what());
            }
        });
        EXPECT_EQ(read, expected(c.readResult));
        const std::string written = RunInChild(user, [&] {
            SetInterruptedSaveFolder(copies);
            try {
                TProfileFile(path).Write(ParseProfileLines(kHomeLines + own));
                return std::string("written");
            } catch (const EProfileFileError& error) {
                return std::string(error.what());
            }
        });
        EXPECT_EQ(written, expected(c.writeResult));
        std::ostringstream bytes;
        bytes << std::ifstream(path, std::ios::binary).rdbuf();
        EXPECT_EQ(bytes.str(), c.afterwards);
        ::chmod(folder.c_str(), 0777);
    }
    RemoveTree(top);
}
