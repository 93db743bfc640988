#include "report/log_summary.h"

#include <algorithm>
#include <cstdio>

#include "report/log_stream.h"

namespace {

const int TIME_WINDOW_REASON = ReasonOfText("REJECT_TIMERESTRICTION");

void Count(Tally* tally, const LogLine& line, int64_t seconds) {
    if (tally->Lines() == 0 || seconds < tally->firstSeen)
        tally->firstSeen = seconds;
    if (seconds > tally->lastSeen)
        tally->lastSeen = seconds;
    if (line.rejected) {
        ++tally->refused;
        ++tally->byReason[line.reason];
    } else if (line.audited) {
        ++tally->audited;
        ++tally->auditedByReason[line.reason];
    } else {
        ++tally->accepted;
    }
}

// Counts lines into a summary; keeps a few lookups from the line before, since lines of
// one day come together.
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
        if (s_->firstTime.empty() || line.timestamp < s_->firstTime)
            s_->firstTime.assign(line.timestamp.data(), line.timestamp.size());
        if (s_->lastTime.empty() || line.timestamp > s_->lastTime)
            s_->lastTime.assign(line.timestamp.data(), line.timestamp.size());

        key_.assign(line.address.data(), line.address.size());
        key_ += CLIENT_KEY_SEPARATOR;
        key_.append(line.computerName.data(), line.computerName.size());
        key_ += CLIENT_KEY_SEPARATOR;
        key_.append(line.mac.data(), line.mac.size());
        Count(Find(&s_->clients), line, seconds);
        if (!line.user.empty()) {
            key_.assign(line.user.data(), line.user.size());
            Count(Find(&s_->users), line, seconds);
        }
    }

private:
    Tally* Find(std::unordered_map<std::string, Tally>* map) {
        auto found = map->find(key_);
        if (found != map->end())
            return &found->second;
        return &(*map)[key_];
    }

    const std::string& path_;
    const ReportPeriod& period_;
    LogSummary* s_;
    Tally* day_ = nullptr;
    int32_t dayNumber_ = 0;
    std::string key_;
};

} // namespace

bool SummarizeLog(const std::string& path, const ReportPeriod& period, LogSummary* summary,
                  std::string* error) {
    summary->logs.push_back(path);
    LineCounter counter(path, period, summary);
    return ReadLogLines(
        path, [&counter](uint64_t number, std::string_view text) { counter(number, text); }, error);
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
    for (const auto& client : from.clients)
        AddCounts(client.second, &into->clients[client.first]);
    for (const auto& user : from.users)
        AddCounts(user.second, &into->users[user.first]);
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

std::string NetworkText(uint32_t key, int bits) {
    uint32_t address = key << (32 - bits);
    char text[24];
    snprintf(text, sizeof text, "%u.%u.%u.%u/%d", address >> 24, address >> 16 & 255,
             address >> 8 & 255, address & 255, bits);
    return text;
}
