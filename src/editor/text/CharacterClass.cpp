#include "editor/text/CharacterClass.h"

#include "editor/search/UnicodeTables.h"

#include <clocale>
#include <cwctype>
#include <locale.h>
#include <wctype.h>

namespace {

// The built-in C.UTF-8 locale of glibc knows every Unicode letter and case pair; without it only
// ASCII is classified.
locale_t Utf8Locale()
{
    static const locale_t locale = [] {
        locale_t made = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!made) made = ::newlocale(LC_CTYPE_MASK, "en_US.UTF-8", static_cast<locale_t>(nullptr));
        return made;
    }();
    return locale;
}

}  // namespace

char32_t ToUpperChar(char32_t ch)
{
    if (ch < 0x80) return (ch >= 'a' && ch <= 'z') ? ch - 32 : ch;
    const locale_t locale = Utf8Locale();
    return locale ? static_cast<char32_t>(::towupper_l(static_cast<wint_t>(ch), locale)) : ch;
}

// Lower case and word characters come from the same tables as the search engine, so that word
// moves and whole-word search agree on every character.
char32_t ToLowerChar(char32_t ch)
{
    return SimpleLowerCase(ch);
}

bool IsUnicodeLetterOrDigit(char32_t ch)
{
    return ch != U'_' && IsWordCharacter(ch);
}

bool IsBlankChar(char32_t ch)
{
    return ch == ' ' || ch == '\t';
}
