// Read + count of a generated logon log (arguments: lines, distinct clients; users are
// a fifth of them), the whole report in each format, and the CSV written to a file. Every heap
// allocation is counted through a replaced operator new and malloc_usable_size, so peak_heap is
// what the report holds at its largest.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "platform/tool_files.h"
#include "report/log_summary.h"
#include "report/logon_report.h"

namespace {

size_t g_current = 0;
size_t g_peak = 0;

// A log of `lines` lines as the library writes them, over `clients` clients and
// clients / 5 users; one line in four a refusal, every reason in turn. Made once per
// shape and kept in /tmp between runs.
std::string GeneratedLog(int64_t lines, int64_t clients) {
    std::string path =
        "/tmp/gw-report-bench-" + std::to_string(lines) + "-" + std::to_string(clients) + ".log";
    if (access(path.c_str(), R_OK) == 0)
        return path;
    FILE* out = fopen((path + ".part").c_str(), "wb");
    if (out == nullptr)
        abort();
    int64_t users = clients / 5 > 0 ? clients / 5 : 1;
    for (int64_t k = 0; k < lines; ++k) {
        int64_t c = (k * 7919) % clients;
        int64_t second = k * 2; // a month and a bit of logons
        int day = static_cast<int>(1 + second / 86400 % 28);
        int hour = static_cast<int>(second / 3600 % 24);
        const char* code = k % 4 == 0 ? Reason(static_cast<int>(k / 4 % REASON_COUNT)).text : "";
        fprintf(out,
                "2026-11-%02d %02d:%02d:%02d,WS-%05lld,10.%lld.%lld.%lld,00-1A-2B-%02llX-%02llX-"
                "%02llX,RDP-Tcp#%lld,user%05lld,%lld,%s,%s,\r\n",
                day, hour, static_cast<int>(second / 60 % 60), static_cast<int>(second % 60),
                static_cast<long long>(c), static_cast<long long>(c >> 16 & 255),
                static_cast<long long>(c >> 8 & 255), static_cast<long long>(c & 255),
                static_cast<long long>(c >> 16 & 255), static_cast<long long>(c >> 8 & 255),
                static_cast<long long>(c & 255), static_cast<long long>(k % 40),
                static_cast<long long>((k * 31) % users), static_cast<long long>(k % 1000),
                code[0] != '\0' ? "Rejected" : "Accepted", code);
    }
    fclose(out);
    rename((path + ".part").c_str(), path.c_str());
    return path;
}

void BM_ReadAndCount(benchmark::State& state) {
    std::string path = GeneratedLog(state.range(0), state.range(1));
    size_t peak = 0;
    uint64_t lines = 0;
    for (auto _ : state) {
        size_t before = g_current;
        g_peak = g_current;
        LogSummary summary;
        std::string error;
        if (!SummarizeLog(path, ReportPeriod(), &summary, &error))
            state.SkipWithError(error.c_str());
        lines = summary.total.accepted + summary.total.refused + summary.skipped;
        benchmark::DoNotOptimize(summary.total.refused);
        if (g_peak - before > peak)
            peak = g_peak - before;
    }
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

// The whole report of one format, as gwconfig makes it: read, count, render. Format 0
// text, 1 JSON, 2 HTML.
void BM_Report(benchmark::State& state) {
    std::string path = GeneratedLog(1000000, state.range(1));
    size_t peak = 0, size = 0;
    for (auto _ : state) {
        size_t before = g_current;
        g_peak = g_current;
        LogonReport report;
        std::string error;
        if (!BuildLogonReport({{"TS", {path}}}, ReportPeriod(), &report, &error))
            state.SkipWithError(error.c_str());
        std::string document = state.range(0) == 0   ? RenderReportText(report, 1252)
                               : state.range(0) == 1 ? RenderReportJson(report, 1252)
                                                     : RenderReportHtml(report, 1252);
        size = document.size();
        benchmark::DoNotOptimize(document.data());
        if (g_peak - before > peak)
            peak = g_peak - before;
    }
    state.SetLabel(state.range(0) == 0 ? "text" : state.range(0) == 1 ? "json" : "html");
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.counters["output_KiB"] = static_cast<double>(size) / 1024;
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000000);
}

// The lines as CSV into a file, piece by piece, as `--format csv -o FILE` writes them.
void BM_CsvToFile(benchmark::State& state) {
    std::string path = GeneratedLog(1000000, 1000);
    std::string out = "/tmp/gw-report-bench-" + std::to_string(getpid()) + ".csv";
    size_t peak = 0;
    for (auto _ : state) {
        size_t before = g_current;
        g_peak = g_current;
        std::string error;
        uint64_t readable = 0;
        auto produce = [&](const ToolPieceWriter& write) {
            return WriteReportCsv({{"TS", {path}}}, ReportPeriod(), 1252, write, &readable, &error);
        };
        if (!ToolWriteFileStreamed(out, produce, &error))
            state.SkipWithError(error.c_str());
        if (g_peak - before > peak)
            peak = g_peak - before;
    }
    unlink(out.c_str());
    state.counters["peak_heap_MiB"] = static_cast<double>(peak) / (1 << 20);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * 1000000);
}

} // namespace

BENCHMARK(BM_Report)
    ->Args({0, 1000})
    ->Args({1, 1000})
    ->Args({2, 1000})
    ->Args({2, 20000})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

BENCHMARK(BM_CsvToFile)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime();

BENCHMARK(BM_ReadAndCount)
    ->Args({1000000, 1000})
    ->Args({250000, 1000})
    ->Args({1000000, 20000})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

BENCHMARK_MAIN();

void* operator new(size_t size) {
    void* p = malloc(size);
    if (p == nullptr)
        throw std::bad_alloc();
    g_current += malloc_usable_size(p);
    if (g_current > g_peak)
        g_peak = g_current;
    return p;
}
void* operator new[](size_t size) {
    return operator new(size);
}
void operator delete(void* p) noexcept {
    if (p != nullptr)
        g_current -= malloc_usable_size(p);
    free(p);
}
void operator delete[](void* p) noexcept {
    operator delete(p);
}
void operator delete(void* p, size_t) noexcept {
    operator delete(p);
}
void operator delete[](void* p, size_t) noexcept {
    operator delete(p);
}
