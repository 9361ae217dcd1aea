#pragma once
// The program's arguments: files to open, and whether this start must have a window of its own.

#include <string>
#include <vector>

struct TCommandLine {
    bool NewWindow = false;  // --new-window: never hand the files to a running editor
    bool Help = false;       // --help
    std::vector<std::string> Files;
    std::string Error;       // an option the program does not know; empty when all were understood
};

// Arguments without the program's name. "--" ends the options, so that "-file.html" can be named.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

constexpr const char* kCommandLineUsage =
    "Usage: tallo [--new-window] [FILE...]\n"
    "Opens each FILE as a page. While an editor runs, the files open there;\n"
    "--new-window starts an editor of its own.\n";

// The path as seen from folder, made absolute; "." and empty steps are dropped, ".." is kept
// (through a symbolic link it is not the folder above).
std::string AbsolutePath(const std::string& path, const std::string& folder);
