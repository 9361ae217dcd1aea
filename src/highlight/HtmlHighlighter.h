#pragma once
// Splits one line of an HTML page at a time into tokens with a kind and a display attribute. What
// must carry over a line break (an open comment, a tag going on, a value awaited or still open) is
// held in the state, which the editor stores per line and hands back before the next line.

#include "highlight/CustomHighlighter.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

enum class THtmlTokenKind : int {
    Ampersand,
    Comment,
    Identifier,
    Key,
    Null,
    Space,
    Symbol,
    Text,
    UndefKey,
    Value,
};

enum class THtmlState : int {
    TextState,
    TagNameState,
    TagState,
    ValueState,
    SingleQuotedState,
    DoubleQuotedState,
    CommentState,
    EntityState,
};

class THtmlHighlighter final : public TCustomHighlighter {
public:
    THtmlHighlighter();

    THighlighterAttributes& CommentAttri() { return commentAttri_; }
    THighlighterAttributes& IdentifierAttri() { return identifierAttri_; }
    THighlighterAttributes& KeyAttri() { return keyAttri_; }
    THighlighterAttributes& SpaceAttri() { return spaceAttri_; }
    THighlighterAttributes& SymbolAttri() { return symbolAttri_; }
    THighlighterAttributes& TextAttri() { return textAttri_; }
    THighlighterAttributes& UndefKeyAttri() { return undefKeyAttri_; }
    THighlighterAttributes& ValueAttri() { return valueAttri_; }
    THighlighterAttributes& AndAttri() { return andAttri_; }

    THighlighterAttributes* DefaultAttribute(int index) const override;
    const std::bitset<256>& WordChars() const override;
    std::string LanguageName() const override;
    bool AtLineEnd() const override;
    int GetState() const override;
    std::string TokenText() const override;
    THighlighterAttributes* TokenAttribute() const override;
    int TokenKind() const override;
    int TokenStart() const override;
    void NextToken() override;
    void StartLine(std::string_view line, int lineIndex) override;
    // A value that is no state sets TextState.
    void SetState(int state) override;
    void ResetState() override;
    void ScanToLineEnd() override;
    bool CanResumeInLine() const override { return true; }
    std::unique_ptr<TCustomHighlighter> NewScanner() const override { return std::make_unique<THtmlHighlighter>(); }
    std::size_t ScanUntil(std::size_t offset) override;
    void StartLineAt(std::string_view line, int lineIndex, std::size_t offset) override;

    // The current token's bytes without a copy; valid while the line is.
    std::string_view TokenView() const { return line_.substr(tokenStart_, pos_ - tokenStart_); }
    THtmlTokenKind Kind() const { return kind_; }
    THtmlState State() const { return state_; }

    // The recognised names whose value is `value`, closing forms with their "/"; for inspection.
    std::vector<std::string> RecognisedNamesOfValue(int value) const;

private:
    enum class TRule : std::uint8_t {
        LineFeed, CarriageReturn, Space, Quote, Ampersand, Open, Equals, Close, Word,
    };
    // One recognised name: its index in the name table and whether it is the closing form.
    struct TBucketEntry {
        std::uint8_t nameIndex;
        bool closingForm;
    };
    struct TBucket {
        std::uint8_t count = 0;
        std::array<TBucketEntry, 4> entries{};
    };

    void FillDispatchTable();
    void FillBuckets();

    void Scan();
    void DispatchByCharacter();
    void SpaceRule();
    void OpenRule();
    void CommentRule();
    void QuoteRule();
    void QuotedValueRule();
    void AmpersandRule();
    void WordRule();
    void TagNameRule();
    void TextRule();
    void ReferenceRule();

    bool AtBreak() const;
    bool ClosesComment(std::size_t greater) const;
    // Just past the ">" that closes the comment going on at `from`; npos when it goes on.
    std::size_t CommentEnd(std::size_t from) const;
    bool InsideTag() const;
    std::size_t SkipInsideTag(std::size_t p, std::size_t stopAt);
    std::size_t SafeTextPlace(std::size_t from, std::size_t limit) const;
    bool IsRecognisedTagName(std::string_view name, std::uint64_t value) const;
    unsigned char Byte(std::size_t at) const { return static_cast<unsigned char>(line_[at]); }

    THighlighterAttributes commentAttri_{"Comment"};
    THighlighterAttributes identifierAttri_{"Identifier"};
    THighlighterAttributes keyAttri_{"Reserved Word"};
    THighlighterAttributes spaceAttri_{"Space"};
    THighlighterAttributes symbolAttri_{"Symbol"};
    THighlighterAttributes textAttri_{"Text"};
    THighlighterAttributes undefKeyAttri_{"Unknown Word"};
    THighlighterAttributes valueAttri_{"Value"};
    THighlighterAttributes andAttri_{"Escape Ampersand"};
    std::array<THighlighterAttributes*, 10> kindAttribute_{};

    std::array<TRule, 256> dispatch_{};
    std::array<TBucket, 251> buckets_{};

    std::string_view line_;
    std::size_t pos_ = 0;
    std::size_t tokenStart_ = 0;
    THtmlTokenKind kind_ = THtmlTokenKind::Null;
    THtmlState state_ = THtmlState::TextState;
    int namedReference_ = -1;
};
