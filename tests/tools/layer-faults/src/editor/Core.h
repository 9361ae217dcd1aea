#pragma once
// Breaks both rules: the checker must fail on this tree.
#include <QString>
#include "app/Shell.h"
