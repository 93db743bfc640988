// Fresh identifiers for items the tools write (a Group Policy preference item's uid):
// a random GUID, never read back by the product.
#pragma once

#include <cstdint>

// A GUID in its Windows layout: text form {data1-data2-data3-data4[0..1]-data4[2..7]}.
struct UniqueId {
    uint32_t data1;
    uint16_t data2;
    uint16_t data3;
    uint8_t data4[8];
};

// A new random identifier (CoCreateGuid on Windows, /dev/urandom elsewhere). False
// when the system gives none.
bool NewUniqueId(UniqueId* id);
