#include "console/tools/server_farm_dialog.h"

#include <commctrl.h>
#include <process.h>

#include "compare/config_diff.h"
#include "config/beside_values.h"
#include "config/config_history.h"
#include "config/config_mapping.h"
#include "config/container.h"
#include "config/event_log_setting.h"
#include "config/persistence.h"
#include "console/res/resource.h"
#include "eventlog/config_events.h"
#include "explain/change_summary.h"
#include "explain/remote_words.h"
#include "platform/codepage.h"
#include "platform/server_jobs.h"

namespace {

const UINT WM_FARM_ANSWER = WM_APP + 40; // wParam: job, lParam: batch generation
const UINT WM_FARM_ENDED = WM_APP + 41;  // lParam: batch generation
const uint32_t TIMEOUT_MS = 15000;

const char COMPARE_NOTE[] = "Compares the configuration being edited with the one each "
                            "checked server holds.";
const char APPLY_NOTE[] = "The lockout check cannot know your sessions on other servers.";

// Owns a configuration built aside from FilterConfig.
struct AsideRecord {
    FilterConfigRecord record{};
    ~AsideRecord() { ClearRecordLists(record); }
};

// Decodes an enciphered blob into `record`; false when it does not decode.
bool DecodeAside(std::string blob, FilterConfigRecord* record) {
    uint8_t* bytes = reinterpret_cast<uint8_t*>(&blob[0]);
    CryptConfigBlob(bytes, blob.size());
    ParamPacket* packet = nullptr;
    if (blob.empty() || DecodePacket(bytes, blob.size(), &packet) != 0)
        return false;
    const bool applied = ApplyConfigPacketTo(packet, *record) == 0;
    FreePacket(packet);
    return applied;
}

// FilterConfig enciphered as the console's apply stores it; empty when memory runs out.
std::string EncodeForRegistry() {
    ParamPacket* packet = BuildConfigPacket(REGISTRY_PARAM_ORDER);
    uint8_t* blob = nullptr;
    size_t length = 0;
    std::string bytes;
    if (packet != nullptr && EncodePacket(packet, &blob, &length) == 0) {
        CryptConfigBlob(blob, length);
        bytes.assign(reinterpret_cast<const char*>(blob), length);
    }
    FreeBlob(blob);
    FreePacket(packet);
    return bytes;
}

// The settings beside the configuration as the console's apply stores them: EventLog as
// the Logs page sets it, AuditOnly as the filter pages leave it (written only where
// ConsoleWritesSideSetting says).
BesideValues ConsoleBesideValues() {
    BesideValues values;
    values.has[SIDE_EVENT_LOG] = values.has[SIDE_AUDIT_ONLY] = true;
    values.value[SIDE_EVENT_LOG] = EventLogSettingFrom(EventLogSettingValue);
    values.value[SIDE_AUDIT_ONLY] = *SideSettingValue(SIDE_AUDIT_ONLY);
    return values;
}

// What an apply changes on a server: from what it held (the job's first read) to the
// blob and the values beside it written.
std::string ChangeOnServer(const ServerJob& job, uint32_t codePage) {
    AsideRecord before, after;
    std::string change = job.previousError != REMOTE_OK ||
                                 !DecodeAside(job.previous, &before.record) ||
                                 !DecodeAside(job.blob, &after.record)
                             ? "stored where there was none or it did not decode"
                             : SummarizeConfigChange(before.record, after.record, codePage);
    AddBesideChanges(BesideReadFirst(job), BesideWritten(job), &change);
    return change;
}

// An apply job, on its own thread: reads what the server holds, keeps it in the
// server's history with what the write changes, then writes the blob and the values
// beside it.
uint32_t KeepAndApplyJob(ServerJob& job) {
    ReadBeforeWrite(job);
    LeaveOutWhatConsoleKeepsAbsent(&job);
    job.keep.summary = ChangeOnServer(job, SystemAnsiCodePage());
    job.readFirst = false;
    return KeepThenWriteJob(job);
}

} // namespace

// The jobs live here, owned by the dialog, until the coordinating thread has ended; the
// server threads work on copies of their own (server_jobs_win32.cpp).
struct ServerFarmDialog::Batch : ServerJobObserver {
    HWND dialog = nullptr;
    unsigned generation = 0;
    std::vector<ServerJob> jobs;
    HANDLE cancel = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE thread = nullptr;
    volatile LONG ended = 0;
    bool apply = false;
    BesideValues beside; // the console's, when the batch started

    ~Batch() {
        Stop();
        if (cancel != nullptr)
            CloseHandle(cancel);
    }

    // Stops waiting: the coordinating thread returns at once, abandoning the servers
    // that have not answered.
    void Stop() {
        if (thread == nullptr)
            return;
        SetEvent(cancel);
        WaitForSingleObject(thread, INFINITE);
        CloseHandle(thread);
        thread = nullptr;
    }

    void JobEnded(size_t index) override {
        PostMessageA(dialog, WM_FARM_ANSWER, index, generation);
    }

    static unsigned __stdcall Run(void* argument) {
        Batch* batch = static_cast<Batch*>(argument);
        ServerJobLimits limits;
        limits.timeoutMs = TIMEOUT_MS;
        limits.cancelEvent = batch->cancel;
        if (batch->apply)
            limits.work = KeepAndApplyJob;
        RunServerJobs(&batch->jobs, limits, batch);
        InterlockedExchange(&batch->ended, 1);
        PostMessageA(batch->dialog, WM_FARM_ENDED, 0, batch->generation);
        return 0;
    }
};

ServerFarmDialog::ServerFarmDialog(FilterConfigRecord& config, Mode mode)
    : ModalDialog(IDD_SERVER_FARM), config_(config), mode_(mode), codePage_(SystemAnsiCodePage()) {}

ServerFarmDialog::~ServerFarmDialog() = default;

bool ServerFarmDialog::Running() const {
    return batch_ != nullptr && batch_->thread != nullptr && batch_->ended == 0;
}

bool ServerFarmDialog::OnInitDialog() {
    const bool apply = mode_ == Mode::APPLY;
    SetWindowTextA(hwnd(), apply ? "Apply to Servers" : "Compare Servers");
    SetDlgItemTextA(hwnd(), IDOK, apply ? "Apply" : "Compare");
    SetDlgItemTextA(hwnd(), IDC_FARM_NOTE, apply ? APPLY_NOTE : COMPARE_NOTE);
    HWND list = GetDlgItem(hwnd(), IDC_FARM_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT);
    RECT area;
    GetClientRect(list, &area);
    const int serverWidth = (area.right - area.left) / 3;
    LVCOLUMNA column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = serverWidth;
    column.pszText = const_cast<char*>("Server");
    SendMessageA(list, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    column.cx = area.right - area.left - serverWidth - GetSystemMetrics(SM_CXVSCROLL);
    column.pszText = const_cast<char*>("Result");
    SendMessageA(list, LVM_INSERTCOLUMNA, 1, reinterpret_cast<LPARAM>(&column));
    int row = 0;
    for (const MonitorServerRow* server : config_.monitorServers) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT;
        item.iItem = row;
        item.pszText = const_cast<char*>(server->SERVER);
        SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
        ListView_SetCheckState(list, row, TRUE);
        ++row;
    }
    if (row == 0) {
        SetDlgItemTextA(hwnd(), IDC_FARM_NOTE,
                        "The server monitor lists no servers: add them on the Servers "
                        "Information page.");
        EnableWindow(GetDlgItem(hwnd(), IDOK), FALSE);
    }
    return true;
}

void ServerFarmDialog::SetRowText(int row, const std::string& text) {
    LVITEMA item = {};
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(text.c_str());
    SendMessageA(GetDlgItem(hwnd(), IDC_FARM_LIST), LVM_SETITEMTEXTA, row,
                 reinterpret_cast<LPARAM>(&item));
}

void ServerFarmDialog::Start() {
    if (Running())
        return;
    batch_.reset(); // the previous run has ended: its thread is joined here
    std::string blob;
    if (mode_ == Mode::APPLY) {
        blob = EncodeForRegistry();
        if (blob.empty())
            return;
    }
    std::unique_ptr<Batch> batch(new Batch());
    batch->dialog = hwnd();
    batch->generation = ++generation_;
    batch->apply = mode_ == Mode::APPLY;
    batch->beside = ConsoleBesideValues();
    rows_.clear();
    HWND list = GetDlgItem(hwnd(), IDC_FARM_LIST);
    const int count = ListView_GetItemCount(list);
    for (int row = 0; row < count && row < static_cast<int>(config_.monitorServers.size()); ++row) {
        if (!ListView_GetCheckState(list, row)) {
            SetRowText(row, "");
            continue;
        }
        std::string utf8, server;
        if (AnsiToUtf8(codePage_, config_.monitorServers[row]->SERVER, &utf8) != CODEPAGE_OK ||
            !ParseServerName(utf8, &server)) {
            SetRowText(row, "not a computer name");
            continue;
        }
        ServerJob job;
        job.server = server;
        job.write = mode_ == Mode::APPLY;
        job.readFirst = job.write;
        job.blob = blob;
        job.keep = NewGenerationFacts("quillon.exe", "", "");
        AskForBeside(batch->beside, &job);
        batch->jobs.push_back(job);
        rows_.push_back(row);
        SetRowText(row, job.write ? "applying..." : "asking...");
    }
    if (batch->jobs.empty() || batch->cancel == nullptr)
        return;
    uintptr_t thread = _beginthreadex(nullptr, 0, Batch::Run, batch.get(), 0, nullptr);
    if (thread == 0)
        return;
    batch->thread = reinterpret_cast<HANDLE>(thread);
    batch_ = std::move(batch);
    EnableWindow(GetDlgItem(hwnd(), IDOK), FALSE);
    SetDlgItemTextA(hwnd(), IDCANCEL, "Cancel");
}

void ServerFarmDialog::OnCancel() {
    if (!Running()) {
        batch_.reset();
        EndDialog(IDCANCEL);
        return;
    }
    batch_->Stop();
    for (size_t job = 0; job < batch_->jobs.size(); ++job) {
        if (!batch_->jobs[job].timedOut)
            continue;
        if (mode_ == Mode::APPLY)
            SetRowText(rows_[job], ApplyText(job, ERROR_CANCELLED));
        else
            SetRowText(rows_[job], "cancelled: no answer yet");
    }
    Ended();
}

bool ServerFarmDialog::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool current = batch_ != nullptr && static_cast<unsigned>(lParam) == batch_->generation;
    if (message == WM_FARM_ANSWER) {
        if (current && wParam < batch_->jobs.size())
            ShowAnswer(wParam);
        return true;
    }
    if (message == WM_FARM_ENDED) {
        if (current)
            Ended();
        return true;
    }
    return false;
}

void ServerFarmDialog::Ended() {
    EnableWindow(GetDlgItem(hwnd(), IDOK), TRUE);
    SetDlgItemTextA(hwnd(), IDCANCEL, "Close");
}

void ServerFarmDialog::ShowAnswer(size_t index) {
    const ServerJob& job = batch_->jobs[index];
    std::string text;
    if (mode_ == Mode::APPLY)
        text = ApplyText(index, job.timedOut ? ERROR_TIMEOUT : job.error);
    else if (job.timedOut)
        text = "unreachable: no answer within " + std::to_string(TIMEOUT_MS / 1000) + " s";
    else if (job.error != REMOTE_OK)
        text = RemoteStatusWord(job.error) + " (error " + std::to_string(job.error) + ")";
    else
        text = CompareText(job);
    std::string shown;
    if (Utf8ToAnsi(codePage_, text, &shown) != CODEPAGE_OK)
        shown = text;
    SetRowText(rows_[index], shown);
}

std::string ServerFarmDialog::CompareText(const ServerJob& job) {
    AsideRecord stored;
    if (!DecodeAside(job.blob, &stored.record))
        return "unreadable: its configuration does not decode";
    std::string lines;
    std::string differences = DiffConfigs(config_, stored.record, codePage_, &lines) == 0
                                  ? ""
                                  : SummarizeConfigChange(config_, stored.record, codePage_);
    AddBesideDifferences(batch_->beside, BesideRead(job), &differences);
    return differences.empty() ? "same" : "differs: " + differences;
}

std::string ServerFarmDialog::ApplyText(size_t index, uint32_t error) {
    const ServerJob& job = batch_->jobs[index];
    ConfigApplyFacts facts;
    facts.program = "quillon.exe";
    facts.server = job.server;
    facts.summary = ChangeOnServer(job, codePage_);
    // The configuration is stored, but a value beside it may not be.
    std::string side;
    if (error == REMOTE_OK && (error = BesideWriteError(job, &side)) != REMOTE_OK) {
        ReportConfigApplyFailed(facts, error);
        return "apply failed: the configuration is stored, but " + side +
               " is not: " + RemoteStatusWord(error) + " (error " + std::to_string(error) + ")";
    }
    if (error == REMOTE_OK) {
        AddKeepProblem(job.keepProblem, &facts.summary);
        ReportConfigApplied(facts);
        return job.keepProblem.empty() ? "applied" : "applied; " + job.keepProblem;
    }
    ReportConfigApplyFailed(facts, error);
    if (error == ERROR_TIMEOUT || error == ERROR_CANCELLED)
        return (error == ERROR_TIMEOUT
                    ? "no answer within " + std::to_string(TIMEOUT_MS / 1000) + " s"
                    : std::string("cancelled")) +
               ": the configuration may or may not have been written";
    return "apply failed: " + RemoteStatusWord(error) + " (error " + std::to_string(error) + ")";
}
