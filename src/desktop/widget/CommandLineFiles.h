#pragma once
// The start's arguments, read before any window is made: "--help", "--version" and an unknown
// option end the start here, and so do files handed over to the editor the user already runs.

#include <QStringList>
#include <optional>
#include <string>
#include <vector>

struct TStartFiles {
    QStringList Files;  // absolute paths, in the order given, every byte kept (PathFromNative)
    QList<int> Lines;   // one per file: the line to show (from 1), 0 where none was named
};

// "--help" and "--version" answered from the raw arguments before Qt starts, so that they need no
// display; returns the exit code when one was answered.
std::optional<int> AnswerInformationRequest(int argc, char** argv);

// Arguments without the program's name, as the bytes the program was given: Qt's own list of
// arguments has lost the bytes of a file name that is not valid UTF-8. Returns the exit code when
// this start is done; otherwise fills start for the editor this start runs.
std::optional<int> ReadCommandLine(const std::vector<std::string>& arguments, const std::string& socketPath,
                                   TStartFiles& start);
