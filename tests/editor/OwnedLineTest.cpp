// An edited long line moves the bytes on the shorter side of an edit and keeps room on both, and a
// gap where it was last edited; the bytes must stay those a plain string gives, however the room
// is used up and rebuilt and the gap moved by edits and reads of parts of the line.
#include "editor/text/OwnedLine.h"

#include <gtest/gtest.h>

namespace {

struct EditStep {
    double At;  // share of the line
    std::size_t Removed;
    std::size_t Inserted;  // bytes of 'a' + step number
};

struct OwnedLineCase {
    const char* Name;
    std::vector<EditStep> Steps;
    int Repeats;
    double Capacity = 1;  // of the first storage, as a share of the line
    enum class TMadeFrom { TakenString, CopiedBytes } MadeFrom = TMadeFrom::TakenString;
    // What is read after each step: the whole line, or bytes around the edit (leaving the gap).
    enum class TRead { WholeLine, AroundEdit } Read = TRead::WholeLine;
};

class OwnedLineEdits : public testing::TestWithParam<OwnedLineCase> {};

TEST_P(OwnedLineEdits, KeepTheBytesOfAPlainString)
{
    const OwnedLineCase& c = GetParam();
    std::string expected(TOwnedLine::kLongLineBytes + 1000, 'x');
    for (std::size_t i = 0; i < expected.size(); i += 977) expected[i] = static_cast<char>('0' + i % 10);
    std::string start;
    start.reserve(static_cast<std::size_t>(c.Capacity * static_cast<double>(expected.size())));  // a loaded page's block has room behind it
    start = expected;
    TOwnedLine line = c.MadeFrom == OwnedLineCase::TMadeFrom::CopiedBytes ? TOwnedLine(std::string_view(start))
                                                                          : TOwnedLine(std::move(start));
    int step = 0;
    for (int repeat = 0; repeat < c.Repeats; ++repeat) {
        for (const EditStep& edit : c.Steps) {
            const auto offset = static_cast<std::size_t>(edit.At * static_cast<double>(expected.size()));
            const std::size_t removed = std::min(edit.Removed, expected.size() - offset);
            const std::string inserted(edit.Inserted, static_cast<char>('a' + step++ % 26));
            expected.erase(offset, removed).insert(offset, inserted);
            line.Erase(offset, removed);
            line.Insert(offset, inserted);
            if (c.Read == OwnedLineCase::TRead::WholeLine) {
                ASSERT_EQ(line.View(), expected) << "step " << step;
                continue;
            }
            const std::size_t from = offset - std::min<std::size_t>(offset, 300), to = std::min(expected.size(), offset + 300);
            ASSERT_EQ(line.Size(), expected.size()) << "step " << step;
            ASSERT_EQ(line.Range(from, to), expected.substr(from, to - from)) << "step " << step;
            const std::size_t quarter = expected.size() / 4;
            if (step % 16 == 0) ASSERT_EQ(line.Range(quarter, 3 * quarter), expected.substr(quarter, 2 * quarter));
        }
    }
    if (c.Read == OwnedLineCase::TRead::AroundEdit) {
        // Enter where the gap stands, then Backspace.
        const auto at = static_cast<std::size_t>(c.Steps.back().At * static_cast<double>(expected.size()));
        TOwnedLine tail = line.SplitOff(at);
        ASSERT_EQ(tail.Range(0, std::min<std::size_t>(tail.Size(), 100)), expected.substr(at, 100));
        ASSERT_EQ(line.View(), expected.substr(0, at));
        ASSERT_TRUE(line.SharesStorageBefore(tail));
        line.TakeIn(tail);
        ASSERT_EQ(line.View(), expected);
        line.Erase(at, std::min<std::size_t>(50, expected.size() - at));
        expected.erase(at, 50);
    }
    line.Truncate(10);
    line.Append("tail");
    EXPECT_EQ(line.View(), expected.substr(0, 10) + "tail");
}

INSTANTIATE_TEST_SUITE_P(
    Steps, OwnedLineEdits,
    testing::Values(OwnedLineCase{"typing_at_the_start", {{0, 0, 1}}, 200},
                    OwnedLineCase{"typing_and_undo_at_the_start", {{0, 0, 1}, {0, 1, 0}}, 200},
                    OwnedLineCase{"typing_at_the_end", {{1, 0, 1}}, 200},
                    OwnedLineCase{"pastes_past_the_room_at_the_start", {{0, 0, 20000}}, 5},
                    OwnedLineCase{"pastes_past_the_room_at_the_end", {{1, 0, 20000}}, 5},
                    OwnedLineCase{"removals_near_both_ends", {{0.01, 5000, 0}, {0.99, 5000, 3}}, 20},
                    OwnedLineCase{"middle_edits", {{0.5, 3, 7}, {0.45, 0, 1}, {0.55, 2, 0}}, 50},
                    OwnedLineCase{"room_made_in_place", {{0, 0, 1}, {0.3, 0, 5000}}, 20, 1.1},
                    OwnedLineCase{"copy_typed_at_both_ends", {{0, 0, 1}, {1, 0, 1}, {0.5, 1, 0}}, 50, 1,
                                  OwnedLineCase::TMadeFrom::CopiedBytes},
                    OwnedLineCase{"copy_pasted_past_its_room", {{0, 0, 40000}, {1, 0, 40000}}, 3, 1,
                                  OwnedLineCase::TMadeFrom::CopiedBytes},
                    OwnedLineCase{"gap_typing_and_undo_in_the_middle", {{0.5, 0, 1}, {0.5, 1, 0}}, 100, 1,
                                  OwnedLineCase::TMadeFrom::TakenString, OwnedLineCase::TRead::AroundEdit},
                    OwnedLineCase{"gap_typing_near_the_start", {{0.001, 0, 3}, {0.0011, 1, 0}}, 100, 1,
                                  OwnedLineCase::TMadeFrom::TakenString, OwnedLineCase::TRead::AroundEdit},
                    OwnedLineCase{"gap_jumping_and_overflowing", {{0.2, 2, 5}, {0.7, 0, 30000}, {0.4, 40000, 9}}, 30,
                                  1, OwnedLineCase::TMadeFrom::CopiedBytes, OwnedLineCase::TRead::AroundEdit}),
    [](const auto& info) { return std::string(info.param.Name); });

}  // namespace
