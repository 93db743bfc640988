// Building packets and tables, and the exact bytes they encode to.
#include "tests/config/container_test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

TEST(ContainerEncoding, KnownBlobs) {
    // An empty packet is the header alone, whatever it was created with.
    ParamPacket* raw = nullptr;
    ASSERT_EQ(CreatePacket(&raw, 7, 8, 9, 10), 0);
    PacketPtr empty(raw);
    EXPECT_EQ(Encode(empty.get()), (Bytes{1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    PacketPtr one = NewPacket();
    ASSERT_EQ(AddIntParam(one.get(), 5, "A", 0), 0);
    EXPECT_EQ(Encode(one.get()), (Bytes{0x01, 0, 0, 0, 0x01, 0, 0, 0, 0x0F, 0,    0, 0, 0x01, 0,
                                        0x01, 0, 0, 0, 0x04, 0, 0, 0, 0x41, 0x05, 0, 0, 0}));

    // Texts travel without their terminator; floats as 8 raw bytes.
    PacketPtr mixed = NewPacket();
    ASSERT_EQ(AddStringParam(mixed.get(), "hi", "S", 0), 0);
    ASSERT_EQ(AddFloatParam(mixed.get(), 1.0, "", 0), 0);
    Bytes body = BlobWriter()
                     .Item(PT_STRING, 0, "S", {'h', 'i'})
                     .Item(PT_FLOAT, 0, "", {0, 0, 0, 0, 0, 0, 0xF0, 0x3F})
                     .bytes;
    EXPECT_EQ(Encode(mixed.get()), WithHeader(1, 2, body));
}

TEST(ContainerEncoding, VoiceListBytes) {
    VoiceList* list = CreateVoiceList();
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(AddVoiceItem(list, 0, "x"), 0);
    ASSERT_EQ(AddVoiceItem(list, 3, "yz"), 0);
    PacketPtr p = NewPacket();
    ASSERT_EQ(AddVoiceListParam(p.get(), list, "V"), 0);
    Bytes voice = {0x78, 0x01, 0x00, 0x79, 0x7A, 0x04, 0x00, 0x00};
    Bytes blob = Encode(p.get());
    EXPECT_EQ(blob, WithHeader(1, 1, BlobWriter().Item(PT_VOICELIST, 0, "V", voice).bytes));

    PacketPtr back = Decode(blob);
    ASSERT_NE(back, nullptr);
    ASSERT_EQ(back->entries[0].type, PT_VOICELIST);
    const VoiceList* decoded = static_cast<const VoiceList*>(back->entries[0].value);
    ASSERT_EQ(decoded->count, 2);
    EXPECT_EQ(decoded->items[0].number, 0);
    EXPECT_STREQ(decoded->items[0].text, "x");
    EXPECT_EQ(decoded->items[1].number, 3);
    EXPECT_STREQ(decoded->items[1].text, "yz");

    // An empty list is two 0 bytes and comes back as a list of its own.
    PacketPtr e = NewPacket();
    ASSERT_EQ(AddVoiceListParam(e.get(), CreateVoiceList(), "E"), 0);
    Bytes emptyBlob = Encode(e.get());
    EXPECT_EQ(emptyBlob, WithHeader(1, 1, BlobWriter().Item(PT_VOICELIST, 0, "E", {0, 0}).bytes));
    PacketPtr emptyBack = Decode(emptyBlob);
    ASSERT_NE(emptyBack, nullptr);
    ASSERT_NE(emptyBack->entries[0].value, nullptr);
    EXPECT_EQ(static_cast<const VoiceList*>(emptyBack->entries[0].value)->count, 0);
}

TEST(ContainerEncoding, VoiceItemNumbersMustFitOneNonZeroByte) {
    VoiceList* list = CreateVoiceList();
    EXPECT_EQ(AddVoiceItem(list, 254, "top"), 0);
    EXPECT_EQ(AddVoiceItem(list, 255, "over"), -1);
    EXPECT_EQ(AddVoiceItem(list, -1, "under"), -1);
    EXPECT_EQ(list->count, 1);
    // A number changed by hand afterwards cannot be encoded.
    list->items[0].number = 255;
    PacketPtr p = NewPacket();
    ASSERT_EQ(AddVoiceListParam(p.get(), list, "V"), 0);
    int result = 0;
    EXPECT_TRUE(Encode(p.get(), &result).empty());
    EXPECT_EQ(result, CONTAINER_INCOMPLETE_TABLE);
}

TEST(ContainerEncoding, TableLayout) {
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(2, 2), 0);
    ASSERT_EQ(b.SetIntCell(0, 0, 1, "N"), 0);
    ASSERT_EQ(b.SetStringCell(0, 1, "a", "T", 0), 0);
    ASSERT_EQ(b.SetIntCell(1, 0, 2, "N"), 0);
    ASSERT_EQ(b.SetStringCell(1, 1, "", "T", 0), 0);
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    Bytes body = BlobWriter()
                     .Item(PT_INTEGER, 0, "N", {1, 0, 0, 0})
                     .Item(PT_STRING, 0, "T", {'a'})
                     .Item(PT_INTEGER, 0, "N", {2, 0, 0, 0})
                     .Item(PT_STRING, 0, "T", {})
                     .bytes;
    Bytes expected = WithHeader(2, 2, body);
    EXPECT_EQ(EncodeTable(t.get()), expected);

    // Inside a packet the table's value is its whole encoding, header included.
    PacketPtr p = NewPacket();
    ASSERT_EQ(AddResultSetParam(p.get(), t.release(), "R"), 0);
    EXPECT_EQ(Encode(p.get()),
              WithHeader(1, 1, BlobWriter().Item(PT_RESULTSET, 0, "R", expected).bytes));
}

TEST(ContainerEncoding, IncompleteTablesAreRefused) {
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(1, 2), 0);
    ASSERT_EQ(b.SetIntCell(0, 0, 1, "A"), 0);
    EXPECT_EQ(b.Finish(), nullptr);

    // A table with an unset cell cannot be attached, and the packet is unchanged.
    ResultSetBuilder holder;
    ASSERT_EQ(holder.Create(1, 1), 0);
    ASSERT_EQ(holder.SetIntCell(0, 0, 1, "A"), 0);
    TablePtr complete(holder.Finish());
    ASSERT_NE(complete, nullptr);
    complete->rows[0][0].isSet = 0;
    PacketPtr p = NewPacket();
    ASSERT_EQ(AddIntParam(p.get(), 1, "X", 0), 0);
    Bytes before = Encode(p.get());
    EXPECT_EQ(AddResultSetParam(p.get(), complete.get(), "R"), -1);
    EXPECT_EQ(p->count, 1);
    EXPECT_EQ(Encode(p.get()), before);
    EXPECT_EQ(EncodeTable(complete.get()).size(), 0u);

    // Slipped in through AddParam, it cannot be sized.
    ASSERT_EQ(AddParam(p.get(), 1, complete.release(), 4, PT_RESULTSET, "R", 0), 0);
    int result = 0;
    EXPECT_TRUE(Encode(p.get(), &result).empty());
    EXPECT_EQ(result, CONTAINER_INCOMPLETE_TABLE);

    // So can an absent table.
    PacketPtr absent = NewPacket();
    ASSERT_EQ(AddParam(absent.get(), 0, nullptr, 0, PT_RESULTSET, "R", 0), 0);
    Encode(absent.get(), &result);
    EXPECT_EQ(result, CONTAINER_INCOMPLETE_TABLE);
}

TEST(ContainerEncoding, NullPacketGivesNoBlob) {
    uint8_t* blob = reinterpret_cast<uint8_t*>(1);
    size_t length = 99;
    EXPECT_EQ(EncodePacket(nullptr, &blob, &length), 0);
    EXPECT_EQ(blob, nullptr);
    EXPECT_EQ(length, 0u);
}

TEST(PacketBuilding, AddParamInsertsAtPosition) {
    PacketPtr p = NewPacket();
    ASSERT_EQ(AddIntParam(p.get(), 1, "first", 0), 0);
    ASSERT_EQ(AddIntParam(p.get(), 3, "third", 0), 0);
    int32_t two = 2;
    ASSERT_EQ(AddParam(p.get(), 1, &two, 4, PT_INTEGER, "second", 0), 0);
    int32_t zero = 0;
    ASSERT_EQ(AddParam(p.get(), 0, &zero, 4, PT_INTEGER, nullptr, 0), 0);
    EXPECT_EQ(AddParam(p.get(), 5, &zero, 4, PT_INTEGER, "late", 0), -1);
    EXPECT_EQ(AddParam(p.get(), -1, &zero, 4, PT_INTEGER, "early", 0), -1);
    EXPECT_EQ(AddParam(p.get(), 0, &zero, 4, 9, "unknown type", 0), -1);
    EXPECT_EQ(AddParam(p.get(), 0, &zero, -4, PT_BINARY, "negative", 0), -1);
    ASSERT_EQ(p->count, 4);
    const char* names[] = {"", "first", "second", "third"};
    for (int i = 0; i < 4; i++) {
        EXPECT_STREQ(p->entries[i].name, names[i]);
        EXPECT_EQ(ValueInt(p->entries[i].value), i);
    }
    // Many appends grow the entry array without losing order.
    for (int i = 4; i < 100; i++) {
        ASSERT_EQ(AddIntParam(p.get(), i, "n", 0), 0);
    }
    for (int i = 0; i < 100; i++) {
        ASSERT_EQ(ValueInt(p->entries[i].value), i);
    }
}

TEST(PacketBuilding, ValueCopyRules) {
    PacketPtr p = NewPacket();
    // Plain text: cut at the first 0 byte, terminated, length = text length.
    const char bytes[] = {'a', 'b', 0, 'c'};
    ASSERT_EQ(AddParam(p.get(), 0, bytes, 4, PT_STRING, "s", 0), 0);
    EXPECT_EQ(p->entries[0].length, 2);
    EXPECT_STREQ(static_cast<const char*>(p->entries[0].value), "ab");
    // Raw text keeps every byte.
    ASSERT_EQ(AddParam(p.get(), 1, bytes, 4, PT_STRING, "r", 1), 0);
    EXPECT_EQ(p->entries[1].length, 4);
    EXPECT_EQ(memcmp(p->entries[1].value, bytes, 4), 0);
    // No value: plain text becomes empty text, anything else absent with length 0.
    ASSERT_EQ(AddParam(p.get(), 2, nullptr, 10, PT_STRING, "e", 0), 0);
    EXPECT_EQ(p->entries[2].length, 0);
    EXPECT_STREQ(static_cast<const char*>(p->entries[2].value), "");
    ASSERT_EQ(AddParam(p.get(), 3, nullptr, 10, PT_BINARY, "b", 0), 0);
    EXPECT_EQ(p->entries[3].length, 0);
    EXPECT_EQ(p->entries[3].value, nullptr);
    // Counted texts stop at the count or at a 0 byte; null bytes give empty text.
    ASSERT_EQ(AddCountedStringParam(p.get(), "abcdef", 3, "c", 2), 0);
    EXPECT_EQ(ValueText(p->entries[4]), "abc");
    EXPECT_EQ(p->entries[4].encryptMethod, 2);
    ASSERT_EQ(AddCountedStringParam(p.get(), nullptr, 3, "n", 0), 0);
    EXPECT_STREQ(static_cast<const char*>(p->entries[5].value), "");
    EXPECT_EQ(AddCountedStringParam(p.get(), "abc", -1, "neg", 0), -1);
    ASSERT_EQ(AddStringParam(p.get(), nullptr, "null", 0), 0);
    EXPECT_STREQ(static_cast<const char*>(p->entries[6].value), "");
    // Binary keeps its 0 bytes.
    const uint8_t bin[] = {0, 1, 0, 2};
    ASSERT_EQ(AddBinaryParam(p.get(), bin, 4, "bin", 0), 0);
    EXPECT_EQ(p->entries[7].length, 4);
    EXPECT_EQ(memcmp(p->entries[7].value, bin, 4), 0);
    EXPECT_EQ(p->count, 8);
}

TEST(TableBuilding, SetCellGrowsAndKeepsCells) {
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(1, 1), 0);
    ASSERT_EQ(b.SetIntCell(0, 0, 10, "A"), 0);
    // Beyond the table: new rows appended, every row widened, new cells cleared.
    ASSERT_EQ(b.SetStringCell(2, 2, "far", "C", 0), 0);
    EXPECT_EQ(b.Finish(), nullptr);
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 3; c++) {
            if ((r == 0 && c == 0) || (r == 2 && c == 2)) {
                continue;
            }
            ASSERT_EQ(b.SetIntCell(r, c, r * 3 + c, "X"), 0);
        }
    }
    EXPECT_EQ(b.SetIntCell(-1, 0, 0, "X"), -1);
    EXPECT_EQ(b.SetIntCell(0, -1, 0, "X"), -1);
    VoiceList* list = CreateVoiceList(); // never a cell; stays ours when refused
    EXPECT_EQ(b.SetCell(0, 0, list, 4, PT_VOICELIST, "V", 0), -1);
    FreeVoiceList(list);
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rowCount, 3);
    EXPECT_EQ(t->columnCount, 3);
    EXPECT_EQ(ValueInt(t->rows[0][0].value), 10);
    EXPECT_STREQ(static_cast<const char*>(t->rows[2][2].value), "far");
    EXPECT_EQ(t->rows[2][2].length, 3);
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 3; c++) {
            EXPECT_EQ(t->rows[r][c].row, r);
            EXPECT_EQ(t->rows[r][c].column, c);
            EXPECT_EQ(t->rows[r][c].isSet, 1);
        }
    }
    EXPECT_EQ(ValueInt(t->rows[1][2].value), 5);
}

TEST(TableBuilding, SetCellWithoutCreateStartsEmptyTable) {
    ResultSetBuilder b;
    EXPECT_EQ(b.Finish(), nullptr);
    ASSERT_EQ(b.SetIntCell(0, 1, 7, "B"), 0);
    EXPECT_EQ(b.Finish(), nullptr); // (0,0) is unset
    ASSERT_EQ(b.SetIntCell(0, 0, 6, "A"), 0);
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    EXPECT_EQ(t->rowCount, 1);
    EXPECT_EQ(t->columnCount, 2);
    // The builder let go of it.
    EXPECT_EQ(b.Finish(), nullptr);
}

TEST(TableBuilding, OverwriteAndAbandonFreeEverything) {
    // Run under the leak checker: replaced values, names, nested tables and an
    // abandoned builder's table must all be freed.
    ResultSetBuilder inner;
    ASSERT_EQ(inner.SetStringCell(0, 0, "nested", "N", 0), 0);
    ResultSet* nested = inner.Finish();
    ASSERT_NE(nested, nullptr);
    {
        ResultSetBuilder b;
        ASSERT_EQ(b.Create(2, 2), 0);
        ASSERT_EQ(b.SetStringCell(0, 0, "one", "A", 0), 0);
        ASSERT_EQ(b.SetStringCell(0, 0, "two", "B", 0), 0);
        ASSERT_EQ(b.SetResultSetCell(0, 1, nested, "T"), 0);
        ASSERT_EQ(b.SetIntCell(0, 1, 3, "I"), 0);
        ASSERT_EQ(b.Create(1, 1), 0); // a second Create replaces the first table
    }
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(1, 1), 0);
    ASSERT_EQ(b.SetStringCell(0, 0, "one", "A", 0), 0);
    ASSERT_EQ(b.SetStringCell(0, 0, "two", "B", 3), 0);
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->rows[0][0].name, "B");
    EXPECT_STREQ(static_cast<const char*>(t->rows[0][0].value), "two");
    EXPECT_EQ(t->rows[0][0].encryptMethod, 3);
}

// A one-row table built field by field from the published records: every cell owns
// its malloc'd name and value. Its second cell holds `nested`, or an integer.
ResultSet* LooseTable(const char* text, ResultSet* nested = nullptr) {
    ResultSet* t = static_cast<ResultSet*>(calloc(1, sizeof(ResultSet)));
    t->rowCount = 1;
    t->columnCount = 2;
    t->rows = static_cast<ResultCell**>(calloc(1, sizeof(ResultCell*)));
    ResultCell* cells = static_cast<ResultCell*>(calloc(2, sizeof(ResultCell)));
    t->rows[0] = cells;
    const int32_t length = static_cast<int32_t>(strlen(text));
    cells[0] = {PT_STRING, 0, length, 1, 0, 0, strdup("S"), strdup(text)};
    void* value = nested;
    if (nested == nullptr) {
        value = calloc(1, 4);
    }
    cells[1] = {nested != nullptr ? PT_RESULTSET : PT_INTEGER, 0, 4, 1, 0, 1, strdup("N"), value};
    return t;
}

// Such a table is freed exactly, by each of its possible owners (run under the
// address and leak sanitizers).
TEST(TableBuilding, TablesBuiltFieldByFieldFreeThroughEveryOwner) {
    FreeResultSet(LooseTable("alone", LooseTable("inner")));
    PacketPtr p = NewPacket();
    ASSERT_EQ(AddResultSetParam(p.get(), LooseTable("in a packet"), "T"), 0);
    EXPECT_NE(Decode(Encode(p.get())), nullptr);
    // A voice list has no place in a table: such a table is refused, and still freed.
    TablePtr voices(LooseTable("voices"));
    free(voices->rows[0][1].value);
    voices->rows[0][1].type = PT_VOICELIST;
    voices->rows[0][1].value = CreateVoiceList();
    EXPECT_EQ(AddResultSetParam(p.get(), voices.get(), "V"), -1);
    ResultSetBuilder b;
    ASSERT_EQ(b.SetResultSetCell(0, 0, LooseTable("replaced"), "T"), 0);
    ASSERT_EQ(b.SetIntCell(0, 0, 1, "I"), 0);
    ASSERT_EQ(b.SetResultSetCell(0, 1, LooseTable("kept"), "U"), 0);
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
}

TEST(TableBuilding, NestedTablesMustBeComplete) {
    ResultSetBuilder incomplete;
    ASSERT_EQ(incomplete.Create(1, 2), 0);
    ASSERT_EQ(incomplete.SetIntCell(0, 0, 1, "A"), 0);
    ASSERT_EQ(incomplete.SetIntCell(0, 1, 1, "B"), 0);
    TablePtr t(incomplete.Finish());
    ASSERT_NE(t, nullptr);
    t->rows[0][1].isSet = 0; // as if never set

    ResultSetBuilder outer;
    EXPECT_EQ(outer.SetResultSetCell(0, 0, t.get(), "T"), -1);
    t->rows[0][1].isSet = 1;
    ASSERT_EQ(outer.SetResultSetCell(0, 0, t.release(), "T"), 0);
    ASSERT_EQ(outer.SetResultSetCell(0, 1, nullptr, "U"), 0);
    // An absent nested table is stored, but the table is not complete with it.
    EXPECT_EQ(outer.Finish(), nullptr);
    ResultSetBuilder other;
    ASSERT_EQ(other.SetIntCell(0, 0, 9, "Z"), 0);
    ASSERT_EQ(outer.SetResultSetCell(0, 1, other.Finish(), "U"), 0);
    TablePtr done(outer.Finish());
    ASSERT_NE(done, nullptr);
    EXPECT_EQ(CheckResultSet(done.get()), 0);
    EXPECT_EQ(CheckResultSet(nullptr), -1);
}

} // namespace
