#pragma once
// The entries of the "List" dialog and the list they write. Each entry has a text (shown in the
// dialog); a definition list keeps a second, hidden list of two lines per entry, the term of entry
// k at 2k and its description at 2k + 1, and every edit moves both lists together.

#include "markup/InsertionRules.h"

#include <string>
#include <vector>

enum class TListType { Ordered, Unordered, Definition };
inline constexpr const char* kListTypeItems[] = {"Ordered", "Unordered", "Definition"};

class TListEntries {
public:
    // The type the entries were made for; entries for a plain list have no descriptions, so
    // changing to a definition list empties the entries, every other change keeps them.
    TListType Type() const { return type_; }
    void ChangeType(TListType type);
    // Empties both lists and starts an ordered list.
    void Reset();

    // Appends an entry (a definition list also its description); false for an empty text.
    bool Add(const std::u32string& text, const std::u32string& description);
    // Each takes the position of an entry that exists (from 0).
    void Delete(int index);
    // False when there was nothing to move: the first entry up, the last one down.
    bool MoveUp(int index);
    bool MoveDown(int index);

    const std::vector<std::u32string>& Texts() const { return texts_; }
    const std::vector<std::u32string>& Definitions() const { return definitions_; }

private:
    TListType type_ = TListType::Ordered;
    std::vector<std::u32string> texts_;
    std::vector<std::u32string> definitions_;
};

// The list of the entries' current type, one line per entry, the caret after it.
TMarkup ListMarkup(const TListEntries& entries);
