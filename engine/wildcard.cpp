#include "engine/wildcard.h"

#include <cstring>

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

namespace {

struct Piece {
    const char* text;
    size_t length;
};

// Places the pieces in order from the start of the name: the first is anchored at
// the start unless the pattern has a leading star, the last at the end unless it
// has a trailing star, the others go to their first occurrence. Pieces never
// overlap.
int MatchPieces(const char* name, const Piece* pieces, size_t count, bool leadingStar,
                bool trailingStar) {
    const char* p = name;
    size_t remaining = strlen(name);
    for (size_t i = 0; i < count; ++i) {
        const size_t length = pieces[i].length;
        if (i == 0 && !leadingStar) {
            if (length > remaining || CompareNoCaseN(p, pieces[i].text, length) != 0)
                return 0;
        } else if (i == count - 1 && !trailingStar) {
            if (length > remaining ||
                CompareNoCaseN(p + remaining - length, pieces[i].text, length) != 0)
                return 0;
            p += remaining - length;
            remaining = length;
        } else {
            // The first occurrence at or after p, compared in place (a piece is not
            // terminated inside the pattern text).
            const char* found = nullptr;
            for (const char* q = p; static_cast<size_t>(q - p) + length <= remaining; ++q) {
                if (CompareNoCaseN(q, pieces[i].text, length) == 0) {
                    found = q;
                    break;
                }
            }
            if (found == nullptr)
                return 0;
            remaining -= static_cast<size_t>(found - p);
            p = found;
        }
        p += length;
        remaining -= length;
    }
    return 1;
}

} // namespace

int MatchWildcard(const char* name, const WildcardPattern* pattern) {
    if (name == nullptr || pattern == nullptr)
        return 0;
    std::vector<Piece> pieces;
    pieces.reserve(pattern->pieces.size());
    for (const std::string& piece : pattern->pieces)
        pieces.push_back({piece.data(), piece.size()});
    return MatchPieces(name, pieces.data(), pieces.size(), pattern->leadingStar != 0,
                       pattern->trailingStar != 0);
}

int MatchWildcardText(const char* name, const char* patternText) {
    if (name == nullptr || patternText == nullptr)
        return 0;
    // The pieces point into the pattern itself: no allocation per row. A pattern of
    // n characters has at most (n + 1) / 2 pieces.
    const size_t length = strlen(patternText);
    if (length == 0)
        return 1;
    Piece stackPieces[128];
    std::vector<Piece> heapPieces;
    Piece* pieces = stackPieces;
    if ((length + 1) / 2 > 128) {
        heapPieces.resize((length + 1) / 2);
        pieces = heapPieces.data();
    }
    size_t count = 0;
    const char* p = patternText;
    for (;;) {
        const char* star = strchr(p, '*');
        const char* end = star != nullptr ? star : p + strlen(p);
        if (end > p)
            pieces[count++] = {p, static_cast<size_t>(end - p)};
        if (star == nullptr)
            break;
        p = star + 1;
    }
    return MatchPieces(name, pieces, count, patternText[0] == '*', patternText[length - 1] == '*');
}
