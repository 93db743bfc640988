#include "console/tools/impact_preview_dialog.h"

#include <commctrl.h>
#include <process.h>

#include <atomic>
#include <memory>

#include "config/audit_only_setting.h"
#include "config/persistence.h"
#include "config/side_settings.h"
#include "console/res/resource.h"
#include "console/tools/live_sessions.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/process.h"
#include "platform/win32/text_win32.h"
#include "replay/config_impact.h"
#include "replay/replay_log.h"
#include "report/shown_text.h"

namespace {

const UINT WM_IMPACT_PROGRESS = WM_APP + 50; // wParam: lines read, lParam: job id
const UINT WM_IMPACT_DONE = WM_APP + 51;     // lParam: job id
const int DEFAULT_DAYS = 30;
const uint64_t PROGRESS_LINES = 20000;

// Job ids across every dialog: a message of a job abandoned by an earlier dialog never
// matches the current one's.
volatile LONG g_lastJobId = 0;

const char* const COLUMNS[] = {"Would be", "Client", "User", "Seen", "Why"};
const int COLUMN_WIDTHS[] = {10, 22, 13, 30, 25}; // percent of the list's width

// A copy of a configuration with rows of its own.
struct OwnedRecord {
    std::unique_ptr<FilterConfigRecord> record{new FilterConfigRecord()};
    ~OwnedRecord() { ClearRecordLists(*record); }
};

template <typename Row> void CopyRows(const std::vector<Row*>& from, std::vector<Row*>* to) {
    for (const Row* row : from)
        to->push_back(new Row(*row));
}

void CopyRecord(const FilterConfigRecord& from, FilterConfigRecord* to) {
    *to = from;
    // The lists are emptied before any row is copied: nothing is ever shared.
    to->ipRanges.clear();
    to->computerNames.clear();
    to->macAddresses.clear();
    to->monitorServers.clear();
    to->sessionIps.clear();
    to->sessionUsers.clear();
    CopyRows(from.ipRanges, &to->ipRanges);
    CopyRows(from.computerNames, &to->computerNames);
    CopyRows(from.macAddresses, &to->macAddresses);
    CopyRows(from.sessionIps, &to->sessionIps);
    CopyRows(from.sessionUsers, &to->sessionUsers);
}

std::string Plural(uint64_t count, const char* one, const char* many) {
    return Figure(count) + " " + (count == 1 ? one : many);
}

std::string ItemText(HWND dialog, int id) {
    char text[64] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    std::string value = text;
    const size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

void SetText(HWND dialog, int id, const std::string& utf8) {
    SetDlgItemTextW(dialog, id, WidenUtf8(utf8.c_str()).c_str());
}

} // namespace

// Shared by the dialog and its thread; whichever lets go last frees it. The thread
// writes the results and then sets `finished`; the dialog reads them only after that.
struct ImpactPreviewDialog::Job {
    volatile LONG references = 2;
    std::atomic<bool> cancel{false};
    volatile LONG finished = 0;
    volatile LONG progressShown = 1; // the last progress message has been read
    HWND dialog = nullptr;
    LONG id = 0;
    // Inputs.
    OwnedRecord edited, inUse; // inUse: every filter off when nothing readable is stored
    bool inUseStored = false;
    uint32_t inUseAudit = 0, editedAudit = 0; // AuditOnly's filter bits of each
    std::string logPath;                      // UTF-8; empty when the Logs page names none
    ReportPeriod period;
    uint32_t codePage = 1252;
    // Results.
    bool liveRead = false;
    ConfigImpact live, log;
    ReplayLogCounts counts;
    bool logRead = false;
    std::string logError;

    void Release() {
        if (InterlockedDecrement(&references) == 0)
            delete this;
    }

    void Run() {
        std::vector<LiveSession> sessions;
        liveRead = ReadLiveSessions(&sessions);
        {
            ConfigImpactCounter counter(*inUse.record, inUseAudit, *edited.record, editedAudit,
                                        codePage, "the server's session list", &live);
            for (const LiveSession& s : sessions) {
                const KnownSession& f = s.facts;
                const ImpactSession client{s.addressText, f.name == FACT_HELD ? f.nameText : "", "",
                                           f.user == FACT_HELD ? f.userText : "", 0};
                counter.Session(f, client);
            }
        }
        if (logPath.empty() || cancel.load())
            return;
        ConfigImpactCounter counter(*inUse.record, inUseAudit, *edited.record, editedAudit,
                                    codePage, "the log", &log);
        uint64_t lines = 0;
        const ReplayLineVisitor visit = [&](const LogLine& line, const KnownSession& session) {
            const ImpactSession client{line.address, line.computerName, line.mac,
                                       session.user == FACT_HELD ? line.user : std::string_view(),
                                       LineSeconds(line)};
            counter.Session(session, client);
            if (++lines % PROGRESS_LINES == 0 && InterlockedExchange(&progressShown, 0) == 1)
                PostMessageA(dialog, WM_IMPACT_PROGRESS, static_cast<WPARAM>(lines), id);
        };
        logRead = ReplayLog(logPath, period, visit, &counts, &logError, &cancel);
    }

    static unsigned __stdcall Thread(void* argument) {
        Job* job = static_cast<Job*>(argument);
        try {
            job->Run();
        } catch (...) {
            job->logRead = false;
            job->logError = "out of memory";
        }
        InterlockedExchange(&job->finished, 1);
        PostMessageA(job->dialog, WM_IMPACT_DONE, 0, job->id);
        job->Release();
        return 0;
    }
};

ImpactPreviewDialog::ImpactPreviewDialog(const FilterConfigRecord& edited)
    : ModalDialog(IDD_IMPACT_PREVIEW), edited_(edited) {}

ImpactPreviewDialog::~ImpactPreviewDialog() {
    if (job_ != nullptr) {
        job_->cancel.store(true);
        job_->Release();
    }
}

bool ImpactPreviewDialog::OnInitDialog() {
    LocalDateTime now;
    GetLocalDateTime(&now);
    const int32_t today = DaysFromDate(now.year, now.month, now.day);
    SetText(hwnd(), IDC_IMPACT_FROM, DateText(today - (DEFAULT_DAYS - 1)));
    SetText(hwnd(), IDC_IMPACT_TO, DateText(today));
    SendDlgItemMessageA(hwnd(), IDC_IMPACT_FROM, EM_LIMITTEXT, 10, 0);
    SendDlgItemMessageA(hwnd(), IDC_IMPACT_TO, EM_LIMITTEXT, 10, 0);
    HWND list = GetDlgItem(hwnd(), IDC_IMPACT_LIST);
    ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT);
    RECT area;
    GetClientRect(list, &area);
    const int width = area.right - area.left - GetSystemMetrics(SM_CXVSCROLL);
    for (int c = 0; c < int(sizeof COLUMNS / sizeof COLUMNS[0]); ++c) {
        LVCOLUMNA column = {};
        column.mask = LVCF_TEXT | LVCF_WIDTH;
        column.cx = MulDiv(width, COLUMN_WIDTHS[c], 100);
        column.pszText = const_cast<char*>(COLUMNS[c]);
        SendMessageA(list, LVM_INSERTCOLUMNA, c, reinterpret_cast<LPARAM>(&column));
    }
    EnableWindow(GetDlgItem(hwnd(), IDC_IMPACT_SHOW_ENTRY), FALSE);
    Start();
    return ModalDialog::OnInitDialog();
}

bool ImpactPreviewDialog::OnCommand(UINT id, UINT code, HWND) {
    if (id == IDC_IMPACT_RUN && code == BN_CLICKED) {
        Start();
        return true;
    }
    if (id == IDC_IMPACT_SHOW_ENTRY && code == BN_CLICKED && place_.onPage) {
        EndDialog(IDC_IMPACT_SHOW_ENTRY);
        return true;
    }
    return false;
}

void ImpactPreviewDialog::Start() {
    if (Running())
        return;
    ReportPeriod period;
    const struct {
        int id;
        const char* label;
        bool* has;
        int32_t* day;
    } ends[] = {{IDC_IMPACT_FROM, "From", &period.hasFrom, &period.fromDay},
                {IDC_IMPACT_TO, "To", &period.hasTo, &period.toDay}};
    for (const auto& end : ends) {
        const std::string text = ItemText(hwnd(), end.id);
        *end.has = !text.empty();
        if (*end.has && !ParseDate(text, end.day)) {
            ShowMessageBox(
                (std::string(end.label) + ": \"" + text + "\" is not a date YYYY-MM-DD").c_str(),
                nullptr, BOX_OK | BOX_ICONWARNING);
            SetFocus(GetDlgItem(hwnd(), end.id));
            return;
        }
    }
    if (period.hasFrom && period.hasTo && period.fromDay > period.toDay) {
        ShowMessageBox("From comes after To.", nullptr, BOX_OK | BOX_ICONWARNING);
        SetFocus(GetDlgItem(hwnd(), IDC_IMPACT_FROM));
        return;
    }
    std::unique_ptr<Job> job(new Job());
    job->dialog = hwnd();
    job->id = InterlockedIncrement(&g_lastJobId);
    job->period = period;
    job->codePage = SystemAnsiCodePage();
    CopyRecord(edited_, job->edited.record.get());
    // The stored configuration is read here: a local registry read does not wait, and the
    // store's error code is the window thread's alone.
    job->inUseStored = ReadStoredConfig(*job->inUse.record) == 0;
    if (!job->inUseStored) {
        ClearRecordLists(*job->inUse.record);
        *job->inUse.record = FilterConfigRecord(); // nothing readable: every filter off
    }
    // Each configuration decides with its own AuditOnly: the pages' switches, and the
    // value stored beside the configuration in use (absent: every filter enforces).
    job->editedAudit = AuditOnlyMaskFrom(AuditOnlySettingValue);
    uint32_t storedAudit = 0;
    if (ReadSideSetting(SIDE_AUDIT_ONLY, &storedAudit))
        job->inUseAudit = AuditOnlyMaskFrom(storedAudit);
    std::string utf8;
    if (AnsiToUtf8(job->codePage, FieldText(edited_.LOGON_LOGFILE), &utf8) == CODEPAGE_OK)
        job->logPath = utf8;
    uintptr_t thread = _beginthreadex(nullptr, 0, Job::Thread, job.get(), 0, nullptr);
    if (thread == 0) {
        SetText(hwnd(), IDC_IMPACT_PROGRESS, "The preview could not be started.");
        return;
    }
    CloseHandle(reinterpret_cast<HANDLE>(thread)); // never joined: Cancel only stops waiting
    job_ = job.release();
    ListView_DeleteAllItems(GetDlgItem(hwnd(), IDC_IMPACT_LIST));
    rowPlaces_.clear();
    rowWords_.clear();
    place_ = DecisionPlace();
    SetText(hwnd(), IDC_IMPACT_DETAIL, "");
    EnableWindow(GetDlgItem(hwnd(), IDC_IMPACT_SHOW_ENTRY), FALSE);
    EnableWindow(GetDlgItem(hwnd(), IDC_IMPACT_RUN), FALSE);
    SetText(hwnd(), IDC_IMPACT_PROGRESS,
            "Listing the sessions on this server and reading the log...");
    SetText(hwnd(), IDC_IMPACT_NOTE, "");
    SetDlgItemTextA(hwnd(), IDCANCEL, "Cancel");
}

void ImpactPreviewDialog::Stop(const char* progress) {
    EnableWindow(GetDlgItem(hwnd(), IDC_IMPACT_RUN), TRUE);
    SetDlgItemTextA(hwnd(), IDCANCEL, "Close");
    if (progress != nullptr)
        SetText(hwnd(), IDC_IMPACT_PROGRESS, progress);
}

void ImpactPreviewDialog::OnCancel() {
    if (!Running()) {
        EndDialog(IDCANCEL);
        return;
    }
    // The thread finishes on its own and frees what it still holds.
    job_->cancel.store(true);
    job_->Release();
    job_ = nullptr;
    Stop("Cancelled: nothing is shown.");
}

bool ImpactPreviewDialog::OnOtherMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const bool current = job_ != nullptr && static_cast<LONG>(lParam) == job_->id;
    if (message == WM_IMPACT_PROGRESS) {
        if (current) {
            InterlockedExchange(&job_->progressShown, 1);
            SetText(hwnd(), IDC_IMPACT_PROGRESS,
                    "Reading the logon log: " + Figure(static_cast<uint64_t>(wParam)) +
                        " sessions so far...");
        }
        return true;
    }
    if (message == WM_IMPACT_DONE) {
        if (current && job_->finished != 0)
            Finished();
        return true;
    }
    if (message == WM_NOTIFY) {
        const NMHDR* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_IMPACT_LIST && header->code == LVN_ITEMCHANGED)
            SelectionChanged();
        return false;
    }
    return false;
}

void ImpactPreviewDialog::Finished() {
    const Job& j = *job_;
    std::string progress;
    if (j.logPath.empty())
        progress = "No logon log is named on the Logs page: only the sessions on this server now "
                   "are compared.";
    else if (!j.logRead)
        progress = "The logon log cannot be read (" + j.logError +
                   "): only the sessions on this server now are compared.";
    else
        progress =
            "Log: " + Plural(j.counts.sessions, "session", "sessions") +
            (j.counts.firstTime.empty() ? std::string(" in the period")
                                        : ", " + j.counts.firstTime + " to " + j.counts.lastTime) +
            (j.counts.skipped > 0
                 ? " (" + Plural(j.counts.skipped, "unreadable line", "unreadable lines") + ")"
                 : std::string()) +
            ".";
    progress += j.liveRead
                    ? " On this server now: " + Plural(j.live.sessions, "session", "sessions") + "."
                    : " The sessions on this server cannot be listed.";
    Stop(nullptr);
    SetText(hwnd(), IDC_IMPACT_PROGRESS, progress);
    ShowResults();
    // Shown: the rows keep what they need, and the job's tallies go.
    job_->Release();
    job_ = nullptr;
}

void ImpactPreviewDialog::ShowResults() {
    const Job& j = *job_;
    HWND list = GetDlgItem(hwnd(), IDC_IMPACT_LIST);
    int row = 0;
    size_t counts[2] = {0, 0};
    for (int change = IMPACT_REFUSED_NOW; change <= IMPACT_ADMITTED_NOW; ++change) {
        for (const ConfigImpact* impact : {&j.live, &j.log}) {
            const bool live = impact == &j.live;
            for (const ImpactRule& rule : SortedRules(impact->tally, ImpactChange(change))) {
                for (const ImpactClient& client : rule.clients) {
                    const std::string name = ShownText(j.codePage, client.name);
                    const std::string cells[] = {
                        change == IMPACT_REFUSED_NOW ? "refused" : "let in",
                        ShownText(j.codePage, client.address) +
                            (name.empty() ? "" : " \"" + name + "\""),
                        ShownText(j.codePage, client.user),
                        live ? std::string("on this server now")
                             : Figure(client.sessions) + " in the log, last " +
                                   TimeText(client.lastSeen),
                        rule.words,
                    };
                    for (int c = 0; c < int(sizeof cells / sizeof cells[0]); ++c) {
                        const std::wstring text = WidenUtf8(cells[c].c_str());
                        LVITEMW item = {};
                        item.mask = LVIF_TEXT;
                        item.iItem = row;
                        item.iSubItem = c;
                        item.pszText = const_cast<wchar_t*>(text.c_str());
                        SendMessageW(list, c == 0 ? LVM_INSERTITEMW : LVM_SETITEMTEXTW, row,
                                     reinterpret_cast<LPARAM>(&item));
                    }
                    rowPlaces_.push_back(rule.place);
                    rowWords_.push_back(rule.words);
                    ++counts[change];
                    ++row;
                }
            }
        }
    }
    std::string note = j.inUseStored ? ""
                                     : "No readable configuration is stored on this server: "
                                       "compared with every filter switched off. ";
    if (counts[0] + counts[1] == 0)
        note += "No client would be refused or let in by the edits.";
    else
        note += Plural(counts[0], "client", "clients") + " would be refused, " + Figure(counts[1]) +
                " would get in.";
    const uint64_t auditedNow = j.live.auditedNow + j.log.auditedNow;
    if (auditedNow > 0)
        note += " " + Plural(auditedNow, "session", "sessions") +
                " that get in either way would be audited.";
    uint64_t notJudged = 0;
    std::string why;
    uint64_t most = 0;
    for (const ConfigImpact* impact : {&j.live, &j.log}) {
        for (const auto& reason : impact->notJudged) {
            notJudged += reason.second;
            if (reason.second > most) {
                most = reason.second;
                why = reason.first;
            }
        }
    }
    if (notJudged > 0)
        note += " " + Plural(notJudged, "session is", "sessions are") + " not judged: " + why +
                (notJudged > most ? ", and others." : ".");
    SetText(hwnd(), IDC_IMPACT_NOTE, note);
}

void ImpactPreviewDialog::SelectionChanged() {
    const int selected =
        ListView_GetNextItem(GetDlgItem(hwnd(), IDC_IMPACT_LIST), -1, LVNI_SELECTED);
    const bool row = selected >= 0 && size_t(selected) < rowPlaces_.size();
    place_ = row ? rowPlaces_[size_t(selected)] : DecisionPlace();
    SetText(hwnd(), IDC_IMPACT_DETAIL, row ? rowWords_[size_t(selected)] : std::string());
    EnableWindow(GetDlgItem(hwnd(), IDC_IMPACT_SHOW_ENTRY), place_.onPage ? TRUE : FALSE);
}
