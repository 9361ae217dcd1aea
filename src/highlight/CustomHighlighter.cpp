#include "highlight/CustomHighlighter.h"

#include <algorithm>

int TCustomHighlighter::AddChangeListener(std::function<void()> listener)
{
    const int id = nextListenerId_++;
    listeners_.emplace_back(id, std::move(listener));
    return id;
}

void TCustomHighlighter::RemoveChangeListener(int id)
{
    std::erase_if(listeners_, [id](const auto& entry) { return entry.first == id; });
}

void TCustomHighlighter::AddAttribute(THighlighterAttributes* attribute)
{
    attributes_.push_back(attribute);
    attribute->OnChange = [this] { NotifyChanged(); };
}

void TCustomHighlighter::NotifyChanged()
{
    // A listener may unregister itself while being told.
    const auto snapshot = listeners_;
    for (const auto& [id, listener] : snapshot)
        listener();
}
