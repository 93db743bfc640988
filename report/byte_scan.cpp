#include "report/byte_scan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

#if defined(__SSE2__)
// The top bit of each byte of `bytes` that is a comma.
unsigned CommaBits(const char* p) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(','))));
}

// The bytes that are not printable ASCII, or are '"'.
unsigned NotPlainBits(const char* p) {
    __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // Signed: 0x80 to 0xFF are below 0x20 too.
    __m128i bad = _mm_or_si128(_mm_cmplt_epi8(bytes, _mm_set1_epi8(0x20)),
                               _mm_or_si128(_mm_cmpeq_epi8(bytes, _mm_set1_epi8(0x7F)),
                                            _mm_cmpeq_epi8(bytes, _mm_set1_epi8('"'))));
    return static_cast<unsigned>(_mm_movemask_epi8(bad));
}
#endif

} // namespace

size_t FindCommas(std::string_view text, uint16_t* at) {
    const char* p = text.data();
    size_t n = text.size(), count = 0, k = 0;
#if defined(__SSE2__)
    if (n >= 16) {
        // The commas of 64 bytes in one mask: a line's few commas then cost one loop, not
        // one per sixteen bytes, each ending in a branch the processor guesses wrong.
        for (; k < n; k += 64) {
            size_t end = k + 64 < n ? k + 64 : n, j = k;
            uint64_t found = 0;
            for (; j + 16 <= end; j += 16)
                found |= uint64_t(CommaBits(p + j)) << (j - k);
            // The text's last bytes in one more load that ends with it; the bytes it
            // shares with the loads before are dropped.
            if (j < end)
                found |= uint64_t(CommaBits(p + n - 16) >> (j - (n - 16))) << (j - k);
            for (; found != 0; found &= found - 1)
                at[count++] =
                    static_cast<uint16_t>(k + static_cast<size_t>(__builtin_ctzll(found)));
        }
        return count;
    }
#endif
    for (; k < n; ++k) {
        if (p[k] == ',')
            at[count++] = static_cast<uint16_t>(k);
    }
    return count;
}

bool PlainAscii(std::string_view text) {
    const char* p = text.data();
    size_t n = text.size(), k = 0;
#if defined(__SSE2__)
    if (n >= 16) {
        for (; k + 16 <= n; k += 16) {
            if (NotPlainBits(p + k) != 0)
                return false;
        }
        return k == n || NotPlainBits(p + n - 16) == 0;
    }
#endif
    for (; k < n; ++k) {
        unsigned char c = static_cast<unsigned char>(p[k]);
        if (c < 0x20 || c >= 0x7F || c == '"')
            return false;
    }
    return true;
}
