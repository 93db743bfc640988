#include "engine/wildcard.h"

#include <cstring>

#include "engine/session_facts.h"
#include "engine/text_compare.h"

int GetField(const char* text, int n, char* out, size_t outSize, char separator) {
    if (outSize > 0)
        out[0] = '\0';
    if (n < 1)
        return -1;
    if (text == nullptr)
        return 1;
    const char* p = text;
    for (int skipped = 1; skipped < n; ++skipped) {
        const char* next = strchr(p, separator);
        if (next == nullptr)
            return 1;
        p = next + 1;
    }
    const char* end = strchr(p, separator);
    if (end == nullptr) {
        if (*p == '\0')
            return 1;
        end = p + strlen(p);
    }
    if (outSize > 0) {
        size_t length = static_cast<size_t>(end - p);
        if (length > outSize - 1)
            length = outSize - 1;
        memcpy(out, p, length);
        out[length] = '\0';
    }
    return 0;
}

WildcardPattern* CompileWildcard(const char* text) {
    auto* pattern = new WildcardPattern();
    if (text == nullptr || *text == '\0')
        return pattern;
    size_t length = strlen(text);
    pattern->leadingStar = text[0] == '*' ? 1 : 0;
    pattern->trailingStar = text[length - 1] == '*' ? 1 : 0;
    // The fields GetField would give, read in one pass: the texts between stars, up
    // to the last star (a text after it is a field too), empty ones dropped.
    const char* p = text;
    for (;;) {
        const char* star = strchr(p, '*');
        const char* end = star != nullptr ? star : p + strlen(p);
        if (end > p)
            pattern->pieces.emplace_back(p, static_cast<size_t>(end - p));
        if (star == nullptr)
            break;
        p = star + 1;
    }
    return pattern;
}

void ReleaseWildcard(WildcardPattern* pattern) {
    delete pattern;
}

int MatchWildcard(const char* name, const WildcardPattern* pattern) {
    if (name == nullptr || pattern == nullptr)
        return 0;
    const char* p = name;
    const size_t count = pattern->pieces.size();
    for (size_t i = 0; i < count; ++i) {
        const std::string& piece = pattern->pieces[i];
        const size_t length = piece.size();
        const size_t remaining = strlen(p);
        if (i == 0 && !pattern->leadingStar) {
            if (length > remaining || CompareNoCaseN(p, piece.c_str(), length) != 0)
                return 0;
        } else if (i == count - 1 && !pattern->trailingStar) {
            if (length > remaining ||
                CompareNoCaseN(p + remaining - length, piece.c_str(), length) != 0)
                return 0;
            p += remaining - length;
        } else {
            const char* found = stristr(p, piece.c_str());
            if (found == nullptr)
                return 0;
            p = found;
        }
        p += length;
    }
    return 1;
}
