#pragma once
// The program's arguments: files to open (each with the line to show, "+LINE" before it), and whether
// this start must have a window of its own.

#include <string>
#include <vector>

// --help and --version: answered at once, without a window and without asking a running editor.
enum class TInformation { None, Usage, Version };

struct TCommandLine {
    bool NewWindow = false;  // --new-window: never hand the files to a running editor
    TInformation Information = TInformation::None;
    std::vector<std::string> Files;
    std::vector<int> Lines;  // one per file: the line named by "+LINE" before it (from 1), 0 where none
    std::string Error;       // an option the program does not know; empty when all were understood
};

// Arguments without the program's name. "--" ends the options, so that "-file.html" and "+1" can be
// named as files; "+" followed by anything but digits is a file too.
TCommandLine ParseCommandLine(const std::vector<std::string>& arguments);

constexpr const char* kCommandLineUsage =
    "Usage: tallo [--new-window] [--] [[+LINE] FILE...]\n"
    "       tallo --help | --version\n"
    "Opens each FILE as a page. While an editor runs, the files open there;\n"
    "--new-window starts an editor of its own. +LINE puts the caret at the\n"
    "start of that line (from 1) of the FILE after it.\n"
    "Exit codes: 0 the editor closed, or the files were handed to the running editor;\n"
    "            2 an unknown option.\n";

// What --help or --version prints.
std::string InformationText(TInformation information);

// The path as seen from folder, made absolute; "." and empty steps are dropped, ".." is kept
// (through a symbolic link it is not the folder above).
std::string AbsolutePath(const std::string& path, const std::string& folder);
// The process's working folder ("/" when it cannot be had).
std::string CurrentFolder();
