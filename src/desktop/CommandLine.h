#pragma once
// The program's arguments: files to open (each with the line to show, "+LINE" before it), and whether
// this start must have a window of its own.

#include <string>
#include <vector>

struct TCommandLine {
    bool NewWindow = false;  // --new-window: never hand the files to a running editor
    bool Help = false;       // --help
    std::vector<std::string> Files;
    std::vector<int> Lines;  // one per file: the line named by "+LINE" before it (from 1), 0 where none
    std::string Error;       // an option the program does not know; empty when all were understood
};

// Arguments without the program's name. "--" ends the options, so that "-file.html" and "+1" can be
// named as files; "+" followed by anything but digits is a file too.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

constexpr const char* kCommandLineUsage =
    "Usage: tallo [--new-window] [[+LINE] FILE...]\n"
    "Opens each FILE as a page. While an editor runs, the files open there;\n"
    "--new-window starts an editor of its own. +LINE puts the caret at the\n"
    "start of that line (from 1) of the FILE after it.\n";

// The path as seen from folder, made absolute; "." and empty steps are dropped, ".." is kept
// (through a symbolic link it is not the folder above).
std::string AbsolutePath(const std::string& path, const std::string& folder);
