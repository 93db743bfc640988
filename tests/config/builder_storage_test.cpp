// The builder's storage: cells replaced in every order of sizes and types, tables
// grown after Create in both directions, and tables far larger than one block of
// storage. Every table must read the same before and after an encode/decode round
// trip, and everything must be freed once (run under the address and leak
// sanitizers).
#include "tests/config/container_test_util.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string CellText(const ResultCell& cell) {
    return std::string(static_cast<const char*>(cell.value), static_cast<size_t>(cell.length));
}

// Every cell of a and b shows the same name, type, length and value bytes.
void ExpectSameCells(const ResultSet* a, const ResultSet* b) {
    ASSERT_EQ(a->rowCount, b->rowCount);
    ASSERT_EQ(a->columnCount, b->columnCount);
    for (int32_t r = 0; r < a->rowCount; r++) {
        for (int32_t c = 0; c < a->columnCount; c++) {
            const ResultCell& x = a->rows[r][c];
            const ResultCell& y = b->rows[r][c];
            SCOPED_TRACE(testing::Message() << "cell " << r << "," << c);
            EXPECT_STREQ(x.name, y.name);
            EXPECT_EQ(x.type, y.type);
            EXPECT_EQ(x.length, y.length);
            EXPECT_EQ(y.row, r);
            EXPECT_EQ(y.column, c);
            if (x.type != PT_RESULTSET && x.length > 0) {
                EXPECT_EQ(memcmp(x.value, y.value, static_cast<size_t>(x.length)), 0);
            }
        }
    }
}

void ExpectRoundTrip(const ResultSet* t) {
    int result = -1;
    Bytes blob = EncodeTable(t, &result);
    ASSERT_EQ(result, 0);
    TablePtr back = DecodeTableBlob(blob, &result);
    ASSERT_EQ(result, 0);
    ASSERT_NE(back, nullptr);
    ExpectSameCells(t, back.get());
}

TEST(BuilderStorage, ReplacedCellsReadAsTheLastValue) {
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(1, 4), 0);
    const std::string longText(300, 'L');
    // Longer after shorter, shorter after longer, other types, a longer name.
    ASSERT_EQ(b.SetStringCell(0, 0, "ab", "A", 0), 0);
    ASSERT_EQ(b.SetStringCell(0, 0, longText.c_str(), "A", 0), 0);
    ASSERT_EQ(b.SetStringCell(0, 0, "xyz", "LONGER_NAME", 0), 0);
    const double half = 0.5;
    ASSERT_EQ(b.SetCell(0, 1, longText.c_str(), 200, PT_BINARY, "B", 0), 0);
    ASSERT_EQ(b.SetCell(0, 1, &half, 8, PT_FLOAT, "F", 0), 0);
    ASSERT_EQ(b.SetCell(0, 2, nullptr, 0, PT_BINARY, "E", 0), 0); // absent value
    ASSERT_EQ(b.SetIntCell(0, 2, 77, "I"), 0);
    ASSERT_EQ(b.SetIntCell(0, 3, 1, "J"), 0);
    ASSERT_EQ(b.SetCell(0, 3, nullptr, 0, PT_BINARY, "K", 0), 0);
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    const ResultCell* row = t->rows[0];
    EXPECT_STREQ(row[0].name, "LONGER_NAME");
    EXPECT_EQ(CellText(row[0]), "xyz");
    EXPECT_EQ(static_cast<const char*>(row[0].value)[3], 0);
    EXPECT_STREQ(row[1].name, "F");
    EXPECT_EQ(row[1].type, PT_FLOAT);
    ASSERT_EQ(reinterpret_cast<uintptr_t>(row[1].value) % alignof(double), 0u);
    EXPECT_EQ(*static_cast<const double*>(row[1].value), 0.5);
    EXPECT_EQ(ValueInt(row[2].value), 77);
    EXPECT_STREQ(row[3].name, "K");
    EXPECT_EQ(row[3].value, nullptr);
    EXPECT_EQ(row[3].length, 0);
    ExpectRoundTrip(t.get());
}

TEST(BuilderStorage, RenamingOneCellLeavesItsColumnAlone) {
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(4, 1), 0);
    for (int r = 0; r < 4; r++) {
        ASSERT_EQ(b.SetIntCell(r, 0, r, "SAME"), 0);
    }
    ASSERT_EQ(b.SetIntCell(1, 0, 10, "OTHER"), 0);
    ASSERT_EQ(b.SetIntCell(0, 0, 20, "FIRST_RENAMED"), 0);
    ASSERT_EQ(b.SetIntCell(3, 0, 30, nullptr), 0);
    ASSERT_EQ(b.SetStringCell(1, 0, "text", "OTHER", 0), 0);
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->rows[0][0].name, "FIRST_RENAMED");
    EXPECT_STREQ(t->rows[1][0].name, "OTHER");
    EXPECT_STREQ(t->rows[2][0].name, "SAME");
    EXPECT_STREQ(t->rows[3][0].name, "");
    EXPECT_EQ(ValueInt(t->rows[0][0].value), 20);
    EXPECT_EQ(CellText(t->rows[1][0]), "text");
    EXPECT_EQ(ValueInt(t->rows[2][0].value), 2);
    EXPECT_EQ(ValueInt(t->rows[3][0].value), 30);
    ExpectRoundTrip(t.get());
}

TEST(BuilderStorage, SameNestedTableSetTwiceStaysAlive) {
    ResultSetBuilder inner;
    ASSERT_EQ(inner.SetIntCell(0, 0, 5, "N"), 0);
    ResultSet* nested = inner.Finish();
    ASSERT_NE(nested, nullptr);
    ResultSetBuilder b;
    ASSERT_EQ(b.SetResultSetCell(0, 0, nested, "T"), 0);
    ASSERT_EQ(b.SetResultSetCell(0, 0, nested, "T2"), 0); // same table again
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    EXPECT_STREQ(t->rows[0][0].name, "T2");
    ASSERT_EQ(t->rows[0][0].value, nested);
    EXPECT_EQ(ValueInt(nested->rows[0][0].value), 5);
    ExpectRoundTrip(t.get());
}

TEST(BuilderStorage, GrowthKeepsEarlierCells) {
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(3, 2), 0);
    for (int r = 0; r < 3; r++) {
        for (int c = 0; c < 2; c++) {
            ASSERT_EQ(b.SetStringCell(r, c, std::to_string(r * 10 + c).c_str(), "C", 0), 0);
        }
    }
    ResultSetBuilder inner;
    ASSERT_EQ(inner.SetIntCell(0, 0, 9, "N"), 0);
    ASSERT_EQ(b.SetResultSetCell(1, 1, inner.Finish(), "T"), 0);
    // Wider, then longer, then wider again: rows made at Create and rows added
    // later must both widen.
    ASSERT_EQ(b.SetIntCell(0, 3, 3, "W"), 0);
    ASSERT_EQ(b.SetIntCell(5, 0, 50, "R"), 0);
    ASSERT_EQ(b.SetIntCell(4, 5, 45, "W2"), 0);
    EXPECT_EQ(b.Finish(), nullptr); // the new cells are unset
    for (int r = 0; r < 6; r++) {
        for (int c = 0; c < 6; c++) {
            if (r < 3 && c < 2) {
                continue;
            }
            if ((r == 0 && c == 3) || (r == 5 && c == 0) || (r == 4 && c == 5)) {
                continue;
            }
            ASSERT_EQ(b.SetIntCell(r, c, r * 10 + c, "F"), 0);
        }
    }
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    ASSERT_EQ(t->rowCount, 6);
    ASSERT_EQ(t->columnCount, 6);
    EXPECT_EQ(CellText(t->rows[2][1]), "21");
    EXPECT_EQ(CellText(t->rows[0][0]), "0");
    ASSERT_EQ(t->rows[1][1].type, PT_RESULTSET);
    EXPECT_EQ(ValueInt(static_cast<ResultSet*>(t->rows[1][1].value)->rows[0][0].value), 9);
    EXPECT_EQ(ValueInt(t->rows[0][3].value), 3);
    EXPECT_EQ(ValueInt(t->rows[5][0].value), 50);
    EXPECT_EQ(ValueInt(t->rows[4][5].value), 45);
    EXPECT_EQ(ValueInt(t->rows[3][4].value), 34);
    ExpectRoundTrip(t.get());
}

TEST(BuilderStorage, AbandonedAfterMixedGrowthFreesEverything) {
    ResultSetBuilder inner;
    ASSERT_EQ(inner.SetIntCell(0, 0, 1, "N"), 0);
    ResultSet* nested = inner.Finish();
    ASSERT_NE(nested, nullptr);
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(0, 0), 0);
    ASSERT_EQ(b.SetIntCell(2, 0, 1, "A"), 0);
    ASSERT_EQ(b.SetResultSetCell(1, 3, nested, "T"), 0);
    ASSERT_EQ(b.Create(2, 0), 0); // replaces the table above, nested one included
    ASSERT_EQ(b.SetStringCell(3, 1, "late", "L", 0), 0);
    ASSERT_EQ(b.SetStringCell(0, 0, "early", "E", 0), 0);
    EXPECT_EQ(b.Finish(), nullptr);
    // The builder's destructor frees the incomplete table.
}

TEST(BuilderStorage, LargeTablesKeepEveryCell) {
    const int rows = 20000;
    const std::string big(300000, 'b'); // larger than any block the builder keeps
    ResultSetBuilder b;
    ASSERT_EQ(b.Create(rows, 3), 0);
    for (int r = 0; r < rows; r++) {
        ASSERT_EQ(b.SetStringCell(r, 0, ("row" + std::to_string(r)).c_str(), "NAME", 0), 0);
        ASSERT_EQ(b.SetIntCell(r, 1, r, "ID"), 0);
        ASSERT_EQ(b.SetStringCell(r, 2, r % 5000 == 7 ? big.c_str() : "", "NOTE", 0), 0);
    }
    TablePtr t(b.Finish());
    ASSERT_NE(t, nullptr);
    for (int r = 0; r < rows; r += 997) {
        EXPECT_EQ(CellText(t->rows[r][0]), "row" + std::to_string(r));
        EXPECT_EQ(ValueInt(t->rows[r][1].value), r);
    }
    EXPECT_EQ(CellText(t->rows[7][2]), big);
    EXPECT_EQ(CellText(t->rows[5007][2]), big);
    EXPECT_EQ(t->rows[8][2].length, 0);
    ExpectRoundTrip(t.get());
}

} // namespace
