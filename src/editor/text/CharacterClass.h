#pragma once
// Letters, digits and case of characters beyond ASCII. Upper case comes from the C library's UTF-8
// locale data (the process locale is left alone); the rest from the generated Unicode tables.

char32_t ToUpperChar(char32_t ch);
char32_t ToLowerChar(char32_t ch);
bool IsUnicodeLetterOrDigit(char32_t ch);
bool IsBlankChar(char32_t ch);  // space or tab
