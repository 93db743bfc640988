#include "config/persistence.h"

#include <utility>

const char CONFIG_KEY_STRING[18] = "7r2mQx5vLd8wKp3Zn";

namespace {
const size_t kConfigKeyLength = 8; // only the first 8 characters of the key string are used
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

void Rc4Crypt(uint8_t* buffer, size_t length, Rc4State* state) {
    uint8_t i = state->i;
    uint8_t j = state->j;
    uint8_t* S = state->S;
    for (size_t n = 0; n < length; ++n) {
        i = static_cast<uint8_t>(i + 1);
        j = static_cast<uint8_t>(j + S[i]);
        uint8_t si = S[i];
        S[i] = S[j];
        S[j] = si;
        buffer[n] ^= S[static_cast<uint8_t>(S[i] + S[j])];
    }
    state->i = i;
    state->j = j;
}

void CryptConfigBlob(uint8_t* blob, size_t length) {
    Rc4State state;
    Rc4Init(reinterpret_cast<const uint8_t*>(CONFIG_KEY_STRING), kConfigKeyLength, &state);
    Rc4Crypt(blob, length, &state);
}
