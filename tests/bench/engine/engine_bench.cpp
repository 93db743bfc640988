// Time of one session start (record, datagram and all six start-up filters, every
// one on and passing) against tables of N rows and a server of S sessions, with the
// number of Terminal Services calls a start makes; and the decision core alone over
// the same configuration and a described client, as gwconfig check and the console
// run it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

#include "config/config_model.h"
#include "engine/described_session.h"
#include "engine/pipeline.h"
#include "tests/engine/fake_platform.h"

namespace {

void Configure(int rows, int sessions) {
    ResetEngineWorld();
    Machine.currentSessionId = 3;
    AddSession(3, "10.0.0.5", "PC-LAB-0005", "alice");
    Machine.sessions.back().build = 2600;
    for (int i = 0; i < sessions - 1; ++i) {
        char address[32];
        snprintf(address, sizeof address, "10.1.%d.%d", (i / 250) % 250, i % 250 + 1);
        AddSession(uint32_t(100 + i), address, "OTHER", "user", i % 7 == 0 ? 4u : 0u);
    }
    AddArpEntry("10.0.0.5", {0, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});

    // Deny rows that never match, then one allow row that does, last: both passes
    // walk the whole table.
    char text[64];
    for (int i = 0; i < rows - 1; ++i) {
        snprintf(text, sizeof text, "172.%d.%d.0", (i / 250) % 250, i % 250);
        char to[64];
        snprintf(to, sizeof to, "172.%d.%d.255", (i / 250) % 250, i % 250);
        AddIpRow(text, to, ROW_LOGON_DISABLED);
        snprintf(text, sizeof text, "WS-%05d-*", i);
        AddComputerNameRow(text, ROW_LOGON_DISABLED);
        snprintf(text, sizeof text, "AA-BB-CC-%02X-%02X-%02X", i & 0xFF, (i >> 8) & 0xFF, 7);
        AddMacRow(text, ROW_LOGON_DISABLED);
        snprintf(text, sizeof text, "192.168.%d.%d", (i / 250) % 250, i % 250);
        AddSessionIpRow(text, 1);
    }
    AddIpRow("10.0.0.0", "10.0.0.255", ROW_LOGON_ENABLED);
    AddComputerNameRow("*lab*5", ROW_LOGON_ENABLED);
    AddMacRow("00-1a-2b-3c-4d-5e", ROW_LOGON_ENABLED);
    AddSessionIpRow("10.0.0.5", 2);

    FilterConfig.FLAG_IPADDRESS = 1;
    FilterConfig.FLAG_COMPUTERNAME = 1;
    FilterConfig.FLAG_MACADDRESS = 1;
    FilterConfig.FLAG_TIME = 1;
    FilterConfig.WEEK_W1 = 1;
    FilterConfig.TIME_BETWEEN = 1;
    CopyToField(FilterConfig.TIME_FROM, "08:00:00");
    CopyToField(FilterConfig.TIME_TO, "18:00:00");
    FilterConfig.FLAG_VERSION = 1;
    CopyToField(FilterConfig.VERALLOW, "2031,2128,2600");
    CopyToField(FilterConfig.VERBETWEEN, "(2031:3000)");
    FilterConfig.FLAG_SERVEROPTION = 1;
    FilterConfig.IGNORE_DISCONNECTED = 1;
}

void BM_SessionStart(benchmark::State& state) {
    const int rows = int(state.range(0));
    const int sessions = int(state.range(1));
    Configure(rows, sessions);
    long calls = 0;
    for (auto _ : state) {
        const long before = Machine.tsCalls;
        TSEventStartup(0);
        calls = Machine.tsCalls - before;
        if (!Machine.exits.empty() || !Machine.messages.empty()) {
            state.SkipWithError("the session was rejected");
            break;
        }
    }
    state.counters["ts_calls"] = double(calls);
    state.counters["datagrams"] =
        benchmark::Counter(double(Machine.datagrams.size()), benchmark::Counter::kAvgIterations);
    ClearConfigLists();
}

BENCHMARK(BM_SessionStart)
    ->Args({10, 10})
    ->Args({10, 2000})
    ->Args({10000, 10})
    ->Args({10000, 2000})
    ->Unit(benchmark::kMicrosecond);

void BM_DecideSession(benchmark::State& state) {
    Configure(int(state.range(0)), 10);
    FilterConfig.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    DescribedSession client;
    client.address = 10u << 24 | 5;
    client.hasName = client.hasMac = client.hasBuild = client.hasUser = true;
    client.name = "PC-LAB-0005";
    const uint8_t mac[6] = {0, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    memcpy(client.mac, mac, sizeof mac);
    client.build = 2600;
    client.user = "alice";
    client.at = Machine.clock;
    client.hasSessionsFromIp = client.hasSessionsOfUser = true;
    DescribedFacts facts(client);
    SessionDecision decision;
    for (auto _ : state) {
        DecideSession(FilterConfig, facts, &decision);
        if (!decision.admitted) {
            state.SkipWithError("the client was refused");
            break;
        }
        benchmark::DoNotOptimize(decision);
    }
    ClearConfigLists();
}

BENCHMARK(BM_DecideSession)->Arg(10)->Arg(10000)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
