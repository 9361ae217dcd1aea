#pragma once
// Large blocks of text backed by large pages where the system allows it: filling a block of many
// megabytes then takes a few hundred page faults instead of one per 4 KB, which is much of the time
// of loading a page or of copying a long line.

#include <cstddef>

// Asks for large pages for the whole 2 MB pages inside data..data+size; small blocks are left alone.
void AskForHugePages(char* data, std::size_t size);
