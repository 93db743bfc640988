#include "config/persistence.h"

#include <cstring>
#include <utility>

const char CONFIG_KEY_STRING[18] = "7r2mQx5vLd8wKp3Zn";

namespace {
const size_t CONFIG_KEY_LENGTH = 8; // only the first 8 characters of the key string are used
}

void Rc4Init(const uint8_t* key, size_t keyLength, Rc4State* state) {
    for (int k = 0; k < 256; ++k)
        state->S[k] = static_cast<uint8_t>(k);
    state->i = 0;
    state->j = 0;
    if (key == nullptr || keyLength == 0)
        return; // no key to schedule; never index an empty key
    uint8_t j = 0;
    for (int k = 0; k < 256; ++k) {
        j = static_cast<uint8_t>(j + state->S[k] + key[k % keyLength]);
        std::swap(state->S[k], state->S[j]);
    }
}

namespace {

// One RC4 step on the permutation S: advances i and j, swaps, and returns the
// keystream byte. `si` holds S[i + 1], read before this step's stores so that the next
// step need not wait for them, and mended when the swap wrote that very byte: the
// chain from one step to the next is then an addition and one load.
inline uint64_t Rc4Step(uint8_t* S, unsigned& i, unsigned& j, unsigned& si) {
    i = (i + 1) & 0xFF;
    j = (j + si) & 0xFF;
    unsigned sj = S[j];
    unsigned after = (i + 1) & 0xFF;
    unsigned next = S[after];
    S[i] = static_cast<uint8_t>(sj);
    S[j] = static_cast<uint8_t>(si);
    uint64_t key = S[(si + sj) & 0xFF];
    si = j == after ? si : next;
    return key;
}

} // namespace

void Rc4Crypt(uint8_t* buffer, size_t length, Rc4State* state) {
    // The permutation is worked on in a local copy: stores into the buffer (bytes, which
    // may alias anything) then cannot touch it, so the compiler need not reload it after
    // every byte. Eight keystream bytes, written out by hand so that no optimisation
    // level leaves a loop, are made before the buffer is touched.
    uint8_t S[256];
    memcpy(S, state->S, sizeof(S));
    unsigned i = state->i;
    unsigned j = state->j;
    unsigned si = S[(i + 1) & 0xFF];
    size_t n = 0;
    for (; length - n >= 8; n += 8) {
        uint64_t key = Rc4Step(S, i, j, si);
        key |= Rc4Step(S, i, j, si) << 8;
        key |= Rc4Step(S, i, j, si) << 16;
        key |= Rc4Step(S, i, j, si) << 24;
        key |= Rc4Step(S, i, j, si) << 32;
        key |= Rc4Step(S, i, j, si) << 40;
        key |= Rc4Step(S, i, j, si) << 48;
        key |= Rc4Step(S, i, j, si) << 56;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        uint64_t word;
        memcpy(&word, buffer + n, 8);
        word ^= key; // the first keystream byte in the lowest bits, as the first buffer byte
        memcpy(buffer + n, &word, 8);
#else
        for (int b = 0; b < 8; ++b)
            buffer[n + b] ^= static_cast<uint8_t>(key >> (8 * b));
#endif
    }
    for (; n < length; ++n)
        buffer[n] ^= static_cast<uint8_t>(Rc4Step(S, i, j, si));
    memcpy(state->S, S, sizeof(S));
    state->i = static_cast<uint8_t>(i);
    state->j = static_cast<uint8_t>(j);
}

void CryptConfigBlob(uint8_t* blob, size_t length) {
    Rc4State state;
    Rc4Init(reinterpret_cast<const uint8_t*>(CONFIG_KEY_STRING), CONFIG_KEY_LENGTH, &state);
    Rc4Crypt(blob, length, &state);
}
