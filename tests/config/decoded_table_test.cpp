// Decoded tables: every cell reads as SetCell would have stored it, and decoded cells
// are freed cleanly by every path that frees cells (FreeResultSet, FreePacket, a
// builder replacing a cell that holds a decoded table, a decode that fails half-way).
// Run under the address and leak sanitizers, which see any cell freed twice or never.
#include "tests/config/container_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

Bytes Le32(int32_t v) {
    return BlobWriter().I32(v).bytes;
}

// One row of cells, each an (type, encryptMethod, name, value) item.
struct CellSpec {
    uint8_t type;
    uint8_t encryptMethod;
    std::string name;
    Bytes value;
};

Bytes OneRowTable(const std::vector<CellSpec>& cells) {
    BlobWriter body;
    for (const CellSpec& c : cells) {
        body.Item(c.type, c.encryptMethod, c.name, c.value);
    }
    return WithHeader(1, static_cast<int32_t>(cells.size()), body.bytes);
}

TEST(DecodedCells, ReadAsTheBuilderStoresThem) {
    const std::string nameWithZero("AB\0CD", 5);
    Bytes table = OneRowTable({
        {PT_INTEGER, 0, "I", {0x34, 0x12}}, // short integer: zero-padded
        {PT_STRING, 0, nameWithZero, {'t', 'e', 'x', 't', 0, 'x'}},
        {PT_STRING, 9, "E", {'r', 0, 'w'}}, // enciphered: raw bytes kept
        {PT_BINARY, 0, "", {}},
        {PT_FLOAT, 0, "F", {0, 0, 0, 0, 0, 0, 0xF0, 0x3F}},
    });
    TablePtr t = DecodeTableBlob(table);
    ASSERT_NE(t, nullptr);
    const ResultCell* row = t->rows[0];

    EXPECT_STREQ(row[0].name, "I");
    EXPECT_EQ(row[0].length, 2);
    EXPECT_EQ(ValueInt(row[0].value), 0x1234); // bytes 2..3 read as zero
    const uint8_t* padded = static_cast<const uint8_t*>(row[0].value);
    for (int k = 2; k < 8; k++) {
        EXPECT_EQ(padded[k], 0) << k;
    }

    // A name and a plain text both end at their first 0 byte.
    EXPECT_STREQ(row[1].name, "AB");
    EXPECT_EQ(row[1].length, 4);
    EXPECT_STREQ(static_cast<const char*>(row[1].value), "text");

    EXPECT_EQ(row[2].encryptMethod, 9);
    EXPECT_EQ(row[2].length, 3);
    EXPECT_EQ(std::string(static_cast<const char*>(row[2].value), 4), std::string("r\0w\0", 4));

    EXPECT_STREQ(row[3].name, "");
    EXPECT_EQ(row[3].length, 0);
    ASSERT_NE(row[3].value, nullptr);
    EXPECT_EQ(ValueInt(row[3].value), 0);

    double f = 0;
    memcpy(&f, row[4].value, sizeof(f));
    EXPECT_EQ(f, 1.0);

    for (int c = 0; c < 5; c++) {
        EXPECT_EQ(row[c].isSet, 1);
        EXPECT_EQ(row[c].row, 0);
        EXPECT_EQ(row[c].column, c);
    }
    // Re-encoding gives the stored form the decoder kept: names and plain texts cut.
    Bytes again = EncodeTable(t.get());
    TablePtr back = DecodeTableBlob(again);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(EncodeTable(back.get()), again);
}

// Stored names and texts end at their first 0 byte wherever it lies, short or long.
TEST(DecodedCells, TextsEndAtTheirFirstZeroByte) {
    for (size_t zeroAt : {0, 1, 15, 16, 17, 31, 40, 64}) {
        Bytes text(40, 'x');
        if (zeroAt < text.size()) {
            text[zeroAt] = 0;
        }
        std::string name(text.begin(), text.end());
        TablePtr t = DecodeTableBlob(OneRowTable({{PT_STRING, 0, name, text}}));
        ASSERT_NE(t, nullptr) << zeroAt;
        size_t expected = zeroAt < text.size() ? zeroAt : text.size();
        EXPECT_EQ(strlen(t->rows[0][0].name), expected) << zeroAt;
        EXPECT_EQ(t->rows[0][0].length, static_cast<int32_t>(expected)) << zeroAt;
        EXPECT_EQ(strlen(static_cast<const char*>(t->rows[0][0].value)), expected) << zeroAt;
    }
}

// Names of every length around the alignment the decoder packs them to, each with a
// value of a different size; decoded and built tables must agree cell for cell and
// both free without a leak or a double free.
TEST(DecodedCells, NamesOfEveryLengthDecodeAndFree) {
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(2, 20), 0);
    for (int c = 0; c < 20; c++) {
        std::string name(static_cast<size_t>(c), static_cast<char>('a' + c));
        std::string text(static_cast<size_t>(19 - c), 'v');
        ASSERT_EQ(b.SetStringCell(0, c, text.c_str(), name.c_str(), 0), 0);
        Bytes bin(static_cast<size_t>(c) + 1, static_cast<uint8_t>(c + 1)); // never null
        ASSERT_EQ(b.SetCell(1, c, bin.data(), c, c % 2 ? PT_BINARY : PT_STRING, name.c_str(),
                            static_cast<uint8_t>(c % 2 ? 0 : 5)),
                  0);
    }
    // Cells overwritten in the builder free what they held.
    ASSERT_EQ(b.SetIntCell(1, 3, 77, "overwritten name"), 0);
    ASSERT_EQ(b.SetIntCell(1, 3, 78, "bbb"), 0);
    TablePtr built(b.Finish());
    ASSERT_NE(built, nullptr);

    Bytes encoded = EncodeTable(built.get());
    TablePtr decoded = DecodeTableBlob(encoded);
    ASSERT_NE(decoded, nullptr);
    for (int r = 0; r < 2; r++) {
        for (int c = 0; c < 20; c++) {
            const ResultCell& x = built->rows[r][c];
            const ResultCell& y = decoded->rows[r][c];
            EXPECT_STREQ(x.name, y.name) << r << "," << c;
            EXPECT_EQ(x.type, y.type);
            EXPECT_EQ(x.length, y.length);
            EXPECT_EQ(x.encryptMethod, y.encryptMethod);
            ASSERT_GE(x.length, 0);
            EXPECT_EQ(memcmp(x.value, y.value, static_cast<size_t>(x.length) + 1), 0);
        }
    }
    EXPECT_EQ(ValueInt(decoded->rows[1][3].value), 78);
    EXPECT_EQ(EncodeTable(decoded.get()), encoded);
}

TEST(DecodedCells, NestedTablesFreeThroughEveryOwner) {
    Bytes inner = OneRowTable({{PT_INTEGER, 0, "DEPTH2", Le32(2)}, {PT_STRING, 0, "S", {'x'}}});
    Bytes middle = OneRowTable({{PT_RESULTSET, 3, "INNER", inner}, {PT_INTEGER, 0, "N", Le32(1)}});
    Bytes outer = OneRowTable({{PT_RESULTSET, 0, "MIDDLE", middle}});

    TablePtr t = DecodeTableBlob(outer);
    ASSERT_NE(t, nullptr);
    const ResultSet* m = static_cast<const ResultSet*>(t->rows[0][0].value);
    ASSERT_EQ(t->rows[0][0].type, PT_RESULTSET);
    EXPECT_STREQ(t->rows[0][0].name, "MIDDLE");
    EXPECT_EQ(m->rows[0][0].encryptMethod, 3);
    const ResultSet* i = static_cast<const ResultSet*>(m->rows[0][0].value);
    EXPECT_STREQ(i->rows[0][0].name, "DEPTH2");
    EXPECT_EQ(ValueInt(i->rows[0][0].value), 2);
    EXPECT_STREQ(static_cast<const char*>(i->rows[0][1].value), "x");

    // A decoded table handed to a builder is freed when its cell is replaced.
    ResultSetBuilder b;
    ASSERT_EQ(b.SetResultSetCell(0, 0, t.release(), "T"), 0);
    ASSERT_EQ(b.SetIntCell(0, 0, 1, "I"), 0);
    // ... or when the builder is abandoned with it.
    ResultSetBuilder abandoned;
    ASSERT_EQ(abandoned.SetResultSetCell(0, 0, DecodeTableBlob(outer).release(), "T"), 0);

    // And through a packet that holds it.
    Bytes packet = WithHeader(1, 2,
                              BlobWriter()
                                  .Item(PT_RESULTSET, 0, "TABLE", outer)
                                  .Item(PT_STRING, 0, "after", {'a'})
                                  .bytes);
    PacketPtr p = Decode(packet);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->count, 2);
    EXPECT_EQ(Encode(p.get()), packet);
}

// A decode that fails after some cells were made frees them: in a later row, inside
// a nested table, or at a cell type a table cannot hold.
TEST(DecodedCells, FailedDecodesLeaveNothingBehind) {
    Bytes goodInner = OneRowTable({{PT_STRING, 0, "S", {'x', 'y'}}});
    Bytes badInner = OneRowTable({{PT_STRING, 0, "S", {'x'}}, {PT_VOICELIST, 0, "V", {0, 0}}});
    BlobWriter body;
    body.Item(PT_STRING, 0, "A", {'1'}).Item(PT_RESULTSET, 0, "T", goodInner);
    body.Item(PT_INTEGER, 0, "A", Le32(5)).Item(PT_RESULTSET, 0, "T", badInner);
    int result = 0;
    EXPECT_EQ(DecodeTableBlob(WithHeader(2, 2, body.bytes), &result), nullptr);
    EXPECT_EQ(result, -1);

    BlobWriter unknown;
    unknown.Item(PT_STRING, 0, "A", {'1'}).Item(PT_BINARY, 0, "B", {1, 2, 3});
    unknown.Item(PT_STRING, 0, "A", {'2'}).Item(42, 0, "B", {1});
    EXPECT_EQ(DecodeTableBlob(WithHeader(2, 2, unknown.bytes), &result), nullptr);
    EXPECT_EQ(result, -1);

    // The same table inside a packet, after an entry that did decode.
    Bytes packet = WithHeader(1, 2,
                              BlobWriter()
                                  .Item(PT_STRING, 0, "first", {'a'})
                                  .Item(PT_RESULTSET, 0, "T", WithHeader(2, 2, body.bytes))
                                  .bytes);
    EXPECT_EQ(Decode(packet, &result), nullptr);
    EXPECT_EQ(result, -1);
}

} // namespace
