#pragma once
// The safe save's second way: rewriting the old file where it is, for a file that must stay the same
// file (several hard links) or whose folder takes no new file. A copy of the old content is kept in
// the recovery folder until the new content is written and flushed, so that a kill at any moment
// leaves the old or the new content, and the space is claimed before the first byte is overwritten.

#include "editor/FileIO.h"

#include <string>

// The folder for recovery copies: $XDG_STATE_HOME/tallo/recovery (~/.local/state when unset),
// made when missing; empty when there is none.
std::string RecoveryFolder();

// False, with the old content in place, when the file could not be rewritten.
bool RewriteInPlace(const std::string& target, const TByteProducer& produce);
