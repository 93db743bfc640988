// Packets: an ordered, growable list of named, typed parameters, and the packet
// encoding (a 12-byte header of 1, parameter count and body length, then every
// entry as type, encryptMethod, name length, value length, name and value).
#include "config/container_internal.h"

#include <cstdlib>
#include <cstring>

using namespace container_detail;

namespace {

// Inserts an entry whose name and value are already owned copies. On failure
// nothing changes and the caller still owns them.
int InsertEntry(ParamPacket* p, int32_t position, const ParamEntry& entry) {
    if (p->count == p->capacity) {
        if (p->capacity > INT32_MAX / 2) {
            return -1;
        }
        int32_t capacity = p->capacity == 0 ? 8 : p->capacity * 2;
        if (static_cast<uint64_t>(capacity) > SIZE_MAX / sizeof(ParamEntry)) {
            return -1;
        }
        ParamEntry* entries = static_cast<ParamEntry*>(
            realloc(p->entries, static_cast<size_t>(capacity) * sizeof(ParamEntry)));
        if (entries == nullptr) {
            return -1;
        }
        p->entries = entries;
        p->capacity = capacity;
    }
    memmove(&p->entries[position + 1], &p->entries[position],
            static_cast<size_t>(p->count - position) * sizeof(ParamEntry));
    p->entries[position] = entry;
    p->count++;
    return 0;
}

int32_t EndOf(const ParamPacket* p) {
    return p != nullptr ? p->count : 0;
}

// Appends and then sets the entry's encryptMethod, as the text helpers do: the value
// itself is copied as plain text.
int AppendThenMark(ParamPacket* p, const void* value, int32_t length, int32_t type,
                   const char* name, uint8_t encryptMethod) {
    if (AddParam(p, EndOf(p), value, length, type, name, 0) != 0) {
        return -1;
    }
    p->entries[p->count - 1].encryptMethod = encryptMethod;
    return 0;
}

} // namespace

int CreatePacket(ParamPacket** out, int32_t serviceCategory, int32_t functionNo, int32_t channelNo,
                 int32_t isn) {
    if (out == nullptr) {
        return -1;
    }
    ParamPacket* p = static_cast<ParamPacket*>(calloc(1, sizeof(ParamPacket)));
    *out = p;
    if (p == nullptr) {
        return -1;
    }
    p->serviceCategory = serviceCategory;
    p->functionNo = functionNo;
    p->channelNo = channelNo;
    p->isn = isn;
    return 0;
}

int AddParam(ParamPacket* p, int32_t position, const void* value, int32_t length, int32_t type,
             const char* name, uint8_t encryptMethod) {
    if (p == nullptr || position < 0 || position > p->count || p->count == INT32_MAX) {
        return -1;
    }
    PreparedValue prepared;
    if (PrepareValue(value, length, type, encryptMethod, false, &prepared) != 0) {
        return -1;
    }
    ParamEntry entry;
    entry.type = type;
    entry.encryptMethod = encryptMethod;
    entry.length = prepared.length;
    entry.name = CopyText(name);
    entry.value = prepared.value;
    if (entry.name == nullptr || InsertEntry(p, position, entry) != 0) {
        free(entry.name);
        if (type != PT_VOICELIST && type != PT_RESULTSET) {
            free(entry.value); // a list or table given to us stays the caller's
        }
        return -1;
    }
    return 0;
}

int AddIntParam(ParamPacket* p, int32_t value, const char* name, uint8_t encryptMethod) {
    return AddParam(p, EndOf(p), &value, 4, PT_INTEGER, name, encryptMethod);
}

int AddStringParam(ParamPacket* p, const char* text, const char* name, uint8_t encryptMethod) {
    size_t length = text != nullptr ? strlen(text) : 0;
    if (length > MAX_ENCODED_SIZE) {
        return -1;
    }
    return AppendThenMark(p, text, static_cast<int32_t>(length), PT_STRING, name, encryptMethod);
}

int AddCountedStringParam(ParamPacket* p, const void* bytes, int32_t count, const char* name,
                          uint8_t encryptMethod) {
    if (count < 0) {
        return -1;
    }
    return AppendThenMark(p, bytes, bytes != nullptr ? count : 0, PT_STRING, name, encryptMethod);
}

int AddFloatParam(ParamPacket* p, double value, const char* name, uint8_t encryptMethod) {
    return AddParam(p, EndOf(p), &value, 8, PT_FLOAT, name, encryptMethod);
}

int AddVoiceListParam(ParamPacket* p, VoiceList* list, const char* name) {
    return AddParam(p, EndOf(p), list, 4, PT_VOICELIST, name, 0);
}

int AddResultSetParam(ParamPacket* p, ResultSet* table, const char* name) {
    if (CheckResultSet(table) != 0) {
        return -1;
    }
    return AddParam(p, EndOf(p), table, 4, PT_RESULTSET, name, 0);
}

int AddBinaryParam(ParamPacket* p, const void* bytes, int32_t count, const char* name,
                   uint8_t encryptMethod) {
    return AddParam(p, EndOf(p), bytes, count, PT_BINARY, name, encryptMethod);
}

void FreePacket(ParamPacket* p) {
    if (p == nullptr) {
        return;
    }
    for (int32_t i = 0; i < p->count; i++) {
        free(p->entries[i].name);
        FreeValue(p->entries[i].type, p->entries[i].value);
    }
    free(p->entries);
    free(p);
}

void FreeBlob(uint8_t* blob) {
    free(blob);
}

int EncodePacket(const ParamPacket* p, uint8_t** blob, size_t* length) {
    if (blob == nullptr || length == nullptr) {
        return -1;
    }
    *blob = nullptr;
    *length = 0;
    if (p == nullptr) {
        return 0;
    }
    if (p->count < 0 || (p->count > 0 && p->entries == nullptr)) {
        return -1;
    }
    uint64_t total = BLOB_HEADER_SIZE;
    for (int32_t i = 0; i < p->count; i++) {
        const ParamEntry& e = p->entries[i];
        uint64_t itemSize = 0;
        int result = EncodedItemSize(e.type, e.name, e.length, e.value, &itemSize);
        if (result != 0) {
            return result;
        }
        total += itemSize;
        if (total - BLOB_HEADER_SIZE > MAX_ENCODED_SIZE) {
            return -1;
        }
    }
    uint8_t* data = static_cast<uint8_t*>(malloc(static_cast<size_t>(total)));
    if (data == nullptr) {
        return -1;
    }
    ByteWriter w = {data, 0};
    w.Put32(1);
    w.Put32(static_cast<uint32_t>(p->count));
    w.Put32(static_cast<uint32_t>(total - BLOB_HEADER_SIZE));
    for (int32_t i = 0; i < p->count; i++) {
        const ParamEntry& e = p->entries[i];
        WriteItem(&w, e.type, e.encryptMethod, e.name, e.length, e.value);
    }
    *blob = data;
    *length = w.pos;
    return 0;
}

namespace {

// Appends one decoded entry to p; false when the entry breaks a rule or memory runs
// out (p then holds only the entries before it).
bool AppendDecodedEntry(ParamPacket* p, const ItemHeader& item, const char* name) {
    const int32_t end = p->count;
    const int32_t valueLength = static_cast<int32_t>(item.valueLength);
    const uint8_t em = item.encryptMethod;
    switch (item.type) {
    case PT_INTEGER:
        if (em == 0 && valueLength != 4) {
            return false;
        }
        return AddParam(p, end, item.value, valueLength, PT_INTEGER, name, em) == 0;
    case PT_FLOAT:
        if (em == 0 && valueLength != 8) {
            return false;
        }
        return AddParam(p, end, item.value, valueLength, PT_FLOAT, name, em) == 0;
    case PT_STRING:
        if (em == 0) {
            return AddCountedStringParam(p, item.value, valueLength, name, 0) == 0;
        }
        return AddParam(p, end, item.value, valueLength, PT_STRING, name, em) == 0;
    case PT_BINARY:
        return AddParam(p, end, item.value, valueLength, PT_BINARY, name, em) == 0;
    case PT_VOICELIST: {
        VoiceList* list = DecodeVoiceList(item.value, item.valueLength);
        if (list == nullptr || AddParam(p, end, list, 4, PT_VOICELIST, name, em) != 0) {
            FreeVoiceList(list);
            return false;
        }
        return true;
    }
    case PT_RESULTSET: {
        ResultSet* table = nullptr;
        if (DecodeTable(item.value, item.valueLength, 0, &table) != 0) {
            return false;
        }
        if (AddParam(p, end, table, 4, PT_RESULTSET, name, em) != 0) {
            FreeResultSet(table);
            return false;
        }
        return true;
    }
    default:
        return false;
    }
}

// The blob's header, read from its start: the entry count. False when the body's length
// is not the rest of the blob, or the count is negative or more than the body can hold
// (every entry takes at least its header).
bool ReadPacketHeader(ByteReader* reader, size_t length, int32_t* count) {
    int32_t ignored = 0;
    int32_t bodyLength = 0;
    if (!reader->Get32(&ignored) || !reader->Get32(count) || !reader->Get32(&bodyLength)) {
        return false;
    }
    return static_cast<int64_t>(bodyLength) + static_cast<int64_t>(BLOB_HEADER_SIZE) ==
               static_cast<int64_t>(length) &&
           *count >= 0 &&
           static_cast<uint64_t>(*count) <= static_cast<uint64_t>(bodyLength) / ITEM_HEADER_SIZE;
}

} // namespace

namespace container_detail {

int ScanPacket(const uint8_t* blob, size_t length,
               void (*visit)(void* context, const ItemHeader& item), void* context) {
    if (blob == nullptr) {
        return -1;
    }
    ByteReader reader = {blob, length, 0};
    int32_t count = 0;
    if (!ReadPacketHeader(&reader, length, &count)) {
        return -1;
    }
    // The rules of AppendDecodedEntry; a voice list always decodes.
    for (int32_t i = 0; i < count; i++) {
        ItemHeader item;
        if (!ReadItemHeader(&reader, &item)) {
            return -1;
        }
        bool plain = item.encryptMethod == 0;
        switch (item.type) {
        case PT_INTEGER:
            if (plain && item.valueLength != 4) {
                return -1;
            }
            break;
        case PT_FLOAT:
            if (plain && item.valueLength != 8) {
                return -1;
            }
            break;
        case PT_STRING:
        case PT_BINARY:
        case PT_VOICELIST:
            break;
        case PT_RESULTSET:
            if (CheckTable(item.value, item.valueLength, 0) != 0) {
                return -1;
            }
            break;
        default:
            return -1;
        }
        visit(context, item);
    }
    return reader.pos == length ? 0 : -1;
}

} // namespace container_detail

int DecodePacket(const uint8_t* blob, size_t length, ParamPacket** out) {
    if (out == nullptr) {
        return -1;
    }
    *out = nullptr;
    if (blob == nullptr) {
        return -1;
    }
    ByteReader reader = {blob, length, 0};
    int32_t count = 0;
    if (!ReadPacketHeader(&reader, length, &count)) {
        return -1;
    }
    ParamPacket* p = nullptr;
    if (CreatePacket(&p, 0, 0, 0, 0) != 0) {
        return -1;
    }
    for (int32_t i = 0; i < count; i++) {
        ItemHeader item;
        char* name = nullptr;
        bool ok = ReadItemHeader(&reader, &item) &&
                  (name = CopyCountedText(item.name, item.nameLength)) != nullptr &&
                  AppendDecodedEntry(p, item, name);
        free(name);
        if (!ok) {
            FreePacket(p);
            return -1;
        }
    }
    if (reader.pos != length) {
        FreePacket(p);
        return -1;
    }
    *out = p;
    return 0;
}
