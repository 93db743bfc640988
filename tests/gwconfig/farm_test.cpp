// Other servers by name: the names administrators write, server list files, and, on a
// system without a registry, every remote command refused with exit code 2.
#include "tests/gwconfig/gwconfig_test_support.h"

#include "gwconfig/farm_command.h"
#include "explain/remote_words.h"

TEST(RemoteServers, NamesAreTakenAsAdministratorsWriteThem) {
    struct Case {
        const char* given;
        const char* name; // null: refused
    } cases[] = {
        {"TS01", "TS01"},    {"\\\\TS01", "TS01"},    {"ts01.farm.example", "ts01.farm.example"},
        {"\\TS01", nullptr}, {"\\\\\\TS01", nullptr}, {"\\\\TS01\\c$", nullptr},
        {"", nullptr},       {"\\\\", nullptr},       {"TS 01", nullptr},
    };
    for (const Case& c : cases) {
        std::string name = "unchanged";
        EXPECT_EQ(ParseServerName(c.given, &name), c.name != nullptr) << c.given;
        if (c.name != nullptr)
            EXPECT_EQ(name, c.name);
    }
}

TEST(RemoteServers, ServerListFileTakesOneNameALineAndSkipsComments) {
    std::vector<std::string> servers;
    std::string error;
    ASSERT_TRUE(ParseServerList("\xEF\xBB\xBF# the farm\r\nTS01\r\n\r\n  \\\\TS02  # rack 2\nTS03",
                                "farm.txt", &servers, &error))
        << error;
    EXPECT_EQ(servers, (std::vector<std::string>{"TS01", "TS02", "TS03"}));
    EXPECT_FALSE(ParseServerList("TS01\n\\\\TS02\\share\n", "farm.txt", &servers, &error));
    EXPECT_EQ(error, "'farm.txt' line 2: \"\\\\TS02\\share\" is not a computer name (NAME or "
                     "\\\\NAME)");
}

TEST(RemoteServers, RemoteCommandsAreRefusedWithExitCode2AndNothingWritten) {
    ScratchDir dir;
    WriteFile(dir.Path("ref.json"), "{\"FLAG_TIME\": 1}");
    WriteFile(dir.Path("servers.txt"), "TS01\nnot a name\n");
    const std::string out = dir.Path("out.reg");
    const char* WINDOWS = "reached through Windows";
    struct Case {
        std::vector<std::string> arguments;
        std::string message;
    } cases[] = {
        {{"show", "--computer", "TS01"}, WINDOWS},
        {{"diff", dir.Path("ref.json"), "--computer", "\\\\TS01"}, WINDOWS},
        {{"export-reg", "--computer", "TS01", "-o", out}, WINDOWS},
        {{"apply", dir.Path("ref.json"), "--computer", "TS01"}, WINDOWS},
        {{"export-reg", dir.Path("ref.json"), "--computer", "TS01", "-o", out}, "not both"},
        {{"farm", dir.Path("ref.json"), "--computer", "TS01"}, WINDOWS},
        {{"show", "--computer", "\\\\TS01\\c$"}, "is not a computer name"},
        {{"farm", dir.Path("ref.json")}, "lists no servers in its server monitor"},
        {{"farm", dir.Path("ref.json"), "--computers-from", dir.Path("servers.txt")},
         "line 2: \"not a name\""},
        {{"farm", dir.Path("ref.json"), "--computer", "TS01", "--timeout", "0"}, "--timeout"},
    };
    for (const Case& c : cases) {
        CommandResult result = Gwconfig(c.arguments);
        EXPECT_EQ(result.exitCode, 2) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos)
            << c.message << "\ngot: " << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
        EXPECT_FALSE(Exists(out)) << c.message;
    }
}
