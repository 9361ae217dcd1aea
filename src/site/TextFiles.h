#pragma once
// Reading a whole small file (settings, the publish record, a page) in one go.

#include <string>

// 0 on success, else the errno value (ENOENT when the file does not exist).
int ReadWholeFile(const std::string& path, std::string& bytes);
