// Dialog data exchange: moves values between a dialog's controls and the members
// they are bound to. In the save direction a control whose text is no valid value
// shows the framework's standard message, takes the focus and fails the exchange.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

extern const char DDX_MSG_INTEGER[];       // "Please enter an integer."
extern const char DDX_MSG_INTEGER_RANGE[]; // "Please enter an integer between %1 and %2."

struct DataExchange {
    HWND dialog;
    bool save; // true: controls -> members; false: members -> controls
    bool failed;
};

// Check box <-> 32-bit flag (checked = 1, cleared = 0; an indeterminate box reads 2).
void DdxCheck(DataExchange& dx, int controlId, int32_t& value);
// Text <-> fixed-size single-byte buffer of `size` bytes; a longer text is cut.
void DdxText(DataExchange& dx, int controlId, char* buffer, size_t size);
// Decimal integer text <-> int32.
void DdxInt(DataExchange& dx, int controlId, int32_t& value);
// After a DdxInt of the same control: the value must lie in [minimum, maximum].
void DdvMinMax(DataExchange& dx, int controlId, int32_t value, int32_t minimum, int32_t maximum);

// Parses a decimal integer as the exchange accepts it: blanks around it allowed,
// an optional sign, digits, nothing else, within the 32-bit range.
bool ParseDdxInteger(const char* text, int32_t* value);
// "Please enter an integer between %1 and %2." with the bounds filled in.
void FormatDdxRangeMessage(int32_t minimum, int32_t maximum, char* out, size_t size);
