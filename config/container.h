// The named-parameter container: an ordered list of typed, named parameters
// (ParamPacket) whose values may be scalars, texts, voice lists or tables
// (ResultSet), and its flat little-endian byte encoding. Plain procedural code:
// functions return 0 on success, -1 on failure (EncodePacket also -999 for a table
// that cannot be sized) and never throw. Everything is allocated with malloc so that
// running out of memory is a -1, not an exception.
#pragma once

#include <cstddef>
#include <cstdint>

enum ParamType : int32_t {
    PT_INTEGER = 1,
    PT_STRING = 2,
    PT_VOICELIST = 3,
    PT_FLOAT = 4,
    PT_RESULTSET = 5,
    PT_BINARY = 6
};

// Returned by EncodePacket when a nested table still has an unset cell.
enum : int { CONTAINER_INCOMPLETE_TABLE = -999 };

struct VoiceItem {
    int32_t number; // 0..254: the encoding stores number + 1 in one non-zero byte
    char* text;     // owned, NUL-terminated, holds no 0 byte
};

struct VoiceList {
    int32_t count;
    VoiceItem* items;
};

struct ResultCell {
    int32_t type;
    uint8_t encryptMethod;
    int32_t length;
    int32_t isSet; // 1 once a value has been stored
    int32_t row;
    int32_t column;
    char* name;  // owned: the column name
    void* value; // owned; a nested ResultSet* for PT_RESULTSET
};

// Bookkeeping of the tables the builder and the decoders make; private to the
// container.
struct ResultSetStorage;

struct ResultSet {
    int32_t rowCount;
    int32_t columnCount;
    ResultCell** rows; // rowCount arrays of columnCount cells
    // Set by ResultSetBuilder and the decoders, which keep cells, names and values in
    // storage of their own. Null in a table built field by field: every cell then owns
    // its name and value, and FreeResultSet frees them, each row, the row array and the
    // table with free(). Such a table must start zero-filled (calloc, or {}).
    ResultSetStorage* storage = nullptr;
};

struct ParamEntry {
    int32_t type;
    uint8_t encryptMethod;
    int32_t length;
    char* name;  // owned; empty text when none was given
    void* value; // owned; null when absent (then length is 0)
};

struct ParamPacket {
    int32_t serviceCategory, functionNo, channelNo, isn;
    int32_t count;
    ParamEntry* entries;
    int32_t capacity; // private: allocated slots in entries
};

// Packet operations.
int CreatePacket(ParamPacket** out, int32_t serviceCategory, int32_t functionNo, int32_t channelNo,
                 int32_t isn);
int AddParam(ParamPacket* p, int32_t position, const void* value, int32_t length, int32_t type,
             const char* name, uint8_t encryptMethod);
int AddIntParam(ParamPacket* p, int32_t value, const char* name, uint8_t encryptMethod);
int AddStringParam(ParamPacket* p, const char* text, const char* name, uint8_t encryptMethod);
int AddCountedStringParam(ParamPacket* p, const void* bytes, int32_t count, const char* name,
                          uint8_t encryptMethod);
int AddFloatParam(ParamPacket* p, double value, const char* name, uint8_t encryptMethod);
int AddVoiceListParam(ParamPacket* p, VoiceList* list, const char* name);
int AddResultSetParam(ParamPacket* p, ResultSet* table, const char* name);
int AddBinaryParam(ParamPacket* p, const void* bytes, int32_t count, const char* name,
                   uint8_t encryptMethod);
int EncodePacket(const ParamPacket* p, uint8_t** blob, size_t* length); // caller: FreeBlob
int DecodePacket(const uint8_t* blob, size_t length, ParamPacket** out);
void FreePacket(ParamPacket* p);
void FreeBlob(uint8_t* blob);

// Table operations.
int CheckResultSet(const ResultSet* t);
void FreeResultSet(ResultSet* t);
int EncodeResultSet(const ResultSet* t, uint8_t** blob, size_t* length); // caller: FreeBlob
int DecodeResultSet(const uint8_t* blob, size_t length, ResultSet** out);

// Voice lists.
VoiceList* CreateVoiceList();
int AddVoiceItem(VoiceList* l, int32_t number, const char* text);
void FreeVoiceList(VoiceList* l);

// Builds one table cell by cell. Finish hands the table over once every cell is set;
// a table still held when the builder is destroyed (never finished, or incomplete)
// is freed then, since nobody else can reach it.
class ResultSetBuilder {
public:
    ResultSetBuilder();
    virtual ~ResultSetBuilder();
    ResultSetBuilder(const ResultSetBuilder&) = delete;
    ResultSetBuilder& operator=(const ResultSetBuilder&) = delete;

    int Create(int32_t rowCount, int32_t columnCount);
    int SetCell(int32_t row, int32_t column, const void* value, int32_t length, int32_t type,
                const char* name, uint8_t encryptMethod);
    int SetIntCell(int32_t row, int32_t column, int32_t value, const char* name);
    int SetStringCell(int32_t row, int32_t column, const char* text, const char* name,
                      uint8_t encryptMethod);
    int SetResultSetCell(int32_t row, int32_t column, ResultSet* table, const char* name);
    ResultSet* Finish(); // the table when complete (the builder lets go of it), else null

private:
    ResultSet* table_;
};
