// Every class of problem the JSON import finds, with the message that names the key
// (or table, row and column) and the line; and build writes nothing when there is one.
#include "tests/gwconfig/gwconfig_test_support.h"

#include "config/config_model.h"
#include "gwconfig/json_import.h"

namespace {

// The messages the import gives for a text, one per line, as build prints them.
std::vector<std::string> Problems(const std::string& json) {
    ResetFilterConfig();
    std::vector<ImportIssue> issues;
    EXPECT_FALSE(ImportJson(json, 1252, FilterConfig, &issues)) << json;
    std::vector<std::string> lines;
    for (const ImportIssue& issue : issues)
        lines.push_back(FormatImportIssue("c.json", issue));
    ResetFilterConfig();
    return lines;
}

} // namespace

TEST(JsonImport, EachProblemIsNamedWithItsLine) {
    const std::string longText(255, 'x'); // VERALLOW holds 254 characters
    struct Case {
        const char* what;
        std::string json;
        std::string message;
    } cases[] = {
        {"unknown key", "{\n\"FLAG_IPADRESS\": 1}",
         "c.json:2: FLAG_IPADRESS: is not a configuration key"},
        {"text for an integer", "{\"FLAG_TIME\": \"1\"}",
         "c.json:1: FLAG_TIME: expects an integer, not a text"},
        {"integer for a text", "{\"MSG_TIME\": 5}",
         "c.json:1: MSG_TIME: expects a text, not a number"},
        {"fraction", "{\"SESSION_PER_IP\": 2.5}",
         "SESSION_PER_IP: expects an integer, not a number with a fraction"},
        {"object for a scalar", "{\"TIME_TO\": {}}", "TIME_TO: expects a text, not an object"},
        {"table not an array", "{\"R_MAC\": {}}", "R_MAC: expects an array of rows, not an object"},
        {"row not an object", "{\"R_MAC\": [\n1]}",
         "c.json:2: R_MAC row 1: a row must be a JSON object of columns, not a number"},
        {"unknown column",
         "{\"R_MAC\": [{\"MAC\": \"x\", \"MACADDRESS\": \"00-1A-2B-3C-4D-5E\", \"TYPE\": 1}]}",
         "R_MAC row 1, MAC: is not a column of R_MAC"},
        {"missing column", "{\"R_MAC\": [\n{\"MACADDRESS\": \"00-1A-2B-3C-4D-5E\"}]}",
         "c.json:2: R_MAC row 1: has no TYPE"},
        {"key given twice", "{\"FLAG_TIME\": 1,\n\"FLAG_TIME\": 0}",
         "c.json:2: FLAG_TIME: is given twice"},
        {"text too long", "{\"VERALLOW\": \"" + longText + "\"}",
         "VERALLOW: the text is 255 bytes long in code page 1252; the field holds at most 254"},
        {"not in the code page", "{\"TITLE_TIME\": \"\xE4\xB8\xAD\"}",
         "TITLE_TIME: the character U+4E2D cannot be written in code page 1252"},
        {"NUL in a text", "{\"MSG_TIME\": \"a\\u0000b\"}",
         "MSG_TIME: a text cannot hold the character U+0000"},
        {"bad IPFROM",
         "{\"R_IPADDRESS\": [{\"IPFROM\": \"10.0.0.256\", \"IPTO\": \"\", \"TYPE\": 1}]}",
         "R_IPADDRESS row 1, IPFROM: \"10.0.0.256\" is not an IPv4 address"},
        {"bad IPTO",
         "{\"R_IPADDRESS\": [{\"IPFROM\": \"10.0.0.1\", \"IPTO\": \"10.0.0\", \"TYPE\": 1}]}",
         "R_IPADDRESS row 1, IPTO: \"10.0.0\" is not empty or an IPv4 address"},
        {"bad SESSION_IP",
         "{\"R_SESSION_IP\": [{\"SESSION_IP\": \"host\", \"SESSION_IPCOUNTER\": 1}]}",
         "R_SESSION_IP row 1, SESSION_IP: \"host\" is not an IPv4 address"},
        {"MAC with colons", "{\"R_MAC\": [{\"MACADDRESS\": \"00:1A:2B:3C:4D:5E\", \"TYPE\": 1}]}",
         "R_MAC row 1, MACADDRESS: \"00:1A:2B:3C:4D:5E\" is not a MAC address HH-HH-HH-HH-HH-HH"},
        {"integer beyond 32 bits", "{\"FLAG_IPADDRESS\": 2147483648}",
         "FLAG_IPADDRESS: 2147483648 is out of range: a stored integer lies between -2147483648 "
         "and 2147483647"},
        {"not an object", "[]", "c.json:1: the configuration must be a JSON object, not an array"},
        {"syntax error", "{\n  \"FLAG_TIME\": 1\n  \"FLAG_VERSION\": 0\n}",
         "c.json: parse error at line 3, column 16: syntax error while parsing object"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> problems = Problems(c.json);
        ASSERT_FALSE(problems.empty()) << c.what;
        EXPECT_NE(problems[0].find(c.message), std::string::npos)
            << c.what << ": got " << problems[0];
    }
}

TEST(JsonImport, ReportsEveryProblemNotJustTheFirst) {
    std::vector<std::string> problems = Problems(
        "{\"FLAG_TIME\": \"7\",\n \"R_SESSION_IP\": [{\"SESSION_IP\": \"1.2.3.4\", "
        "\"SESSION_IPCOUNTER\": 0.5},\n {\"SESSION_IP\": \"x\", \"SESSION_IPCOUNTER\": 1}]}");
    ASSERT_EQ(problems.size(), 3u);
    EXPECT_NE(problems[1].find("c.json:2: R_SESSION_IP row 1, SESSION_IPCOUNTER"),
              std::string::npos);
    EXPECT_NE(problems[2].find("c.json:3: R_SESSION_IP row 2, SESSION_IP"), std::string::npos);
}

TEST(JsonImport, BuildWritesNothingWhenAnyValueIsWrong) {
    ScratchDir dir;
    WriteFile(dir.Path("bad.json"), "{\"FLAG_TIME\": 1, \"WEEK_W1\": \"3\"}");
    WriteFile(dir.Path("kept.WTS"), "the file that was there");
    CommandResult result = Gwconfig({"build", dir.Path("bad.json"), "-o", dir.Path("kept.WTS")});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("bad.json:1: WEEK_W1: expects an integer, not a text"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(ReadFile(dir.Path("kept.WTS")), "the file that was there");
}
