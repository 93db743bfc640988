// The events' composition: which id each refusal code gets, the inserts each event
// carries (as many as its message has), and what becomes of hostile or long texts.
#include <gtest/gtest.h>

#include "eventlog/event_text.h"

namespace {

size_t DefinedInserts(uint32_t id) {
    for (const EventDefinition& definition : EVENT_DEFINITIONS)
        if (definition.id == id)
            return definition.insertCount;
    ADD_FAILURE() << "no message " << id;
    return 0;
}

ClientEventFacts Client() {
    return {"10.0.0.5", "PC-5", "00-1A-2B-3C-4D-5E", "2600", "CORP\\alice", "3", "RDP-Tcp#7"};
}

TEST(EventTextTest, EveryCodeHasItsIdTypeAndInsertCount) {
    const struct {
        int32_t code;
        uint32_t id;
    } cases[] = {{1, 1001},  {2, 1002},   {3, 1003},  {4, 1004},  {5, 1005},  {6, 1006},
                 {7, 1007},  {-1, 1101},  {-2, 1102}, {-3, 1103}, {-4, 1104}, {-6, 1106},
                 {-7, 1107}, {-20, 1120}, {0, 0},     {8, 0},     {-5, 0},    {-100, 0}};
    for (const auto& c : cases) {
        const EventReport report = ComposeSessionRefused(c.code, Client(), "filter", "entry");
        EXPECT_EQ(report.id, c.id) << c.code;
        if (c.id == 0) {
            EXPECT_TRUE(report.inserts.empty()) << c.code;
            continue;
        }
        EXPECT_EQ(report.type, EVENT_LOG_WARNING);
        EXPECT_EQ(report.inserts.size(), DefinedInserts(c.id)) << c.code;
    }
    const EventReport accepted = ComposeLogonAccepted(Client());
    EXPECT_EQ(accepted.inserts.size(), DefinedInserts(1000));
    const EventReport applied = ComposeConfigApplied("CORP\\admin", {"quillon.exe", "", "", "s"});
    EXPECT_EQ(applied.inserts.size(), DefinedInserts(2000));
    const EventReport failed = ComposeConfigApplyFailed("CORP\\admin", {}, 5, "Access is denied.");
    EXPECT_EQ(failed.inserts.size(), DefinedInserts(2001));
    EXPECT_EQ(failed.type, EVENT_LOG_ERROR);
    EXPECT_EQ(ComposeConfigUnreadable().inserts.size(), DefinedInserts(3000));
}

TEST(EventTextTest, InsertsFollowTheMessagesNumbering) {
    const EventReport refused =
        ComposeSessionRefused(1, Client(), "IP Address filter", "10.0.0.5 - Logon disabled");
    const std::vector<std::string> expected = {"10.0.0.5",
                                               "PC-5",
                                               "00-1A-2B-3C-4D-5E",
                                               "2600",
                                               "CORP\\alice",
                                               "3",
                                               "RDP-Tcp#7",
                                               "IP Address filter",
                                               "10.0.0.5 - Logon disabled"};
    EXPECT_EQ(refused.inserts, expected);

    const EventReport applied = ComposeConfigApplied(
        "CORP\\admin", {"gwconfig.exe", "C:\\farm\\new.WTS", "", "Time restrictions: changed"});
    EXPECT_EQ(applied.inserts,
              (std::vector<std::string>{"CORP\\admin", "gwconfig.exe", "C:\\farm\\new.WTS",
                                        "this server", "Time restrictions: changed"}));
    const EventReport failed =
        ComposeConfigApplyFailed("", {"quillon.exe", "", "TS2", ""}, 5, "Access is denied.");
    EXPECT_EQ(failed.inserts, (std::vector<std::string>{"-", "quillon.exe", "(none)", "TS2",
                                                        "Access is denied. (Windows error 5)"}));
}

TEST(EventTextTest, ControlCharactersBecomeSpacesOtherTextStays) {
    EXPECT_EQ(EventInsert("EVIL\r\nPC\t\x7f"), "EVIL  PC  ");
    EXPECT_EQ(EventInsert("A\xc2\x85"
                          "B"),
              "A B");                                           // U+0085, a C1 line break
    EXPECT_EQ(EventInsert("Jos\xc3\xa9 %1"), "Jos\xc3\xa9 %1"); // U+00E9 kept
    EXPECT_EQ(EventInsert(""), "-");
}

TEST(EventTextTest, LongTextIsCutOnACharacterBoundary) {
    std::string exact(EVENT_INSERT_MAX_BYTES, 'x');
    EXPECT_EQ(EventInsert(exact), exact);

    std::string wide;
    while (wide.size() <= EVENT_INSERT_MAX_BYTES)
        wide += "\xe2\x82\xac"; // the euro sign, 3 bytes
    const std::string cut = EventInsert(wide);
    ASSERT_LE(cut.size(), EVENT_INSERT_MAX_BYTES);
    ASSERT_GE(cut.size(), EVENT_INSERT_MAX_BYTES - 6);
    EXPECT_EQ(cut.substr(cut.size() - 3), "...");
    EXPECT_EQ((cut.size() - 3) % 3, 0u) << "a character was split";
}

} // namespace
