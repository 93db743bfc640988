// show --format json, then build, gives back the same configuration file, byte for
// byte: for the defaults and for a configuration with rows in every table and texts
// with letters beyond ASCII, quotes and line breaks.
#include "tests/gwconfig/gwconfig_test_support.h"

#include "config/config_model.h"
#include "gwconfig/config_io.h"

namespace {

template <typename Row> Row* Append(std::vector<Row*>& rows) {
    rows.push_back(new Row());
    return rows.back();
}

// Code page 1252 texts: e-acute is E9, the euro sign 80.
void FillRichConfig() {
    FilterConfigRecord& c = FilterConfig;
    c.FLAG_IPADDRESS = 1;
    c.FLAG_TIME = 1;
    c.WEEK_W7 = 0;
    c.SESSION_PER_IP = 3;
    CopyToField(c.MSG_IPADDRESS, "Caf\xE9 \"closed\"\r\nPlease call \x80 12.");
    CopyToField(c.TITLE_TIME, "Tab\there, back\\slash");
    CopyToField(c.VERBETWEEN, "(2031:2128)");
    CopyToField(c.LOGON_LOGFILE, "C:\\Logs\\Terminallogon.Log");
    IpRangeRow* ip = Append(c.ipRanges);
    CopyToField(ip->IPFROM, "10.0.0.0");
    CopyToField(ip->IPTO, "10.0.0.255");
    ip->TYPE = 1;
    ip = Append(c.ipRanges);
    CopyToField(ip->IPFROM, "192.168.1.5");
    ComputerNameRow* name = Append(c.computerNames);
    CopyToField(name->CNAME, "B\xDCRO-*");
    name->TYPE = 1;
    MacAddressRow* mac = Append(c.macAddresses);
    CopyToField(mac->MACADDRESS, "00-1a-2B-3c-4D-5e");
    CopyToField(Append(c.monitorServers)->SERVER, "TS-\"Nord\"");
    SessionIpRow* sip = Append(c.sessionIps);
    CopyToField(sip->SESSION_IP, "10.0.0.7");
    sip->SESSION_IPCOUNTER = 9;
    SessionUserRow* user = Append(c.sessionUsers);
    CopyToField(user->SESSION_USER, "DOM\\j\xF6rg");
    user->SESSION_USERCOUNT = 0;
}

// Writes FilterConfig as a configuration file, shows it as JSON, builds the JSON
// back into a file, and expects the two files to be equal. Gives what build said.
std::string ExpectRoundTrip(const std::string& expectedInJson) {
    ScratchDir dir;
    std::string original;
    EXPECT_TRUE(EncodeConfigFile(&original));
    WriteFile(dir.Path("a.WTS"), original);

    CommandResult shown = Gwconfig({"show", dir.Path("a.WTS"), "--codepage", "1252"});
    EXPECT_EQ(shown.exitCode, 0) << shown.err;
    EXPECT_NE(shown.out.find(expectedInJson), std::string::npos) << shown.out;
    WriteFile(dir.Path("a.json"), shown.out);

    CommandResult built =
        Gwconfig({"build", dir.Path("a.json"), "-o", dir.Path("b.WTS"), "--codepage", "1252"});
    EXPECT_EQ(built.exitCode, 0) << built.err;
    EXPECT_EQ(ReadFile(dir.Path("b.WTS")), original);
    return built.err;
}

} // namespace

TEST(RoundTrip, DefaultConfiguration) {
    std::vector<std::string> errors;
    ASSERT_TRUE(LoadConfigJson("{}", "defaults", 1252, &errors));
    ExpectRoundTrip("\"TIME_FROM\": \"00:00:00\"");
    ResetFilterConfig();
}

TEST(RoundTrip, RowsInEveryTableAndTextsBeyondAscii) {
    ResetFilterConfig();
    FillRichConfig();
    // The JSON holds UTF-8: e-acute C3 A9, the euro sign E2 82 AC; quotes and the line
    // break escaped.
    ExpectRoundTrip("\"MSG_IPADDRESS\": \"Caf\xC3\xA9 \\\"closed\\\"\\r\\nPlease call "
                    "\xE2\x82\xAC 12.\"");
    ResetFilterConfig();
}

// Values other writers leave behind, which the console would not write, come back as
// they were; build names each with what the library will make of it.
TEST(RoundTrip, SurprisingValuesComeBackWithWarnings) {
    ResetFilterConfig();
    FillRichConfig();
    FilterConfigRecord& c = FilterConfig;
    c.FLAG_IPADDRESS = 2;
    c.WEEK_W3 = -1;
    c.SESSION_PER_IP = 12;
    c.SESSIONPERUSER_COUNT = -5;
    CopyToField(c.VERALLOW, "2600,26x0");
    CopyToField(c.VERBETWEEN, "3790:2600");
    CopyToField(c.TITLE_IPADDRESS, "\x81\x8D\x8F\x90\x9D"); // undefined in code page 1252
    CopyToField(c.ipRanges[0]->IPTO, "9.0.0.1");
    c.ipRanges[0]->TYPE = 2;
    c.computerNames[0]->TYPE = -1;
    c.sessionIps[0]->SESSION_IPCOUNTER = 0;
    c.sessionUsers[0]->SESSION_USERCOUNT = -1;
    const std::string said = ExpectRoundTrip("\"FLAG_IPADDRESS\": 2,");
    const char* expected[] = {
        "FLAG_IPADDRESS: 2 is neither 0 nor 1: the library takes it as off (it acts only on 1)",
        "WEEK_W3: -1 is neither 0 nor 1: the library takes it as on (any value but 0)",
        "SESSION_PER_IP: 12 is outside 1 to 9, the range the console offers: the library allows "
        "12 sessions",
        "SESSIONPERUSER_COUNT: -5 is negative: the library reads it as 4294967291 sessions, which "
        "is no limit",
        "VERALLOW: \"2600,26x0\" is not a list of build numbers joined by commas",
        "VERBETWEEN: \"3790:2600\" is not written \"(lower:upper)\": the library reads it as the "
        "builds 2600 to 3790",
        "R_IPADDRESS row 1, TYPE: 2 is neither 0 nor 1: the library refuses a client this row "
        "matches",
        "R_IPADDRESS row 1: the range ends (IPTO) below where it starts (IPFROM): the library "
        "matches no address with it",
        "R_COMPUTERNAME row 1, TYPE: -1 is neither 0 nor 1: the library ignores the row",
        "R_SESSION_IP row 1, SESSION_IPCOUNTER: 0 is outside 1 to 9: the library refuses every "
        "new session from this address",
        "R_SESSION_USER row 1, SESSION_USERCOUNT: -1 is negative",
    };
    for (const char* warning : expected)
        EXPECT_NE(said.find(warning), std::string::npos) << warning << "\nin:\n" << said;
    size_t lines = 0;
    for (size_t at = said.find("gwconfig: warning: "); at != std::string::npos;
         at = said.find("gwconfig: warning: ", at + 1))
        ++lines;
    EXPECT_EQ(lines, sizeof expected / sizeof expected[0]) << said;
    ResetFilterConfig();
}
