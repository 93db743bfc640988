// Heap high-water mark of loading a large stored configuration, against the size of
// its blob. Usage: config_peak_memory [rows per table] (default 100000).
#include <malloc.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <vector>

#include "tests/bench/config/bench_config_fixture.h"

int PlatformShowMessageBox(const char*, const char*, uint32_t) {
    return 1;
}

namespace {
size_t g_current = 0;
size_t g_peak = 0;

void Count(void* p) {
    if (p == nullptr)
        return;
    g_current += malloc_usable_size(p);
    if (g_current > g_peak)
        g_peak = g_current;
}
void Uncount(void* p) {
    if (p != nullptr)
        g_current -= malloc_usable_size(p);
}
} // namespace

extern "C" {
void* __real_malloc(size_t);
void* __real_calloc(size_t, size_t);
void* __real_realloc(void*, size_t);
void __real_free(void*);

void* __wrap_malloc(size_t n) {
    void* p = __real_malloc(n);
    Count(p);
    return p;
}
void* __wrap_calloc(size_t n, size_t size) {
    void* p = __real_calloc(n, size);
    Count(p);
    return p;
}
void* __wrap_realloc(void* old, size_t n) {
    size_t before = old != nullptr ? malloc_usable_size(old) : 0;
    void* p = __real_realloc(old, n);
    if (p != nullptr || n == 0) {
        g_current -= before;
        Count(p);
    }
    return p;
}
void __wrap_free(void* p) {
    Uncount(p);
    __real_free(p);
}
}

void* operator new(size_t n) {
    void* p = __wrap_malloc(n == 0 ? 1 : n);
    if (p == nullptr)
        throw std::bad_alloc();
    return p;
}
void* operator new[](size_t n) {
    return operator new(n);
}
void* operator new(size_t n, const std::nothrow_t&) noexcept {
    return __wrap_malloc(n ? n : 1);
}
void operator delete(void* p) noexcept {
    __wrap_free(p);
}
void operator delete[](void* p) noexcept {
    __wrap_free(p);
}
void operator delete(void* p, size_t) noexcept {
    __wrap_free(p);
}
void operator delete[](void* p, size_t) noexcept {
    __wrap_free(p);
}

int main(int argc, char** argv) {
    int rows = argc > 1 ? atoi(argv[1]) : 100000;
    FillBenchConfig(rows);
    std::vector<uint8_t> work = BenchStoredBlob();
    ResetFilterConfig();

    size_t before = g_current;
    g_peak = g_current;
    if (LoadBlob(work) != 0) {
        fprintf(stderr, "load failed\n");
        return 1;
    }
    size_t peak = g_peak - before;
    size_t kept = g_current - before;
    printf("rows per table: %d\n", rows);
    printf("blob bytes: %zu\n", work.size());
    printf("peak heap during load (beyond the blob): %zu bytes (%.2f x blob)\n", peak,
           static_cast<double>(peak) / work.size());
    printf("heap kept by FilterConfig after load: %zu bytes (%.2f x blob)\n", kept,
           static_cast<double>(kept) / work.size());
    ResetFilterConfig();
    return 0;
}
