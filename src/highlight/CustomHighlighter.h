#pragma once
// Base of every highlighter: the list of display attributes, the default file filter, and the
// scanning interface the editor drives one line at a time. Core code: no toolkit types.

#include <bitset>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// 0xRRGGBB.
using RgbColor = std::uint32_t;

enum FontStyleFlag : std::uint8_t {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};
using FontStyles = std::uint8_t;

class THighlighterAttributes {
public:
    explicit THighlighterAttributes(std::string name) : name_(std::move(name)) {}

    const std::string& Name() const { return name_; }

    // An empty colour leaves that colour to the editor.
    std::optional<RgbColor> Foreground() const { return foreground_; }
    std::optional<RgbColor> Background() const { return background_; }
    FontStyles Style() const { return style_; }

    void SetForeground(std::optional<RgbColor> c) { foreground_ = c; Changed(); }
    void SetBackground(std::optional<RgbColor> c) { background_ = c; Changed(); }
    void SetStyle(FontStyles s) { style_ = s; Changed(); }

    // Set by the owning highlighter so that editors hear of attribute changes.
    std::function<void()> OnChange;

private:
    void Changed() { if (OnChange) OnChange(); }

    std::string name_;
    std::optional<RgbColor> foreground_;
    std::optional<RgbColor> background_;
    FontStyles style_ = 0;
};

class TCustomHighlighter {
public:
    TCustomHighlighter() = default;
    TCustomHighlighter(const TCustomHighlighter&) = delete;
    TCustomHighlighter& operator=(const TCustomHighlighter&) = delete;
    virtual ~TCustomHighlighter() = default;

    int AttrCount() const { return static_cast<int>(attributes_.size()); }
    THighlighterAttributes* Attribute(int index) const { return attributes_.at(index); }

    const std::string& DefaultFilter() const { return defaultFilter_; }
    void SetDefaultFilter(std::string filter) { defaultFilter_ = std::move(filter); }

    // Editors that use this highlighter register here and repaint (after a whole scan) when told.
    int AddChangeListener(std::function<void()> listener);
    void RemoveChangeListener(int id);

    virtual THighlighterAttributes* DefaultAttribute(int index) const = 0;
    virtual const std::bitset<256>& WordChars() const = 0;
    virtual std::string LanguageName() const = 0;
    virtual bool AtLineEnd() const = 0;
    virtual int GetState() const = 0;
    virtual std::string TokenText() const = 0;
    virtual THighlighterAttributes* TokenAttribute() const = 0;
    virtual int TokenKind() const = 0;
    // Byte offset of the current token in the line; a token ends where the next one starts,
    // and the end-of-line token starts at the line's length.
    virtual int TokenStart() const = 0;
    virtual void NextToken() = 0;
    // The line must stay unchanged until the next StartLine.
    virtual void StartLine(std::string_view line, int lineIndex) = 0;
    virtual void SetState(int state) = 0;
    virtual void ResetState() = 0;

    // Calls NextToken until AtLineEnd; a highlighter may do the same faster.
    virtual void ScanToLineEnd() { while (!AtLineEnd()) NextToken(); }

    // A new highlighter of the same rules, to compute end states on another thread (its display
    // attributes are not used); none when the highlighter cannot make one.
    virtual std::unique_ptr<TCustomHighlighter> NewScanner() const { return nullptr; }

    // Scanning that stops and resumes inside a line, so that an editor can keep states at places
    // inside a long line and scan only from the nearest one. A highlighter that cannot do this
    // says so, and the editor scans its lines whole.
    virtual bool CanResumeInLine() const { return false; }
    // Scans on to the first place at or after offset where a scan can resume, or to the line's
    // end; returns that place, GetState giving the state there. No token is current afterwards.
    virtual std::size_t ScanUntil(std::size_t /*offset*/)
    {
        ScanToLineEnd();
        return static_cast<std::size_t>(TokenStart());
    }
    // As StartLine, from a place an earlier ScanUntil returned and in the state it had there.
    virtual void StartLineAt(std::string_view line, int lineIndex, std::size_t /*offset*/)
    {
        StartLine(line, lineIndex);
    }

protected:
    // Registers an attribute (the subclass owns it) and routes its changes to the listeners.
    void AddAttribute(THighlighterAttributes* attribute);
    void NotifyChanged();

private:
    std::vector<THighlighterAttributes*> attributes_;
    std::vector<std::pair<int, std::function<void()>>> listeners_;
    int nextListenerId_ = 0;
    std::string defaultFilter_;
};
