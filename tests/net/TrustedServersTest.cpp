#include "net/TrustedServers.h"
#include "support/net/RealFtpServer.h"

#include <fstream>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

std::string Contents(const std::string& path)
{
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(TrustedServers, RemembersOneCertificatePerServer)
{
    struct Case {
        const char* before;  // the file's text; nullptr: no file
        const char* host;
        int port;
        const char* after;
    } const cases[] = {
        {nullptr, "example.org", 21, "example.org 21 AA:BB\n"},
        {"other.org 21 CC:DD\n", "example.org", 21, "other.org 21 CC:DD\nexample.org 21 AA:BB\n"},
        // a renewed certificate takes the old one's place; another port is another server
        {"example.org 21 CC:DD\nexample.org 990 EE:FF\n", "example.org", 21, "example.org 990 EE:FF\nexample.org 21 AA:BB\n"},
        // lines it does not understand are kept
        {"# mine\nbroken line here x\n", "::1", 2121, "# mine\nbroken line here x\n::1 2121 AA:BB\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.host);
        const std::string folder = MakeTempDirectory("tallo-trusted-");
        const std::string path = folder + "/a/tallo/trusted_servers";
        if (c.before) {
            ::mkdir((folder + "/a").c_str(), 0700);
            ::mkdir((folder + "/a/tallo").c_str(), 0700);
            std::ofstream(path) << c.before;
        }
        const TTrustedServers trusted(path);
        EXPECT_FALSE(trusted.Trusts(c.host, c.port, "AA:BB"));
        trusted.Remember(c.host, c.port, "AA:BB");
        EXPECT_EQ(Contents(path), c.after);
        EXPECT_TRUE(trusted.Trusts(c.host, c.port, "AA:BB"));
        EXPECT_EQ(trusted.FingerprintOf(c.host, c.port), "AA:BB");
        EXPECT_EQ(trusted.FingerprintOf(c.host, c.port + 1), "") << "another port is another server";
        EXPECT_FALSE(trusted.Trusts(c.host, c.port + 1, "AA:BB"));
        EXPECT_FALSE(trusted.Trusts(c.host, c.port, "AA:BC"));
        EXPECT_FALSE(trusted.Trusts(c.host, c.port, ""));
        struct stat file {}, config {};
        ::stat(path.c_str(), &file);
        ::stat((folder + "/a/tallo").c_str(), &config);
        EXPECT_EQ(file.st_mode & 0777, 0600u);
        EXPECT_EQ(config.st_mode & 0777, 0700u);
        RemoveTree(folder);
    }
}

TEST(TrustedServers, RefusesWhatItCannotWriteAndKeepsTheOldFile)
{
    const std::string folder = MakeTempDirectory("tallo-trusted-");
    const TTrustedServers blocked(folder + "/file/trusted_servers");  // "file" is a file, not a folder
    std::ofstream(folder + "/file") << "x";
    EXPECT_THROW(blocked.Remember("example.org", 21, "AA:BB"), std::runtime_error);
    const TTrustedServers trusted(folder + "/trusted_servers");
    EXPECT_THROW(trusted.Remember("two words", 21, "AA:BB"), std::runtime_error);
    EXPECT_THROW(trusted.Remember("example.org", 21, "AA:BB\nevil.org 21 CC:DD"), std::runtime_error);
    RemoveTree(folder);
}

}  // namespace
