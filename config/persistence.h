// Where the configuration lives: the RC4-enciphered container blob in the registry
// (values "tsdata" and "datasize" under HKLM "Software\Marrowby\Gatewell") and in
// configuration files. Every operation returns 0 on success and -1 on failure, and
// reports through the message box texts the users of both deliverables know.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/config_model.h"

// The 8 key bytes are the first 8 characters of this string.
extern const char CONFIG_KEY_STRING[18];

struct Rc4State {
    uint8_t S[256];
    uint8_t i;
    uint8_t j;
};
static_assert(sizeof(Rc4State) == 258, "RC4 state is the permutation and two indices");

void Rc4Init(const uint8_t* key, size_t keyLength, Rc4State* state);
void Rc4Crypt(uint8_t* buffer, size_t length, Rc4State* state);

// Enciphers or deciphers a whole blob with the configuration key (one fresh key
// schedule per call, so the same call does both).
void CryptConfigBlob(uint8_t* blob, size_t length);

int LoadConfigFromRegistry();
// Reads the configuration stored in the registry into `record` (empty, zero-filled),
// leaving FilterConfig alone: -1, silently and without writing anything, when there is
// none or it does not decode. The caller frees the rows (ClearRecordLists).
int ReadStoredConfig(FilterConfigRecord& record);
int SaveConfigToRegistry();
int SaveConfigToFile(const char* path);
// Replaces the rows and the scalars the file holds; on any failure FilterConfig is
// left exactly as it was.
int LoadConfigFromFile(const char* path);
