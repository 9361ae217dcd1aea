// A save that must overwrite its file in place, for the test that kills it halfway:
//   tallo_overwrite_helper COPY_FOLDER FILE BYTES
// writes BYTES bytes of "n" over FILE (which has a second name, so it is rewritten in place), keeping
// its previous version in COPY_FOLDER.
#include "base/FileWrites.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4) return 2;
    SetInterruptedSaveFolder(argv[1]);
    const std::string bytes(std::strtoul(argv[3], nullptr, 10), 'n');
    const auto produce = [&bytes](const TByteSink& write) { return write(bytes); };
    return SafeWrite(argv[2], produce, TFileAccess::Shared) == 0 ? 0 : 1;
}
