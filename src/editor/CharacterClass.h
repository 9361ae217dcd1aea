#pragma once
// Letters, digits and case of characters beyond ASCII, from the C library's UTF-8 locale data
// (the process locale is left alone).

char32_t ToUpperChar(char32_t ch);
char32_t ToLowerChar(char32_t ch);
bool IsUnicodeLetterOrDigit(char32_t ch);
bool IsBlankChar(char32_t ch);  // space or tab
