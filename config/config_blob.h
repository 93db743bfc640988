// The configuration straight to and from its plain (deciphered) blob, without the
// packet in between: what every load and save of the library and the console pays, so
// it costs little beside the cipher. The bytes and the records are exactly those of
// the packet's way (EncodePacket of BuildConfigPacket; DecodePacket, then
// ApplyConfigPacketTo), which stays for the tools that read a packet.
#pragma once

#include <cstddef>
#include <cstdint>

#include "config/config_mapping.h"

struct FilterConfigRecord;

enum : int {
    CONFIG_BLOB_UNREADABLE = -1, // DecodePacket would refuse the blob; the record is untouched
    CONFIG_BLOB_NO_MEMORY = -2,  // memory ran out while filling; the rows read so far stay
};

// Fills `record` from the blob as DecodePacket followed by ApplyConfigPacketTo would:
// tables first (rows appended), then every scalar present. 0, or one of the above.
int ApplyConfigBlob(const uint8_t* blob, size_t length, FilterConfigRecord& record);

// The encoding of `record` in the given order, byte for byte what EncodePacket gives of
// BuildConfigPacket: one sizing pass and one writing pass into one allocation. The
// caller frees the blob with FreeBlob. 0; -1 when memory runs out or the encoding would
// not fit its 32-bit length fields.
int EncodeConfigRecord(const FilterConfigRecord& record, ConfigParamOrder order, uint8_t** blob,
                       size_t* length);
