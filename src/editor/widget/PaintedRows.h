#pragma once
// What each row of the editor's viewport showed when it was last painted. Rows follow their lines
// as lines are inserted or removed above or among them, so that when the text shifts (a line break,
// a block of mark-up, an undo, a scroll) the view can move the painted pixels of the rows that
// moved together, and repaint only the rows whose content differs from what they show.

#include "editor/control/EditorModel.h"

#include <cstddef>
#include <optional>
#include <utility>
#include <vector>

// What a row shows; a row whose signature is unchanged need not be repainted.
struct TRowSignature {
    static constexpr int kBelowText = -1;  // an empty row: all such rows look alike
    static constexpr int kUnpainted = -2;  // matches no content, so the row is painted again

    int Line = kBelowText;
    std::size_t Hash = 0;
    std::size_t From = 0;  // first byte hashed: where the painter's scan starts
    std::size_t Length = 0;
    int StartState = 0;
    std::pair<int, int> Selection;
    friend bool operator==(const TRowSignature&, const TRowSignature&) = default;
};

// Painted rows FirstRow..LastRow whose pixels now belong Delta rows further down (up when negative).
struct TRowMove {
    int FirstRow = 0;
    int LastRow = 0;
    int Delta = 0;
};

class TPaintedRows {
public:
    // Forgets what was painted: the view shows line top from display column left in rows rows.
    void Reset(int top, int left, int rows);
    int Top() const { return top_; }
    int Left() const { return left_; }
    int Rows() const { return static_cast<int>(rows_.size()); }
    const TRowSignature& operator[](int row) const { return rows_[static_cast<std::size_t>(row)]; }
    void Record(int row, const TRowSignature& signature) { rows_[static_cast<std::size_t>(row)] = signature; }
    void Forget(int row) { rows_[static_cast<std::size_t>(row)].Line = TRowSignature::kUnpainted; }
    // Rows follow their lines past an edit; rows of lines it removed are forgotten.
    void FollowShift(const TLineShift& shift);
    // The whole text was replaced: no row shows any of it.
    void ForgetAll();

    // Re-indexes the rows for a view that now starts at line top. The longest run of rows, among
    // the first wholeRows (those painted in full), whose lines moved by the same number of rows is
    // returned for its pixels to be moved; those rows, the rows that kept their place and the empty
    // rows keep their signatures, the others are forgotten. Nothing is returned when no row moved.
    std::optional<TRowMove> FollowLines(int top, int wholeRows);

private:
    std::optional<TRowMove> LongestMove(int top, int wholeRows) const;

    std::vector<TRowSignature> rows_;
    std::vector<TRowSignature> next_;
    int top_ = -1;
    int left_ = -1;
};
