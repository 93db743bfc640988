// Helpers for the container tests: owning wrappers and a little-endian blob writer
// for crafting encodings by hand.
#pragma once

#include "config/container.h"

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

struct PacketDeleter {
    void operator()(ParamPacket* p) const { FreePacket(p); }
};
struct TableDeleter {
    void operator()(ResultSet* t) const { FreeResultSet(t); }
};
using PacketPtr = std::unique_ptr<ParamPacket, PacketDeleter>;
using TablePtr = std::unique_ptr<ResultSet, TableDeleter>;

inline PacketPtr NewPacket() {
    ParamPacket* p = nullptr;
    CreatePacket(&p, 0, 0, 0, 0);
    return PacketPtr(p);
}

// Encodes and copies the blob out; an encoder failure yields an empty vector and
// its result in *result.
inline Bytes Encode(const ParamPacket* p, int* result = nullptr) {
    uint8_t* blob = nullptr;
    size_t length = 0;
    int r = EncodePacket(p, &blob, &length);
    if (result != nullptr) {
        *result = r;
    }
    Bytes out(blob, blob + length);
    FreeBlob(blob);
    return out;
}

inline Bytes EncodeTable(const ResultSet* t, int* result = nullptr) {
    uint8_t* blob = nullptr;
    size_t length = 0;
    int r = EncodeResultSet(t, &blob, &length);
    if (result != nullptr) {
        *result = r;
    }
    Bytes out(blob, blob + length);
    FreeBlob(blob);
    return out;
}

inline PacketPtr Decode(const Bytes& blob, int* result = nullptr) {
    ParamPacket* p = nullptr;
    int r = DecodePacket(blob.data(), blob.size(), &p);
    if (result != nullptr) {
        *result = r;
    }
    return PacketPtr(p);
}

inline TablePtr DecodeTableBlob(const Bytes& blob, int* result = nullptr) {
    ResultSet* t = nullptr;
    int r = DecodeResultSet(blob.data(), blob.size(), &t);
    if (result != nullptr) {
        *result = r;
    }
    return TablePtr(t);
}

// Builds blobs byte by byte.
struct BlobWriter {
    Bytes bytes;
    BlobWriter& U8(uint8_t v) {
        bytes.push_back(v);
        return *this;
    }
    BlobWriter& I32(int64_t v) {
        uint32_t u = static_cast<uint32_t>(v);
        for (int i = 0; i < 4; i++) {
            bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
        }
        return *this;
    }
    BlobWriter& Raw(const Bytes& b) {
        bytes.insert(bytes.end(), b.begin(), b.end());
        return *this;
    }
    BlobWriter& Text(const std::string& s) {
        bytes.insert(bytes.end(), s.begin(), s.end());
        return *this;
    }
    // One entry or cell: header, name and value.
    BlobWriter& Item(uint8_t type, uint8_t encryptMethod, const std::string& name,
                     const Bytes& value) {
        U8(type).U8(encryptMethod).I32(static_cast<int64_t>(name.size()));
        I32(static_cast<int64_t>(value.size()));
        return Text(name).Raw(value);
    }
};

// A packet or table blob: a 12-byte header whose body length matches the body.
inline Bytes WithHeader(int32_t first, int32_t second, const Bytes& body) {
    BlobWriter w;
    w.I32(first).I32(second).I32(static_cast<int64_t>(body.size())).Raw(body);
    return w.bytes;
}

inline std::string ValueText(const ParamEntry& e) {
    return std::string(static_cast<const char*>(e.value), static_cast<size_t>(e.length));
}

inline int32_t ValueInt(const void* value) {
    int32_t v = 0;
    memcpy(&v, value, 4);
    return v;
}
