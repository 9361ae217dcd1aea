// Linked into every test program: recovery copies, interrupted saves, known hosts and trusted servers
// go into the build tree, never into the user's own folders, where a test's leftovers would be offered
// at the next start.
#include "base/FileWrites.h"

#include <cstdlib>
#include <string>

namespace {

const bool testHomeSet = [] {
    const std::string home = TALLO_TEST_HOME;
    ::setenv("XDG_STATE_HOME", (home + "/state").c_str(), 1);
    ::setenv("XDG_CONFIG_HOME", (home + "/config").c_str(), 1);
    SetInterruptedSaveFolder(home + "/state/tallo/recovery/saves");
    return true;
}();

}  // namespace
