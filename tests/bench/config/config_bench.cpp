#include <cstring>
#include <vector>

#include <benchmark/benchmark.h>

#include "tests/bench/config/bench_config_fixture.h"

// The store shows no message box here; a benchmark that reaches one is broken.
int PlatformShowMessageBox(const char*, const char*, uint32_t) {
    return 1;
}

namespace {

// Decipher + decode + apply of a stored blob with `rows` rows in each table. The
// copy of the enciphered blob into the work buffer is timed too (a memcpy).
void BM_LoadConfig(benchmark::State& state) {
    FillBenchConfig(static_cast<int>(state.range(0)));
    const std::vector<uint8_t> stored = BenchStoredBlob();
    ResetFilterConfig();
    std::vector<uint8_t> work(stored.size());
    for (auto _ : state) {
        memcpy(work.data(), stored.data(), stored.size());
        if (LoadBlob(work) != 0)
            state.SkipWithError("load failed");
        state.PauseTiming();
        ClearConfigLists();
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * stored.size()));
    state.counters["blob_bytes"] = static_cast<double>(stored.size());
    ResetFilterConfig();
}

// Build the packet from FilterConfig + encode + encipher.
void BM_SaveConfig(benchmark::State& state) {
    FillBenchConfig(static_cast<int>(state.range(0)));
    size_t blobSize = 0;
    for (auto _ : state) {
        ParamPacket* packet = BuildConfigPacket(REGISTRY_PARAM_ORDER);
        uint8_t* blob = nullptr;
        size_t length = 0;
        if (packet == nullptr || EncodePacket(packet, &blob, &length) != 0)
            state.SkipWithError("save failed");
        CryptConfigBlob(blob, length);
        benchmark::DoNotOptimize(blob);
        blobSize = length;
        FreeBlob(blob);
        FreePacket(packet);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blobSize));
    state.counters["blob_bytes"] = static_cast<double>(blobSize);
    ResetFilterConfig();
}

// The two halves of a load, to see where the time goes: decoding the plain blob,
// and filling FilterConfig from the decoded packet.
void BM_DecodeOnly(benchmark::State& state) {
    FillBenchConfig(static_cast<int>(state.range(0)));
    std::vector<uint8_t> plain = BenchStoredBlob();
    CryptConfigBlob(plain.data(), plain.size());
    ResetFilterConfig();
    for (auto _ : state) {
        ParamPacket* packet = nullptr;
        if (DecodePacket(plain.data(), plain.size(), &packet) != 0)
            state.SkipWithError("decode failed");
        FreePacket(packet);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * plain.size()));
}

void BM_ApplyOnly(benchmark::State& state) {
    FillBenchConfig(static_cast<int>(state.range(0)));
    std::vector<uint8_t> plain = BenchStoredBlob();
    CryptConfigBlob(plain.data(), plain.size());
    ResetFilterConfig();
    ParamPacket* packet = nullptr;
    if (DecodePacket(plain.data(), plain.size(), &packet) != 0)
        state.SkipWithError("decode failed");
    for (auto _ : state) {
        ApplyConfigPacket(packet);
        state.PauseTiming();
        ClearConfigLists();
        state.ResumeTiming();
    }
    FreePacket(packet);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * plain.size()));
}

// RC4 alone, for reference.
void BM_CryptConfigBlob(benchmark::State& state) {
    std::vector<uint8_t> blob(static_cast<size_t>(state.range(0)), 0x5A);
    for (auto _ : state) {
        CryptConfigBlob(blob.data(), blob.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blob.size()));
}

} // namespace

BENCHMARK(BM_LoadConfig)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveConfig)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CryptConfigBlob)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
