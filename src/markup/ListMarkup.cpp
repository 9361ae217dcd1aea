#include "markup/ListMarkup.h"

#include <utility>

void TListEntries::ChangeType(TListType type)
{
    if (type == type_) return;
    if (type == TListType::Definition) {
        texts_.clear();
        definitions_.clear();
    }
    type_ = type;
}

void TListEntries::Reset()
{
    type_ = TListType::Ordered;
    texts_.clear();
    definitions_.clear();
}

bool TListEntries::Add(const std::u32string& text, const std::u32string& description)
{
    if (text.empty()) return false;
    texts_.push_back(text);
    if (type_ == TListType::Definition) {
        definitions_.push_back(text);
        definitions_.push_back(description);
    }
    return true;
}

void TListEntries::Delete(int index)
{
    if (type_ == TListType::Definition)
        definitions_.erase(definitions_.begin() + 2 * index, definitions_.begin() + 2 * index + 2);
    texts_.erase(texts_.begin() + index);
}

bool TListEntries::MoveUp(int index)
{
    if (index <= 0) return false;
    if (type_ == TListType::Definition) {
        std::swap(definitions_[2 * index - 2], definitions_[2 * index]);
        std::swap(definitions_[2 * index - 1], definitions_[2 * index + 1]);
    }
    std::swap(texts_[index - 1], texts_[index]);
    return true;
}

bool TListEntries::MoveDown(int index)
{
    if (index + 1 >= static_cast<int>(texts_.size())) return false;
    return MoveUp(index + 1);
}

TMarkup ListMarkup(const TListEntries& entries)
{
    const std::u32string br(kLineBreak);
    TMarkup markup;
    const std::vector<std::u32string>& texts = entries.Texts();
    switch (entries.Type()) {
    case TListType::Ordered:
    case TListType::Unordered: {
        const std::u32string tag = entries.Type() == TListType::Ordered ? U"ol" : U"ul";
        markup << U"<" + tag + U">" + br;
        for (const std::u32string& text : texts) markup << U"<li>" + text + br;
        markup << U"</" + tag + U">" + br;
        break;
    }
    case TListType::Definition: {
        const std::vector<std::u32string>& lines = entries.Definitions();
        markup << U"<dl>" + br;
        for (std::size_t k = 0; k < texts.size(); ++k) {
            markup << U"<dt>" + lines[2 * k] + U"</dt>" + br;
            markup << U"<dd>" + lines[2 * k + 1] + U"</dd>" + br;
        }
        markup << U"</dl>" + br;
        break;
    }
    }
    return markup;
}
