#pragma once
// Names and texts from the site's core (UTF-8 bytes) as the window shows them.

#include <QString>
#include <string>

inline QString Decoded(const std::string& bytes) { return QString::fromStdString(bytes); }
