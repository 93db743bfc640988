// Helpers shared by the container's packet, table and voice-list code: value and
// name copies, the little-endian byte writer, and the bounds-checked reader the
// decoders use. Not part of the container's interface.
#pragma once

#include "config/container.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace container_detail {

// Size of the cell and entry header: type, encryptMethod, name length, value length.
constexpr size_t ITEM_HEADER_SIZE = 10;
// Size of the packet and table header: three int32.
constexpr size_t BLOB_HEADER_SIZE = 12;
// Nested tables deeper than this are refused by the decoders, so hostile input
// cannot exhaust the stack through recursion.
constexpr int MAX_TABLE_DEPTH = 64;

// Copies n bytes into a fresh buffer that is zero-filled to at least 8 bytes and
// always ends with a 0 byte past the copied bytes, so a reader of an integer or
// float, or of a text, never runs off the allocation whatever the stored length.
// Null when memory runs out.
void* CopyValueBytes(const void* bytes, size_t n);
// NUL-terminated copies: of a text (empty text for null), or of the first n bytes
// of the input (whatever they hold). Null when memory runs out.
char* CopyText(const char* text);
char* CopyCountedText(const void* bytes, size_t n);
// Length of the text in the first n bytes: up to the first 0 byte, at most n. Names
// and cell texts are mostly short, where a plain loop beats a call to memchr.
inline size_t BoundedTextLength(const void* bytes, size_t n) {
    const char* text = static_cast<const char*>(bytes);
    if (n <= 16) {
        for (size_t k = 0; k < n; k++) {
            if (text[k] == 0) {
                return k;
            }
        }
        return n;
    }
    const void* zero = memchr(bytes, 0, n);
    return zero == nullptr ? n : static_cast<size_t>(static_cast<const char*>(zero) - text);
}

// The value a parameter or cell stores, prepared by the copy rule shared by
// AddParam and SetCell. For PT_VOICELIST and PT_RESULTSET the given pointer is
// taken as the list or table itself.
struct PreparedValue {
    void* value;
    int32_t length;
};
// Returns 0 and fills out, or -1 (bad length, unknown type, out of memory).
// wholeText: a plain text is measured by its terminator rather than by length.
int PrepareValue(const void* value, int32_t length, int32_t type, uint8_t encryptMethod,
                 bool wholeText, PreparedValue* out);
// Frees a stored value by its type (lists and tables recursively).
void FreeValue(int32_t type, void* value);

// Writes into a buffer whose size was computed beforehand.
struct ByteWriter {
    uint8_t* data;
    size_t pos;
    void Put8(uint8_t v) { data[pos++] = v; }
    void Put32(uint32_t v) {
        Put8(static_cast<uint8_t>(v));
        Put8(static_cast<uint8_t>(v >> 8));
        Put8(static_cast<uint8_t>(v >> 16));
        Put8(static_cast<uint8_t>(v >> 24));
    }
    void PutBytes(const void* bytes, size_t n);
    void Patch32(size_t at, uint32_t v);
};

// A little-endian int32 at p.
inline int32_t LoadLe32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 |
                                static_cast<uint32_t>(p[3]) << 24);
}

// Reads from untrusted input; every read is checked against the end.
struct ByteReader {
    const uint8_t* data;
    size_t length;
    size_t pos;
    bool Has(uint64_t n) const { return n <= static_cast<uint64_t>(length - pos); }
    bool Get8(uint8_t* v);
    bool Get32(int32_t* v);
    // Points at the next n bytes and moves past them.
    bool Take(uint64_t n, const uint8_t** bytes);
};

// The 10-byte header of a packet entry or table cell, with its name and value
// located inside the input.
struct ItemHeader {
    uint8_t type;
    uint8_t encryptMethod;
    const uint8_t* name;
    size_t nameLength;
    const uint8_t* value;
    size_t valueLength;
};
// False when the header, name or value does not lie wholly inside the input, or a
// length is negative. Inline: the table decoder reads every cell header twice.
inline bool ReadItemHeader(ByteReader* reader, ItemHeader* item) {
    if (!reader->Has(ITEM_HEADER_SIZE)) {
        return false;
    }
    const uint8_t* header = reader->data + reader->pos;
    int32_t nameLength = LoadLe32(header + 2);
    int32_t valueLength = LoadLe32(header + 6);
    if (nameLength < 0 || valueLength < 0 ||
        !reader->Has(ITEM_HEADER_SIZE + static_cast<uint64_t>(nameLength) +
                     static_cast<uint64_t>(valueLength))) {
        return false;
    }
    item->type = header[0];
    item->encryptMethod = header[1];
    item->name = header + ITEM_HEADER_SIZE;
    item->nameLength = static_cast<size_t>(nameLength);
    item->value = item->name + item->nameLength;
    item->valueLength = static_cast<size_t>(valueLength);
    reader->pos += ITEM_HEADER_SIZE + item->nameLength + item->valueLength;
    return true;
}

// Largest size an encoded value, table or packet may have: its length travels in
// an int32 field.
constexpr uint64_t MAX_ENCODED_SIZE = 0x7FFFFFFF;

// Encoded size of a stored value (a nested table with its header). Returns 0, or
// CONTAINER_INCOMPLETE_TABLE when it cannot be sized (an absent table, an unset
// cell, a voice list that cannot be encoded), or -1 when the size does not fit the
// int32 length fields.
int EncodedValueSize(int32_t type, int32_t length, const void* value, uint64_t* size);
// Size of one entry or cell: header, name and value; codes as EncodedValueSize.
int EncodedItemSize(int32_t type, const char* name, int32_t length, const void* value,
                    uint64_t* size);
void WriteValue(ByteWriter* w, int32_t type, int32_t length, const void* value);
void WriteItem(ByteWriter* w, int32_t type, uint8_t encryptMethod, const char* name, int32_t length,
               const void* value);

// Voice lists.
// Fails (CONTAINER_INCOMPLETE_TABLE) for an item whose number is outside 0..254.
int EncodedVoiceListSize(const VoiceList* l, uint64_t* size);
void WriteVoiceList(ByteWriter* w, const VoiceList* l);
// A new list decoded from the value bytes; null when memory runs out.
VoiceList* DecodeVoiceList(const uint8_t* bytes, size_t n);

// Tables.
int EncodedTableSize(const ResultSet* t, uint64_t* size);
void WriteTable(ByteWriter* w, const ResultSet* t);
int DecodeTable(const uint8_t* blob, size_t length, int depth, ResultSet** out);

// What DecodeTable checks before it allocates: the header and counts, every cell header
// and type, and the room the decoded table would take. 0 and the scan, or -1.
struct TableScan {
    int32_t rowCount, columnCount; // rowCount 0 when there are no columns
    uint64_t cells;
    size_t bodyStart; // offset of the first cell
    bool nested;      // a cell holds a table
    uint64_t cellsOffset, storageOffset, storageSize;
};
int ScanTable(const uint8_t* blob, size_t length, int depth, TableScan* scan);
// 0 when DecodeTable would decode the table (memory permitting), nested tables and
// all; -1 when it would refuse it. Allocates nothing.
int CheckTable(const uint8_t* blob, size_t length, int depth);

// What DecodePacket decides, without building the packet: -1 when it would refuse the
// blob; else 0, after handing every entry to `visit` in order (the entries of a blob
// that is refused in the end may have been visited too). Allocates nothing.
int ScanPacket(const uint8_t* blob, size_t length,
               void (*visit)(void* context, const ItemHeader& item), void* context);

} // namespace container_detail
