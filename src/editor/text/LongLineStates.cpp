#include "editor/text/LongLineStates.h"

#include <algorithm>

TLongLineStates::Stops& TLongLineStates::StopsOf(int line, int startState)
{
    Stops& stops = lines_[line];
    if (stops.Valid.empty() || stops.StartState != startState) {
        stops = Stops{};
        stops.StartState = startState;
        stops.Valid.push_back({0, startState});
    }
    return stops;
}

void TLongLineStates::ScanTo(TCustomHighlighter& highlighter, Stops& stops, int line, std::string_view text,
                             std::size_t offset)
{
    if (stops.Valid.back().Offset >= std::min(offset, text.size())) return;
    const TScanStop from = stops.Valid.back();
    highlighter.SetState(from.State);
    if (from.Offset == 0) highlighter.StartLine(text, line);
    else highlighter.StartLineAt(text, line, from.Offset);
    std::vector<TScanStop>& candidates = stops.Candidates;
    std::size_t passed = 0;  // candidates behind the scan
    std::size_t at = from.Offset;
    while (at < text.size()) {
        while (passed < candidates.size() && candidates[passed].Offset <= at) ++passed;
        std::size_t target = at + kStride;
        // Aim at the next moved stop that may agree, so that the scan can end there.
        if (passed < candidates.size() && candidates[passed].Offset >= stops.DirtyEnd + kMargin &&
            candidates[passed].Offset < target + kStride)
            target = candidates[passed].Offset;
        at = highlighter.ScanUntil(target);
        const TScanStop stop{at, highlighter.GetState()};
        while (passed < candidates.size() && candidates[passed].Offset < at) ++passed;
        if (passed < candidates.size() && candidates[passed].Offset == stop.Offset &&
            candidates[passed].State == stop.State && stop.Offset >= stops.DirtyEnd + kMargin) {
            stops.Valid.insert(stops.Valid.end(), candidates.begin() + static_cast<std::ptrdiff_t>(passed),
                               candidates.end());
            candidates.clear();
            stops.DirtyEnd = 0;
            ScanTo(highlighter, stops, line, text, offset);  // when the old scan had not reached offset
            return;
        }
        stops.Valid.push_back(stop);
        if (at >= offset) break;
    }
    candidates.erase(candidates.begin(), candidates.begin() + static_cast<std::ptrdiff_t>(passed));
}

int TLongLineStates::EndState(TCustomHighlighter& highlighter, int line, std::string_view text, int startState)
{
    Stops& stops = StopsOf(line, startState);
    ScanTo(highlighter, stops, line, text, text.size());
    return stops.Valid.back().State;
}

TScanStop TLongLineStates::StopBefore(TCustomHighlighter& highlighter, int line, std::string_view text,
                                      int startState, std::size_t offset)
{
    Stops& stops = StopsOf(line, startState);
    ScanTo(highlighter, stops, line, text, offset);
    const auto after = std::upper_bound(stops.Valid.begin(), stops.Valid.end(), offset,
                                        [](std::size_t o, const TScanStop& stop) { return o < stop.Offset; });
    return *(after - 1);
}

void TLongLineStates::LineEdited(int line, std::size_t offset, std::size_t removed, std::size_t inserted)
{
    const auto found = lines_.find(line);
    if (found == lines_.end()) return;
    Stops& stops = found->second;
    if (stops.Candidates.empty()) stops.DirtyEnd = 0;
    const auto moved = [&](std::size_t at) { return at - removed + inserted; };
    // Stops after the edit become candidates; those near it, and the line's start, go or stay.
    std::vector<TScanStop> candidates;
    auto keep = std::partition_point(stops.Valid.begin() + 1, stops.Valid.end(),
                                     [&](const TScanStop& stop) { return stop.Offset + kMargin <= offset; });
    for (auto stop = keep; stop != stops.Valid.end(); ++stop)
        if (stop->Offset >= offset + removed + kMargin) candidates.push_back({moved(stop->Offset), stop->State});
    stops.Valid.erase(keep, stops.Valid.end());
    for (const TScanStop& stop : stops.Candidates) {
        if (stop.Offset >= offset + removed + kMargin) candidates.push_back({moved(stop.Offset), stop.State});
        else if (stop.Offset + kMargin <= offset) candidates.push_back(stop);
    }
    std::sort(candidates.begin(), candidates.end(),
              [](const TScanStop& a, const TScanStop& b) { return a.Offset < b.Offset; });
    stops.Candidates = std::move(candidates);
    const std::size_t dirty = stops.DirtyEnd >= offset + removed ? moved(stops.DirtyEnd) : std::min(stops.DirtyEnd, offset);
    stops.DirtyEnd = std::max(dirty, offset + inserted);
}

void TLongLineStates::LinesInserted(int first, int count)
{
    std::map<int, Stops> moved;
    for (auto& [line, stops] : lines_) moved.emplace(line >= first ? line + count : line, std::move(stops));
    lines_ = std::move(moved);
}

void TLongLineStates::LinesRemoved(int first, int count)
{
    std::map<int, Stops> moved;
    for (auto& [line, stops] : lines_) {
        if (line < first) moved.emplace(line, std::move(stops));
        else if (line >= first + count) moved.emplace(line - count, std::move(stops));
    }
    lines_ = std::move(moved);
}
