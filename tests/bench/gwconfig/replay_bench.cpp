// gwconfig replay over a generated logon log of a million lines (arguments: lines,
// distinct clients) against a configuration of 10,000 rows (8,000 address ranges, 1,000
// computer names with patterns, 1,000 MAC addresses, and the time window), as the
// command runs it: load, read, decide every line, render the text. One thread.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "gwconfig/replay_command.h"

namespace {

std::string ConfigJson() {
    std::string path = "/tmp/gw-replay-bench-config.json";
    if (access(path.c_str(), R_OK) == 0)
        return path;
    std::string json = "{\"FLAG_IPADDRESS\": 1, \"FLAG_COMPUTERNAME\": 1, "
                       "\"FLAG_COMPUTERNAME_ALLOW\": 1, \"FLAG_MACADDRESS\": 1, "
                       "\"FLAG_MACADDRESS_ALLOW\": 1, \"FLAG_TIME\": 1, \"TIME_BETWEEN\": 1, "
                       "\"TIME_FROM\": \"07:00:00\", \"TIME_TO\": \"19:00:00\", \"WEEK_W1\": 1, "
                       "\"WEEK_W2\": 1, \"WEEK_W3\": 1, \"WEEK_W4\": 1, \"WEEK_W5\": 1,\n"
                       "\"R_IPADDRESS\": [";
    for (int r = 0; r < 8000; ++r) {
        const std::string net = "10." + std::to_string(r / 256) + "." + std::to_string(r % 256);
        json += std::string(r ? ",\n" : "") + "{\"IPFROM\": \"" + net + ".0\", \"IPTO\": \"" + net +
                ".127\", \"TYPE\": " + (r % 3 == 0 ? "0" : "1") + "}";
    }
    json += "],\n\"R_COMPUTERNAME\": [";
    for (int r = 0; r < 1000; ++r) {
        char name[32];
        snprintf(name, sizeof name, r % 2 ? "WS-%04d*" : "*-%05d", r);
        json += std::string(r ? ",\n" : "") + "{\"CNAME\": \"" + name + "\", \"TYPE\": 0}";
    }
    json += "],\n\"R_MAC\": [";
    for (int r = 0; r < 1000; ++r) {
        char mac[32];
        snprintf(mac, sizeof mac, "00-2B-3C-4D-%02X-%02X", r >> 8, r & 255);
        json += std::string(r ? ",\n" : "") + "{\"MACADDRESS\": \"" + mac + "\", \"TYPE\": 0}";
    }
    json += "]}\n";
    FILE* out = fopen(path.c_str(), "wb");
    if (out == nullptr)
        abort();
    fwrite(json.data(), 1, json.size(), out);
    fclose(out);
    return path;
}

// Clients spread over the ranges' networks; one line in four a refusal.
std::string GeneratedLog(int64_t lines, int64_t clients) {
    std::string path =
        "/tmp/gw-replay-bench-" + std::to_string(lines) + "-" + std::to_string(clients) + ".log";
    if (access(path.c_str(), R_OK) == 0)
        return path;
    FILE* out = fopen((path + ".part").c_str(), "wb");
    if (out == nullptr)
        abort();
    static const char* const CODES[] = {"REJECT_IPADDRESS", "REJECT_COMPUTERNAME",
                                        "REJECT_TIMERESTRICTION", "REJECT_CLIENTVERSION"};
    for (int64_t k = 0; k < lines; ++k) {
        const int64_t c = (k * 7919) % clients;
        const int64_t second = k * 2;
        const char* code = k % 4 == 0 ? CODES[k / 4 % 4] : "";
        fprintf(out,
                "2026-11-%02d %02d:%02d:%02d,WS-%05lld,10.%lld.%lld.%lld,00-2B-3C-%02llX-%02llX-"
                "%02llX,RDP-Tcp#%lld,user%05lld,%lld,%s,%s,\r\n",
                int(1 + second / 86400 % 28), int(second / 3600 % 24), int(second / 60 % 60),
                int(second % 60), static_cast<long long>(c), static_cast<long long>(c % 32),
                static_cast<long long>(c * 37 % 256), static_cast<long long>(c * 101 % 256),
                static_cast<long long>(c >> 16 & 255), static_cast<long long>(c >> 8 & 255),
                static_cast<long long>(c & 255), static_cast<long long>(k % 40),
                static_cast<long long>(c % 997), static_cast<long long>(k % 1000),
                code[0] != '\0' ? "Rejected" : "Accepted", code);
    }
    fclose(out);
    rename((path + ".part").c_str(), path.c_str());
    return path;
}

void BM_Replay(benchmark::State& state) {
    ReplayCommandOptions options;
    options.config = ConfigJson();
    options.logs = {GeneratedLog(state.range(0), state.range(1))};
    options.codePage = 1252;
    // The third argument: the filters that only audit (7: all three that decide here).
    options.auditOnlyGiven = state.range(2) != 0;
    options.auditOnly = static_cast<uint32_t>(state.range(2));
    FILE* sink = fopen("/dev/null", "wb");
    for (auto _ : state) {
        if (RunReplayCommand(options, sink, stderr) == 2)
            state.SkipWithError("the replay failed");
    }
    fclose(sink);
    state.SetItemsProcessed(static_cast<int64_t>(state.iterations()) * state.range(0));
}

} // namespace

BENCHMARK(BM_Replay)
    ->Args({1000000, 5000, 0})
    ->Args({1000000, 50000, 0})
    ->Args({1000000, 5000, 7})
    ->Unit(benchmark::kMillisecond)
    ->MeasureProcessCPUTime()
    ->UseRealTime();

BENCHMARK_MAIN();
