// diff matches rows by content: an inserted or removed row is one line, a changed row
// names the columns that changed; scalars are compared key by key.
#include "tests/gwconfig/gwconfig_test_support.h"

#include "config/config_model.h"
#include "compare/config_diff.h"
#include "gwconfig/config_io.h"

namespace {

std::string Rows(const std::vector<std::string>& addresses, int changedType = -1) {
    std::string json = "{\"FLAG_IPADDRESS\": 1, \"R_IPADDRESS\": [";
    for (size_t k = 0; k < addresses.size(); ++k) {
        int type = static_cast<int>(k) == changedType ? 0 : 1;
        json += (k ? ",\n" : "\n") + std::string("{\"IPFROM\": \"") + addresses[k] +
                "\", \"IPTO\": \"\", \"TYPE\": " + std::to_string(type) + "}";
    }
    return json + "]}";
}

// The differences of two JSON configurations, one per line.
std::vector<std::string> Differences(const std::string& a, const std::string& b) {
    LoadJson(a);
    HeldConfig first = HeldConfig::TakeFilterConfig();
    LoadJson(b);
    std::string out;
    size_t count = DiffConfigs(first.record(), FilterConfig, 1252, &out);
    ResetFilterConfig();
    std::vector<std::string> lines;
    for (size_t start = 0; start < out.size();) {
        size_t end = out.find('\n', start);
        lines.push_back(out.substr(start, end - start));
        start = end + 1;
    }
    EXPECT_EQ(lines.size(), count);
    return lines;
}

const std::vector<std::string> BASE = {"10.0.0.1", "10.0.0.2", "10.0.0.3", "10.0.0.4"};

} // namespace

TEST(ConfigDiff, InsertedRowIsOneAddedRow) {
    std::vector<std::string> b = BASE;
    b.insert(b.begin() + 1, "10.0.0.9");
    EXPECT_EQ(Differences(Rows(BASE), Rows(b)),
              std::vector<std::string>{
                  "+ R_IPADDRESS row 2: {\"IPFROM\": \"10.0.0.9\", \"IPTO\": \"\", \"TYPE\": 1}"});
}

TEST(ConfigDiff, RemovedRowIsOneRemovedRow) {
    std::vector<std::string> b = BASE;
    b.erase(b.begin() + 2);
    EXPECT_EQ(Differences(Rows(BASE), Rows(b)),
              std::vector<std::string>{
                  "- R_IPADDRESS row 3: {\"IPFROM\": \"10.0.0.3\", \"IPTO\": \"\", \"TYPE\": 1}"});
}

TEST(ConfigDiff, ChangedRowNamesTheChangedColumn) {
    std::vector<std::string> b = BASE;
    b.insert(b.begin(), "10.0.0.8");
    // Row 2 of a is row 3 of b, and its mode changed.
    std::vector<std::string> lines = Differences(Rows(BASE), Rows(b, 2));
    EXPECT_EQ(lines,
              (std::vector<std::string>{
                  "+ R_IPADDRESS row 1: {\"IPFROM\": \"10.0.0.8\", \"IPTO\": \"\", \"TYPE\": 1}",
                  "~ R_IPADDRESS row 2 -> 3: TYPE 1 -> 0"}));
}

TEST(ConfigDiff, ScalarsKeyByKey) {
    EXPECT_EQ(Differences("{\"FLAG_TIME\": 0, \"TIME_FROM\": \"08:00:00\"}",
                          "{\"FLAG_TIME\": 1, \"TIME_FROM\": \"08:00:00\"}"),
              std::vector<std::string>{"~ FLAG_TIME: 0 -> 1"});
    EXPECT_TRUE(Differences(Rows(BASE), Rows(BASE)).empty());
}

// A text is read up to its terminator: what an editor left after it is no difference,
// in the rows equal at a table's ends or in the rows between them.
TEST(ConfigDiff, BytesAfterATextsTerminatorAreNoDifference) {
    LoadJson(Rows(BASE));
    HeldConfig first = HeldConfig::TakeFilterConfig();
    LoadJson(Rows(BASE, 1));
    for (size_t k : {0, 3}) {
        IpRangeRow* row = FilterConfig.ipRanges[k];
        memset(row->IPFROM + 9, 'x', sizeof(row->IPFROM) - 9);
        memset(row->IPTO + 1, 'y', sizeof(row->IPTO) - 1);
    }
    std::string out;
    EXPECT_EQ(DiffConfigs(first.record(), FilterConfig, 1252, &out), 1u);
    EXPECT_EQ(out, "~ R_IPADDRESS row 2: TYPE 1 -> 0\n");
    ResetFilterConfig();
}

TEST(ConfigDiff, ReorderedRowsBeyondTheEditLimitAreStillADifference) {
    std::vector<std::string> many, reversed;
    for (int k = 0; k < 1500; ++k)
        many.push_back("10.0." + std::to_string(k / 256) + "." + std::to_string(k % 256));
    reversed.assign(many.rbegin(), many.rend());
    EXPECT_EQ(Differences(Rows(many), Rows(reversed)),
              std::vector<std::string>{"~ R_IPADDRESS: the same rows in another order"});
}

TEST(ConfigDiff, ExitCodeSaysWhetherTheyDiffer) {
    ScratchDir dir;
    WriteFile(dir.Path("a.json"), Rows(BASE));
    WriteFile(dir.Path("b.json"), Rows({"10.0.0.1"}));
    EXPECT_EQ(Gwconfig({"diff", dir.Path("a.json"), dir.Path("a.json")}).exitCode, 0);
    CommandResult differ = Gwconfig({"diff", dir.Path("a.json"), dir.Path("b.json")});
    EXPECT_EQ(differ.exitCode, 1);
    EXPECT_EQ(differ.out.substr(0, 4), "--- ");
}
