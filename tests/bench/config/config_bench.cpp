#include <time.h>

#include <algorithm>
#include <cstring>
#include <utility>
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

// Encode FilterConfig + encipher, as SaveConfigToRegistry does before writing.
void BM_SaveConfig(benchmark::State& state) {
    FillBenchConfig(static_cast<int>(state.range(0)));
    size_t blobSize = 0;
    for (auto _ : state) {
        uint8_t* blob = nullptr;
        size_t length = 0;
        if (EncodeConfigRecord(FilterConfig, REGISTRY_PARAM_ORDER, &blob, &length) != 0)
            state.SkipWithError("save failed");
        CryptConfigBlob(blob, length);
        benchmark::DoNotOptimize(blob);
        blobSize = length;
        FreeBlob(blob);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blobSize));
    state.counters["blob_bytes"] = static_cast<double>(blobSize);
    ResetFilterConfig();
}

// The packet's way, which the tools take (gwconfig show, diff, export): decoding the
// plain blob into a packet, and filling FilterConfig from the decoded packet.
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

// The baseline a load is judged by: a textbook RC4 (one byte per step, the state in
// bytes) over the stored blob of `rows` rows, beside the store's own over the same bytes.
void PlainRc4(uint8_t* buffer, size_t length) {
    uint8_t S[256];
    for (int k = 0; k < 256; ++k)
        S[k] = static_cast<uint8_t>(k);
    uint8_t j = 0;
    for (int k = 0; k < 256; ++k) {
        j = static_cast<uint8_t>(j + S[k] + static_cast<uint8_t>(CONFIG_KEY_STRING[k % 8]));
        std::swap(S[k], S[j]);
    }
    uint8_t i = 0;
    j = 0;
    for (size_t n = 0; n < length; ++n) {
        i = static_cast<uint8_t>(i + 1);
        j = static_cast<uint8_t>(j + S[i]);
        std::swap(S[i], S[j]);
        buffer[n] ^= S[static_cast<uint8_t>(S[i] + S[j])];
    }
}

void BM_PlainRc4OfBlob(benchmark::State& state) {
    FillBenchConfig(static_cast<int>(state.range(0)));
    std::vector<uint8_t> blob = BenchStoredBlob();
    ResetFilterConfig();
    for (auto _ : state) {
        PlainRc4(blob.data(), blob.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blob.size()));
}

void BM_StoreRc4OfBlob(benchmark::State& state) {
    FillBenchConfig(static_cast<int>(state.range(0)));
    std::vector<uint8_t> blob = BenchStoredBlob();
    ResetFilterConfig();
    for (auto _ : state) {
        CryptConfigBlob(blob.data(), blob.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * blob.size()));
}

double ThreadMilliseconds() {
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// A load and a save beside a plain RC4 of the same blob, taken in turns within one
// run on this thread's CPU clock: the best of each, and their ratios to the RC4's (the
// best is the one least disturbed by whatever else the machine runs).
void BM_AgainstPlainRc4(benchmark::State& state) {
    FillBenchConfig(static_cast<int>(state.range(0)));
    const std::vector<uint8_t> stored = BenchStoredBlob();
    std::vector<uint8_t> work(stored.size());
    double rc4 = 1e300, load = 1e300, save = 1e300, decipher = 1e300, fill = 1e300;
    for (auto _ : state) {
        memcpy(work.data(), stored.data(), stored.size());
        double start = ThreadMilliseconds();
        PlainRc4(work.data(), work.size());
        double rc4Done = ThreadMilliseconds();
        benchmark::DoNotOptimize(work.data());
        uint8_t* blob = nullptr;
        size_t length = 0;
        if (EncodeConfigRecord(FilterConfig, REGISTRY_PARAM_ORDER, &blob, &length) != 0)
            state.SkipWithError("save failed");
        CryptConfigBlob(blob, length);
        double saveDone = ThreadMilliseconds();
        FreeBlob(blob);
        ClearConfigLists();
        memcpy(work.data(), stored.data(), stored.size());
        double loadStart = ThreadMilliseconds();
        CryptConfigBlob(work.data(), work.size());
        double deciphered = ThreadMilliseconds();
        if (ApplyConfigBlob(work.data(), work.size(), FilterConfig) != 0)
            state.SkipWithError("load failed");
        double loadDone = ThreadMilliseconds();
        rc4 = std::min(rc4, rc4Done - start);
        save = std::min(save, saveDone - rc4Done);
        load = std::min(load, loadDone - loadStart);
        decipher = std::min(decipher, deciphered - loadStart);
        fill = std::min(fill, loadDone - deciphered);
    }
    state.counters["decipher_ms"] = decipher;
    state.counters["fill_ms"] = fill;
    state.counters["plain_rc4_ms"] = rc4;
    state.counters["load_ms"] = load;
    state.counters["save_ms"] = save;
    state.counters["load_x_rc4"] = load / rc4;
    state.counters["save_x_rc4"] = save / rc4;
    state.counters["blob_bytes"] = static_cast<double>(stored.size());
    ResetFilterConfig();
}

} // namespace

BENCHMARK(BM_AgainstPlainRc4)
    ->Arg(10000)
    ->Arg(100000)
    ->Iterations(15)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainRc4OfBlob)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StoreRc4OfBlob)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadConfig)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveConfig)->Arg(10)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DecodeOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ApplyOnly)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CryptConfigBlob)->Arg(1 << 20)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
