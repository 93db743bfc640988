// The version, time and session-count filters.
#include <string>

#include "engine/engine_state.h"
#include "engine/filters.h"
#include "engine/rejection.h"
#include "tests/engine/engine_test.h"

namespace {

// --- client version ------------------------------------------------------------------

struct VersionCase {
    const char* field; // which text is set
    const char* text;
    uint32_t build;
    int admitted;
};

class VersionRules : public ::testing::TestWithParam<VersionCase> {};

TEST_P(VersionRules, Decide) {
    const VersionCase& c = GetParam();
    FilterConfigRecord config{};
    std::string field = c.field;
    char* target = field == "allow"      ? config.VERALLOW
                   : field == "disallow" ? config.VERDISALLOW
                   : field == "higher"   ? config.VERHIGHER
                   : field == "lower"    ? config.VERLOWER
                                         : config.VERBETWEEN;
    CopyToField(target, sizeof config.VERALLOW, c.text);
    EXPECT_EQ(VersionAdmits(config, c.build), c.admitted)
        << c.field << " \"" << c.text << "\" build " << c.build;
}

INSTANTIATE_TEST_SUITE_P(
    AllTextForms, VersionRules,
    ::testing::Values(
        // one number, and the comma lists the console writes or an administrator types
        VersionCase{"allow", "2600", 2600, 1}, VersionCase{"allow", "2600", 2601, 0},
        VersionCase{"allow", "2031,2128", 2128, 1}, VersionCase{"allow", "2031,2128", 2031, 1},
        VersionCase{"allow", "2031,2128", 2087, 0}, VersionCase{"allow", "0419", 419, 1},
        VersionCase{"allow", " 2031, 2128", 2128, 1}, VersionCase{"disallow", "2031,2128", 2128, 0},
        VersionCase{"disallow", "2031,2128", 2600, 1}, VersionCase{"disallow", "2600", 2600, 0},
        // empty items, as the version page stores what was typed, name no build
        VersionCase{"allow", "2600, ,,", 0, 0}, VersionCase{"allow", "2600,,2601", 2601, 1},
        // higher / lower exclude their own number
        VersionCase{"higher", "2600", 2600, 0}, VersionCase{"higher", "2600", 2601, 1},
        VersionCase{"lower", "2600", 2600, 0}, VersionCase{"lower", "2600", 2599, 1},
        // the console's range, lower bound first, both ends in
        VersionCase{"between", "(2031:2128)", 2031, 1},
        VersionCase{"between", "(2031:2128)", 2128, 1},
        VersionCase{"between", "(2031:2128)", 2129, 0},
        VersionCase{"between", "(2031:2128)", 2030, 0},
        VersionCase{"between", "(0419:9213)", 419, 1},
        // the plain form read before: upper bound first
        VersionCase{"between", "2128:2031", 2100, 1}, VersionCase{"between", "2128:2031", 2129, 0},
        VersionCase{"between", "2031:2128", 2100, 0}, // first below second admits nothing
        VersionCase{"between", "2600:2600", 2600, 1}, VersionCase{"between", "2600:2600", 2601, 0},
        // a range that cannot be read admits nothing
        VersionCase{"between", "(2031)", 2031, 0}, VersionCase{"between", "abc", 0, 0}));

TEST(VersionRules, AllTextsEmptyAdmitsEveryBuild) {
    FilterConfigRecord config{};
    EXPECT_EQ(VersionAdmits(config, 0), 1);
    EXPECT_EQ(VersionAdmits(config, 0xFFFFFFFFu), 1);
}

TEST(VersionRules, FieldWithoutTerminatorIsReadWithinItsWidth) {
    FilterConfigRecord config{};
    memset(config.VERHIGHER, '9', sizeof config.VERHIGHER); // no NUL anywhere
    EXPECT_EQ(VersionAdmits(config, 5), 0);
}

class VersionFilterTest : public EngineTest {};

TEST_F(VersionFilterTest, RejectsWithCodeFourAndFilterTexts) {
    FilterConfig.FLAG_VERSION = 1;
    CopyToField(FilterConfig.VERHIGHER, "2600");
    Own().build = 2600;
    EXPECT_EQ(ExitCodeOf([] { ValidateVersion(); }), -1);
    EXPECT_EQ(OnlyMessage(), "title version|msg version");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_CLIENTVERSION,");
    Machine.sessions[0].build = 2601;
    Machine.messages.clear();
    EXPECT_EQ(ExitCodeOf([] { EXPECT_EQ(ValidateVersion(), 1); }), NO_EXIT);
}

TEST_F(VersionFilterTest, BuildFailureUsesErrorTexts) {
    FilterConfig.FLAG_VERSION = 1;
    Own().failingQueries.insert(TS_CLIENT_BUILD_NUMBER);
    EXPECT_EQ(ExitCodeOf([] { ValidateVersion(); }), -1);
    EXPECT_EQ(OnlyMessage(), "Error!|In ValidateVersion(), GetClientBuildNumber() failed!");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETCLIENTVERSION,");
}

// --- logon time ------------------------------------------------------------------------

class TimeFilterTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        FilterConfig.FLAG_TIME = 1;
        FilterConfig.WEEK_W1 = FilterConfig.WEEK_W2 = FilterConfig.WEEK_W3 = 1;
        FilterConfig.WEEK_W4 = FilterConfig.WEEK_W5 = FilterConfig.WEEK_W6 = 1;
        FilterConfig.WEEK_W7 = 1;
        FilterConfig.TIME_BETWEEN = 1;
    }
    void Window(const char* from, const char* to) {
        CopyToField(FilterConfig.TIME_FROM, from);
        CopyToField(FilterConfig.TIME_TO, to);
    }
    bool PassesAt(int hour, int minute, int second, int dayOfWeek = 1) {
        Machine.clock.dayOfWeek = dayOfWeek;
        Machine.clock.hour = hour;
        Machine.clock.minute = minute;
        Machine.clock.second = second;
        return ExitCodeOf([] { ValidateTime(); }) == NO_EXIT;
    }
};

TEST_F(TimeFilterTest, DaytimeWindowAdmitsBothEndsOnly) {
    Window("08:00:00", "17:00:00");
    EXPECT_TRUE(PassesAt(8, 0, 0));
    EXPECT_TRUE(PassesAt(17, 0, 0));
    EXPECT_FALSE(PassesAt(17, 0, 1));
    EXPECT_FALSE(PassesAt(7, 59, 59));
    EXPECT_EQ(Machine.messages.back().caption, "title time");
    EXPECT_EQ(Machine.messages.back().text, "msg time");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_TIMERESTRICTION,");
}

TEST_F(TimeFilterTest, WindowAcrossMidnight) {
    Window("22:00:00", "06:00:00");
    EXPECT_TRUE(PassesAt(23, 30, 0));
    EXPECT_TRUE(PassesAt(5, 0, 0));
    EXPECT_TRUE(PassesAt(22, 0, 0));
    EXPECT_TRUE(PassesAt(6, 0, 0));
    EXPECT_TRUE(PassesAt(0, 0, 0));
    EXPECT_FALSE(PassesAt(12, 0, 0));
    EXPECT_FALSE(PassesAt(6, 0, 1));
    EXPECT_FALSE(PassesAt(21, 59, 59));
}

TEST_F(TimeFilterTest, EqualEndsAdmitOnlyThatSecond) {
    Window("12:30:15", "12:30:15");
    EXPECT_TRUE(PassesAt(12, 30, 15));
    EXPECT_FALSE(PassesAt(12, 30, 14));
    EXPECT_FALSE(PassesAt(12, 30, 16));
}

TEST_F(TimeFilterTest, SundayConsultsOnlyWeekSeven) {
    Window("00:00:00", "23:59:59");
    FilterConfig.WEEK_W7 = 0;
    EXPECT_FALSE(PassesAt(12, 0, 0, 0));
    EXPECT_TRUE(PassesAt(12, 0, 0, 6)); // Saturday uses WEEK_W6
    FilterConfig.WEEK_W7 = 1;
    FilterConfig.WEEK_W1 = 0;
    EXPECT_TRUE(PassesAt(12, 0, 0, 0));
    EXPECT_FALSE(PassesAt(12, 0, 0, 1)); // Monday is WEEK_W1
}

TEST_F(TimeFilterTest, DayChosenByCalendarDayAlsoAcrossMidnight) {
    Window("22:00:00", "06:00:00");
    FilterConfig.WEEK_W2 = 0; // Tuesday closed
    EXPECT_TRUE(PassesAt(23, 0, 0, 1));
    EXPECT_FALSE(PassesAt(1, 0, 0, 2)); // the Monday night window ends on a closed day
}

TEST_F(TimeFilterTest, TimeBetweenOffOpensTheWholeAllowedDay) {
    Window("08:00:00", "09:00:00");
    FilterConfig.TIME_BETWEEN = 2; // "not 0" is the test
    EXPECT_FALSE(PassesAt(23, 0, 0));
    FilterConfig.TIME_BETWEEN = 0;
    EXPECT_TRUE(PassesAt(23, 0, 0));
    FilterConfig.WEEK_W1 = 0;
    EXPECT_FALSE(PassesAt(23, 0, 0));
    FilterConfig.FLAG_TIME = 2; // "equals 1" is the test
    EXPECT_TRUE(PassesAt(23, 0, 0));
}

TEST(ParseTimeOfDay, ReadsHoursMinutesSeconds) {
    EXPECT_EQ(ParseTimeOfDay("00:00:00"), 0u);
    EXPECT_EQ(ParseTimeOfDay("23:59:59"), 86399u);
    EXPECT_EQ(ParseTimeOfDay("08:00"), 28800u); // missing parts read as 0
    EXPECT_EQ(ParseTimeOfDay(""), 0u);
}

// --- sessions per IP address -------------------------------------------------------------

class SessionsPerIpTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        FilterConfig.FLAG_SERVEROPTION = 1;
        Own("10.0.0.5");
    }
    int Run() {
        return ExitCodeOf([] { EXPECT_EQ(ValidateSessionCount_IP(), 1); });
    }
};

TEST_F(SessionsPerIpTest, FirstSessionPassesSecondIsRejected) {
    AddSessionIpRow("10.0.0.5", 1);
    EXPECT_EQ(Run(), NO_EXIT); // counts itself: 1
    AddSession(4, "10.0.0.5");
    AddSessionIpRow("10.0.0.5", 1); // the rejection will not have happened yet
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(OnlyMessage(), "title per ip|msg per ip");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_SESSIONPERIP,");
}

TEST_F(SessionsPerIpTest, DefaultLimitOnlyWithCheckType) {
    AddSession(4, "10.0.0.5");
    AddSession(5, "10.0.0.5");
    FilterConfig.SESSION_PER_IP = 2;
    EXPECT_EQ(Run(), NO_EXIT);                     // no row, check type 0: no limit
    FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE = 2; // "equals 1" is the test
    EXPECT_EQ(Run(), NO_EXIT);
    FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE = 1;
    EXPECT_EQ(Run(), -1);
    FilterConfig.SESSION_PER_IP = 3;
    EXPECT_EQ(Run(), NO_EXIT);
}

TEST_F(SessionsPerIpTest, RowMatchesExactAddressOnlyAndFirstRowWins) {
    AddSession(4, "10.0.0.5");
    AddSessionIpRow("10.0.0.50", 1);
    AddSessionIpRow("10.0.0.5", 2);
    AddSessionIpRow("10.0.0.5", 1);
    EXPECT_EQ(Run(), NO_EXIT);
}

TEST_F(SessionsPerIpTest, ZeroDefaultBehavesAsOne) {
    FilterConfig.FLAG_SERVEROPTION_CHECK_TYPE = 1;
    FilterConfig.SESSION_PER_IP = 0;
    EXPECT_EQ(Run(), NO_EXIT);
    AddSession(4, "10.0.0.5");
    EXPECT_EQ(Run(), -1);
}

TEST_F(SessionsPerIpTest, IgnoreDisconnectedLeavesThemOutOfTheCount) {
    AddSessionIpRow("10.0.0.5", 1);
    AddSession(4, "10.0.0.5", "", "", TS_STATE_DISCONNECTED);
    FilterConfig.IGNORE_DISCONNECTED = 1;
    EXPECT_EQ(Run(), NO_EXIT);
}

TEST_F(SessionsPerIpTest, OverLimitMakesRoomByLoggingOffFirstDisconnected) {
    AddSessionIpRow("10.0.0.5", 1);
    AddSession(4, "10.0.0.5");
    AddSession(8, "192.168.9.9", "", "bob", 1);
    AddSession(9, "192.168.9.9", "", "carol", TS_STATE_DISCONNECTED);
    AddSession(10, "192.168.9.9", "", "dave", TS_STATE_DISCONNECTED);
    FilterConfig.REMOVE_DISCONNECTED = 2; // "not 0" is the test
    EXPECT_EQ(Run(), NO_EXIT);
    EXPECT_EQ(Machine.loggedOff, std::vector<uint32_t>{9});
}

TEST_F(SessionsPerIpTest, FailedRoomMakingRejects) {
    AddSessionIpRow("10.0.0.5", 1);
    AddSession(4, "10.0.0.5");
    FilterConfig.REMOVE_DISCONNECTED = 1; // but nobody is disconnected
    EXPECT_EQ(Run(), -1);
    AddSessionIpRow("10.0.0.5", 1);
    AddSession(9, "1.1.1.1", "", "", TS_STATE_DISCONNECTED);
    Machine.logoffSucceeds = false;
    EXPECT_EQ(Run(), -1);
}

TEST_F(SessionsPerIpTest, FactFailuresUseErrorTexts) {
    Machine.enumerateFails = true;
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(OnlyMessage(),
              "Error!|In ValidateSessionCount_IP(), GetCountOfSessionWithTheSameIP() failed!");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETSESSIONCOUNT_IP,");
    Machine.messages.clear();
    Machine.sessions[0].failingQueries.insert(TS_CLIENT_ADDRESS);
    EXPECT_EQ(Run(), -1);
    EXPECT_EQ(OnlyMessage(), "Error!|In ValidateSessionCount_IP(), GetClientIPAddress() failed!");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETIPADDRESS,");
}

// --- sessions per user -------------------------------------------------------------------

class SessionsPerUserTest : public EngineTest {
protected:
    void SetUp() override {
        EngineTest::SetUp();
        FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
        Own("10.0.0.5", "PC-5", "alice");
    }
    int Result() {
        int result = -1;
        int exit = ExitCodeOf([&result] { result = ValidateSessionCount_User(); });
        return exit == NO_EXIT ? result : 100 + exit;
    }
};

TEST_F(SessionsPerUserTest, OverLimitLogsOffOwnSessionAndReturnsZero) {
    AddSessionUserRow("ALICE", 1);
    EXPECT_EQ(Result(), 1);
    AddSession(4, "10.9.9.9", "", "Alice");
    EXPECT_EQ(Result(), 0);
    EXPECT_EQ(Machine.loggedOff, std::vector<uint32_t>{TS_CURRENT_SESSION});
    EXPECT_EQ(OnlyMessage(), "title per user|msg per user");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_SESSIONPERUSER,");
    EXPECT_EQ(SessionRejected, 1);
    EXPECT_TRUE(Machine.exits.empty());
}

TEST_F(SessionsPerUserTest, CaseFoldsAsciiOnly) {
    Machine.sessions.clear();
    Own("10.0.0.5", "PC", "J\xC9R\xD4ME");
    AddSession(4, "10.9.9.9", "", "j\xE9r\xF4me"); // differs in accented letters only
    FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
    FilterConfig.SESSIONPERUSER_COUNT = 1;
    EXPECT_EQ(Result(), 1);
    AddSession(5, "10.9.9.8", "", "j\xC9r\xD4me");
    EXPECT_EQ(Result(), 0);
}

TEST_F(SessionsPerUserTest, UnlistedUserUnlimitedUnlessDefaultOn) {
    AddSession(4, "10.9.9.9", "", "alice");
    AddSession(5, "10.9.9.9", "", "");
    AddSessionUserRow("bob", 1);
    FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 2; // "equals 1" is the test
    EXPECT_EQ(Result(), 1);
    FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
    FilterConfig.SESSIONPERUSER_COUNT = 2;
    EXPECT_EQ(Result(), 1); // the user-less session never counts
    FilterConfig.SESSIONPERUSER_COUNT = 1;
    EXPECT_EQ(Result(), 0);
}

TEST_F(SessionsPerUserTest, DisconnectedSessionsIgnoredOrRemoved) {
    AddSessionUserRow("alice", 1);
    AddSession(4, "10.9.9.9", "", "alice", TS_STATE_DISCONNECTED);
    FilterConfig.FLAG_USER_IGNORE_DISCONNECTED = 1;
    EXPECT_EQ(Result(), 1);
    FilterConfig.FLAG_USER_IGNORE_DISCONNECTED = 0;
    FilterConfig.FLAG_USER_REMOVE_DISCONNECTED = 2; // "not 0" is the test
    EXPECT_EQ(Result(), 1);
    EXPECT_EQ(Machine.loggedOff, std::vector<uint32_t>{4});
}

TEST_F(SessionsPerUserTest, BuiltInAdministratorExemptEvenWhenRenamed) {
    Machine.sessions.clear();
    Own("10.0.0.5", "PC", "root");
    AddSession(4, "10.9.9.9", "", "ROOT");
    FilterConfig.FLAG_SESSION_PER_USER_DEFAULT = 1;
    FilterConfig.SESSIONPERUSER_COUNT = 1;
    Machine.administratorName = U"Root";
    EXPECT_EQ(Result(), 0);                          // exemption off
    FilterConfig.FLAG_USER_IGNORE_ADMINISTRATOR = 2; // "equals 1" is the test
    EXPECT_EQ(Result(), 0);
    FilterConfig.FLAG_USER_IGNORE_ADMINISTRATOR = 1;
    EXPECT_EQ(Result(), 1);
    Machine.administratorName = U"Administrator"; // someone else is RID 500
    EXPECT_EQ(Result(), 0);
    Machine.administratorName = U"Root";
    Machine.administratorLookupFails = true;
    EXPECT_EQ(Result(), 0);
}

TEST_F(SessionsPerUserTest, FactFailuresEndTheProcess) {
    Machine.enumerateFails = true;
    EXPECT_EQ(Result(), 100 - 1);
    EXPECT_EQ(OnlyMessage(),
              "Error!|In ValidateSessionCount_User(), GetCountOfSessionWithTheSameUser() failed!");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETSESSIONCOUNT_USER,");
    Machine.messages.clear();
    Machine.sessions[0].failingQueries.insert(TS_USER_NAME);
    EXPECT_EQ(Result(), 100 - 1);
    EXPECT_EQ(OnlyMessage(), "Error!|In ValidateSessionCount_User(), GetClientUserName() failed!");
    EXPECT_EQ(LoggedDecision(), "Rejected,REJECT_FAIL_GETUSERNAME,");
}

} // namespace
