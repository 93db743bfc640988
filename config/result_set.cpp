// Tables: the builder, the completeness check, and the table encoding (a 12-byte
// header of row count, column count and body length, then every cell row-major with
// the same header as a packet entry).
#include "config/container_internal.h"

#include <cstdlib>
#include <cstring>

using namespace container_detail;

namespace {

struct ArenaChunk {
    ArenaChunk* next;
    size_t used;
    size_t size;
    // data follows, 8-byte aligned
};

} // namespace

// Every table the builder or a decoder makes starts with a TableHead: the table and
// its storage in one allocation, so that the table itself says how it is to be freed.
//
// A builder's storage owns the builder's memory: one cell array for the rows made at
// Create (the slab), and an arena of chunks holding every cell's name and value.
// Rows added later own their cell arrays; the row array is an allocation of its own.
//
// A decoded table lives wholly in its head's allocation: the head, the row pointers,
// every cell row-major, then the names and values of the cells.
struct ResultSetStorage {
    enum Kind : int32_t { BUILT = 1, DECODED = 2 };
    Kind kind;
    int32_t slabRows;   // builder: rows 0..slabRows-1 have their cells in the slab
    ResultCell* slab;   // builder: null when there is none
    ArenaChunk* chunks; // builder: newest first
};

namespace {

struct TableHead {
    ResultSet table;
    ResultSetStorage storage;
};

size_t RoundUp8(size_t n) {
    return (n + 7) & ~static_cast<size_t>(7);
}

const size_t HEAD_SPAN = RoundUp8(sizeof(TableHead));

// Makes the zero-filled memory at `block` the head of a table of the given kind.
ResultSet* InitHead(void* block, ResultSetStorage::Kind kind) {
    TableHead* head = static_cast<TableHead*>(block);
    head->table.storage = &head->storage;
    head->storage.kind = kind;
    return &head->table;
}

constexpr size_t CHUNK_HEADER = (sizeof(ArenaChunk) + 7) & ~static_cast<size_t>(7);
constexpr size_t FIRST_CHUNK_SIZE = 1024;
constexpr size_t MAX_CHUNK_SIZE = 64 * 1024 - 64;

void FreeChunks(ArenaChunk* chunk) {
    while (chunk != nullptr) {
        ArenaChunk* next = chunk->next;
        free(chunk);
        chunk = next;
    }
}

// n bytes (a multiple of 8) from the arena; null when memory runs out.
char* ArenaAllocate(ResultSetStorage* storage, size_t n) {
    ArenaChunk* head = storage->chunks;
    if (head != nullptr && head->size - head->used >= n) {
        char* p = reinterpret_cast<char*>(head) + CHUNK_HEADER + head->used;
        head->used += n;
        return p;
    }
    size_t size = head == nullptr
                      ? FIRST_CHUNK_SIZE
                      : (head->size * 2 > MAX_CHUNK_SIZE ? MAX_CHUNK_SIZE : head->size * 2);
    if (n > size) {
        size = n;
    }
    if (size > SIZE_MAX - CHUNK_HEADER) {
        return nullptr;
    }
    ArenaChunk* chunk = static_cast<ArenaChunk*>(malloc(CHUNK_HEADER + size));
    if (chunk == nullptr) {
        return nullptr;
    }
    chunk->size = size;
    chunk->used = n;
    // An oversized block goes behind the head, so the head's free room stays usable.
    if (head != nullptr && n > head->size) {
        chunk->next = head->next;
        head->next = chunk;
    } else {
        chunk->next = head;
        storage->chunks = chunk;
    }
    return reinterpret_cast<char*>(chunk) + CHUNK_HEADER;
}

// Bytes a copied value takes in the arena. Depends only on the length a cell shows,
// so a replaced value's room is known without bookkeeping: every copy fits in
// max(length + 1, 8) bytes.
uint64_t ValueRoom(int32_t length) {
    uint64_t value = static_cast<uint64_t>(length) + 1;
    return ((value < 8 ? 8 : value) + 7) & ~static_cast<uint64_t>(7);
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

// Gives every slab row its own array of columnCount cells, copying the cells over
// (their names, values and nested tables move with them). All or nothing.
int WidenSlabRows(ResultSet* t, int64_t columnCount) {
    ResultSetStorage* storage = t->storage;
    size_t n = static_cast<size_t>(storage->slabRows);
    ResultCell** made = static_cast<ResultCell**>(calloc(n, sizeof(ResultCell*)));
    if (made == nullptr) {
        return -1;
    }
    for (size_t r = 0; r < n; r++) {
        made[r] =
            static_cast<ResultCell*>(malloc(static_cast<size_t>(columnCount) * sizeof(ResultCell)));
        if (made[r] == nullptr) {
            for (size_t k = 0; k < r; k++) {
                free(made[k]);
            }
            free(made);
            return -1;
        }
    }
    for (size_t r = 0; r < n; r++) {
        if (t->columnCount > 0) {
            memcpy(made[r], t->rows[r], static_cast<size_t>(t->columnCount) * sizeof(ResultCell));
        }
        t->rows[r] = made[r];
    }
    free(made);
    free(storage->slab);
    storage->slab = nullptr;
    storage->slabRows = 0;
    return 0;
}

// Widens every row of a builder's table to columnCount and appends rows up to
// rowCount. On failure the table stays consistent: counts only ever cover cells that
// exist and are cleared.
int GrowTable(ResultSet* t, int64_t rowCount, int64_t columnCount) {
    if (rowCount > INT32_MAX || columnCount > INT32_MAX) {
        return -1;
    }
    if (columnCount > t->columnCount) {
        if (static_cast<uint64_t>(columnCount) > SIZE_MAX / sizeof(ResultCell)) {
            return -1;
        }
        if (t->storage->slabRows > 0 && WidenSlabRows(t, columnCount) != 0) {
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
                return -1; // the larger row array is harmless
            }
        }
        t->rowCount = static_cast<int32_t>(rowCount);
    }
    return 0;
}

// A builder's table of rowCount rows of cleared cells, all in one slab; null when
// memory runs out or a count is negative.
ResultSet* NewTable(int32_t rowCount, int32_t columnCount) {
    if (rowCount < 0 || columnCount < 0) {
        return nullptr;
    }
    void* block = calloc(1, sizeof(TableHead));
    if (block == nullptr) {
        return nullptr;
    }
    ResultSet* t = InitHead(block, ResultSetStorage::BUILT);
    t->columnCount = columnCount;
    if (rowCount > 0) {
        size_t stride = columnCount > 0 ? static_cast<size_t>(columnCount) : 1;
        if (static_cast<uint64_t>(rowCount) > SIZE_MAX / sizeof(ResultCell*) ||
            static_cast<uint64_t>(rowCount) > SIZE_MAX / sizeof(ResultCell) / stride) {
            free(block);
            return nullptr;
        }
        ResultCell** rows =
            static_cast<ResultCell**>(malloc(static_cast<size_t>(rowCount) * sizeof(ResultCell*)));
        ResultCell* slab = static_cast<ResultCell*>(
            calloc(static_cast<size_t>(rowCount) * stride, sizeof(ResultCell)));
        if (rows == nullptr || slab == nullptr) {
            free(rows);
            free(slab);
            free(block);
            return nullptr;
        }
        for (int32_t r = 0; r < rowCount; r++) {
            ResultCell* cells = slab + static_cast<size_t>(r) * stride;
            for (int32_t c = 0; c < columnCount; c++) {
                cells[c].row = r;
                cells[c].column = c;
            }
            rows[r] = cells;
        }
        t->storage->slab = slab;
        t->storage->slabRows = rowCount;
        t->rows = rows;
        t->rowCount = rowCount;
    }
    return t;
}

// A table built field by field: every cell owns its name and value, every row its
// cell array.
void FreeLooseTable(ResultSet* t) {
    if (t->rows != nullptr) {
        for (int32_t r = 0; r < t->rowCount; r++) {
            ResultCell* cells = t->rows[r];
            if (cells == nullptr) {
                continue;
            }
            for (int32_t c = 0; c < t->columnCount; c++) {
                free(cells[c].name);
                FreeValue(cells[c].type, cells[c].value);
            }
            free(cells);
        }
        free(t->rows);
    }
    free(t);
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
    ResultSetStorage* storage = t->storage;
    if (storage == nullptr) {
        FreeLooseTable(t);
        return;
    }
    // Names and values lie in the table's own storage; only nested tables are apart.
    for (int32_t r = 0; r < t->rowCount; r++) {
        for (int32_t c = 0; c < t->columnCount; c++) {
            if (t->rows[r][c].type == PT_RESULTSET) {
                FreeResultSet(static_cast<ResultSet*>(t->rows[r][c].value));
            }
        }
    }
    if (storage->kind == ResultSetStorage::BUILT) {
        for (int32_t r = storage->slabRows; r < t->rowCount; r++) {
            free(t->rows[r]);
        }
        free(storage->slab);
        FreeChunks(storage->chunks);
        free(t->rows);
    }
    free(t); // the head; for a decoded table, everything
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
    // The value is measured as PrepareValue would copy it: a plain text up to its
    // terminator, anything else by its length; a nested table is taken as it is.
    const void* source = value;
    size_t dataLength = 0;
    int32_t storedLength = 0;
    bool hasValue = value != nullptr;
    switch (type) {
    case PT_RESULTSET:
        storedLength = hasValue ? 4 : 0;
        break;
    case PT_STRING:
        if (encryptMethod == 0) {
            size_t textLength = hasValue ? strlen(static_cast<const char*>(value)) : 0;
            if (textLength > MAX_ENCODED_SIZE) {
                return -1;
            }
            source = hasValue ? value : "";
            hasValue = true;
            dataLength = textLength;
            storedLength = static_cast<int32_t>(textLength);
            break;
        }
        // An enciphered text is stored as bytes.
        [[fallthrough]];
    case PT_INTEGER:
    case PT_FLOAT:
    case PT_BINARY:
        if (hasValue) {
            if (length < 0) {
                return -1;
            }
            dataLength = static_cast<size_t>(length);
            storedLength = length;
        }
        break;
    default:
        return -1;
    }
    if (table_ == nullptr && Create(0, 0) != 0) {
        return -1;
    }
    if (GrowTable(table_, static_cast<int64_t>(row) + 1, static_cast<int64_t>(column) + 1) != 0) {
        return -1;
    }
    ResultCell* cell = &table_->rows[row][column];
    // Names repeat down a column, so a cell shares the name of the cell above (or
    // keeps its own) when equal. Names in the arena are never written again.
    const char* wantedName = name != nullptr ? name : "";
    char* sharedName = nullptr;
    if (cell->name != nullptr && strcmp(cell->name, wantedName) == 0) {
        sharedName = cell->name;
    } else if (row > 0) {
        char* above = table_->rows[row - 1][column].name;
        if (above != nullptr && strcmp(above, wantedName) == 0) {
            sharedName = above;
        }
    }
    size_t nameLength = sharedName != nullptr ? 0 : strlen(wantedName);
    uint64_t wanted = sharedName != nullptr ? 0 : RoundUp8(nameLength + 1);
    // A copied value goes into the room of the value it replaces when it fits; that
    // room belongs to this cell alone.
    bool copied = hasValue && type != PT_RESULTSET;
    char* valueRoom = nullptr;
    if (copied) {
        if (cell->isSet && cell->type != PT_RESULTSET && cell->value != nullptr &&
            ValueRoom(cell->length) >= ValueRoom(storedLength)) {
            valueRoom = static_cast<char*>(cell->value);
        } else {
            wanted += ValueRoom(storedLength);
        }
    }
    if (wanted > SIZE_MAX - CHUNK_HEADER) {
        return -1;
    }
    char* block = nullptr;
    if (wanted > 0) {
        block = ArenaAllocate(table_->storage, static_cast<size_t>(wanted));
        if (block == nullptr) {
            return -1; // a table given to us stays the caller's on failure
        }
    }
    if (cell->type == PT_RESULTSET && cell->value != value) {
        FreeResultSet(static_cast<ResultSet*>(cell->value));
    }
    char* nameCopy = sharedName;
    if (nameCopy == nullptr) {
        size_t nameSpan = RoundUp8(nameLength + 1);
        nameCopy = block;
        memcpy(nameCopy, wantedName, nameLength);
        memset(nameCopy + nameLength, 0, nameSpan - nameLength);
        block += nameSpan;
    }
    void* stored = nullptr;
    if (type == PT_RESULTSET) {
        stored = const_cast<void*>(value);
    } else if (copied) {
        char* copy = valueRoom != nullptr ? valueRoom : block;
        if (dataLength > 0) {
            memmove(copy, source, dataLength);
        }
        memset(copy + dataLength, 0, static_cast<size_t>(ValueRoom(storedLength)) - dataLength);
        stored = copy;
    }
    cell->type = type;
    cell->encryptMethod = encryptMethod;
    cell->length = storedLength;
    cell->isSet = 1;
    cell->name = nameCopy;
    cell->value = stored;
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

// Bytes a cell's name takes in a decoded table's block: the text, its terminator,
// and zero padding that keeps the value after it 8-byte aligned.
size_t NameSpan(size_t nameLength) {
    return (nameLength + 1 + 7) & ~static_cast<size_t>(7);
}

// Bytes a decoded value of `valueLength` stored bytes takes at most in the block:
// as CopyValueBytes, at least 8 and a 0 byte past the data, rounded up to keep the
// next cell aligned. A nested table is allocated apart.
uint64_t ValueSpan(uint8_t type, size_t valueLength) {
    if (type == PT_RESULTSET) {
        return 0;
    }
    uint64_t size = valueLength + 1 < 8 ? 8 : static_cast<uint64_t>(valueLength) + 1;
    return (size + 7) & ~static_cast<uint64_t>(7);
}

bool IsCellType(uint8_t type) {
    return type == PT_STRING || type == PT_INTEGER || type == PT_FLOAT || type == PT_BINARY ||
           type == PT_RESULTSET;
}

// Fills a cell from its encoding, as SetCell would store it: a plain text up to its
// first 0 byte with a terminator, any other value as CopyValueBytes copies it, a
// nested table decoded. Name and value are laid out at *storage, which moves past
// them. -1 for a bad nested table or no memory; the cell is then cleared.
int DecodeCell(const ItemHeader& item, int depth, int32_t row, int32_t column, char** storage,
               ResultCell* cell) {
    memset(cell, 0, sizeof(ResultCell));
    cell->row = row;
    cell->column = column;
    // The name, like any stored text, ends at its first 0 byte.
    size_t nameLength = BoundedTextLength(item.name, item.nameLength);
    size_t nameSpan = NameSpan(nameLength);
    char* name = *storage;
    memcpy(name, item.name, nameLength);
    memset(name + nameLength, 0, nameSpan - nameLength);
    if (item.type == PT_RESULTSET) {
        ResultSet* nested = nullptr;
        if (DecodeTable(item.value, item.valueLength, depth + 1, &nested) != 0) {
            return -1;
        }
        cell->length = 4;
        cell->value = nested;
        *storage += nameSpan;
    } else {
        size_t dataLength = item.valueLength;
        size_t valueSize;
        if (item.type == PT_STRING && item.encryptMethod == 0) {
            dataLength = BoundedTextLength(item.value, item.valueLength);
            valueSize = dataLength + 1;
        } else {
            valueSize = dataLength + 1 < 8 ? 8 : dataLength + 1;
        }
        char* value = name + nameSpan;
        memcpy(value, item.value, dataLength);
        memset(value + dataLength, 0, valueSize - dataLength);
        cell->length = static_cast<int32_t>(dataLength);
        cell->value = value;
        *storage += nameSpan + static_cast<size_t>(ValueSpan(item.type, item.valueLength));
    }
    cell->type = item.type;
    cell->encryptMethod = item.encryptMethod;
    cell->isSet = 1;
    cell->name = name;
    return 0;
}

} // namespace

namespace container_detail {

int EncodedTableSize(const ResultSet* t, uint64_t* size) {
    if (CheckResultSet(t) != 0) {
        return CONTAINER_INCOMPLETE_TABLE;
    }
    uint64_t total = BLOB_HEADER_SIZE;
    for (int32_t r = 0; r < t->rowCount; r++) {
        for (int32_t c = 0; c < t->columnCount; c++) {
            const ResultCell& cell = t->rows[r][c];
            uint64_t itemSize = 0;
            int result = EncodedItemSize(cell.type, cell.name, cell.length, cell.value, &itemSize);
            if (result != 0) {
                return result;
            }
            total += itemSize;
            if (total > MAX_ENCODED_SIZE) {
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
    w->Patch32(start + 8, static_cast<uint32_t>(w->pos - start - BLOB_HEADER_SIZE));
}

int ScanTable(const uint8_t* blob, size_t length, int depth, TableScan* scan) {
    if (depth > MAX_TABLE_DEPTH || (blob == nullptr && length > 0)) {
        return -1;
    }
    ByteReader reader = {blob, length, 0};
    int32_t rowCount = 0;
    int32_t columnCount = 0;
    int32_t bodyLength = 0;
    if (!reader.Get32(&rowCount) || !reader.Get32(&columnCount) || !reader.Get32(&bodyLength)) {
        return -1;
    }
    if (static_cast<int64_t>(bodyLength) + static_cast<int64_t>(BLOB_HEADER_SIZE) !=
            static_cast<int64_t>(length) ||
        rowCount < 0 || columnCount < 0) {
        return -1;
    }
    // Rows without columns hold nothing: such a table reads as an empty one, and no
    // row is made for it, however many the header claims.
    if (columnCount == 0) {
        rowCount = 0;
    }
    // Every cell takes at least a header, so counts the body cannot hold are refused
    // before anything is allocated for them.
    uint64_t cells = static_cast<uint64_t>(rowCount) * static_cast<uint64_t>(columnCount);
    if (cells > static_cast<uint64_t>(bodyLength) / ITEM_HEADER_SIZE) {
        return -1;
    }
    // Every cell header must be sound, and gives the room its name and value take.
    scan->bodyStart = reader.pos;
    scan->nested = false;
    uint64_t storageSize = 0;
    for (uint64_t k = 0; k < cells; k++) {
        ItemHeader item;
        if (!ReadItemHeader(&reader, &item) || !IsCellType(item.type)) {
            // A voice list or unknown cell would stay unset: no table.
            return -1;
        }
        scan->nested = scan->nested || item.type == PT_RESULTSET;
        storageSize += NameSpan(item.nameLength) + ValueSpan(item.type, item.valueLength);
    }
    // The block: head, row pointers, cells, then names and values.
    const uint64_t cellsOffset =
        HEAD_SPAN + RoundUp8(static_cast<size_t>(rowCount) * sizeof(ResultCell*));
    const uint64_t storageOffset = cellsOffset + cells * sizeof(ResultCell);
    if (storageSize > SIZE_MAX || storageOffset > SIZE_MAX - storageSize) {
        return -1;
    }
    scan->rowCount = rowCount;
    scan->columnCount = columnCount;
    scan->cells = cells;
    scan->cellsOffset = cellsOffset;
    scan->storageOffset = storageOffset;
    scan->storageSize = storageSize;
    return 0;
}

int CheckTable(const uint8_t* blob, size_t length, int depth) {
    TableScan scan;
    if (ScanTable(blob, length, depth, &scan) != 0) {
        return -1;
    }
    if (!scan.nested) {
        return 0;
    }
    ByteReader reader = {blob, length, scan.bodyStart};
    for (uint64_t k = 0; k < scan.cells; k++) {
        ItemHeader item = {};
        ReadItemHeader(&reader, &item); // sound: ScanTable read it
        if (item.type == PT_RESULTSET && CheckTable(item.value, item.valueLength, depth + 1) != 0) {
            return -1;
        }
    }
    return 0;
}

int DecodeTable(const uint8_t* blob, size_t length, int depth, ResultSet** out) {
    *out = nullptr;
    TableScan scan;
    if (ScanTable(blob, length, depth, &scan) != 0) {
        return -1;
    }
    const int32_t rowCount = scan.rowCount;
    const int32_t columnCount = scan.columnCount;
    const uint64_t cells = scan.cells;
    char* block =
        static_cast<char*>(malloc(static_cast<size_t>(scan.storageOffset + scan.storageSize)));
    if (block == nullptr) {
        return -1;
    }
    memset(block, 0, HEAD_SPAN);
    ResultSet* t = InitHead(block, ResultSetStorage::DECODED);
    t->columnCount = columnCount;
    if (cells == 0) {
        *out = t;
        return 0;
    }
    ResultCell** rows = reinterpret_cast<ResultCell**>(block + HEAD_SPAN);
    ResultCell* cellArray = reinterpret_cast<ResultCell*>(block + scan.cellsOffset);
    for (int32_t r = 0; r < rowCount; r++) {
        rows[r] = cellArray + static_cast<size_t>(r) * static_cast<size_t>(columnCount);
    }
    t->rows = rows;
    t->rowCount = rowCount;
    // The cells, into the block.
    ByteReader reader = {blob, length, scan.bodyStart};
    char* storage = block + scan.storageOffset;
    size_t done = 0;
    for (int32_t r = 0; r < rowCount; r++) {
        for (int32_t c = 0; c < columnCount; c++, done++) {
            ItemHeader item;
            // ScanTable checked every header, so reading one cannot fail here.
            if (!ReadItemHeader(&reader, &item) ||
                DecodeCell(item, depth, r, c, &storage, &cellArray[done]) != 0) {
                // Cells not reached hold nothing to free.
                memset(&cellArray[done], 0, static_cast<size_t>(cells - done) * sizeof(ResultCell));
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
