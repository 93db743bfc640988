// Tools > Compare Servers and Apply to Servers: the two items after the others, and a
// row per server monitor server, filled as each answer arrives. Under Wine the own
// computer name reaches this registry and any other name is an unreachable server.
// The settings beside the configuration are compared and applied with it.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "config/audit_only_setting.h"
#include "config/config_history.h"
#include "config/config_model.h"
#include "config/event_log_setting.h"
#include "config/persistence.h"
#include "console/res/resource.h"
#include "console/tools/server_farm_dialog.h"
#include "console_test_support.h"
#include "tests/support/config_registry.h"

namespace {

std::string OwnName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return name;
}

std::string RowResult(HWND list, int row) {
    char text[512] = {};
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// Presses the dialog's start button, waits (30 s at most) for every answer while the
// dialog's messages run, and returns the result column; then closes the dialog.
std::vector<std::string> RunAndRead(ModalDialog& dialog, HWND window, bool* windowAnswered) {
    auto& farm = static_cast<ServerFarmDialog&>(dialog);
    Click(GetDlgItem(window, IDOK));
    *windowAnswered = true;
    // The window answers while the servers are asked.
    PumpMessagesWhile([&] { return farm.Running(); }, 30000,
                      [&] {
                          DWORD_PTR answer = 0;
                          *windowAnswered = *windowAnswered &&
                                            SendMessageTimeoutA(window, WM_NULL, 0, 0,
                                                                SMTO_ABORTIFHUNG, 1000, &answer);
                      });
    HWND list = GetDlgItem(window, IDC_FARM_LIST);
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        rows.push_back(RowResult(list, row));
    Click(GetDlgItem(window, IDCANCEL));
    return rows;
}

void MonitorServers(const std::vector<std::string>& names) {
    for (const std::string& name : names) {
        MonitorServerRow* row = new MonitorServerRow();
        CopyToField(row->SERVER, name.c_str());
        FilterConfig.monitorServers.push_back(row);
    }
}

// A REG_DWORD beside the configuration; -1 when it is absent.
int64_t StoredDword(const char* name) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!ReadConfigValue(name, &type, &data) || type != REG_DWORD || data.size() != 4)
        return -1;
    return data[0] | data[1] << 8 | data[2] << 16 | int64_t(data[3]) << 24;
}

// The summary the newest generation of this server's history keeps.
std::string NewestKeptSummary() {
    uint32_t error = 0;
    std::unique_ptr<ConfigKeyPort> key = OpenLocalConfigKeyPort(&error);
    ConfigHistory history;
    if (!key || ReadConfigHistory(*key, &history) != 0 || history.generations.empty())
        return "";
    return history.generations[0].facts.summary;
}

} // namespace

TEST(ServerFarmDialog, ComparesAndAppliesRowByRow) {
    DeleteConfigKey();
    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    MenuBar& bar = console.Frame().MenuBarControl();
    EXPECT_EQ(UINT(ID_TOOLS_COMPARE_SERVERS), GetMenuItemID(bar.EntryPopup(2), 2));
    EXPECT_EQ(UINT(ID_TOOLS_APPLY_TO_SERVERS), GetMenuItemID(bar.EntryPopup(2), 3));

    MonitorServers({OwnName(), "NO-SUCH-SERVER"});
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    std::vector<std::string> rows;
    bool answered = false;
    dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
        rows = RunAndRead(dialog, window, &answered);
    };
    console.Command(ID_TOOLS_COMPARE_SERVERS);
    ASSERT_EQ(std::vector<UINT>{IDD_SERVER_FARM}, dialogs.opened);
    EXPECT_TRUE(answered);
    EXPECT_EQ(rows, (std::vector<std::string>{"same", "unreachable (error 53)"}));

    // The edited configuration now differs from the stored one; applying writes it.
    FilterConfig.FLAG_TIME = !FilterConfig.FLAG_TIME;
    console.Command(ID_TOOLS_COMPARE_SERVERS);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].substr(0, 9), "differs: ") << rows[0];
    console.Command(ID_TOOLS_APPLY_TO_SERVERS);
    EXPECT_EQ(rows, (std::vector<std::string>{"applied", "apply failed: unreachable (error 53)"}));
    // The server keeps what the apply replaced in its history.
    HKEY kept = nullptr;
    EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Marrowby\\Gatewell\\History\\00000001",
                            0, KEY_READ, &kept),
              ERROR_SUCCESS);
    RegCloseKey(kept);
    console.Command(ID_TOOLS_COMPARE_SERVERS);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0], "same");
    EXPECT_TRUE(boxes.boxes.empty());
    DeleteConfigKey();
}

TEST(ServerFarmDialog, ComparesAndAppliesTheSettingsBesideTheConfiguration) {
    DeleteConfigKey();
    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    MonitorServers({OwnName()});
    ASSERT_EQ(SaveConfigToRegistry(), 0); // nothing stored beside it
    std::vector<std::string> rows;
    bool answered = false;
    dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
        rows = RunAndRead(dialog, window, &answered);
    };

    // No AuditOnly stored and none set: the same, and Apply leaves it absent.
    EventLogSettingValue = EVENT_LOG_SETTING_NONE;
    console.Command(ID_TOOLS_COMPARE_SERVERS);
    EXPECT_EQ(rows, std::vector<std::string>{"differs: Event log: nothing -> refused sessions"});
    console.Command(ID_TOOLS_APPLY_TO_SERVERS);
    EXPECT_EQ(rows, std::vector<std::string>{"applied"});
    EXPECT_EQ(StoredDword("EventLog"), 0);
    EXPECT_EQ(StoredDword("AuditOnly"), -1);
    EXPECT_EQ(NewestKeptSummary(), "Event log: refused sessions -> nothing");

    // The IP Address page's "Audit only" box checked: written beside the configuration.
    ASSERT_TRUE(OpenPageFromBar(console, 0, 0, PageKind::IpAddress));
    Click(console.PageItem(IDC_AUDIT_ONLY));
    console.Command(ID_TOOLS_COMPARE_SERVERS);
    EXPECT_EQ(rows, std::vector<std::string>{"differs: Audit only: IP Address filter enforces"});
    console.Command(ID_TOOLS_APPLY_TO_SERVERS);
    EXPECT_EQ(rows, std::vector<std::string>{"applied"});
    EXPECT_EQ(StoredDword("AuditOnly"), 1);
    EXPECT_EQ(NewestKeptSummary(), "Audit only: IP Address filter only audits");
    console.Command(ID_TOOLS_COMPARE_SERVERS);
    EXPECT_EQ(rows, std::vector<std::string>{"same"});
    EXPECT_TRUE(boxes.boxes.empty());
    DeleteConfigKey();
}
