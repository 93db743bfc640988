// The "Audit only" box of each filter page: it shows and sets its own filter's bit of
// AuditOnly (bits that name no filter kept), marks the configuration changed, shows its
// tip, and Apply stores the value beside the configuration (an absent one that no page
// set stays absent).
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "config/audit_only_setting.h"
#include "config/config_model.h"
#include "console/res/resource.h"
#include "console_test_support.h"
#include "tests/support/scenario_file.h"

namespace {

class AuditSwitch : public ::testing::Test {
protected:
    // Each case starts the console once it has stored what it starts from.
    void SetUp() override { DeleteConfigKey(); }
    ScenarioFile scenario; // names the stand-in's scenario before anything asks it
    BoxRecorder boxes;
    RunningConsole console;
};

std::vector<uint8_t> StoredAuditOnly() {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!ReadConfigValue("AuditOnly", &type, &data) || type != REG_DWORD)
        data.clear();
    return data;
}

TEST_F(AuditSwitch, EachFilterPageSetsItsOwnBitAndApplyStoresIt) {
    const struct {
        int group, item;
        PageKind kind;
        uint32_t bit;
    } pages[] = {
        {0, 0, PageKind::IpAddress, 0x1},       {0, 1, PageKind::ComputerName, 0x2},
        {0, 2, PageKind::MacAddress, 0x4},      {0, 3, PageKind::ClientVersion, 0x8},
        {0, 4, PageKind::Time, 0x10},           {1, 0, PageKind::SessionPerIp, 0x20},
        {1, 1, PageKind::SessionPerUser, 0x40},
    };
    ASSERT_TRUE(console.Start());
    AuditOnlySettingValue = 0x100; // names no filter: kept as it is
    uint32_t expected = 0x100;
    for (const auto& page : pages) {
        ASSERT_TRUE(OpenPageFromBar(console, page.group, page.item, page.kind));
        HWND box = console.PageItem(IDC_AUDIT_ONLY);
        ASSERT_NE(nullptr, box);
        EXPECT_EQ(BST_UNCHECKED, SendMessageA(box, BM_GETCHECK, 0, 0));
        FilterConfig.modified = 0;
        // The keyboard's way on the first page, a click on the others.
        if (page.bit == 0x1) {
            SetFocus(box);
            PressKey(VK_SPACE);
        } else {
            Click(box);
        }
        expected |= page.bit;
        EXPECT_EQ(expected, AuditOnlySettingValue) << static_cast<int>(page.kind);
        EXPECT_EQ(1, FilterConfig.modified);
    }
    EXPECT_EQ("", HelpTipMismatch(console.PageItem(IDC_AUDIT_ONLY), false, 5, 25, "Audit only",
                                  "If checked, this filter refuses no one: a client it would "
                                  "\nrefuse is let in, and the logon log (\"Audited\") and the "
                                  "\nevent log record that it would have been refused. \nClear "
                                  "it to enforce the filter once the evidence is read."));
    // Cleared again on the time page, shown checked where it is set.
    ASSERT_TRUE(OpenPageFromBar(console, 0, 4, PageKind::Time));
    EXPECT_EQ(BST_CHECKED, SendMessageA(console.PageItem(IDC_AUDIT_ONLY), BM_GETCHECK, 0, 0));
    Click(console.PageItem(IDC_AUDIT_ONLY));
    EXPECT_EQ(0x16Fu, AuditOnlySettingValue);
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ((std::vector<uint8_t>{0x6F, 0x01, 0, 0}), StoredAuditOnly());
}

TEST_F(AuditSwitch, ApplyLeavesAnAbsentValueAbsentUntilAPageSetsIt) {
    ASSERT_TRUE(console.Start());
    FilterConfig.FLAG_TIME = 1;
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_TRUE(StoredAuditOnly().empty());
}

TEST_F(AuditSwitch, TheFirstPageShowsTheStoredValue) {
    const DWORD stored = 0x1;
    ASSERT_TRUE(WriteConfigValue("AuditOnly", REG_DWORD, &stored, sizeof stored));
    ASSERT_TRUE(console.Start());
    EXPECT_EQ(BST_CHECKED, SendMessageA(console.PageItem(IDC_AUDIT_ONLY), BM_GETCHECK, 0, 0));
}

} // namespace
