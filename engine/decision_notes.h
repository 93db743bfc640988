// Why a filter decided as it did, told to a listener that explains decisions to
// people (gwconfig's check). The library installs no listener; a note then costs
// one test of a null pointer and changes nothing.
#pragma once

#include <cstddef>
#include <cstdint>

enum DecisionNoteKind : int32_t {
    NOTE_DENY_ROW,             // row `row` of `table` denies the client
    NOTE_ALLOW_ROW,            // row `row` of `table` allows the client
    NOTE_NO_ALLOW_ROW_MATCHED, // `table` holds allow rows and none matches
    NOTE_DEFAULT_SWITCH,       // no row decided and `table` holds no allow row: the
                               // default switch, `value`, decided
    NOTE_LIMIT_FROM_ROW,       // the session limit `value` comes from row `row` of `table`
    NOTE_LIMIT_DEFAULT,        // no row names the client: the default limit `value`
    NOTE_NO_LIMIT,             // no row names the client and no default limit is set
    NOTE_REJECTED,             // the session is rejected with code `value`
};

struct DecisionNote {
    DecisionNoteKind kind;
    const char* table; // null when the note is not about a table
    size_t row;        // index in the table's list, from 0
    int64_t value;
};

using DecisionListener = void (*)(const DecisionNote& note);

// Installs the listener (null: none) and returns the previous one.
DecisionListener SetDecisionListener(DecisionListener listener);

void NoteDecision(DecisionNoteKind kind, const char* table, size_t row, int64_t value);
