// Tables: the builder, the completeness check, and the table encoding (a 12-byte
// header of row count, column count and body length, then every cell row-major with
// the same header as a packet entry).
#include "config/container_internal.h"

#include <cstdlib>
#include <cstring>

using namespace container_detail;

namespace {

// Bytes a cell name takes at the front of a decoded cell's block: the text, its
// terminator, and zero padding that keeps the value after it 8-byte aligned.
size_t NameSpan(size_t nameLength) {
    return (nameLength + 1 + 7) & ~static_cast<size_t>(7);
}

// A decoded cell keeps its name and value in one allocation: the name first, the
// value NameSpan bytes after it; freeing the name frees both. A name allocated on its
// own (CopyCellName) is always longer than NameSpan, so no separately allocated value
// can start at that offset, and the test below never mistakes one for the other.
bool ValueSharesNameBlock(const ResultCell* cell) {
    if (cell->name == nullptr || cell->value == nullptr) {
        return false;
    }
    uintptr_t name = reinterpret_cast<uintptr_t>(cell->name);
    return reinterpret_cast<uintptr_t>(cell->value) == name + NameSpan(strlen(cell->name));
}

// A cell's own, terminated copy of a name of `length` bytes, allocated one byte
// longer than NameSpan.
char* CopyCellName(const void* name, size_t length) {
    if (length >= SIZE_MAX - 16) {
        return nullptr;
    }
    char* copy = static_cast<char*>(malloc(NameSpan(length) + 1));
    if (copy != nullptr) {
        memcpy(copy, name, length);
        copy[length] = '\0';
    }
    return copy;
}

void FreeCellContents(ResultCell* cell) {
    if (ValueSharesNameBlock(cell)) {
        free(cell->name);
        return;
    }
    free(cell->name);
    FreeValue(cell->type, cell->value);
}

// A row of cleared cells that know their own indices. A row always owns an array,
// even without columns, so rows[r] is never null in a table built here.
ResultCell* NewRow(int32_t row, int32_t columnCount) {
    size_t cells = columnCount > 0 ? static_cast<size_t>(columnCount) : 1;
    ResultCell* cellArray = static_cast<ResultCell*>(calloc(cells, sizeof(ResultCell)));
    if (cellArray == nullptr) {
        return nullptr;
    }
    for (int32_t c = 0; c < columnCount; c++) {
        cellArray[c].row = row;
        cellArray[c].column = c;
    }
    return cellArray;
}

// Widens every row to columnCount and appends rows up to rowCount. On failure the
// table stays consistent: counts only ever cover cells that exist and are cleared.
int GrowTable(ResultSet* t, int64_t rowCount, int64_t columnCount) {
    if (rowCount > INT32_MAX || columnCount > INT32_MAX) {
        return -1;
    }
    if (columnCount > t->columnCount) {
        if (static_cast<uint64_t>(columnCount) > SIZE_MAX / sizeof(ResultCell)) {
            return -1;
        }
        for (int32_t r = 0; r < t->rowCount; r++) {
            ResultCell* cells = static_cast<ResultCell*>(
                realloc(t->rows[r], static_cast<size_t>(columnCount) * sizeof(ResultCell)));
            if (cells == nullptr) {
                return -1;
            }
            t->rows[r] = cells;
            for (int64_t c = t->columnCount; c < columnCount; c++) {
                memset(&cells[c], 0, sizeof(ResultCell));
                cells[c].row = r;
                cells[c].column = static_cast<int32_t>(c);
            }
        }
        t->columnCount = static_cast<int32_t>(columnCount);
    }
    if (rowCount > t->rowCount) {
        if (static_cast<uint64_t>(rowCount) > SIZE_MAX / sizeof(ResultCell*)) {
            return -1;
        }
        ResultCell** rows = static_cast<ResultCell**>(
            realloc(t->rows, static_cast<size_t>(rowCount) * sizeof(ResultCell*)));
        if (rows == nullptr) {
            return -1;
        }
        t->rows = rows;
        for (int64_t r = t->rowCount; r < rowCount; r++) {
            rows[r] = NewRow(static_cast<int32_t>(r), t->columnCount);
            if (rows[r] == nullptr) {
                for (int64_t k = t->rowCount; k < r; k++) {
                    free(rows[k]);
                }
                return -1;
            }
        }
        t->rowCount = static_cast<int32_t>(rowCount);
    }
    return 0;
}

// A table of rowCount rows of cleared cells; null when memory runs out or a count
// is negative.
ResultSet* NewTable(int32_t rowCount, int32_t columnCount) {
    if (rowCount < 0 || columnCount < 0) {
        return nullptr;
    }
    ResultSet* t = static_cast<ResultSet*>(calloc(1, sizeof(ResultSet)));
    if (t == nullptr) {
        return nullptr;
    }
    t->columnCount = columnCount;
    if (rowCount > 0) {
        t->rows =
            static_cast<ResultCell**>(calloc(static_cast<size_t>(rowCount), sizeof(ResultCell*)));
        if (t->rows == nullptr) {
            free(t);
            return nullptr;
        }
        for (int32_t r = 0; r < rowCount; r++) {
            t->rows[r] = NewRow(r, columnCount);
            if (t->rows[r] == nullptr) {
                FreeResultSet(t); // rowCount still covers only the rows made
                return nullptr;
            }
            t->rowCount = r + 1;
        }
    }
    return t;
}

void ClearCell(ResultCell* cell) {
    FreeCellContents(cell);
    int32_t row = cell->row;
    int32_t column = cell->column;
    memset(cell, 0, sizeof(ResultCell));
    cell->row = row;
    cell->column = column;
}

} // namespace

int CheckResultSet(const ResultSet* t) {
    if (t == nullptr || t->rowCount < 0 || t->columnCount < 0 ||
        (t->rowCount > 0 && t->rows == nullptr)) {
        return -1;
    }
    for (int32_t r = 0; r < t->rowCount; r++) {
        if (t->columnCount > 0 && t->rows[r] == nullptr) {
            return -1;
        }
        for (int32_t c = 0; c < t->columnCount; c++) {
            const ResultCell& cell = t->rows[r][c];
            if (!cell.isSet || cell.type == PT_VOICELIST) {
                return -1;
            }
            if (cell.type == PT_RESULTSET &&
                CheckResultSet(static_cast<const ResultSet*>(cell.value)) != 0) {
                return -1;
            }
        }
    }
    return 0;
}

void FreeResultSet(ResultSet* t) {
    if (t == nullptr) {
        return;
    }
    for (int32_t r = 0; r < t->rowCount && t->rows != nullptr; r++) {
        if (t->rows[r] == nullptr) {
            continue;
        }
        for (int32_t c = 0; c < t->columnCount; c++) {
            FreeCellContents(&t->rows[r][c]);
        }
        free(t->rows[r]);
    }
    free(t->rows);
    free(t);
}

ResultSetBuilder::ResultSetBuilder() : table_(nullptr) {}

// Nobody else can reach a table the builder still holds (never finished, or
// finished while incomplete), so it is freed here rather than leaked.
ResultSetBuilder::~ResultSetBuilder() {
    FreeResultSet(table_);
}

int ResultSetBuilder::Create(int32_t rowCount, int32_t columnCount) {
    ResultSet* t = NewTable(rowCount, columnCount);
    if (t == nullptr) {
        return -1;
    }
    FreeResultSet(table_);
    table_ = t;
    return 0;
}

int ResultSetBuilder::SetCell(int32_t row, int32_t column, const void* value, int32_t length,
                              int32_t type, const char* name, uint8_t encryptMethod) {
    if (row < 0 || column < 0 || type == PT_VOICELIST) {
        return -1;
    }
    if (type == PT_RESULTSET && value != nullptr && value == table_) {
        return -1; // a table cannot hold itself
    }
    if (table_ == nullptr && Create(0, 0) != 0) {
        return -1;
    }
    PreparedValue prepared;
    if (PrepareValue(value, length, type, encryptMethod, true, &prepared) != 0) {
        return -1;
    }
    char* nameCopy = name != nullptr ? CopyCellName(name, strlen(name)) : CopyCellName("", 0);
    if (nameCopy == nullptr ||
        GrowTable(table_, static_cast<int64_t>(row) + 1, static_cast<int64_t>(column) + 1) != 0) {
        free(nameCopy);
        if (type != PT_RESULTSET) {
            free(prepared.value); // a table given to us stays the caller's on failure
        }
        return -1;
    }
    ResultCell* cell = &table_->rows[row][column];
    ClearCell(cell);
    cell->type = type;
    cell->encryptMethod = encryptMethod;
    cell->length = prepared.length;
    cell->isSet = 1;
    cell->name = nameCopy;
    cell->value = prepared.value;
    return 0;
}

int ResultSetBuilder::SetIntCell(int32_t row, int32_t column, int32_t value, const char* name) {
    return SetCell(row, column, &value, 4, PT_INTEGER, name, 0);
}

int ResultSetBuilder::SetStringCell(int32_t row, int32_t column, const char* text, const char* name,
                                    uint8_t encryptMethod) {
    if (SetCell(row, column, text, 0, PT_STRING, name, 0) != 0) {
        return -1;
    }
    table_->rows[row][column].encryptMethod = encryptMethod;
    return 0;
}

int ResultSetBuilder::SetResultSetCell(int32_t row, int32_t column, ResultSet* table,
                                       const char* name) {
    if (table != nullptr && CheckResultSet(table) != 0) {
        return -1;
    }
    return SetCell(row, column, table, table != nullptr ? 4 : 0, PT_RESULTSET, name, 0);
}

ResultSet* ResultSetBuilder::Finish() {
    if (CheckResultSet(table_) != 0) {
        return nullptr;
    }
    ResultSet* t = table_;
    table_ = nullptr;
    return t;
}

namespace {

// Fills a cleared cell from its encoding, as SetCell would store it: a plain text up
// to its first 0 byte with a terminator, any other value as CopyValueBytes copies it,
// a nested table decoded. Name and value share one block (see ValueSharesNameBlock),
// except for a nested table. -1 for a voice list or unknown type (the table would be
// incomplete), a bad nested table, or no memory; the cell then stays cleared.
int DecodeCell(const ItemHeader& item, int depth, ResultCell* cell) {
    // The name, like any stored text, ends at its first 0 byte.
    size_t nameLength = BoundedTextLength(item.name, item.nameLength);
    if (item.type == PT_RESULTSET) {
        ResultSet* nested = nullptr;
        if (DecodeTable(item.value, item.valueLength, depth + 1, &nested) != 0) {
            return -1;
        }
        char* name = CopyCellName(item.name, nameLength);
        if (name == nullptr) {
            FreeResultSet(nested);
            return -1;
        }
        cell->type = PT_RESULTSET;
        cell->encryptMethod = item.encryptMethod;
        cell->length = 4;
        cell->isSet = 1;
        cell->name = name;
        cell->value = nested;
        return 0;
    }
    if (item.type != PT_STRING && item.type != PT_INTEGER && item.type != PT_FLOAT &&
        item.type != PT_BINARY) {
        return -1;
    }
    size_t dataLength = item.valueLength;
    size_t valueSize;
    if (item.type == PT_STRING && item.encryptMethod == 0) {
        dataLength = BoundedTextLength(item.value, item.valueLength);
        valueSize = dataLength + 1;
    } else {
        // As CopyValueBytes: at least 8 bytes and a 0 byte past the data.
        valueSize = dataLength + 1 < 8 ? 8 : dataLength + 1;
    }
    size_t nameSpan = NameSpan(nameLength);
    if (valueSize > SIZE_MAX - nameSpan) {
        return -1;
    }
    char* block = static_cast<char*>(malloc(nameSpan + valueSize));
    if (block == nullptr) {
        return -1;
    }
    memcpy(block, item.name, nameLength);
    memset(block + nameLength, 0, nameSpan - nameLength);
    char* value = block + nameSpan;
    memcpy(value, item.value, dataLength);
    memset(value + dataLength, 0, valueSize - dataLength);
    cell->type = item.type;
    cell->encryptMethod = item.encryptMethod;
    cell->length = static_cast<int32_t>(dataLength);
    cell->isSet = 1;
    cell->name = block;
    cell->value = value;
    return 0;
}

} // namespace

namespace container_detail {

int EncodedTableSize(const ResultSet* t, uint64_t* size) {
    if (CheckResultSet(t) != 0) {
        return CONTAINER_INCOMPLETE_TABLE;
    }
    uint64_t total = kBlobHeaderSize;
    for (int32_t r = 0; r < t->rowCount; r++) {
        for (int32_t c = 0; c < t->columnCount; c++) {
            const ResultCell& cell = t->rows[r][c];
            uint64_t itemSize = 0;
            int result = EncodedItemSize(cell.type, cell.name, cell.length, cell.value, &itemSize);
            if (result != 0) {
                return result;
            }
            total += itemSize;
            if (total > kMaxEncodedSize) {
                return -1;
            }
        }
    }
    *size = total;
    return 0;
}

void WriteTable(ByteWriter* w, const ResultSet* t) {
    size_t start = w->pos;
    // Rows without columns hold nothing; such a table is written as an empty one so
    // that a decoder never has to make rows it cannot see.
    bool empty = t->columnCount == 0;
    w->Put32(static_cast<uint32_t>(empty ? 0 : t->rowCount));
    w->Put32(static_cast<uint32_t>(t->columnCount));
    w->Put32(0); // body length, patched below
    for (int32_t r = 0; r < t->rowCount && !empty; r++) {
        for (int32_t c = 0; c < t->columnCount; c++) {
            const ResultCell& cell = t->rows[r][c];
            WriteItem(w, cell.type, cell.encryptMethod, cell.name, cell.length, cell.value);
        }
    }
    w->Patch32(start + 8, static_cast<uint32_t>(w->pos - start - kBlobHeaderSize));
}

int DecodeTable(const uint8_t* blob, size_t length, int depth, ResultSet** out) {
    *out = nullptr;
    if (depth > kMaxTableDepth || (blob == nullptr && length > 0)) {
        return -1;
    }
    ByteReader reader = {blob, length, 0};
    int32_t rowCount = 0;
    int32_t columnCount = 0;
    int32_t bodyLength = 0;
    if (!reader.Get32(&rowCount) || !reader.Get32(&columnCount) || !reader.Get32(&bodyLength)) {
        return -1;
    }
    if (static_cast<int64_t>(bodyLength) + static_cast<int64_t>(kBlobHeaderSize) !=
            static_cast<int64_t>(length) ||
        rowCount < 0 || columnCount < 0) {
        return -1;
    }
    // Every cell takes at least a header, so counts the body cannot hold are refused
    // before anything is allocated for them; rows without columns are never written.
    uint64_t cells = static_cast<uint64_t>(rowCount) * static_cast<uint64_t>(columnCount);
    if (cells > static_cast<uint64_t>(bodyLength) / kItemHeaderSize ||
        (rowCount > 0 && columnCount == 0)) {
        return -1;
    }
    ResultSet* t = NewTable(rowCount, columnCount);
    if (t == nullptr) {
        return -1;
    }
    for (int32_t r = 0; r < rowCount; r++) {
        for (int32_t c = 0; c < columnCount; c++) {
            ItemHeader item;
            if (!ReadItemHeader(&reader, &item) || DecodeCell(item, depth, &t->rows[r][c]) != 0) {
                FreeResultSet(t);
                return -1;
            }
        }
    }
    // Every cell is set, and nested tables are complete: the table is complete.
    *out = t;
    return 0;
}

} // namespace container_detail

int EncodeResultSet(const ResultSet* t, uint8_t** blob, size_t* length) {
    if (blob == nullptr || length == nullptr) {
        return -1;
    }
    *blob = nullptr;
    *length = 0;
    uint64_t size = 0;
    if (EncodedTableSize(t, &size) != 0) {
        return -1;
    }
    uint8_t* data = static_cast<uint8_t*>(malloc(static_cast<size_t>(size)));
    if (data == nullptr) {
        return -1;
    }
    ByteWriter w = {data, 0};
    WriteTable(&w, t);
    *blob = data;
    *length = w.pos;
    return 0;
}

int DecodeResultSet(const uint8_t* blob, size_t length, ResultSet** out) {
    if (out == nullptr) {
        return -1;
    }
    return DecodeTable(blob, length, 0, out);
}
