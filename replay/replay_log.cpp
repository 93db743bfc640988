#include "replay/replay_log.h"

#include "report/log_stream.h"

bool ReplayLog(const std::string& path, const ReportPeriod& period, const ReplayLineVisitor& visit,
               ReplayLogCounts* counts, std::string* error, const std::atomic<bool>* cancel) {
    counts->logs.push_back(path);
    KnownSession session;
    auto line = [&](uint64_t number, std::string_view text) {
        if (cancel != nullptr && cancel->load(std::memory_order_relaxed))
            return;
        LogLine parsed;
        const LineProblem problem = ParseLogLine(text, &parsed);
        if (problem != LINE_OK) {
            ++counts->skipped;
            if (counts->firstSkipped.size() < SKIPPED_NAMED)
                counts->firstSkipped.push_back({path, number, problem});
            return;
        }
        if (!period.Contains(parsed.day)) {
            ++counts->outsidePeriod;
            return;
        }
        if (parsed.audited) {
            ++counts->audited;
            return;
        }
        ++counts->sessions;
        if (counts->firstTime.empty() || parsed.timestamp < counts->firstTime)
            counts->firstTime.assign(parsed.timestamp.data(), parsed.timestamp.size());
        if (counts->lastTime.empty() || parsed.timestamp > counts->lastTime)
            counts->lastTime.assign(parsed.timestamp.data(), parsed.timestamp.size());
        SessionOfLogLine(parsed, &session);
        visit(parsed, session);
    };
    return ReadLogLines(path, line, error);
}

std::string SkippedLinesText(const ReplayLogCounts& counts) {
    std::string text;
    for (const SkippedLine& skipped : counts.firstSkipped) {
        text += (text.empty() ? "'" : "; '") + skipped.log + "' line " +
                std::to_string(skipped.number) + ": " + LineProblemText(skipped.problem);
    }
    return text;
}
