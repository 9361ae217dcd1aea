#pragma once
// The process's file-creation mask, read once. umask() can only be read by setting it, and that
// changes it for every thread of the process for a moment; so it is read first thing in main,
// before any thread starts, and every later question gets that value.

#include <sys/types.h>

// Reads and keeps the mask; called first thing from main.
void ReadProcessUmask();
// The kept mask; read once without changing it (from /proc) when ReadProcessUmask was not called.
mode_t ProcessUmask();
