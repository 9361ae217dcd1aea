#pragma once
// Text a server sent, made fit to show a person on a terminal, in a message box or a status line. A
// server may send anything: escape sequences that retitle or clear a terminal, bytes that are not
// UTF-8, a line of 64 KiB. Control characters (C0, DEL and C1, the latter also as UTF-8) and bytes that
// are not UTF-8 become "?", and a long text is cut on a character boundary, "..." marking the cut. The
// protocol steps keep judging the raw reply; only what is shown passes through here.

#include <cstddef>
#include <string>
#include <string_view>

// Long enough for any reply worth reading, short enough for one message box.
constexpr std::size_t kReadableTextLength = 300;
// For a whole error message, which may quote a long path beside the server's words.
constexpr std::size_t kReadableMessageLength = 1000;

// The readable form of text. A line end that closes the text (CR, LF) stays as it is, so a reply line
// keeps its form; everything before it is cleaned and cut after maxCharacters characters.
std::string ReadableServerText(std::string_view text, std::size_t maxCharacters = kReadableTextLength);
