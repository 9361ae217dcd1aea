#include "platform/Platform.h"

#include <utility>

namespace {
Platform* currentPlatform = nullptr;
}

Platform& platform()
{
    Q_ASSERT(currentPlatform);
    return *currentPlatform;
}

Platform* setPlatform(Platform* p)
{
    return std::exchange(currentPlatform, p);
}
