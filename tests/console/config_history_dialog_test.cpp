// File > Configuration History: the item after the file commands, the generations each
// Apply kept, Compare in the pages' words, another server's history read without
// holding the window (under Wine the own computer name reaches this registry), and
// Restore loading a generation as a file load does.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "config/config_model.h"
#include "console/res/resource.h"
#include "console/shell/config_history_dialog.h"
#include "console_test_support.h"
#include "tests/support/scenario_file.h"

namespace {

std::string OwnName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return name;
}

std::string Cell(HWND list, int row, int column) {
    char text[512] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
    return text;
}

// Each row as "number program summary".
std::vector<std::string> Rows(HWND list) {
    std::vector<std::string> rows;
    for (int row = 0; row < ListView_GetItemCount(list); ++row)
        rows.push_back(Cell(list, row, 0) + " " + Cell(list, row, 3) + " " + Cell(list, row, 4));
    return rows;
}

std::string Text(HWND control) {
    char text[2048] = {};
    GetWindowTextA(control, text, sizeof text);
    return text;
}

} // namespace

TEST(ConfigHistoryDialog, ListsComparesReadsAnotherServerAndRestoresWithRealInput) {
    DeleteConfigKey();
    // The stand-in takes its scenario's path at the first session query (the lockout
    // guard's, at Apply): the same path as every other case's.
    ScenarioFile scenario;
    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
    ASSERT_TRUE(console.Start()); // stores the defaults
    HMENU file = console.Frame().MenuBarControl().EntryPopup(0);
    const std::vector<UINT> items = {ID_APPLY_CONFIG, 0, ID_SAVE_CONFIG, ID_LOAD_CONFIG,
                                     ID_FILE_HISTORY, 0, ID_APP_EXIT};
    ASSERT_EQ(GetMenuItemCount(file), static_cast<int>(items.size()));
    for (size_t k = 0; k < items.size(); ++k)
        EXPECT_EQ(GetMenuItemID(file, static_cast<int>(k)), items[k]) << k;

    MonitorServerRow* server = new MonitorServerRow();
    CopyToField(server->SERVER, OwnName().c_str());
    FilterConfig.monitorServers.push_back(server);
    FilterConfig.FLAG_TIME = 1;
    ASSERT_EQ(ApplyFromFileMenuAndReload(console, boxes), "");
    FilterConfig.FLAG_TIME = 0;
    ASSERT_EQ(ApplyFromFileMenuAndReload(console, boxes), "");

    std::vector<std::string> local, remote;
    std::string compared, reading;
    bool answered = true;
    dialogs.onDialog = [&](ModalDialog& dialog, HWND window, UINT) {
        auto& history = static_cast<ConfigHistoryDialog&>(dialog);
        HWND list = GetDlgItem(window, IDC_HISTORY_LIST);
        HWND detail = GetDlgItem(window, IDC_HISTORY_DETAIL);
        local = Rows(list);
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(window, IDC_HISTORY_COMPARE)));
        SetFocus(list);
        PressKey(VK_DOWN); // generation 1
        Click(GetDlgItem(window, IDC_HISTORY_COMPARE));
        compared = Text(detail);

        HWND servers = GetDlgItem(window, IDC_HISTORY_SERVER);
        SendMessageA(servers, CB_SETCURSEL, 1, 0);
        SendMessageA(window, WM_COMMAND, MAKEWPARAM(IDC_HISTORY_SERVER, CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(servers));
        reading = Text(detail);
        PumpMessagesWhile([&] { return history.Reading(); }, 30000,
                          [&] {
                              DWORD_PTR answer = 0;
                              answered =
                                  answered && SendMessageTimeoutA(window, WM_NULL, 0, 0,
                                                                  SMTO_ABORTIFHUNG, 1000, &answer);
                          });
        remote = Rows(list);
        SetFocus(list);
        PressKey(VK_DOWN);
        Click(GetDlgItem(window, IDC_HISTORY_RESTORE));
    };
    console.Command(ID_FILE_HISTORY);
    ASSERT_EQ(dialogs.opened, std::vector<UINT>{IDD_CONFIG_HISTORY});

    ASSERT_EQ(local.size(), 2u);
    EXPECT_EQ(local[0], "1 quillon.exe Time Restrictions filter: switched off");
    EXPECT_EQ(local[1].substr(0, 14), "2 quillon.exe ") << local[1];
    EXPECT_EQ(compared, "From generation 1 to the configuration being edited:\r\n"
                        "    Time Restrictions filter: switched off");
    EXPECT_EQ(reading, "Reading the history of \\\\" + OwnName() + "...");
    EXPECT_TRUE(answered);
    EXPECT_EQ(remote, local);

    // Restored as a file load: in FilterConfig, the IP page shown, not yet applied.
    EXPECT_EQ(FilterConfig.FLAG_TIME, 1);
    EXPECT_EQ(console.Frame().CurrentPage()->Kind(), PageKind::IpAddress);
    EXPECT_EQ(FilterConfig.modified, 0);
    // Its Apply keeps the one it replaces.
    ASSERT_EQ(ApplyFromFileMenuAndReload(console, boxes), "");
    EXPECT_EQ(FilterConfig.FLAG_TIME, 1);
    dialogs.onDialog = [&](ModalDialog&, HWND window, UINT) {
        local = Rows(GetDlgItem(window, IDC_HISTORY_LIST));
        Click(GetDlgItem(window, IDCANCEL));
    };
    console.Command(ID_FILE_HISTORY);
    ASSERT_EQ(local.size(), 3u);
    EXPECT_EQ(local[0], "1 quillon.exe Time Restrictions filter: switched on");
    EXPECT_TRUE(boxes.boxes.size() == 3u) << boxes.boxes.back().text;
    DeleteConfigKey();
}
