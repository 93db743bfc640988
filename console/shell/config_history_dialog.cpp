#include "console/shell/config_history_dialog.h"

#include <commctrl.h>
#include <process.h>

#include <cctype>
#include <memory>

#include "config/event_log_setting.h"
#include "config/side_settings.h"
#include "console/res/resource.h"
#include "console/shell/config_apply.h"
#include "explain/change_summary.h"
#include "explain/remote_words.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/win32/text_win32.h"

namespace {

const UINT WM_HISTORY_READ = WM_APP + 50; // lParam: the read's ticket
const UINT_PTR READ_TIMER = 1;
const UINT READ_TIMEOUT_MS = 15000;

const char* const COLUMNS[] = {"#", "When (UTC)", "Who", "Program", "Summary"};
const int COLUMN_WIDTHS[] = {14, 78, 54, 50, 0}; // dialog units; the summary takes the rest

// Owns a configuration decoded aside from FilterConfig.
struct AsideRecord {
    FilterConfigRecord record{};
    ~AsideRecord() { ClearRecordLists(record); }
};

std::string WithCrLf(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

void SetListText(HWND list, int row, int column, const std::string& utf8) {
    std::wstring wide = WidenUtf8(utf8.c_str());
    LVITEMW item = {};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.iSubItem = column;
    item.pszText = &wide[0];
    SendMessageW(list, column == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row,
                 reinterpret_cast<LPARAM>(&item));
}

} // namespace

// What the reading thread and the dialog share; the one that lets go last frees it, so
// an answer that comes after the dialog gave up (or closed) is never seen.
struct ConfigHistoryDialog::Read {
    volatile LONG references = 2;
    HWND dialog = nullptr;
    unsigned ticket = 0;
    std::string server;
    ConfigHistory history;
    std::string failure; // the sentence when it could not be read

    static void Release(Read* read) {
        if (InterlockedDecrement(&read->references) == 0)
            delete read;
    }

    static unsigned __stdcall Run(void* argument) {
        Read* read = static_cast<Read*>(argument);
        uint32_t error = 0;
        std::unique_ptr<ConfigKeyPort> key =
            OpenRemoteConfigKeyPort(read->server, RemoteView::VIEW_64, &error);
        if (key)
            error = ReadConfigHistory(*key, &read->history);
        if (error != 0) {
            // A sentence of its own in the dialog.
            read->failure = RemoteFailureText(read->server, error, false) + ".";
            read->failure[0] =
                static_cast<char>(toupper(static_cast<unsigned char>(read->failure[0])));
        }
        PostMessageA(read->dialog, WM_HISTORY_READ, 0, read->ticket);
        Release(read);
        return 0;
    }
};

ConfigHistoryDialog::ConfigHistoryDialog(FilterConfigRecord& config)
    : ModalDialog(IDD_CONFIG_HISTORY), config_(config), codePage_(SystemAnsiCodePage()) {}

ConfigHistoryDialog::~ConfigHistoryDialog() {
    Abandon();
}

bool ConfigHistoryDialog::OnInitDialog() {
    HWND servers = GetDlgItem(hwnd(), IDC_HISTORY_SERVER);
    SendMessageA(servers, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("This server"));
    for (const MonitorServerRow* server : config_.monitorServers)
        SendMessageA(servers, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(server->SERVER));
    SendMessageA(servers, CB_SETCURSEL, 0, 0);

    HWND list = GetDlgItem(hwnd(), IDC_HISTORY_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    RECT area;
    GetClientRect(list, &area);
    // Widths in dialog units of the template's font, the summary taking what is left.
    RECT unit = {0, 0, 4, 8};
    MapDialogRect(hwnd(), &unit);
    int left = area.right - area.left - GetSystemMetrics(SM_CXVSCROLL);
    for (int k = 0; k < 5; ++k) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = k < 4 ? MulDiv(COLUMN_WIDTHS[k], unit.right, 4) : left;
        left -= column.cx;
        column.pszText = const_cast<char*>(COLUMNS[k]);
        SendMessageA(list, LVM_INSERTCOLUMNA, k, reinterpret_cast<LPARAM>(&column));
    }
    ReadServer(0);
    return true;
}

void ConfigHistoryDialog::Abandon() {
    if (read_ == nullptr)
        return;
    if (hwnd() != nullptr)
        KillTimer(hwnd(), READ_TIMER);
    Read::Release(read_);
    read_ = nullptr;
}

void ConfigHistoryDialog::ReadServer(int choice) {
    Abandon();
    ++ticket_;
    server_.clear();
    if (choice > 0 && static_cast<size_t>(choice) <= config_.monitorServers.size()) {
        std::string utf8;
        if (AnsiToUtf8(codePage_, config_.monitorServers[choice - 1]->SERVER, &utf8) !=
                CODEPAGE_OK ||
            !ParseServerName(utf8, &server_)) {
            Show(ConfigHistory(), "\"" + utf8 + "\" is not a computer name");
            return;
        }
    }
    if (server_.empty()) {
        ConfigHistory history;
        uint32_t error = 0;
        std::unique_ptr<ConfigKeyPort> key = OpenLocalConfigKeyPort(&error);
        if (key)
            error = ReadConfigHistory(*key, &history);
        Show(history, error == 0 ? ""
                                 : "The history cannot be read (Windows error " +
                                       std::to_string(error) + ").");
        return;
    }
    Show(ConfigHistory(), "");
    SetDlgItemTextA(hwnd(), IDC_HISTORY_NOTE, "Reading...");
    ShowDetail("Reading the history of " + ServerLabel(server_) + "...");
    Read* read = new Read();
    read->dialog = hwnd();
    read->ticket = ticket_;
    read->server = server_;
    uintptr_t thread = _beginthreadex(nullptr, 0, Read::Run, read, 0, nullptr);
    if (thread == 0) {
        delete read;
        Show(ConfigHistory(), "No thread could be started to read the history.");
        return;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread));
    read_ = read;
    SetTimer(hwnd(), READ_TIMER, READ_TIMEOUT_MS, nullptr);
}

void ConfigHistoryDialog::Show(const ConfigHistory& history, const std::string& failure) {
    history_ = history;
    HWND list = GetDlgItem(hwnd(), IDC_HISTORY_LIST);
    ListView_DeleteAllItems(list);
    for (size_t k = 0; k < history_.generations.size(); ++k) {
        const Generation& generation = history_.generations[k];
        const int row = static_cast<int>(k);
        SetListText(list, row, 0, std::to_string(generation.number));
        SetListText(list, row, 1, generation.facts.when);
        SetListText(list, row, 2, generation.facts.who);
        SetListText(list, row, 3, generation.facts.program);
        SetListText(list, row, 4,
                    generation.unreadable.empty() ? generation.facts.summary
                                                  : "unreadable: " + generation.unreadable);
    }
    const std::string where = server_.empty() ? "this server" : ServerLabel(server_);
    const size_t count = history_.generations.size();
    SetDlgItemTextA(hwnd(), IDC_HISTORY_NOTE,
                    failure.empty()
                        ? (std::to_string(count) + (count == 1 ? " generation" : " generations") +
                           " kept on " + where)
                              .c_str()
                        : "");
    std::string detail = failure;
    if (failure.empty() && count == 0)
        detail =
            "No configuration is kept on " + where + " yet: each apply keeps the one it replaces.";
    for (const std::string& problem : history_.problems)
        detail += (detail.empty() ? "" : "\n") + problem;
    ShowDetail(detail);
    SelectionChanged();
}

void ConfigHistoryDialog::ShowDetail(const std::string& utf8) {
    SetDlgItemTextW(hwnd(), IDC_HISTORY_DETAIL, WidenUtf8(WithCrLf(utf8).c_str()).c_str());
}

const Generation* ConfigHistoryDialog::Selected() const {
    const int row = ListView_GetNextItem(GetDlgItem(hwnd(), IDC_HISTORY_LIST), -1, LVNI_SELECTED);
    if (row < 0 || static_cast<size_t>(row) >= history_.generations.size())
        return nullptr;
    return &history_.generations[static_cast<size_t>(row)];
}

void ConfigHistoryDialog::SelectionChanged() {
    const Generation* generation = Selected();
    const bool usable = generation != nullptr && generation->unreadable.empty();
    EnableWindow(GetDlgItem(hwnd(), IDC_HISTORY_COMPARE), usable);
    EnableWindow(GetDlgItem(hwnd(), IDC_HISTORY_RESTORE), usable);
    if (generation == nullptr)
        return;
    const GenerationFacts& facts = generation->facts;
    std::string text = "Generation " + std::to_string(generation->number) + ": the configuration " +
                       "stored until " + facts.when + ", when " +
                       (facts.who.empty() ? std::string("someone") : facts.who) + " applied " +
                       (facts.file.empty() ? "another" : "\"" + facts.file + "\"") + " with " +
                       facts.program + ".\nThat apply changed: " + facts.summary;
    if (!generation->unreadable.empty())
        text += "\nIt cannot be compared or restored: " + generation->unreadable + ".";
    for (const std::string& problem : generation->problems)
        text += "\n" + problem;
    ShowDetail(text);
}

void ConfigHistoryDialog::Compare() {
    const Generation* generation = Selected();
    if (generation == nullptr)
        return;
    AsideRecord kept;
    if (DecodeGeneration(*generation, kept.record) != 0) {
        ShowDetail("Generation " + std::to_string(generation->number) + " does not decode.");
        return;
    }
    std::string change = SummarizeConfigChange(kept.record, config_, codePage_);
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        // A setting the generation did not keep reads as the library takes it absent.
        uint32_t kept = SIDE_SETTINGS[id].absent;
        GenerationSetting(*generation, SIDE_SETTINGS[id].name, &kept);
        const SideSettingId side = static_cast<SideSettingId>(id);
        AddSideSettingChange(side, kept, *SideSettingValue(side), &change);
    }
    const std::string name = "generation " + std::to_string(generation->number);
    if (change == "no change") {
        ShowDetail("The configuration being edited is the same as " + name + ".");
        return;
    }
    std::string text = "From " + name + " to the configuration being edited:";
    for (size_t start = 0; start <= change.size();) {
        size_t end = change.find("; ", start);
        if (end == std::string::npos)
            end = change.size();
        text += "\n    " + change.substr(start, end - start);
        start = end + 2;
    }
    ShowDetail(text);
}

bool ConfigHistoryDialog::OnCommand(UINT id, UINT code, HWND control) {
    if (id == IDC_HISTORY_SERVER && code == CBN_SELCHANGE) {
        ReadServer(static_cast<int>(SendMessageA(control, CB_GETCURSEL, 0, 0)));
        return true;
    }
    if (id == IDC_HISTORY_COMPARE && code == BN_CLICKED) {
        Compare();
        return true;
    }
    if (id == IDC_HISTORY_RESTORE && code == BN_CLICKED) {
        const Generation* generation = Selected();
        if (generation == nullptr || !generation->unreadable.empty())
            return true;
        chosen_ = *generation;
        chosenServer_ = server_;
        EndDialog(IDC_HISTORY_RESTORE);
        return true;
    }
    return ModalDialog::OnCommand(id, code, control);
}

bool ConfigHistoryDialog::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_HISTORY_LIST && header->code == LVN_ITEMCHANGED) {
            const NMLISTVIEW* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
            if ((change->uChanged & LVIF_STATE) != 0 &&
                ((change->uNewState ^ change->uOldState) & LVIS_SELECTED) != 0)
                SelectionChanged();
        }
        return false;
    }
    if (message == WM_HISTORY_READ) {
        if (read_ != nullptr && static_cast<unsigned>(lParam) == read_->ticket) {
            const ConfigHistory history = read_->history;
            const std::string failure = read_->failure;
            Abandon();
            Show(history, failure);
        }
        return true;
    }
    if (message == WM_TIMER && wParam == READ_TIMER) {
        if (read_ != nullptr) {
            Abandon();
            Show(ConfigHistory(), "No answer from " + ServerLabel(server_) + " within " +
                                      std::to_string(READ_TIMEOUT_MS / 1000) +
                                      " s: is the server on and the Remote Registry service "
                                      "started?");
        }
        return true;
    }
    return false;
}

void ConfigHistoryDialog::OnCancel() {
    Abandon();
    EndDialog(IDCANCEL);
}

bool ConfigHistoryDialog::RestoreChosen() {
    if (LoadGenerationIntoConfig(chosen_) != 0) {
        ShowMessageBox(("Generation " + std::to_string(chosen_.number) +
                        " does not decode: it cannot be restored.")
                           .c_str(),
                       nullptr, BOX_OK | BOX_ICONERROR);
        return false;
    }
    // The settings it kept come back with it; one not kept reads as the library takes it
    // absent. EventLog as the Logs page shows it; AuditOnly as stored, as a load keeps it.
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        uint32_t setting = SIDE_SETTINGS[id].absent;
        GenerationSetting(chosen_, SIDE_SETTINGS[id].name, &setting);
        *SideSettingValue(static_cast<SideSettingId>(id)) =
            id == SIDE_EVENT_LOG ? EventLogSettingFrom(setting) : setting;
    }
    return true;
}

std::string ConfigHistoryDialog::ChosenName() const {
    return "generation " + std::to_string(chosen_.number) + " of the history of " +
           (chosenServer_.empty() ? "this server" : ServerLabel(chosenServer_)) + " (kept " +
           chosen_.facts.when + ")";
}
