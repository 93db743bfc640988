// The one-line summary of a change names each area in the console's words and counts
// what changed in it.
#include "tests/gwconfig/gwconfig_test_support.h"

#include "config/config_model.h"
#include "config/side_settings.h"
#include "explain/change_summary.h"
#include "gwconfig/config_io.h"

namespace {

std::string Summary(const std::string& before, const std::string& after) {
    LoadJson(before);
    HeldConfig first = HeldConfig::TakeFilterConfig();
    LoadJson(after);
    std::string summary = SummarizeConfigChange(first.record(), FilterConfig, 1252);
    ResetFilterConfig();
    return summary;
}

const char* const TWO_ROWS = R"({"R_IPADDRESS": [
    {"IPFROM": "10.0.0.1", "IPTO": "", "TYPE": 1},
    {"IPFROM": "10.0.0.2", "IPTO": "", "TYPE": 1}]})";

} // namespace

TEST(ChangeSummary, EqualConfigurationsAreNoChange) {
    EXPECT_EQ(Summary(TWO_ROWS, TWO_ROWS), "no change");
}

TEST(ChangeSummary, CountsSwitchRowsAndSettingsPerArea) {
    const char* after = R"({"FLAG_IPADDRESS": 1, "R_IPADDRESS": [
        {"IPFROM": "10.0.0.1", "IPTO": "", "TYPE": 0},
        {"IPFROM": "10.0.0.7", "IPTO": "", "TYPE": 1},
        {"IPFROM": "10.0.0.8", "IPTO": "", "TYPE": 1}],
        "TIME_FROM": "07:00:00", "TIME_TO": "19:00:00", "MSG_TIME": "Not now."})";
    EXPECT_EQ(Summary(TWO_ROWS, after),
              "IP Address filter: switched on, 2 entries added, 1 removed, 1 entry changed; "
              "Time Restrictions filter: 2 settings changed; Popup Messages: 1 text changed");
}

TEST(ChangeSummary, SwitchingOffIsNamedAndAMovedRowIsOneAddedOneRemoved) {
    const char* before = R"({"FLAG_SERVEROPTION_SESSIONPERUSER": 1, "R_IPADDRESS": [
        {"IPFROM": "10.0.0.1", "IPTO": "", "TYPE": 1},
        {"IPFROM": "10.0.0.2", "IPTO": "", "TYPE": 1}]})";
    const char* after = R"({"R_IPADDRESS": [
        {"IPFROM": "10.0.0.2", "IPTO": "", "TYPE": 1},
        {"IPFROM": "10.0.0.1", "IPTO": "", "TYPE": 1}]})";
    EXPECT_EQ(Summary(before, after),
              "IP Address filter: 1 entry added, 1 removed; Session per User filter: switched off");
}

TEST(ChangeSummary, SettingsBesideTheConfigurationAreWordedAsTheLibraryReadsThem) {
    std::string summary = "no change";
    AddSideSettingChange(SIDE_EVENT_LOG, 1, 7, &summary);     // 7 reads as 1
    AddSideSettingChange(SIDE_AUDIT_ONLY, 0x80, 0, &summary); // no filter's bit
    EXPECT_EQ(summary, "no change");
    AddSideSettingChange(SIDE_EVENT_LOG, 0, 2, &summary);
    EXPECT_EQ(summary, "Event log: nothing -> refused sessions and accepted logons");
    summary = "IP Address filter: switched on";
    AddSideSettingChange(SIDE_AUDIT_ONLY, 0x04, 0x11, &summary);
    EXPECT_EQ(summary, "IP Address filter: switched on; Audit only: IP Address filter only "
                       "audits, MAC address filter enforces, Time Restrictions filter only audits");
}
