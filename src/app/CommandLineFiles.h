#pragma once
// The start's arguments, read before any window is made: "--help" and an unknown option end the
// start here, and so do files handed over to the editor the user already runs.

#include <QStringList>
#include <optional>
#include <string>

struct TStartFiles {
    QStringList Files;  // absolute paths, in the order given
};

// Arguments without the program's name. Returns the exit code when this start is done; otherwise
// fills start for the editor this start runs.
std::optional<int> ReadCommandLine(const QStringList& arguments, const std::string& socketPath, TStartFiles& start);
