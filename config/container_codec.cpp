// Value copies, the byte writer and reader, and the encoding of one entry or cell:
// the pieces the packet and table code share.
#include "config/container_internal.h"

#include <cstdlib>
#include <cstring>

namespace container_detail {

void* CopyValueBytes(const void* bytes, size_t n) {
    // At least 8 bytes and one 0 byte past the data: a malformed integer or float
    // of fewer bytes, or raw text bytes, still read safely as what their type says.
    if (n >= SIZE_MAX - 1) {
        return nullptr;
    }
    size_t size = n + 1 < 8 ? 8 : n + 1;
    uint8_t* copy = static_cast<uint8_t*>(calloc(1, size));
    if (copy != nullptr && n > 0) {
        memcpy(copy, bytes, n);
    }
    return copy;
}

char* CopyCountedText(const void* bytes, size_t n) {
    if (n >= SIZE_MAX) {
        return nullptr;
    }
    char* copy = static_cast<char*>(malloc(n + 1));
    if (copy == nullptr) {
        return nullptr;
    }
    if (n > 0) {
        memcpy(copy, bytes, n);
    }
    copy[n] = '\0';
    return copy;
}

char* CopyText(const char* text) {
    if (text == nullptr) {
        return CopyCountedText("", 0);
    }
    return CopyCountedText(text, strlen(text));
}

int PrepareValue(const void* value, int32_t length, int32_t type, uint8_t encryptMethod,
                 bool wholeText, PreparedValue* out) {
    out->value = nullptr;
    out->length = 0;
    switch (type) {
    case PT_VOICELIST:
    case PT_RESULTSET:
        // The list or table itself; whoever adds it hands it over.
        out->value = const_cast<void*>(value);
        out->length = value != nullptr ? 4 : 0;
        return 0;
    case PT_INTEGER:
    case PT_FLOAT:
    case PT_BINARY:
    case PT_STRING:
        break;
    default:
        return -1;
    }
    if (type == PT_STRING && encryptMethod == 0) {
        size_t textLength = 0;
        if (value != nullptr) {
            if (wholeText) {
                textLength = strlen(static_cast<const char*>(value));
            } else {
                if (length < 0) {
                    return -1;
                }
                textLength = BoundedTextLength(value, static_cast<size_t>(length));
            }
        }
        if (textLength > MAX_ENCODED_SIZE) {
            return -1;
        }
        char* text = CopyCountedText(value != nullptr ? value : "", textLength);
        if (text == nullptr) {
            return -1;
        }
        out->value = text;
        out->length = static_cast<int32_t>(textLength);
        return 0;
    }
    if (value == nullptr) {
        return 0; // no value given: absent, length 0
    }
    if (length < 0) {
        return -1;
    }
    out->value = CopyValueBytes(value, static_cast<size_t>(length));
    if (out->value == nullptr) {
        return -1;
    }
    out->length = length;
    return 0;
}

void FreeValue(int32_t type, void* value) {
    if (type == PT_VOICELIST) {
        FreeVoiceList(static_cast<VoiceList*>(value));
    } else if (type == PT_RESULTSET) {
        FreeResultSet(static_cast<ResultSet*>(value));
    } else {
        free(value);
    }
}

void ByteWriter::PutBytes(const void* bytes, size_t n) {
    if (n > 0) {
        memcpy(data + pos, bytes, n);
        pos += n;
    }
}

void ByteWriter::Patch32(size_t at, uint32_t v) {
    data[at] = static_cast<uint8_t>(v);
    data[at + 1] = static_cast<uint8_t>(v >> 8);
    data[at + 2] = static_cast<uint8_t>(v >> 16);
    data[at + 3] = static_cast<uint8_t>(v >> 24);
}

bool ByteReader::Get8(uint8_t* v) {
    if (!Has(1)) {
        return false;
    }
    *v = data[pos++];
    return true;
}

bool ByteReader::Get32(int32_t* v) {
    if (!Has(4)) {
        return false;
    }
    uint32_t u = static_cast<uint32_t>(data[pos]) | static_cast<uint32_t>(data[pos + 1]) << 8 |
                 static_cast<uint32_t>(data[pos + 2]) << 16 |
                 static_cast<uint32_t>(data[pos + 3]) << 24;
    pos += 4;
    *v = static_cast<int32_t>(u);
    return true;
}

bool ByteReader::Take(uint64_t n, const uint8_t** bytes) {
    if (!Has(n)) {
        return false;
    }
    *bytes = data + pos;
    pos += static_cast<size_t>(n);
    return true;
}

int EncodedValueSize(int32_t type, int32_t length, const void* value, uint64_t* size) {
    *size = 0;
    if (type == PT_RESULTSET) {
        if (value == nullptr) {
            return CONTAINER_INCOMPLETE_TABLE;
        }
        return EncodedTableSize(static_cast<const ResultSet*>(value), size);
    }
    if (type == PT_VOICELIST) {
        return value == nullptr ? 0
                                : EncodedVoiceListSize(static_cast<const VoiceList*>(value), size);
    }
    if (value == nullptr || length <= 0) {
        return 0;
    }
    *size = static_cast<uint64_t>(length);
    return 0;
}

int EncodedItemSize(int32_t type, const char* name, int32_t length, const void* value,
                    uint64_t* size) {
    uint64_t valueSize = 0;
    int result = EncodedValueSize(type, length, value, &valueSize);
    if (result != 0) {
        return result;
    }
    uint64_t nameLength = name != nullptr ? strlen(name) : 0;
    if (nameLength > MAX_ENCODED_SIZE) {
        return -1;
    }
    *size = nameLength + ITEM_HEADER_SIZE + valueSize;
    return 0;
}

void WriteValue(ByteWriter* w, int32_t type, int32_t length, const void* value) {
    if (value == nullptr) {
        return;
    }
    if (type == PT_RESULTSET) {
        WriteTable(w, static_cast<const ResultSet*>(value));
    } else if (type == PT_VOICELIST) {
        WriteVoiceList(w, static_cast<const VoiceList*>(value));
    } else if (length > 0) {
        w->PutBytes(value, static_cast<size_t>(length));
    }
}

void WriteItem(ByteWriter* w, int32_t type, uint8_t encryptMethod, const char* name, int32_t length,
               const void* value) {
    size_t nameLength = name != nullptr ? strlen(name) : 0;
    w->Put8(static_cast<uint8_t>(type));
    w->Put8(encryptMethod);
    w->Put32(static_cast<uint32_t>(nameLength));
    size_t valueLengthAt = w->pos;
    w->Put32(0); // patched once the value is written: nested tables size themselves
    w->PutBytes(name, nameLength);
    size_t valueStart = w->pos;
    WriteValue(w, type, length, value);
    w->Patch32(valueLengthAt, static_cast<uint32_t>(w->pos - valueStart));
}

} // namespace container_detail
