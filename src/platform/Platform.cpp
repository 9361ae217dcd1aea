#include "platform/Platform.h"

namespace {
Platform* currentPlatform = nullptr;
}

Platform& platform()
{
    Q_ASSERT(currentPlatform);
    return *currentPlatform;
}

void setPlatform(Platform* p)
{
    currentPlatform = p;
}
