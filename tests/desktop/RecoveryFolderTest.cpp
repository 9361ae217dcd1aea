// Recovery copies on disk: the copy format, private folders, leftovers of runs that died, and the
// writer's order of work.
#include "desktop/RecoveryFolder.h"
#include "desktop/RecoveryWriter.h"
#include "editor/text/FileIO.h"
#include "editor/text/TextBuffer.h"
#include "editor/text/TextSnapshot.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct CopyCase {
    const char* name;
    TRecoveryCopy copy;
};

class CopyFormat : public testing::TestWithParam<CopyCase> {};

TEST_P(CopyFormat, DecodesWhatItEncodes)
{
    const TRecoveryCopy& copy = GetParam().copy;
    const auto decoded = DecodeRecoveryCopy(EncodeRecoveryCopy(copy));
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->Caption, copy.Caption);
    EXPECT_EQ(decoded->FileName, copy.FileName);
    EXPECT_EQ(decoded->Bytes, copy.Bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Copies, CopyFormat,
    testing::Values(CopyCase{"NewPage", {"Noname0", "", "<html>\r\n</html>"}},
                    CopyCase{"Empty", {"Noname1", "", ""}},
                    CopyCase{"NewlinesInNames", {"a\nb.html", "/x/a\nb.html", "\n\n"}},
                    CopyCase{"BinaryBytes", {"w.html", "/w.html", std::string("\0\xff\r\x80text 9\n", 12)}}),
    [](const auto& info) { return info.param.name; });

TEST(CopyFormat, RefusesWhatIsNotAWholeCopy)
{
    const std::string whole = EncodeRecoveryCopy({"p.html", "/p.html", "0123456789"});
    for (const std::string& bytes : {std::string(), whole.substr(0, whole.size() - 1), whole + "x",
                                     "Tallo recovery copy 2" + whole.substr(21), whole.substr(0, 30)})
        EXPECT_FALSE(DecodeRecoveryCopy(bytes)) << bytes;
}

TTextSnapshot SnapshotOf(const std::string& bytes)
{
    TTextBuffer buffer;
    buffer.LoadBytes(bytes);
    return buffer.Snapshot();
}

mode_t ModeOf(const std::string& path)
{
    struct stat info {};
    ::stat(path.c_str(), &info);
    return info.st_mode & 07777;
}

class RecoveryFolder : public testing::Test {
protected:
    void SetUp() override
    {
        root_ = testing::TempDir() + "tallo_recovery_" + std::to_string(::getpid()) + "/state/tallo/recovery";
        fs::remove_all(fs::path(root_).parent_path().parent_path().parent_path());
    }
    void TearDown() override { fs::remove_all(fs::path(root_).parent_path().parent_path().parent_path()); }

    std::string root_;
};

TEST_F(RecoveryFolder, CopiesArePrivateAndACleanEndLeavesNothing)
{
    auto session = TRecoverySession::Start(root_);
    ASSERT_TRUE(session);
    session->WriteCopy(0, "Noname0", "", SnapshotOf("abc"));
    EXPECT_EQ(ModeOf(root_), 0700u);
    EXPECT_EQ(ModeOf(session->Folder()), 0700u);
    EXPECT_EQ(ModeOf(session->Folder() + "/0.copy"), 0600u);
    session->Finish();
    EXPECT_TRUE(fs::is_empty(root_));
    EXPECT_TRUE(TLeftoverCopies::Claim(root_)->Copies().empty());
}

TEST_F(RecoveryFolder, ARunThatDiedLeavesItsCopiesAndALiveRunDoesNot)
{
    auto live = TRecoverySession::Start(root_);
    live->WriteCopy(0, "live.html", "/live.html", SnapshotOf("live"));
    {
        auto died = TRecoverySession::Start(root_);
        died->WriteCopy(3, "b.html", "/b.html", SnapshotOf("B\nB\n"));
        died->WriteCopy(1, "Noname1", "", SnapshotOf("A"));
        died->WriteCopy(2, "gone", "", SnapshotOf("x"));
        died->RemoveCopy(2);
    }  // gone without Finish: its lock is let go, as when the process is killed
    auto leftovers = TLeftoverCopies::Claim(root_);
    ASSERT_EQ(leftovers->Copies().size(), 2u);
    EXPECT_EQ(leftovers->Copies()[0].Caption, "Noname1");
    EXPECT_EQ(leftovers->Copies()[1].FileName, "/b.html");
    EXPECT_EQ(leftovers->Copies()[1].Bytes, "B\nB\n");
    // Claimed ones are not offered twice at the same time.
    EXPECT_TRUE(TLeftoverCopies::Claim(root_)->Copies().empty());
    leftovers->Discard();
    EXPECT_EQ(std::distance(fs::directory_iterator(root_), {}), 1);  // the live run's folder
}

TEST_F(RecoveryFolder, WriterKeepsTheNewestTextAndRemovesAfterWriting)
{
    auto session = TRecoverySession::Start(root_);
    const std::string copy = session->Folder() + "/0.copy";
    {
        TRecoveryWriter writer(*session);
        writer.Write(0, "p", "", SnapshotOf("first"));
        writer.Write(0, "p", "", SnapshotOf("second"));
        writer.WaitUntilIdle();
        EXPECT_EQ(DecodeRecoveryCopy(ReadWholeFile(copy))->Bytes, "second");
        writer.Write(0, "p", "", SnapshotOf("third"));
        writer.Remove(0);
        writer.Write(1, "q", "", SnapshotOf("q"));
    }  // the writer finishes its work before it goes
    EXPECT_FALSE(fs::exists(copy));
    EXPECT_TRUE(fs::exists(session->Folder() + "/1.copy"));
}

TEST(TextSnapshot, HoldsTheBytesTheSaveRuleWrites)
{
    const struct {
        const char* name;
        const char* loaded;
        std::function<void(TTextBuffer&)> edit;
    } cases[] = {
        {"unedited", "a\nbb\n\nccc\n", [](TTextBuffer&) {}},
        {"mixed breaks save as CR LF", "a\r\nb\nc\rd", [](TTextBuffer&) {}},
        {"typed into a line", "one\r\ntwo\r\nthree", [](TTextBuffer& b) { b.InsertText(1, 1, "x"); }},
        // Neighbouring views with a character, not a break, between them.
        {"split and trimmed", "abc\ndef", [](TTextBuffer& b) { b.SplitLine(0, 1); b.RemoveText(1, 0, 1); }},
        {"joined", "ab\ncd\nef", [](TTextBuffer& b) { b.JoinLine(0); b.RemoveLines(1, 1); }},
    };
    for (const auto& c : cases) {
        TTextBuffer buffer;
        buffer.LoadBytes(c.loaded);
        c.edit(buffer);
        EXPECT_EQ(buffer.Snapshot().SavedBytes(), buffer.SavedBytes()) << c.name;
    }
}

TEST(TextSnapshot, StaysAsTakenWhileThePageChanges)
{
    TTextBuffer buffer;
    buffer.LoadBytes("one\ntwo\nthree");
    buffer.InsertText(1, 0, ">");
    const TTextSnapshot snapshot = buffer.Snapshot();
    buffer.InsertText(1, 0, "more");
    buffer.SplitLine(0, 1);
    buffer.LoadBytes("another page");
    EXPECT_EQ(snapshot.SavedBytes(), "one\n>two\nthree");
    EXPECT_EQ(snapshot.SavedSize(), snapshot.SavedBytes().size());
}

}  // namespace
