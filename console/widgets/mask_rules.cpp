#include "console/widgets/mask_rules.h"

#include <cstring>

namespace {
bool IsHexDigit(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Clamps a selection to the text and puts its ends in order.
void Order(size_t length, size_t& start, size_t& end) {
    if (start > length)
        start = length;
    if (end > length)
        end = length;
    if (start > end) {
        size_t swap = start;
        start = end;
        end = swap;
    }
}

size_t NextEditable(const std::string& mask, size_t from) {
    while (from < mask.size() && !MaskIsEditable(mask[from]))
        ++from;
    return from;
}

void ClearRange(const MaskFormat& format, std::string& text, size_t start, size_t end) {
    for (size_t i = start; i < end; ++i) {
        if (MaskIsEditable(format.mask[i]))
            text[i] = format.prompt[i];
    }
}

MaskEditResult Refused(const std::string& text, size_t caret) {
    return MaskEditResult{text, caret, false, true};
}

MaskEditResult Result(const std::string& before, std::string after, size_t caret) {
    bool changed = after != before;
    return MaskEditResult{std::move(after), caret, changed, false};
}
} // namespace

MaskFormat MakeMaskFormat(const char* mask, const char* prompt) {
    MaskFormat format;
    format.mask = mask != nullptr ? mask : "";
    size_t promptLength = prompt != nullptr ? strlen(prompt) : 0;
    format.prompt.assign(format.mask.size(), '_');
    for (size_t i = 0; i < format.mask.size() && i < promptLength; ++i)
        format.prompt[i] = prompt[i];
    return format;
}

bool MaskIsEditable(char maskChar) {
    return maskChar == '0' || maskChar == 'H';
}

bool MaskAccepts(char maskChar, char c) {
    if (maskChar == '0')
        return c >= '0' && c <= '9';
    if (maskChar == 'H')
        return IsHexDigit(c);
    return false;
}

std::string MaskConform(const MaskFormat& format, const char* text) {
    const std::string& mask = format.mask;
    std::string result(mask.size(), '\0');
    bool more = text != nullptr; // false once the text's terminator was passed
    for (size_t i = 0; i < mask.size(); ++i) {
        char c = more ? text[i] : '\0';
        if (c == '\0')
            more = false;
        if (!MaskIsEditable(mask[i]))
            result[i] = mask[i];
        else
            result[i] = MaskAccepts(mask[i], c) ? c : format.prompt[i];
    }
    return result;
}

bool MaskIsComplete(const MaskFormat& format, const std::string& text) {
    if (text.size() != format.mask.size())
        return false;
    for (size_t i = 0; i < text.size(); ++i) {
        if (MaskIsEditable(format.mask[i]) && !MaskAccepts(format.mask[i], text[i]))
            return false;
    }
    return true;
}

MaskEditResult MaskType(const MaskFormat& format, const std::string& text, size_t start, size_t end,
                        char c) {
    const std::string& mask = format.mask;
    if (text.size() != mask.size())
        return Refused(text, 0); // not a text of this mask
    Order(text.size(), start, end);
    if (start == end && start < mask.size() && !MaskIsEditable(mask[start]) && c == mask[start])
        return Result(text, text, NextEditable(mask, start + 1));
    size_t target = NextEditable(mask, start);
    if (target >= mask.size() || !MaskAccepts(mask[target], c))
        return Refused(text, start);
    std::string after = text;
    ClearRange(format, after, start, end);
    after[target] = c;
    return Result(text, std::move(after), NextEditable(mask, target + 1));
}

MaskEditResult MaskErase(const MaskFormat& format, const std::string& text, size_t start,
                         size_t end, bool backward) {
    const std::string& mask = format.mask;
    if (text.size() != mask.size())
        return Refused(text, 0); // not a text of this mask
    Order(text.size(), start, end);
    std::string after = text;
    if (start < end) {
        ClearRange(format, after, start, end);
        return Result(text, std::move(after), start);
    }
    if (backward) {
        size_t target = start;
        while (target > 0 && !MaskIsEditable(mask[target - 1]))
            --target;
        if (target == 0)
            return Refused(text, start);
        --target;
        after[target] = format.prompt[target];
        return Result(text, std::move(after), target);
    }
    size_t target = NextEditable(mask, start);
    if (target >= mask.size())
        return Refused(text, start);
    after[target] = format.prompt[target];
    return Result(text, std::move(after), start);
}

MaskEditResult MaskPaste(const MaskFormat& format, const std::string& text, size_t start,
                         size_t end, const char* pasted) {
    const std::string& mask = format.mask;
    if (text.size() != mask.size())
        return Refused(text, 0); // not a text of this mask
    Order(text.size(), start, end);
    std::string after = text;
    ClearRange(format, after, start, end);
    size_t next = start;
    bool placed = false;
    for (const char* p = pasted != nullptr ? pasted : ""; *p != '\0' && next < mask.size(); ++p) {
        if (!MaskIsEditable(mask[next]) && *p == mask[next]) {
            ++next; // the literal itself, as a whole address pastes it
            continue;
        }
        size_t target = NextEditable(mask, next);
        if (target >= mask.size())
            break;
        if (!MaskAccepts(mask[target], *p))
            continue; // a character no position takes is dropped
        after[target] = *p;
        placed = true;
        next = target + 1;
    }
    if (!placed)
        return Refused(text, start);
    return Result(text, std::move(after), NextEditable(mask, next));
}
