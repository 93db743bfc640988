#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "config/persistence.h"

namespace {

std::vector<uint8_t> Bytes(const std::string& text) {
    return std::vector<uint8_t>(text.begin(), text.end());
}

std::vector<uint8_t> Keystream(const std::vector<uint8_t>& key, size_t length) {
    Rc4State state;
    Rc4Init(key.data(), key.size(), &state);
    std::vector<uint8_t> stream(length, 0);
    Rc4Crypt(stream.data(), stream.size(), &state);
    return stream;
}

struct KnownAnswer {
    std::vector<uint8_t> key;
    std::vector<uint8_t> plain;
    std::vector<uint8_t> cipher;
};

// Published vectors: RFC 6229 (40- and 64-bit keys, keystream from offset 0) and the
// classic text vectors.
const KnownAnswer KNOWN_ANSWERS[] = {
    {{1, 2, 3, 4, 5, 6, 7, 8},
     std::vector<uint8_t>(32, 0),
     {0x97, 0xab, 0x8a, 0x1b, 0xf0, 0xaf, 0xb9, 0x61, 0x32, 0xf2, 0xf6,
      0x72, 0x58, 0xda, 0x15, 0xa8, 0x82, 0x63, 0xef, 0xdb, 0x45, 0xc4,
      0xa1, 0x86, 0x84, 0xef, 0x87, 0xe6, 0xb1, 0x9e, 0x5b, 0x09}},
    {{1, 2, 3, 4, 5},
     std::vector<uint8_t>(16, 0),
     {0xb2, 0x39, 0x63, 0x05, 0xf0, 0x3d, 0xc0, 0x27, 0xcc, 0xc3, 0x52, 0x4a, 0x0a, 0x11, 0x18,
      0xa8}},
    {Bytes("Key"), Bytes("Plaintext"), {0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}},
    {Bytes("Wiki"), Bytes("pedia"), {0x10, 0x21, 0xBF, 0x04, 0x20}},
    {Bytes("Secret"),
     Bytes("Attack at dawn"),
     {0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}},
};

TEST(Rc4, KnownAnswersInBothDirections) {
    for (const KnownAnswer& vector : KNOWN_ANSWERS) {
        Rc4State state;
        std::vector<uint8_t> buffer = vector.plain;
        Rc4Init(vector.key.data(), vector.key.size(), &state);
        Rc4Crypt(buffer.data(), buffer.size(), &state);
        EXPECT_EQ(vector.cipher, buffer);

        Rc4Init(vector.key.data(), vector.key.size(), &state);
        Rc4Crypt(buffer.data(), buffer.size(), &state);
        EXPECT_EQ(vector.plain, buffer);
    }
}

TEST(Rc4, StateCarriesOnAcrossCalls) {
    const std::vector<uint8_t> key = {1, 2, 3, 4, 5, 6, 7, 8};
    std::vector<uint8_t> whole = Keystream(key, 1000);

    Rc4State state;
    Rc4Init(key.data(), key.size(), &state);
    std::vector<uint8_t> pieces(1000, 0);
    size_t offsets[] = {0, 1, 7, 256, 257, 600, 1000};
    for (size_t k = 0; k + 1 < sizeof(offsets) / sizeof(offsets[0]); ++k)
        Rc4Crypt(pieces.data() + offsets[k], offsets[k + 1] - offsets[k], &state);
    EXPECT_EQ(whole, pieces);
}

// A long stream, where every swap that writes the next byte read (j = i + 1) occurs
// many times, against the textbook loop.
TEST(Rc4, LongStreamIsTheTextbookOne) {
    const std::vector<uint8_t> key = Bytes("7r2mQx5v");
    Rc4State reference;
    Rc4Init(key.data(), key.size(), &reference);
    uint8_t i = 0, j = 0;
    std::vector<uint8_t> expected(1 << 16);
    for (uint8_t& byte : expected) {
        i = static_cast<uint8_t>(i + 1);
        j = static_cast<uint8_t>(j + reference.S[i]);
        std::swap(reference.S[i], reference.S[j]);
        byte = reference.S[static_cast<uint8_t>(reference.S[i] + reference.S[j])];
    }
    EXPECT_EQ(Keystream(key, expected.size()), expected);
}

TEST(ConfigCipher, UsesOnlyTheFirstEightKeyCharacters) {
    EXPECT_EQ(17u, strlen(CONFIG_KEY_STRING));
    std::vector<uint8_t> blob(64, 0);
    CryptConfigBlob(blob.data(), blob.size());
    EXPECT_EQ(Keystream(Bytes("7r2mQx5v"), 64), blob);
    EXPECT_NE(Keystream(Bytes(CONFIG_KEY_STRING), 64), blob);
}

TEST(ConfigCipher, EncipheringTwiceRestoresTheBlob) {
    std::vector<uint8_t> plain(4099);
    for (size_t k = 0; k < plain.size(); ++k)
        plain[k] = static_cast<uint8_t>(k * 31 + 7);
    std::vector<uint8_t> blob = plain;
    CryptConfigBlob(blob.data(), blob.size());
    EXPECT_NE(plain, blob);
    CryptConfigBlob(blob.data(), blob.size());
    EXPECT_EQ(plain, blob);
}

} // namespace
