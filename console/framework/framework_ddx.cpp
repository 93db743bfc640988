#include "console/framework/framework_ddx.h"

#include <cstdio>
#include <cstring>
#include <string>

#include "platform/message_box.h"

const char DDX_MSG_INTEGER[] = "Please enter an integer.";
const char DDX_MSG_INTEGER_RANGE[] = "Please enter an integer between %1 and %2.";

namespace {
void FailOn(DataExchange& dx, int controlId, const char* message) {
    ShowMessageBox(message, nullptr, BOX_OK | BOX_ICONWARNING);
    HWND control = GetDlgItem(dx.dialog, controlId);
    if (control != nullptr)
        SetFocus(control);
    dx.failed = true;
}

// The control an exchange reaches: none once a field has failed, nor where the dialog
// has no such control.
HWND ExchangedControl(const DataExchange& dx, int controlId) {
    return dx.failed ? nullptr : GetDlgItem(dx.dialog, controlId);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
} // namespace

void DdxCheck(DataExchange& dx, int controlId, int32_t& value) {
    HWND control = ExchangedControl(dx, controlId);
    if (control == nullptr)
        return;
    if (dx.save) {
        LRESULT state = SendMessageA(control, BM_GETCHECK, 0, 0);
        value = state == BST_CHECKED ? 1 : state == BST_INDETERMINATE ? 2 : 0;
    } else {
        WPARAM state = value == 0 ? BST_UNCHECKED : value == 2 ? BST_INDETERMINATE : BST_CHECKED;
        SendMessageA(control, BM_SETCHECK, state, 0);
    }
}

void DdxText(DataExchange& dx, int controlId, char* buffer, size_t size) {
    HWND control = ExchangedControl(dx, controlId);
    if (control == nullptr || buffer == nullptr || size == 0)
        return;
    if (dx.save) {
        int limit = size > 0x7fffffff ? 0x7fffffff : static_cast<int>(size);
        buffer[0] = '\0';
        GetWindowTextA(control, buffer, limit);
        buffer[size - 1] = '\0';
    } else {
        SetWindowTextA(control, buffer);
    }
}

bool ParseDdxInteger(const char* text, int32_t* value) {
    if (text == nullptr)
        return false;
    const char* p = text;
    while (IsBlank(*p))
        ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    if (*p < '0' || *p > '9')
        return false;
    int64_t magnitude = 0;
    while (*p >= '0' && *p <= '9') {
        magnitude = magnitude * 10 + (*p - '0');
        if (magnitude > 2147483648LL)
            return false;
        ++p;
    }
    while (IsBlank(*p))
        ++p;
    if (*p != '\0')
        return false;
    int64_t signedValue = negative ? -magnitude : magnitude;
    if (signedValue > 2147483647LL)
        return false;
    if (value != nullptr)
        *value = static_cast<int32_t>(signedValue);
    return true;
}

void FormatDdxRangeMessage(int32_t minimum, int32_t maximum, char* out, size_t size) {
    if (out == nullptr || size == 0)
        return;
    char low[16];
    char high[16];
    snprintf(low, sizeof(low), "%ld", static_cast<long>(minimum));
    snprintf(high, sizeof(high), "%ld", static_cast<long>(maximum));
    std::string text;
    for (const char* p = DDX_MSG_INTEGER_RANGE; *p != '\0'; ++p) {
        if (p[0] == '%' && (p[1] == '1' || p[1] == '2')) {
            text += p[1] == '1' ? low : high;
            ++p;
        } else {
            text += *p;
        }
    }
    size_t length = text.size() < size - 1 ? text.size() : size - 1;
    memcpy(out, text.data(), length);
    out[length] = '\0';
}

void DdxInt(DataExchange& dx, int controlId, int32_t& value) {
    HWND control = ExchangedControl(dx, controlId);
    if (control == nullptr)
        return;
    if (dx.save) {
        char text[64] = {};
        GetWindowTextA(control, text, sizeof(text));
        int32_t parsed = 0;
        if (!ParseDdxInteger(text, &parsed)) {
            FailOn(dx, controlId, DDX_MSG_INTEGER);
            return;
        }
        value = parsed;
    } else {
        char text[16];
        snprintf(text, sizeof(text), "%ld", static_cast<long>(value));
        SetWindowTextA(control, text);
    }
}

void DdvMinMax(DataExchange& dx, int controlId, int32_t value, int32_t minimum, int32_t maximum) {
    if (dx.failed || !dx.save)
        return;
    if (value < minimum || value > maximum) {
        char message[96];
        FormatDdxRangeMessage(minimum, maximum, message, sizeof(message));
        FailOn(dx, controlId, message);
    }
}
