// Computer-name patterns with '*' wildcards, matched without regard to ASCII case.
#pragma once

#include <string>
#include <vector>

struct WildcardPattern {
    std::vector<std::string> pieces; // the non-empty texts between stars, in order
    int leadingStar;                 // 1 when the pattern starts with '*'
    int trailingStar;                // 1 when the pattern ends with '*'
};

// Copies the n-th (from 1) `separator`-separated field of text into out (of
// `outSize` bytes, cut and NUL-terminated). -1 when n < 1, 1 when there is no n-th
// field, 0 when out holds the field (possibly empty). A separator at the very end
// ends the list; two in a row give an empty field.
int GetField(const char* text, int n, char* out, size_t outSize, char separator);

// A new pattern for `text`; release it with ReleaseWildcard.
WildcardPattern* CompileWildcard(const char* text);
void ReleaseWildcard(WildcardPattern* pattern);

// 1 when name matches the pattern, else 0. A pattern of stars only matches all.
int MatchWildcard(const char* name, const WildcardPattern* pattern);

// The same for a pattern text, without compiling it first.
int MatchWildcardText(const char* name, const char* patternText);
