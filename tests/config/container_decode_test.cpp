// Decoding packets and tables: the rules a blob must keep, round trips of every
// value type, and hostile input (truncation, huge and negative counts and lengths,
// deep nesting) that must fail cleanly.
#include "tests/config/container_test_util.h"

#include <gtest/gtest.h>

#include <climits>

#if defined(__SANITIZE_ADDRESS__)
// The address sanitizer's count of bytes held by live allocations.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

const Bytes ONE_INTEGER = {0x01, 0, 0, 0, 0x01, 0, 0, 0, 0x0F, 0,    0, 0, 0x01, 0,
                           0x01, 0, 0, 0, 0x04, 0, 0, 0, 0x41, 0x05, 0, 0, 0};

Bytes OnePacket(uint8_t type, uint8_t encryptMethod, const std::string& name, const Bytes& value) {
    return WithHeader(1, 1, BlobWriter().Item(type, encryptMethod, name, value).bytes);
}

// A 1x1 table whose cell is an integer, wrapped in `depth` more tables.
Bytes NestedTable(int depth) {
    Bytes t = WithHeader(1, 1, BlobWriter().Item(PT_INTEGER, 0, "I", {1, 0, 0, 0}).bytes);
    for (int i = 0; i < depth; i++) {
        t = WithHeader(1, 1, BlobWriter().Item(PT_RESULTSET, 0, "T", t).bytes);
    }
    return t;
}

// A packet holding one of everything, with a table nested two deep.
PacketPtr RichPacket() {
    PacketPtr p = NewPacket();
    AddIntParam(p.get(), -123456, "INT", 0);
    AddStringParam(p.get(), "plain text", "TEXT", 0);
    const uint8_t raw[] = {'r', 0, 'w', 0xFF};
    AddParam(p.get(), p->count, raw, 4, PT_STRING, "RAW", 7);
    AddFloatParam(p.get(), -2.5e300, "FLOAT", 0);
    const uint8_t bin[] = {0, 0xFF, 0, 0x80, 1};
    AddBinaryParam(p.get(), bin, 5, "BIN", 0);
    AddBinaryParam(p.get(), nullptr, 0, "NOBIN", 0);
    VoiceList* list = CreateVoiceList();
    AddVoiceItem(list, 0, "zero");
    AddVoiceItem(list, 254, "");
    AddVoiceListParam(p.get(), list, "VOICE");

    ResultSetBuilder inner;
    inner.SetIntCell(0, 0, 42, "DEEP");
    inner.SetStringCell(1, 0, "deeper", "DEEP", 0);
    ResultSetBuilder outer;
    outer.Create(2, 3);
    for (int r = 0; r < 2; r++) {
        outer.SetIntCell(r, 0, r, "ROW");
        outer.SetStringCell(r, 1, r == 0 ? "a" : "", "NAME", 0);
    }
    outer.SetResultSetCell(0, 2, inner.Finish(), "SUB");
    ResultSetBuilder empty; // no rows, two columns
    empty.Create(0, 2);
    outer.SetResultSetCell(1, 2, empty.Finish(), "SUB");
    AddResultSetParam(p.get(), outer.Finish(), "TABLE");
    AddIntParam(p.get(), 1, "", 0);
    return p;
}

TEST(PacketDecoding, LengthMustMatchHeader) {
    int result = 0;
    PacketPtr p = Decode(ONE_INTEGER, &result);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(result, 0);

    Bytes longer = ONE_INTEGER;
    longer.push_back(0);
    EXPECT_EQ(Decode(longer, &result), nullptr);
    EXPECT_EQ(result, -1);
    Bytes shorter(ONE_INTEGER.begin(), ONE_INTEGER.end() - 1);
    EXPECT_EQ(Decode(shorter, &result), nullptr);
    EXPECT_EQ(result, -1);

    // The first four bytes are never examined.
    for (uint8_t v : {0x00, 0x02, 0x7F, 0xFF}) {
        Bytes changed = ONE_INTEGER;
        for (int i = 0; i < 4; i++) {
            changed[i] = static_cast<uint8_t>(v + i);
        }
        EXPECT_NE(Decode(changed), nullptr) << int(v);
    }
    EXPECT_EQ(Decode(Bytes{}), nullptr);
    ParamPacket* out = reinterpret_cast<ParamPacket*>(1);
    EXPECT_EQ(DecodePacket(nullptr, 12, &out), -1);
    EXPECT_EQ(out, nullptr);
}

TEST(PacketDecoding, HeaderValuesComeBackZero) {
    ParamPacket* raw = nullptr;
    ASSERT_EQ(CreatePacket(&raw, 11, 22, 33, 44), 0);
    PacketPtr original(raw);
    AddIntParam(original.get(), 5, "A", 0);
    PacketPtr p = Decode(Encode(original.get()));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->serviceCategory, 0);
    EXPECT_EQ(p->functionNo, 0);
    EXPECT_EQ(p->channelNo, 0);
    EXPECT_EQ(p->isn, 0);
    ASSERT_EQ(p->count, 1);
    EXPECT_STREQ(p->entries[0].name, "A");
    EXPECT_EQ(ValueInt(p->entries[0].value), 5);
}

TEST(PacketDecoding, FixedSizesApplyOnlyToPlainValues) {
    // A short integer is refused as plain, carried when enciphered.
    EXPECT_EQ(Decode(OnePacket(PT_INTEGER, 0, "I", {1, 2, 3})), nullptr);
    PacketPtr i = Decode(OnePacket(PT_INTEGER, 1, "I", {1, 2}));
    ASSERT_NE(i, nullptr);
    EXPECT_EQ(i->entries[0].length, 2);
    EXPECT_EQ(i->entries[0].encryptMethod, 1);
    // Even a short value reads safely as the integer its type promises.
    EXPECT_EQ(ValueInt(i->entries[0].value), 0x0201);

    EXPECT_EQ(Decode(OnePacket(PT_FLOAT, 0, "F", {1, 2, 3, 4, 5, 6, 7})), nullptr);
    EXPECT_EQ(Decode(OnePacket(PT_FLOAT, 0, "F", Bytes(9, 0))), nullptr);
    EXPECT_NE(Decode(OnePacket(PT_FLOAT, 2, "F", {1, 2, 3, 4, 5, 6, 7})), nullptr);
    EXPECT_NE(Decode(OnePacket(PT_FLOAT, 0, "F", Bytes(8, 0))), nullptr);
}

TEST(PacketDecoding, PlainTextEndsAtFirstZero) {
    PacketPtr plain = Decode(OnePacket(PT_STRING, 0, "S", {0x61, 0x62, 0x00, 0x63}));
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->entries[0].length, 2);
    EXPECT_STREQ(static_cast<const char*>(plain->entries[0].value), "ab");

    PacketPtr raw = Decode(OnePacket(PT_STRING, 1, "S", {0x61, 0x62, 0x00, 0x63}));
    ASSERT_NE(raw, nullptr);
    EXPECT_EQ(raw->entries[0].length, 4);
    EXPECT_EQ(Bytes(static_cast<uint8_t*>(raw->entries[0].value),
                    static_cast<uint8_t*>(raw->entries[0].value) + 4),
              (Bytes{0x61, 0x62, 0x00, 0x63}));

    // A name with a 0 byte inside is cut there too.
    PacketPtr name = Decode(OnePacket(PT_STRING, 0, std::string("ab\0c", 4), {}));
    ASSERT_NE(name, nullptr);
    EXPECT_STREQ(name->entries[0].name, "ab");
}

TEST(PacketDecoding, StructuralFailures) {
    // Unknown type codes, including 0.
    EXPECT_EQ(Decode(OnePacket(0, 0, "X", {})), nullptr);
    EXPECT_EQ(Decode(OnePacket(7, 0, "X", {})), nullptr);
    // Negative count.
    EXPECT_EQ(Decode(WithHeader(1, -1, {})), nullptr);
    // Fewer entries than counted; bytes left after the last entry.
    Bytes entry = BlobWriter().Item(PT_INTEGER, 0, "A", {5, 0, 0, 0}).bytes;
    EXPECT_EQ(Decode(WithHeader(1, 2, entry)), nullptr);
    Bytes padded = entry;
    padded.push_back(0);
    EXPECT_EQ(Decode(WithHeader(1, 1, padded)), nullptr);
    EXPECT_NE(Decode(WithHeader(1, 1, entry)), nullptr);
    // A table that fails to decode fails the packet.
    EXPECT_EQ(Decode(OnePacket(PT_RESULTSET, 0, "T", {})), nullptr);
}

TEST(PacketDecoding, VoiceListCellFailsTableAndPacket) {
    Bytes table = WithHeader(1, 2,
                             BlobWriter()
                                 .Item(PT_INTEGER, 0, "I", {1, 0, 0, 0})
                                 .Item(PT_VOICELIST, 0, "V", {0x78, 0x01, 0x00, 0x00})
                                 .bytes);
    int result = 0;
    EXPECT_EQ(DecodeTableBlob(table, &result), nullptr);
    EXPECT_EQ(result, -1);
    EXPECT_EQ(Decode(OnePacket(PT_RESULTSET, 0, "T", table)), nullptr);
    // The same table with an integer in its place decodes.
    Bytes good = WithHeader(1, 2,
                            BlobWriter()
                                .Item(PT_INTEGER, 0, "I", {1, 0, 0, 0})
                                .Item(PT_INTEGER, 0, "V", {2, 0, 0, 0})
                                .bytes);
    EXPECT_NE(Decode(OnePacket(PT_RESULTSET, 0, "T", good)), nullptr);
    // Unknown cell types fail the same way.
    Bytes unknown = WithHeader(1, 1, BlobWriter().Item(9, 0, "U", {}).bytes);
    EXPECT_EQ(DecodeTableBlob(unknown), nullptr);
}

TEST(PacketDecoding, VoiceListValueForms) {
    auto decodeList = [](const Bytes& value) -> std::vector<std::pair<int, std::string>> {
        PacketPtr p = Decode(OnePacket(PT_VOICELIST, 0, "V", value));
        std::vector<std::pair<int, std::string>> items;
        if (p == nullptr || p->entries[0].value == nullptr) {
            items.push_back({-1, "no list"});
            return items;
        }
        const VoiceList* l = static_cast<const VoiceList*>(p->entries[0].value);
        for (int i = 0; i < l->count; i++) {
            items.push_back({l->items[i].number, l->items[i].text});
        }
        return items;
    };
    using Items = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(decodeList({}), Items{});
    EXPECT_EQ(decodeList({0x05}), Items{});
    EXPECT_EQ(decodeList({0x41, 0x05}), Items{});          // two bytes or less: empty
    EXPECT_EQ(decodeList({0, 0, 0x41, 0x05, 0}), Items{}); // first two bytes 0: empty
    EXPECT_EQ(decodeList({0x41, 0x42, 0x05, 0}), (Items{{4, "AB"}}));
    // A number byte alone is an item with empty text.
    EXPECT_EQ(decodeList({0x03, 0, 0x41, 0x02, 0, 0}), (Items{{2, ""}, {1, "A"}}));
    // A missing terminator ends the item at the value's end.
    EXPECT_EQ(decodeList({0x41, 0x42, 0x43}), (Items{{0x42, "AB"}}));
}

TEST(TableDecoding, Rules) {
    Bytes body = BlobWriter().Item(PT_INTEGER, 0, "I", {7, 0, 0, 0}).bytes;
    EXPECT_NE(DecodeTableBlob(WithHeader(1, 1, body)), nullptr);
    // Bytes after the last cell but inside the body are ignored.
    Bytes padded = body;
    padded.insert(padded.end(), {0xEE, 0xEE, 0xEE});
    TablePtr t = DecodeTableBlob(WithHeader(1, 1, padded));
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(ValueInt(t->rows[0][0].value), 7);
    // Length must match; counts must not be negative.
    Bytes exact = WithHeader(1, 1, body);
    exact.push_back(0);
    EXPECT_EQ(DecodeTableBlob(exact), nullptr);
    EXPECT_EQ(DecodeTableBlob(WithHeader(-1, 1, body)), nullptr);
    EXPECT_EQ(DecodeTableBlob(WithHeader(1, -1, body)), nullptr);
    // Cell values keep their length here, checked or not.
    TablePtr shortInt =
        DecodeTableBlob(WithHeader(1, 1, BlobWriter().Item(PT_INTEGER, 0, "I", {9}).bytes));
    ASSERT_NE(shortInt, nullptr);
    EXPECT_EQ(shortInt->rows[0][0].length, 1);
    EXPECT_EQ(ValueInt(shortInt->rows[0][0].value), 9);
    // Plain cell text ends at a 0 byte; raw text keeps all bytes.
    Bytes texts = WithHeader(1, 2,
                             BlobWriter()
                                 .Item(PT_STRING, 0, "P", {'a', 0, 'b'})
                                 .Item(PT_STRING, 4, "R", {'a', 0, 'b'})
                                 .bytes);
    TablePtr s = DecodeTableBlob(texts);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->rows[0][0].length, 1);
    EXPECT_STREQ(static_cast<const char*>(s->rows[0][0].value), "a");
    EXPECT_EQ(s->rows[0][1].length, 3);
    EXPECT_EQ(s->rows[0][1].encryptMethod, 4);
    // An empty table of any width; rows without columns read as an empty table, also
    // inside a packet.
    TablePtr wide = DecodeTableBlob(WithHeader(0, 5, {}));
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(wide->columnCount, 5);
    Bytes rowsOnly = WithHeader(3, 0, {});
    PacketPtr p = Decode(WithHeader(1, 1, BlobWriter().Item(PT_RESULTSET, 0, "T", rowsOnly).bytes));
    ASSERT_NE(p, nullptr);
    const ResultSet* empty = static_cast<const ResultSet*>(p->entries[0].value);
    EXPECT_EQ(empty->rowCount, 0);
    EXPECT_EQ(empty->columnCount, 0);
}

TEST(ContainerRoundTrip, EveryTypeSurvives) {
    PacketPtr original = RichPacket();
    ASSERT_EQ(original->count, 9);
    Bytes blob = Encode(original.get());
    ASSERT_FALSE(blob.empty());
    PacketPtr back = Decode(blob);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(Encode(back.get()), blob);
    ASSERT_EQ(back->count, original->count);
    for (int i = 0; i < back->count; i++) {
        const ParamEntry& a = original->entries[i];
        const ParamEntry& b = back->entries[i];
        SCOPED_TRACE(a.name);
        EXPECT_EQ(a.type, b.type);
        EXPECT_EQ(a.encryptMethod, b.encryptMethod);
        EXPECT_EQ(a.length, b.length);
        EXPECT_STREQ(a.name, b.name);
        if (a.type != PT_VOICELIST && a.type != PT_RESULTSET && a.length > 0) {
            EXPECT_EQ(memcmp(a.value, b.value, static_cast<size_t>(a.length)), 0);
        }
    }
    EXPECT_EQ(ValueInt(back->entries[0].value), -123456);
    double f = 0;
    memcpy(&f, back->entries[3].value, 8);
    EXPECT_EQ(f, -2.5e300);
    const VoiceList* l = static_cast<const VoiceList*>(back->entries[6].value);
    ASSERT_EQ(l->count, 2);
    EXPECT_EQ(l->items[1].number, 254);
    EXPECT_STREQ(l->items[1].text, "");

    const ResultSet* t = static_cast<const ResultSet*>(back->entries[7].value);
    ASSERT_EQ(t->rowCount, 2);
    ASSERT_EQ(t->columnCount, 3);
    EXPECT_STREQ(t->rows[1][1].name, "NAME");
    EXPECT_EQ(ValueInt(t->rows[1][0].value), 1);
    const ResultSet* sub = static_cast<const ResultSet*>(t->rows[0][2].value);
    ASSERT_EQ(sub->rowCount, 2);
    EXPECT_EQ(ValueInt(sub->rows[0][0].value), 42);
    EXPECT_STREQ(static_cast<const char*>(sub->rows[1][0].value), "deeper");
    const ResultSet* none = static_cast<const ResultSet*>(t->rows[1][2].value);
    EXPECT_EQ(none->rowCount, 0);
    EXPECT_EQ(none->columnCount, 2);
    for (int r = 0; r < 2; r++) {
        for (int c = 0; c < 3; c++) {
            EXPECT_EQ(t->rows[r][c].row, r);
            EXPECT_EQ(t->rows[r][c].column, c);
        }
    }

    // The table alone round-trips through its own encoder and decoder.
    Bytes tableBlob = EncodeTable(t);
    TablePtr tableBack = DecodeTableBlob(tableBlob);
    ASSERT_NE(tableBack, nullptr);
    EXPECT_EQ(EncodeTable(tableBack.get()), tableBlob);
}

TEST(ContainerRoundTrip, RowsWithoutColumnsEncodeAsEmptyTable) {
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(4, 0), 0);
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(EncodeTable(t.get()), WithHeader(0, 0, {}));
}

TEST(HostileInput, EveryTruncationFails) {
    PacketPtr p = RichPacket();
    Bytes blob = Encode(p.get());
    ASSERT_NE(Decode(blob), nullptr);
    for (size_t n = 0; n < blob.size(); n++) {
        Bytes cut(blob.begin(), blob.begin() + static_cast<long>(n));
        ASSERT_EQ(Decode(cut), nullptr) << n;
        // Also with the header made to agree, so the entries themselves are read.
        if (n >= 12) {
            Bytes agreed = WithHeader(1, p->count, Bytes(cut.begin() + 12, cut.end()));
            ASSERT_EQ(Decode(agreed), nullptr) << n;
        }
    }
    Bytes table = EncodeTable(static_cast<const ResultSet*>(p->entries[7].value));
    for (size_t n = 0; n < table.size(); n++) {
        Bytes cut(table.begin(), table.begin() + static_cast<long>(n));
        ASSERT_EQ(DecodeTableBlob(cut), nullptr) << n;
        if (n >= 12) {
            ASSERT_EQ(DecodeTableBlob(WithHeader(2, 3, Bytes(cut.begin() + 12, cut.end()))),
                      nullptr)
                << n;
        }
    }
}

TEST(HostileInput, HugeAndNegativeLengths) {
    const int64_t lengths[] = {-1, INT32_MIN, INT32_MAX, INT32_MAX - 9, 0xFFFFFFF6, 5, 100};
    for (int64_t nameLength : lengths) {
        for (int64_t valueLength : lengths) {
            Bytes body = BlobWriter()
                             .U8(PT_BINARY)
                             .U8(0)
                             .I32(nameLength)
                             .I32(valueLength)
                             .Text("abcdef")
                             .bytes;
            EXPECT_EQ(Decode(WithHeader(1, 1, body)), nullptr) << nameLength << " " << valueLength;
            EXPECT_EQ(DecodeTableBlob(WithHeader(1, 1, body)), nullptr);
        }
    }
    // Body lengths that wrap when 12 is added in 32 bits.
    for (int64_t bodyLength : {int64_t(-12), int64_t(-1), int64_t(INT32_MAX)}) {
        Bytes header = BlobWriter().I32(1).I32(0).I32(bodyLength).bytes;
        EXPECT_EQ(Decode(header), nullptr) << bodyLength;
        EXPECT_EQ(DecodeTableBlob(header), nullptr) << bodyLength;
    }
}

TEST(HostileInput, HugeCounts) {
    Bytes entry = BlobWriter().Item(PT_INTEGER, 0, "A", {5, 0, 0, 0}).bytes;
    EXPECT_EQ(Decode(WithHeader(1, INT32_MAX, entry)), nullptr);
    EXPECT_EQ(Decode(WithHeader(1, INT32_MIN, entry)), nullptr);
    // Row and column counts that no body could hold, including a product that
    // wraps to 0 in 32 bits, are refused before anything is allocated for them.
    EXPECT_EQ(DecodeTableBlob(WithHeader(INT32_MAX, INT32_MAX, entry)), nullptr);
    EXPECT_EQ(DecodeTableBlob(WithHeader(65536, 65536, entry)), nullptr);
    // Rows without columns: an empty table, for which nothing is made.
#if defined(__SANITIZE_ADDRESS__)
    const size_t heldBefore = __sanitizer_get_current_allocated_bytes();
#endif
    TablePtr noColumns = DecodeTableBlob(WithHeader(INT32_MAX, 0, entry));
    ASSERT_NE(noColumns, nullptr);
    EXPECT_EQ(noColumns->rowCount, 0);
#if defined(__SANITIZE_ADDRESS__)
    EXPECT_LT(__sanitizer_get_current_allocated_bytes() - heldBefore, 4096u);
#endif
    EXPECT_EQ(DecodeTableBlob(WithHeader(2, 1, entry)), nullptr);
    EXPECT_NE(DecodeTableBlob(WithHeader(0, INT32_MAX, entry)), nullptr);
}

TEST(HostileInput, NestingDepthIsBounded) {
    TablePtr shallow = DecodeTableBlob(NestedTable(20));
    ASSERT_NE(shallow, nullptr);
    const ResultSet* t = shallow.get();
    for (int i = 0; i < 20; i++) {
        ASSERT_EQ(t->rows[0][0].type, PT_RESULTSET);
        t = static_cast<const ResultSet*>(t->rows[0][0].value);
    }
    EXPECT_EQ(ValueInt(t->rows[0][0].value), 1);
    EXPECT_EQ(DecodeTableBlob(NestedTable(500)), nullptr);
    EXPECT_EQ(Decode(OnePacket(PT_RESULTSET, 0, "T", NestedTable(500))), nullptr);
}

} // namespace
