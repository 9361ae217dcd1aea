#pragma once
// Reading FTP reply lines and building command arguments: small pure rules shared by the socket layer's
// transaction and the FTP client.

#include <optional>
#include <string>
#include <string_view>

// The value of the line's leading decimal digits (at most ten), or 0 when it has none. A value outside
// the 16-bit signed range raises ESockError.
int ReplyNumberOf(std::string_view line);

// The data port named by a "227 ... (h1,h2,h3,h4,p1,p2)" reply: the fifth and sixth comma-separated
// fields, the sixth cut before its ")". Nothing when the reply does not have that form or names a port
// outside 1 to 65535.
std::optional<int> PassivePortOf(std::string_view reply);

// The data port named by a "229 ... (|||port|)" reply (any printable delimiter in place of "|"). Nothing
// when the reply does not have that form or names a port outside 1 to 65535.
std::optional<int> ExtendedPassivePortOf(std::string_view reply);

// True when the text holds a byte below 32 (CR, LF, NUL ...): such a byte would end or split a command.
bool HoldsControlCharacter(std::string_view text);

// The command as the control connection carries it: each 0xFF (Telnet's IAC) doubled (RFC 854, 959).
std::string TelnetEscaped(std::string_view command);

// The reply line without its CR LF, for messages that quote it.
std::string_view WithoutLineEnd(std::string_view line);
