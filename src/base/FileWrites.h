#pragma once
// Writing whole byte strings to files. ReplacePrivateFile is for the small files that hold secrets or
// trust decisions (profiles with passwords, trusted servers): the new content goes to an owner-only
// temporary file in the same folder, is flushed and renamed over the old file, so the file is always
// whole and never readable by others, whatever the umask.

#include <string>
#include <string_view>

// Writes all of bytes, going on after interrupted calls; false with errno set when a write fails.
bool WriteAll(int fd, std::string_view bytes);
// 0 on success, else the errno value of the step that failed; the old file is then as it was.
int ReplacePrivateFile(const std::string& path, std::string_view bytes);
