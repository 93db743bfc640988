// "EventLog" lives beside the configuration, never in its blob: a JSON member that
// show gives and build takes, which leaves the .WTS bytes as they are without it.
#include "tests/gwconfig/gwconfig_test_support.h"

#include "gwconfig/reg_export.h"

TEST(EventLogMember, RoundTripsThroughJsonWithoutTouchingTheBlob) {
    ScratchDir dir;
    WriteFile(dir.Path("plain.json"), "{\"FLAG_TIME\": 1}");
    WriteFile(dir.Path("logged.json"), "{\"EventLog\": 2, \"FLAG_TIME\": 1}");
    ASSERT_EQ(Gwconfig({"build", dir.Path("plain.json"), "-o", dir.Path("plain.WTS")}).exitCode, 0);
    CommandResult built = Gwconfig({"build", dir.Path("logged.json"), "-o", dir.Path("a.WTS")});
    ASSERT_EQ(built.exitCode, 0) << built.err;
    EXPECT_EQ(ReadFile(dir.Path("a.WTS")), ReadFile(dir.Path("plain.WTS")));
    EXPECT_NE(built.err.find("does not carry EventLog"), std::string::npos) << built.err;
    EXPECT_NE(built.err.find("apply " + dir.Path("a.WTS") + " --event-log 2"), std::string::npos);

    // show gives it last, as a member build takes back to the same blob.
    CommandResult shown = Gwconfig({"show", dir.Path("logged.json")});
    ASSERT_EQ(shown.exitCode, 0);
    EXPECT_NE(shown.out.find("],\n  \"EventLog\": 2\n}\n"), std::string::npos) << shown.out;
    WriteFile(dir.Path("shown.json"), shown.out);
    ASSERT_EQ(Gwconfig({"build", dir.Path("shown.json"), "-o", dir.Path("b.WTS")}).exitCode, 0);
    EXPECT_EQ(ReadFile(dir.Path("b.WTS")), ReadFile(dir.Path("plain.WTS")));
    EXPECT_NE(Gwconfig({"show", dir.Path("logged.json"), "--format", "text"})
                  .out.find("\nEventLog = 2\n"),
              std::string::npos);

    // A .WTS file has none to show, and a plain build says nothing about it.
    EXPECT_EQ(Gwconfig({"show", dir.Path("a.WTS")}).out.find("EventLog"), std::string::npos);
    EXPECT_EQ(Gwconfig({"build", dir.Path("plain.json"), "-o", dir.Path("c.WTS")}).err, "");
}

TEST(EventLogMember, OtherIntegersWarnAndWrongValuesAreRefused) {
    ScratchDir dir;
    WriteFile(dir.Path("seven.json"), "{\"EventLog\": 7}");
    CommandResult seven = Gwconfig({"build", dir.Path("seven.json"), "-o", dir.Path("7.WTS")});
    EXPECT_EQ(seven.exitCode, 0);
    EXPECT_NE(seven.err.find("warning: " + dir.Path("seven.json") +
                             ":1: EventLog: the library reads 7 as 1"),
              std::string::npos)
        << seven.err;

    const std::string out = dir.Path("out.WTS");
    struct Case {
        const char* json;
        const char* message;
    } cases[] = {
        {"{\"EventLog\": \"2\"}", "EventLog: expects an integer, not a text"},
        {"{\"EventLog\": {\"a\": 1}}", "EventLog: expects an integer, not an object"},
        {"{\"EventLog\": -1}", "EventLog: -1 is out of range"},
        {"{\"EventLog\": 4294967296}", "EventLog: 4294967296 is out of range"},
        {"{\"EventLog\": 1, \"EventLog\": 1}", "EventLog: is given twice"},
    };
    for (const Case& c : cases) {
        WriteFile(dir.Path("bad.json"), c.json);
        CommandResult result = Gwconfig({"build", dir.Path("bad.json"), "-o", out});
        EXPECT_EQ(result.exitCode, 2) << c.json;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << c.json << "\n" << result.err;
        EXPECT_FALSE(Exists(out)) << c.json;
    }
    EXPECT_EQ(Gwconfig({"apply", dir.Path("7.WTS"), "--event-log", "3"}).exitCode, 2);
}

TEST(EventLogMember, RegistryFileAddsItAfterTheConfigurationOnlyWhenGiven) {
    const std::string blob(10, '\x5a');
    BesideValues beside;
    EXPECT_EQ(RegistryFileBytes(blob, RegistryView::VIEW_64, beside).find(std::string("E\0v", 3)),
              std::string::npos);
    beside.has[SIDE_EVENT_LOG] = true;
    beside.value[SIDE_EVENT_LOG] = 2;
    std::string text;
    const std::string bytes = RegistryFileBytes(blob, RegistryView::VIEW_64, beside);
    for (size_t k = 2; k < bytes.size(); k += 2)
        text += bytes[k];
    EXPECT_NE(text.find("\"datasize\"=dword:0000000a\r\n\"EventLog\"=dword:00000002\r\n\r\n"),
              std::string::npos)
        << text;
}

// AuditOnly is carried the same way, after EventLog; bits that name no filter warn.
TEST(EventLogMember, AuditOnlyFollowsEventLogAndOddBitsWarn) {
    ScratchDir dir;
    WriteFile(dir.Path("both.json"), "{\"AuditOnly\": 129, \"EventLog\": 0}");
    CommandResult built = Gwconfig({"build", dir.Path("both.json"), "-o", dir.Path("a.WTS")});
    ASSERT_EQ(built.exitCode, 0) << built.err;
    EXPECT_NE(built.err.find("AuditOnly: the library reads 129 as 1: only the bits 1 to 64"),
              std::string::npos)
        << built.err;
    EXPECT_NE(built.err.find("does not carry AuditOnly (129): store it beside the configuration "
                             "with gwconfig apply " +
                             dir.Path("a.WTS") + " --audit-only 1\n"),
              std::string::npos)
        << built.err;
    CommandResult shown = Gwconfig({"show", dir.Path("both.json")});
    EXPECT_NE(shown.out.find("],\n  \"EventLog\": 0,\n  \"AuditOnly\": 129\n}\n"),
              std::string::npos)
        << shown.out;
    EXPECT_EQ(Gwconfig({"apply", dir.Path("a.WTS"), "--audit-only", "128"}).exitCode, 2);
}
