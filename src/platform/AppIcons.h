#pragma once
// The program's own icon set, shared by menu items and tool buttons: indexes 0 to 34.

#include <QIcon>

inline constexpr int kAppIconCount = 35;

// The icon of an image-list index; a null icon for an index outside 0..34.
QIcon AppIcon(int index);
// The icon of the program's windows.
QIcon AppWindowIcon();
