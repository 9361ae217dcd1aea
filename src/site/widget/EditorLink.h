#pragma once
// Hands files to the editor as pages: through the running editor's instance socket, as a later
// "tallo FILE" does, or, when no editor listens, by starting "tallo FILE..." on its own; a page with a
// line opens with the caret there ("tallo +LINE FILE"). Called from a worker (the hand-over waits for
// the editor's answer).

#include <cstdint>
#include <string>
#include <vector>

enum class TEditorStart : std::uint8_t { HandedOver, Started, Failed };

TEditorStart OpenInEditor(const std::vector<std::string>& paths);
// One page at a line (from 1).
TEditorStart OpenInEditorAtLine(const std::string& path, int line);
// Pages shown side by side (two versions compared). With no editor running, one is started without
// files and given them once it listens, since only the hand-over can ask for the columns.
TEditorStart OpenSideBySideInEditor(const std::vector<std::string>& paths);

// The editor program: "tallo" beside this program when it is there, else the one on the PATH.
std::string EditorProgram();
