#include "editor/widget/PaintedRows.h"

#include <algorithm>

void TPaintedRows::Reset(int top, int left, int rows)
{
    TRowSignature unpainted;
    unpainted.Line = TRowSignature::kUnpainted;
    rows_.assign(static_cast<std::size_t>(rows), unpainted);
    top_ = top;
    left_ = left;
}

void TPaintedRows::FollowShift(const TLineShift& shift)
{
    const int removedEnd = shift.First + shift.Removed;
    for (TRowSignature& row : rows_) {
        if (row.Line >= removedEnd) row.Line += shift.Inserted - shift.Removed;
        else if (row.Line >= shift.First) row.Line = TRowSignature::kUnpainted;
    }
}

void TPaintedRows::ForgetAll()
{
    for (TRowSignature& row : rows_) row.Line = TRowSignature::kUnpainted;
}

std::optional<TRowMove> TPaintedRows::LongestMove(int top, int wholeRows) const
{
    std::optional<TRowMove> longest;
    const int rows = std::min(Rows(), wholeRows);
    int row = 0;
    while (row < rows) {
        const int line = rows_[static_cast<std::size_t>(row)].Line;
        if (line < 0) {
            ++row;
            continue;
        }
        // Lines keep their order, so a run of rows that moved together shows consecutive lines.
        const int delta = line - top - row;
        int last = row;
        while (last + 1 < rows && rows_[static_cast<std::size_t>(last + 1)].Line == line + (last + 1 - row)) ++last;
        if (delta != 0 && (!longest || last - row > longest->LastRow - longest->FirstRow))
            longest = TRowMove{row, last, delta};
        row = last + 1;
    }
    return longest;
}

std::optional<TRowMove> TPaintedRows::FollowLines(int top, int wholeRows)
{
    const std::optional<TRowMove> move = LongestMove(top, wholeRows);
    TRowSignature unpainted;
    unpainted.Line = TRowSignature::kUnpainted;
    next_.assign(rows_.size(), unpainted);
    for (int row = 0; row < Rows(); ++row) {
        const TRowSignature& signature = rows_[static_cast<std::size_t>(row)];
        if (signature.Line == TRowSignature::kBelowText || signature.Line == top + row)
            next_[static_cast<std::size_t>(row)] = signature;
    }
    if (move) {
        // Lines keep their order: the moved rows land on no row that kept its place.
        for (int row = move->FirstRow; row <= move->LastRow; ++row) {
            const int target = row + move->Delta;
            if (target >= 0 && target < Rows()) next_[static_cast<std::size_t>(target)] = rows_[static_cast<std::size_t>(row)];
        }
    }
    rows_.swap(next_);
    top_ = top;
    return move;
}
