#include "base/FileDescriptor.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <utility>

namespace {

bool IsOpen(int fd)
{
    return ::fcntl(fd, F_GETFD) != -1;
}

TEST(FileDescriptor, ClosesExactlyWhatItStillOwns)
{
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const int kept = pipeEnds[0], handedOn = pipeEnds[1];
    {
        TFileDescriptor first(kept);
        TFileDescriptor moved(std::move(first));
        EXPECT_FALSE(first.Valid());
        TFileDescriptor second(handedOn);
        EXPECT_EQ(second.Release(), handedOn);
        EXPECT_TRUE(IsOpen(kept));
    }
    EXPECT_FALSE(IsOpen(kept)) << "the owner closes on its way out";
    EXPECT_TRUE(IsOpen(handedOn)) << "a released descriptor is the caller's";

    TFileDescriptor last(handedOn);
    EXPECT_TRUE(last.Close());
    EXPECT_FALSE(IsOpen(handedOn));
    EXPECT_FALSE(last.Valid());
}

}  // namespace
