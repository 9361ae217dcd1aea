#include "highlight/HtmlHighlighter.h"

#include <cctype>

#include "highlight/HtmlCharClasses.h"
#include "highlight/HtmlCharRefs.h"
#include "highlight/HtmlTagNames.h"

#include <algorithm>
#include <cstring>

using html_chars::Has;

namespace {

constexpr RgbColor Rgb(int red, int green, int blue)
{
    return static_cast<RgbColor>((red << 16) | (green << 8) | blue);
}

// From just after "&#": an "x" or "X" with the hexadecimal digits after it, or the decimal digits.
std::size_t SkipNumericReferenceDigits(std::string_view line, std::size_t p)
{
    const auto digit = [&](html_chars::ClassFlag flag) {
        return p < line.size() && Has(static_cast<unsigned char>(line[p]), flag);
    };
    if (p < line.size() && (line[p] == 'x' || line[p] == 'X')) {
        ++p;
        while (digit(html_chars::kHexDigit))
            ++p;
    } else {
        while (digit(html_chars::kDecimalDigit))
            ++p;
    }
    return p;
}

}  // namespace

THtmlHighlighter::THtmlHighlighter()
{
    keyAttri_.SetForeground(Rgb(128, 0, 255));
    undefKeyAttri_.SetForeground(Rgb(255, 0, 0));
    valueAttri_.SetForeground(Rgb(0, 128, 255));
    andAttri_.SetForeground(Rgb(0, 255, 0));
    for (auto* bold : {&identifierAttri_, &keyAttri_, &symbolAttri_, &undefKeyAttri_, &andAttri_})
        bold->SetStyle(fsBold);

    for (auto* attribute : {&commentAttri_, &identifierAttri_, &keyAttri_, &spaceAttri_, &symbolAttri_,
                            &textAttri_, &undefKeyAttri_, &valueAttri_, &andAttri_})
        AddAttribute(attribute);

    kindAttribute_ = {&andAttri_,   &commentAttri_, &identifierAttri_, &keyAttri_,      nullptr,
                      &spaceAttri_, &symbolAttri_,  &textAttri_,       &undefKeyAttri_, &valueAttri_};

    FillDispatchTable();
    FillBuckets();
    SetDefaultFilter("HTML Documents (*.htm;*.html)|*.htm;*.html");
}

void THtmlHighlighter::FillDispatchTable()
{
    // The end of the line is found by position, before this table is asked; a NUL byte inside
    // the line is a control character like the others.
    dispatch_.fill(TRule::Word);
    for (int c = 0; c <= 32; ++c)
        dispatch_[c] = TRule::Space;
    dispatch_['\n'] = TRule::LineFeed;
    dispatch_['\r'] = TRule::CarriageReturn;
    dispatch_['"'] = TRule::Quote;
    dispatch_['\''] = TRule::Quote;
    dispatch_['&'] = TRule::Ampersand;
    dispatch_['<'] = TRule::Open;
    dispatch_['='] = TRule::Equals;
    dispatch_['>'] = TRule::Close;
}

void THtmlHighlighter::FillBuckets()
{
    auto add = [this](std::size_t nameIndex, bool closingForm) {
        const std::string_view name = kRecognisedTagNames[nameIndex].name;
        const auto value = TagNameValue(name) + (closingForm ? html_chars::kCharValue['/'] : 0);
        TBucket& bucket = buckets_.at(value);
        bucket.entries.at(bucket.count++) = {static_cast<std::uint8_t>(nameIndex), closingForm};
    };
    for (std::size_t i = 0; i < kRecognisedTagNames.size(); ++i) {
        add(i, false);
        if (kRecognisedTagNames[i].hasClosingForm)
            add(i, true);
    }
}

THighlighterAttributes* THtmlHighlighter::DefaultAttribute(int index) const
{
    auto* self = const_cast<THtmlHighlighter*>(this);
    switch (index) {
    case 0: return &self->commentAttri_;
    case 1: return &self->identifierAttri_;
    case 2: return &self->keyAttri_;
    case 4: return &self->spaceAttri_;
    case 5: return &self->symbolAttri_;
    default: return nullptr;
    }
}

const std::bitset<256>& THtmlHighlighter::WordChars() const
{
    static const std::bitset<256> chars = [] {
        std::bitset<256> set;
        for (int c = '0'; c <= '9'; ++c) set.set(c);
        for (int c = 'A'; c <= 'Z'; ++c) set.set(c);
        for (int c = 'a'; c <= 'z'; ++c) set.set(c);
        set.set('_');
        for (int c = 192; c <= 255; ++c)
            if (c != 215 && c != 247) set.set(c);
        return set;
    }();
    return chars;
}

std::string THtmlHighlighter::LanguageName() const { return "HTML"; }

bool THtmlHighlighter::AtLineEnd() const { return kind_ == THtmlTokenKind::Null; }

int THtmlHighlighter::GetState() const { return static_cast<int>(state_); }

std::string THtmlHighlighter::TokenText() const { return std::string(TokenView()); }

THighlighterAttributes* THtmlHighlighter::TokenAttribute() const
{
    return kindAttribute_[static_cast<std::size_t>(kind_)];
}

int THtmlHighlighter::TokenKind() const { return static_cast<int>(kind_); }

int THtmlHighlighter::TokenStart() const { return static_cast<int>(tokenStart_); }

void THtmlHighlighter::StartLine(std::string_view line, int /*lineIndex: the HTML rules do not use it*/)
{
    line_ = line;
    pos_ = 0;
    // A remembered reference belongs to the previous line, and EntityState means "a reference
    // follows here", which cannot hold at the start of a new line; left as it is, an empty line
    // would end in that state.
    namedReference_ = -1;
    if (state_ == THtmlState::EntityState)
        state_ = THtmlState::TextState;
    Scan();
}

void THtmlHighlighter::SetState(int state)
{
    const bool known =
        state >= static_cast<int>(THtmlState::TextState) && state <= static_cast<int>(THtmlState::EntityState);
    state_ = known ? static_cast<THtmlState>(state) : THtmlState::TextState;
}

void THtmlHighlighter::ResetState() { state_ = THtmlState::TextState; }

std::vector<std::string> THtmlHighlighter::RecognisedNamesOfValue(int value) const
{
    std::vector<std::string> names;
    const TBucket& bucket = buckets_.at(value);
    for (int i = 0; i < bucket.count; ++i) {
        const TBucketEntry& entry = bucket.entries[i];
        names.push_back((entry.closingForm ? "/" : "") + std::string(kRecognisedTagNames[entry.nameIndex].name));
    }
    return names;
}

bool THtmlHighlighter::AtBreak() const
{
    return pos_ >= line_.size() || line_[pos_] == '\n' || line_[pos_] == '\r';
}

void THtmlHighlighter::NextToken() { Scan(); }

// Only the end state is wanted here, so runs in which no token can change the state are skipped
// whole: text up to the next "<" (references and breaks leave TextState as it is), a comment up to
// a ">" after "--", a quoted value up to its quote, and inside a tag everything but the few
// characters that start a token of their own. What is skipped follows the same rules as the
// tokens; only the token boundaries are not kept.
void THtmlHighlighter::ScanToLineEnd()
{
    ScanUntil(std::string_view::npos);
}

// Places where the loop below stands between its steps are places a scan can resume from: token
// boundaries, and places inside a comment, a quoted value or text where the rules read only
// forwards (a comment's end looks back at its "--" in the same line, which a resumed scan sees).
std::size_t THtmlHighlighter::ScanUntil(std::size_t offset)
{
    const std::size_t end = line_.size();
    if (kind_ == THtmlTokenKind::Null)
        return end;
    const char* const begin = line_.data();
    const auto find = [&](std::size_t from, char c) {
        const void* found = std::memchr(begin + from, c, end - from);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - begin) : end;
    };
    while (pos_ < end) {
        if (pos_ >= offset) {
            tokenStart_ = pos_;
            kind_ = THtmlTokenKind::Text;  // no token is current after a stop
            return pos_;
        }
        switch (state_) {
        case THtmlState::TextState: {
            const std::size_t open = find(pos_, '<');
            if (open > offset) {
                pos_ = SafeTextPlace(std::max(pos_, offset), open);
            } else {
                pos_ = open;
                if (pos_ < end)
                    OpenRule();
            }
            break;
        }
        case THtmlState::CommentState:
            if (const std::size_t closed = CommentEnd(pos_); closed != std::string_view::npos && closed <= offset) {
                pos_ = closed;
                state_ = THtmlState::TextState;
            } else {
                pos_ = std::min(end, std::max(pos_, offset));
            }
            break;
        case THtmlState::SingleQuotedState:
        case THtmlState::DoubleQuotedState:
            if (const std::size_t quote = find(pos_, state_ == THtmlState::DoubleQuotedState ? '"' : '\'');
                quote < std::min(end, offset)) {
                pos_ = quote + 1;
                state_ = THtmlState::TagState;
            } else {
                pos_ = std::min(end, std::max(pos_, offset));
            }
            break;
        case THtmlState::TagNameState:
        case THtmlState::TagState:
        case THtmlState::ValueState:
            pos_ = SkipInsideTag(pos_, offset);
            if (InsideTag() && pos_ < end && pos_ < offset)  // stopped at "<"
                OpenRule();
            break;
        case THtmlState::EntityState:
            tokenStart_ = pos_;
            DispatchByCharacter();  // the reference
            break;
        }
    }
    tokenStart_ = end;
    kind_ = THtmlTokenKind::Null;
    return end;
}

// The first place from `from` on (and before `limit`) where text can be split: not inside a
// character reference, whose rule reads from its "&" on, nor inside a run of blanks that a
// control character started (a space token; blanks after a letter are text).
std::size_t THtmlHighlighter::SafeTextPlace(std::size_t from, std::size_t limit) const
{
    const auto splitsSomething = [this](std::size_t at) {
        const unsigned char before = Byte(at - 1);
        if (before == '&' || before == '#' || std::isalnum(before))
            return true;
        for (std::size_t p = at; p > 0 && Byte(p - 1) <= 32; --p) {
            if (Byte(p - 1) != ' ')
                return true;
        }
        return false;
    };
    while (from < limit && from > 0 && splitsSomething(from))
        ++from;
    return from;
}

void THtmlHighlighter::StartLineAt(std::string_view line, int /*lineIndex*/, std::size_t offset)
{
    line_ = line;
    pos_ = std::min(offset, line.size());
    namedReference_ = -1;
    Scan();
}

bool THtmlHighlighter::InsideTag() const
{
    return state_ == THtmlState::TagNameState || state_ == THtmlState::TagState || state_ == THtmlState::ValueState;
}

// From a token start inside a tag: skips tokens until the state leaves the tag, the line ends, a
// "<" starts the next token, or a token starts at or after stopAt; returns where it stopped.
std::size_t THtmlHighlighter::SkipInsideTag(std::size_t p, std::size_t stopAt)
{
    const std::size_t end = line_.size();
    for (;;) {
        if (p >= stopAt)
            return p;
        while (p < end && Byte(p) <= 32)  // space and line-break tokens
            ++p;
        if (p >= end)
            return p;
        switch (line_[p]) {
        case '<':
            return p;
        case '=':
            ++p;
            state_ = THtmlState::ValueState;
            continue;
        case '>':
            state_ = THtmlState::TextState;
            return p + 1;
        case '"':
        case '\'':
            if (state_ == THtmlState::ValueState) {
                state_ = line_[p] == '"' ? THtmlState::DoubleQuotedState : THtmlState::SingleQuotedState;
                return p + 1;
            }
            break;
        case '&':
            if (state_ == THtmlState::TagNameState) {
                state_ = THtmlState::TextState;
                return p + 1;
            }
            break;
        default:
            break;
        }
        switch (state_) {
        case THtmlState::TagNameState:
            while (p < end && html_chars::kCharValue[Byte(p)] != 0)
                ++p;
            while (p < end && Has(Byte(p), html_chars::kDecimalDigit))
                ++p;
            state_ = THtmlState::TagState;
            break;
        case THtmlState::ValueState:
            ++p;
            while (p < end && Has(Byte(p), html_chars::kValueChar))
                ++p;
            state_ = THtmlState::TagState;
            break;
        default:
            ++p;
            while (p < end && Has(Byte(p), html_chars::kIdentifierChar))
                ++p;
            break;
        }
    }
}

inline void THtmlHighlighter::Scan()
{
    tokenStart_ = pos_;
    switch (state_) {
    case THtmlState::CommentState:
        CommentRule();
        break;
    case THtmlState::TextState:
        TextRule();
        break;
    case THtmlState::SingleQuotedState:
    case THtmlState::DoubleQuotedState:
        if (AtBreak())
            DispatchByCharacter();
        else
            QuotedValueRule();
        break;
    default:
        DispatchByCharacter();
        break;
    }
}

void THtmlHighlighter::DispatchByCharacter()
{
    if (pos_ >= line_.size()) {
        kind_ = THtmlTokenKind::Null;
        return;
    }
    switch (dispatch_[Byte(pos_)]) {
    case TRule::LineFeed:
        kind_ = THtmlTokenKind::Space;
        ++pos_;
        break;
    case TRule::CarriageReturn:
        kind_ = THtmlTokenKind::Space;
        ++pos_;
        if (pos_ < line_.size() && line_[pos_] == '\n')
            ++pos_;
        break;
    case TRule::Space:
        SpaceRule();
        break;
    case TRule::Quote:
        QuoteRule();
        break;
    case TRule::Ampersand:
        AmpersandRule();
        break;
    case TRule::Open:
        OpenRule();
        break;
    case TRule::Equals:
        kind_ = THtmlTokenKind::Symbol;
        ++pos_;
        state_ = THtmlState::ValueState;
        break;
    case TRule::Close:
        kind_ = THtmlTokenKind::Symbol;
        ++pos_;
        state_ = THtmlState::TextState;
        break;
    case TRule::Word:
        WordRule();
        break;
    }
}

void THtmlHighlighter::SpaceRule()
{
    kind_ = THtmlTokenKind::Space;
    ++pos_;
    while (pos_ < line_.size() && Has(Byte(pos_), html_chars::kSpaceRunChar))
        ++pos_;
}

void THtmlHighlighter::OpenRule()
{
    ++pos_;
    if (line_.substr(pos_, 3) == "!--") {
        pos_ += 3;
        kind_ = THtmlTokenKind::Comment;
        state_ = THtmlState::CommentState;
    } else {
        kind_ = THtmlTokenKind::Symbol;
        state_ = THtmlState::TagNameState;
    }
}

void THtmlHighlighter::CommentRule()
{
    if (AtBreak()) {
        DispatchByCharacter();
        return;
    }
    kind_ = THtmlTokenKind::Comment;
    const std::size_t end = line_.size();
    std::size_t p = pos_;
    for (;;) {
        while (p < end && !Has(Byte(p), html_chars::kCommentStop))
            ++p;
        if (p == end || line_[p] != '>')
            break;
        ++p;
        if (ClosesComment(p - 1)) {
            state_ = THtmlState::TextState;
            break;
        }
    }
    pos_ = p;
}

// A ">" closes a comment when the two characters before it in the line are "--", whatever
// tokens they belong to.
bool THtmlHighlighter::ClosesComment(std::size_t greater) const
{
    return greater >= 2 && line_[greater - 1] == '-' && line_[greater - 2] == '-';
}

std::size_t THtmlHighlighter::CommentEnd(std::size_t from) const
{
    const char* const begin = line_.data();
    const std::size_t end = line_.size();
    while (from < end) {
        const void* greater = std::memchr(begin + from, '>', end - from);
        if (!greater)
            break;
        const std::size_t at = static_cast<const char*>(greater) - begin;
        if (ClosesComment(at))
            return at + 1;
        from = at + 1;
    }
    return std::string_view::npos;
}

void THtmlHighlighter::QuoteRule()
{
    if (state_ != THtmlState::ValueState) {
        WordRule();
        return;
    }
    state_ = line_[pos_] == '"' ? THtmlState::DoubleQuotedState : THtmlState::SingleQuotedState;
    ++pos_;
    QuotedValueRule();
}

void THtmlHighlighter::QuotedValueRule()
{
    kind_ = THtmlTokenKind::Value;
    const char quote = state_ == THtmlState::DoubleQuotedState ? '"' : '\'';
    const std::size_t end = line_.size();
    std::size_t p = pos_;
    while (p < end && line_[p] != quote && line_[p] != '\n' && line_[p] != '\r')
        ++p;
    if (p < end && line_[p] == quote) {
        ++p;
        state_ = THtmlState::TagState;
    }
    pos_ = p;
}

void THtmlHighlighter::AmpersandRule()
{
    switch (state_) {
    case THtmlState::EntityState:
        ReferenceRule();
        break;
    case THtmlState::TagNameState:
        kind_ = THtmlTokenKind::Text;
        ++pos_;
        state_ = THtmlState::TextState;
        break;
    default:
        WordRule();
        break;
    }
}

void THtmlHighlighter::WordRule()
{
    const std::size_t end = line_.size();
    switch (state_) {
    case THtmlState::TagNameState:
        TagNameRule();
        break;
    case THtmlState::ValueState:
        kind_ = THtmlTokenKind::Value;
        ++pos_;
        while (pos_ < end && Has(Byte(pos_), html_chars::kValueChar))
            ++pos_;
        state_ = THtmlState::TagState;
        break;
    default:
        kind_ = THtmlTokenKind::Identifier;
        ++pos_;
        while (pos_ < end && Has(Byte(pos_), html_chars::kIdentifierChar))
            ++pos_;
        break;
    }
}

void THtmlHighlighter::TagNameRule()
{
    const std::size_t end = line_.size();
    std::uint64_t value = 0;
    std::size_t p = pos_;
    while (p < end && html_chars::kCharValue[Byte(p)] != 0)
        value += html_chars::kCharValue[Byte(p++)];
    while (p < end && Has(Byte(p), html_chars::kDecimalDigit))
        value += Byte(p++) - '0';

    if (value > kLargestTagNameValue)
        kind_ = THtmlTokenKind::Identifier;
    else
        kind_ = IsRecognisedTagName(line_.substr(pos_, p - pos_), value) ? THtmlTokenKind::Key : THtmlTokenKind::UndefKey;
    pos_ = p;
    state_ = THtmlState::TagState;
}

bool THtmlHighlighter::IsRecognisedTagName(std::string_view name, std::uint64_t value) const
{
    const TBucket& bucket = buckets_[value];
    for (int i = 0; i < bucket.count; ++i) {
        const TBucketEntry& entry = bucket.entries[i];
        if (TagNameEquals(name, kRecognisedTagNames[entry.nameIndex].name, entry.closingForm))
            return true;
    }
    return false;
}

void THtmlHighlighter::TextRule()
{
    const std::size_t end = line_.size();
    if (pos_ >= end || Byte(pos_) < 32 || line_[pos_] == '<') {
        DispatchByCharacter();
        return;
    }
    kind_ = THtmlTokenKind::Text;
    std::size_t p = pos_;
    for (;;) {
        while (p < end && !Has(Byte(p), html_chars::kTextStop))
            ++p;
        if (p == end || line_[p] != '&')
            break;
        const std::size_t ampersand = p;
        if (p + 1 < end && line_[p + 1] == '#') {
            p = SkipNumericReferenceDigits(line_, p + 2);
            if (p < end && line_[p] == ';') {
                p = ampersand;
                state_ = THtmlState::EntityState;
            }
            // Without ";" the token ends after what was looked at; the next one goes on as text.
            break;
        }
        const int reference = FindNamedCharacterReference(line_, ampersand);
        if (reference >= 0) {
            namedReference_ = reference;
            state_ = THtmlState::EntityState;
            break;
        }
        ++p;
    }
    pos_ = p;
}

void THtmlHighlighter::ReferenceRule()
{
    kind_ = THtmlTokenKind::Ampersand;
    const std::size_t end = line_.size();
    // The remembered name was found at this very place, unless a caller moved the state by hand;
    // so it is checked, and a named reference not remembered is still taken whole.
    int reference = namedReference_;
    if (reference < 0 || !line_.substr(pos_).starts_with(kNamedCharacterReferences[reference]))
        reference = FindNamedCharacterReference(line_, pos_);
    if (reference >= 0) {
        pos_ += kNamedCharacterReferences[reference].size();
    } else {
        ++pos_;
        if (pos_ < end && line_[pos_] == '#') {
            pos_ = SkipNumericReferenceDigits(line_, pos_ + 1);
            if (pos_ < end && line_[pos_] == ';')
                ++pos_;
        }
    }
    namedReference_ = -1;
    state_ = THtmlState::TextState;
}
