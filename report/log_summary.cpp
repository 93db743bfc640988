#include "report/log_summary.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "report/log_stream.h"
#include "report/tally_table.h"

namespace {

const int TIME_WINDOW_REASON = ReasonOfText("REJECT_TIMERESTRICTION");

void Count(Tally* tally, bool rejected, bool audited, int reason, int64_t seconds) {
    if (tally->Lines() == 0 || seconds < tally->firstSeen)
        tally->firstSeen = seconds;
    if (seconds > tally->lastSeen)
        tally->lastSeen = seconds;
    if (rejected) {
        ++tally->refused;
        ++tally->byReason[reason];
    } else if (audited) {
        ++tally->audited;
        ++tally->auditedByReason[reason];
    } else {
        ++tally->accepted;
    }
}

void Count(Tally* tally, const LogLine& line, int64_t seconds) {
    Count(tally, line.rejected, line.audited, line.reason, seconds);
}

// A line whose client and user are counted a few lines later, when their entries have
// been fetched from memory: with many clients a lookup otherwise waits for memory
// twice. The keys are copies, since the reader reuses the text of a line.
struct PendingLine {
    size_t clientLength = 0, userLength = 0;
    uint64_t clientHash = 0, userHash = 0;
    bool rejected = false, audited = false;
    int reason = REASON_NONE;
    int64_t seconds = 0;
    char client[1024], user[1024]; // a line is at most 1,024 bytes
};
// Lines counted this many lines after they are read; their entries are fetched when
// they are ENTRY_AHEAD lines old (their slots, when they are read).
const int PENDING = 4;
const int ENTRY_AHEAD = 2;
// Until the clients and users hold this many entries (a megabyte, what the cache of a
// core holds), a line is counted at once.
const size_t DIRECT_ENTRIES = 4096;

// The summary's client key, address, name and MAC address apart, of "name,address,MAC".
std::string ClientKey(std::string_view line) {
    size_t mac = line.rfind(','), address = line.rfind(',', mac - 1);
    std::string key;
    key.reserve(line.size());
    key.append(line.data() + address + 1, mac - address - 1);
    key += CLIENT_KEY_SEPARATOR;
    key.append(line.data(), address);
    key += CLIENT_KEY_SEPARATOR;
    key.append(line.data() + mac + 1, line.size() - mac - 1);
    return key;
}

// Counts lines into a summary; keeps a few lookups from the line before, since lines of
// one day come together. Clients and users are counted in tables of their own, the
// first and last line as seconds; both reach the summary in Finish.
class LineCounter {
public:
    LineCounter(const std::string& path, const ReportPeriod& period, LogSummary* summary)
        : path_(path), period_(period), s_(summary) {}

    void operator()(uint64_t number, std::string_view text) {
        LogLine line;
        LineProblem problem = ParseLogLine(text, &line);
        if (problem != LINE_OK) {
            ++s_->skipped;
            if (s_->firstSkipped.size() < SKIPPED_NAMED)
                s_->firstSkipped.push_back({path_, number, problem});
            return;
        }
        if (!period_.Contains(line.day)) {
            ++s_->outsidePeriod;
            return;
        }
        // An audited refusal is counted apart: the session went on, and its own
        // "Accepted" line follows when it logs on.
        int64_t seconds = int64_t(line.day) * 86400 + line.secondOfDay;
        Count(&s_->total, line, seconds);
        if (day_ == nullptr || line.day != dayNumber_) {
            day_ = &s_->days[line.day];
            dayNumber_ = line.day;
        }
        Count(day_, line, seconds);
        if (line.rejected) {
            ++s_->weekHour[line.weekday][line.hour];
            if (line.reason == TIME_WINDOW_REASON)
                ++s_->weekHourTime[line.weekday][line.hour];
        }
        if (!anyLine_ || seconds < firstSecond_)
            firstSecond_ = seconds;
        if (!anyLine_ || seconds > lastSecond_)
            lastSecond_ = seconds;
        anyLine_ = true;

        // The client as the line holds it, "name,address,MAC": the address and the MAC
        // address have no comma, so the last two commas part it again (ClientKey).
        std::string_view client(line.computerName.data(), size_t(line.mac.data() + line.mac.size() -
                                                                 line.computerName.data()));
        uint64_t clientHash = HashText(client), userHash = HashText(line.user);
        if (!queueing_) {
            // Tables this small stay in the cache: nothing to fetch ahead.
            if (clients_.entries.size() + users_.entries.size() < DIRECT_ENTRIES) {
                Settle(client, clientHash, line.user, userHash, line.rejected, line.audited,
                       line.reason, seconds);
                return;
            }
            queueing_ = true;
        }
        PendingLine& p = pending_[next_];
        p.clientLength = client.size();
        memcpy(p.client, client.data(), client.size());
        p.clientHash = clientHash;
        p.userLength = line.user.size();
        memcpy(p.user, line.user.data(), line.user.size());
        p.userHash = userHash;
        p.rejected = line.rejected;
        p.audited = line.audited;
        p.reason = line.reason;
        p.seconds = seconds;
        PrefetchSlot(clients_, p.clientHash);
        PrefetchSlot(users_, p.userHash);
        if (queued_ >= ENTRY_AHEAD) {
            const PendingLine& before = pending_[(next_ + PENDING - ENTRY_AHEAD) % PENDING];
            size_t counter = before.rejected  ? offsetof(Tally, byReason)
                             : before.audited ? offsetof(Tally, auditedByReason)
                                              : 0;
            if (counter != 0)
                counter += offsetof(TallyEntry, tally) + sizeof(uint32_t) * size_t(before.reason);
            PrefetchEntry(clients_, before.clientHash, counter);
            PrefetchEntry(users_, before.userHash, counter);
        }
        if (queued_ == PENDING - 1)
            Settle(pending_[(next_ + 1) % PENDING]); // the oldest
        else
            ++queued_;
        next_ = (next_ + 1) % PENDING;
    }

    // The lines still pending, the tables and the first and last line into the summary.
    void Finish() {
        for (; queued_ > 0; --queued_)
            Settle(pending_[(next_ + PENDING - queued_) % PENDING]);
        MoveTallies(&clients_, &s_->clients, ClientKey);
        MoveTallies(&users_, &s_->users, nullptr);
        if (!anyLine_)
            return;
        // A timestamp read is "YYYY-MM-DD HH:MM:SS" of a real date and time, so it is
        // its seconds written back, and texts compare as their seconds do.
        std::string first = TimeText(firstSecond_), last = TimeText(lastSecond_);
        if (s_->firstTime.empty() || first < s_->firstTime)
            s_->firstTime = first;
        if (s_->lastTime.empty() || last > s_->lastTime)
            s_->lastTime = last;
    }

private:
    void Settle(std::string_view client, uint64_t clientHash, std::string_view user,
                uint64_t userHash, bool rejected, bool audited, int reason, int64_t seconds) {
        Count(FindTally(&clients_, client, clientHash), rejected, audited, reason, seconds);
        if (!user.empty())
            Count(FindTally(&users_, user, userHash), rejected, audited, reason, seconds);
    }
    void Settle(const PendingLine& p) {
        Settle(std::string_view(p.client, p.clientLength), p.clientHash,
               std::string_view(p.user, p.userLength), p.userHash, p.rejected, p.audited, p.reason,
               p.seconds);
    }

    const std::string& path_;
    const ReportPeriod& period_;
    LogSummary* s_;
    Tally* day_ = nullptr;
    int32_t dayNumber_ = 0;
    bool anyLine_ = false;
    int64_t firstSecond_ = 0, lastSecond_ = 0;
    TallyTable clients_, users_;
    PendingLine pending_[PENDING];
    int next_ = 0, queued_ = 0; // where the next line goes; how many wait
    bool queueing_ = false;     // the tables outgrew DIRECT_ENTRIES: lines wait
};

} // namespace

bool SummarizeLog(const std::string& path, const ReportPeriod& period, LogSummary* summary,
                  std::string* error) {
    summary->logs.push_back(path);
    LineCounter counter(path, period, summary);
    bool read = ReadLogLines(
        path, [&counter](uint64_t number, std::string_view text) { counter(number, text); }, error);
    counter.Finish(); // what was counted before a failure stays counted
    return read;
}

void AddCounts(const Tally& from, Tally* into) {
    if (from.Lines() == 0)
        return;
    if (into->Lines() == 0 || from.firstSeen < into->firstSeen)
        into->firstSeen = from.firstSeen;
    if (from.lastSeen > into->lastSeen)
        into->lastSeen = from.lastSeen;
    into->accepted += from.accepted;
    into->refused += from.refused;
    into->audited += from.audited;
    for (int k = 0; k < REASON_COUNT; ++k) {
        into->byReason[k] += from.byReason[k];
        into->auditedByReason[k] += from.auditedByReason[k];
    }
}

void MergeSummary(const LogSummary& from, LogSummary* into) {
    into->logs.insert(into->logs.end(), from.logs.begin(), from.logs.end());
    AddCounts(from.total, &into->total);
    for (const auto& day : from.days)
        AddCounts(day.second, &into->days[day.first]);
    for (int d = 0; d < 7; ++d) {
        for (int h = 0; h < 24; ++h) {
            into->weekHour[d][h] += from.weekHour[d][h];
            into->weekHourTime[d][h] += from.weekHourTime[d][h];
        }
    }
    // The first summary merged is copied: no key is hashed again.
    for (auto maps : {&LogSummary::clients, &LogSummary::users}) {
        const auto& source = from.*maps;
        auto& target = into->*maps;
        if (target.empty()) {
            target = source;
            continue;
        }
        target.reserve(target.size() + source.size());
        for (const auto& entry : source)
            AddCounts(entry.second, &target[entry.first]);
    }
    if (!from.firstTime.empty() && (into->firstTime.empty() || from.firstTime < into->firstTime))
        into->firstTime = from.firstTime;
    if (from.lastTime > into->lastTime)
        into->lastTime = from.lastTime;
    into->outsidePeriod += from.outsidePeriod;
    into->skipped += from.skipped;
    for (const SkippedLine& line : from.firstSkipped) {
        if (into->firstSkipped.size() < SKIPPED_NAMED)
            into->firstSkipped.push_back(line);
    }
}

void SplitClientKey(const std::string& key, std::string* address, std::string* name,
                    std::string* mac) {
    size_t a = key.find(CLIENT_KEY_SEPARATOR);
    size_t b = key.find(CLIENT_KEY_SEPARATOR, a + 1);
    *address = key.substr(0, a);
    *name = key.substr(a + 1, b - a - 1);
    *mac = key.substr(b + 1);
}

std::string TimeText(int64_t seconds) {
    int32_t day = static_cast<int32_t>(seconds >= 0 ? seconds / 86400 : (seconds - 86399) / 86400);
    int64_t rest = seconds - int64_t(day) * 86400;
    char date[11], text[32];
    FormatDate(day, date);
    snprintf(text, sizeof text, "%s %02d:%02d:%02d", date, static_cast<int>(rest / 3600),
             static_cast<int>(rest / 60 % 60), static_cast<int>(rest % 60));
    return text;
}

std::unordered_map<uint32_t, Tally> NetworkTallies(const LogSummary& summary, int bits) {
    std::unordered_map<uint32_t, Tally> nets;
    for (const auto& client : summary.clients) {
        uint32_t address;
        std::string_view key = client.first;
        if (AddressNumber(key.substr(0, key.find(CLIENT_KEY_SEPARATOR)), &address))
            AddCounts(client.second, &nets[address >> (32 - bits)]);
    }
    return nets;
}

std::unordered_map<uint32_t, Tally> WiderNetworks(const std::unordered_map<uint32_t, Tally>& nets,
                                                  int bits, int widerBits) {
    std::unordered_map<uint32_t, Tally> wider;
    for (const auto& net : nets)
        AddCounts(net.second, &wider[net.first >> (bits - widerBits)]);
    return wider;
}

std::string NetworkText(uint32_t key, int bits) {
    uint32_t address = key << (32 - bits);
    char text[24];
    snprintf(text, sizeof text, "%u.%u.%u.%u/%d", address >> 24, address >> 16 & 255,
             address >> 8 & 255, address & 255, bits);
    return text;
}
