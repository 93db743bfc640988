// The case-insensitive search, the field splitter and the computer-name wildcard
// matcher.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "engine/helper_exports.h"
#include "engine/session_facts.h"
#include "engine/wildcard.h"

namespace {

TEST(Stristr, FindsFirstOccurrenceIgnoringAsciiCase) {
    const char text[] = "the SERVER and the server";
    EXPECT_EQ(stristr(text, "server"), text + 4);
    EXPECT_EQ(stristr(text, "THE"), text);
    EXPECT_EQ(stristr(text, "d the s"), text + 13);
    EXPECT_EQ(stristr(text, "server!"), nullptr);
    // The match may end exactly at the end of the text.
    const char tail[] = "abc";
    EXPECT_EQ(stristr(tail, "BC"), tail + 1);
    EXPECT_EQ(stristr(tail, "abcd"), nullptr);
}

TEST(Stristr, EmptyOrNullTextsGiveNull) {
    EXPECT_EQ(stristr("", "a"), nullptr);
    EXPECT_EQ(stristr("a", ""), nullptr);
    EXPECT_EQ(stristr(nullptr, "a"), nullptr);
    EXPECT_EQ(stristr("a", nullptr), nullptr);
}

TEST(Stristr, FoldsOnlyAsciiLetters) {
    // 0xC9 and 0xE9 are E-acute in upper and lower case (Latin-1): not folded.
    const char text[] = "caf\xC9";
    EXPECT_EQ(stristr(text, "CAF\xE9"), nullptr);
    EXPECT_EQ(stristr(text, "CAF\xC9"), text);
    // '@' and '`' sit next to the letters and must not be folded into them.
    EXPECT_EQ(stristr("@", "`"), nullptr);
    EXPECT_EQ(stristr("[", "{"), nullptr);
}

TEST(GetField, CountsFieldsBetweenSeparators) {
    char out[16];
    EXPECT_EQ(GetField("ab*cd*ef", 1, out, sizeof out, '*'), 0);
    EXPECT_STREQ(out, "ab");
    EXPECT_EQ(GetField("ab*cd*ef", 3, out, sizeof out, '*'), 0);
    EXPECT_STREQ(out, "ef");
    EXPECT_EQ(GetField("ab*cd*ef", 4, out, sizeof out, '*'), 1);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetField("ab", 0, out, sizeof out, '*'), -1);
}

TEST(GetField, EmptyFieldsAndTrailingSeparator) {
    char out[16];
    EXPECT_EQ(GetField("a**b", 2, out, sizeof out, '*'), 0);
    EXPECT_STREQ(out, "");
    EXPECT_EQ(GetField("a**b", 3, out, sizeof out, '*'), 0);
    EXPECT_STREQ(out, "b");
    // A separator at the very end ends the list.
    EXPECT_EQ(GetField("a*", 2, out, sizeof out, '*'), 1);
    EXPECT_EQ(GetField("*a", 1, out, sizeof out, '*'), 0);
    EXPECT_STREQ(out, "");
}

TEST(GetField, LongFieldIsCutAndTerminated) {
    char out[4];
    memset(out, 'x', sizeof out);
    EXPECT_EQ(GetField("abcdefgh*z", 1, out, sizeof out, '*'), 0);
    EXPECT_STREQ(out, "abc");
}

TEST(CompileWildcard, PiecesAndStarFlags) {
    std::unique_ptr<WildcardPattern, void (*)(WildcardPattern*)> p(CompileWildcard("*ab**cd*"),
                                                                   ReleaseWildcard);
    EXPECT_EQ(p->leadingStar, 1);
    EXPECT_EQ(p->trailingStar, 1);
    ASSERT_EQ(p->pieces.size(), 2u);
    EXPECT_EQ(p->pieces[0], "ab");
    EXPECT_EQ(p->pieces[1], "cd");

    std::unique_ptr<WildcardPattern, void (*)(WildcardPattern*)> q(CompileWildcard("ab*c"),
                                                                   ReleaseWildcard);
    EXPECT_EQ(q->leadingStar, 0);
    EXPECT_EQ(q->trailingStar, 0);
    ASSERT_EQ(q->pieces.size(), 2u);
    EXPECT_EQ(q->pieces[1], "c");
}

// The compiled pattern and the pattern text must always agree.
int Matches(const char* name, const char* pattern) {
    std::unique_ptr<WildcardPattern, void (*)(WildcardPattern*)> p(CompileWildcard(pattern),
                                                                   ReleaseWildcard);
    int compiled = MatchWildcard(name, p.get());
    EXPECT_EQ(MatchWildcardText(name, pattern), compiled) << pattern << " vs " << name;
    return compiled;
}

struct WildcardCase {
    const char* pattern;
    const char* name;
    int expected;
};

class MatchWildcardCases : public ::testing::TestWithParam<WildcardCase> {};

TEST_P(MatchWildcardCases, Decides) {
    const WildcardCase& c = GetParam();
    EXPECT_EQ(Matches(c.name, c.pattern), c.expected) << c.pattern << " vs " << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, MatchWildcardCases,
    ::testing::Values(
        // stars only: everything
        WildcardCase{"*", "ANY", 1}, WildcardCase{"**", "", 1},
        // trailing star: prefix test
        WildcardCase{"ws*", "WS-042", 1}, WildcardCase{"ws*", "aws", 0},
        WildcardCase{"ws*", "w", 0},
        // leading star: suffix test
        WildcardCase{"*.corp", "pc1.CORP", 1}, WildcardCase{"*.corp", "pc1.corp.x", 0},
        WildcardCase{"*.corp", "corp", 0},
        // both ends: substring
        WildcardCase{"*lab*", "MyLabPC", 1}, WildcardCase{"*lab*", "LAB", 1},
        WildcardCase{"*lab*", "la-b", 0},
        // star in the middle: prefix and suffix that must not overlap
        WildcardCase{"ab*ba", "abba", 1}, WildcardCase{"ab*ba", "aba", 0},
        WildcardCase{"ab*ba", "ABxxBA", 1}, WildcardCase{"a*a", "a", 0},
        // several pieces placed in order
        WildcardCase{"*a*b*c*", "xaybzc", 1}, WildcardCase{"*a*b*c*", "cba", 0},
        WildcardCase{"pc*-*-01", "PC-lab-2-01", 1}, WildcardCase{"pc*-*-01", "PC-lab-01x", 0}));

TEST(MatchWildcard, PatternWithManyPiecesNeedsNoFixedLimit) {
    std::string pattern, name;
    for (int i = 0; i < 200; ++i) {
        pattern += "*x";
        name += "-x";
    }
    EXPECT_EQ(MatchWildcardText(name.c_str(), pattern.c_str()), 1);
    EXPECT_EQ(MatchWildcardText(name.substr(2).c_str(), pattern.c_str()), 0);
}

TEST(ParseDottedAddress, ReadsFourNumbersWithinTheField) {
    uint32_t address = 1;
    EXPECT_EQ(ParseDottedAddress("10.1.2.3", 64, &address), 0);
    EXPECT_EQ(address, 0x0A010203u);
    EXPECT_EQ(ParseDottedAddress(" 10. 1.+2.-1", 64, &address), 0); // as %d reads them
    EXPECT_EQ(address, 0x0A0102FFu);
    EXPECT_EQ(ParseDottedAddress("300.0.0.1xyz", 64, &address), 0);
    EXPECT_EQ(address, 0x2C000001u);
    EXPECT_EQ(ParseDottedAddress("10.1.2", 64, &address), -1);
    EXPECT_EQ(address, 0u);
    EXPECT_EQ(ParseDottedAddress("10..2.3", 64, &address), -1);
    EXPECT_EQ(ParseDottedAddress("10.1.2.3", 6, &address), -1); // the field ends at "10.1.2"
    EXPECT_EQ(ParseDottedAddress("99999999999.0.0.7", 64, &address), 0);
    EXPECT_EQ(address & 0xFFu, 7u);
}

TEST(MatchWildcard, NullInputsDoNotMatch) {
    std::unique_ptr<WildcardPattern, void (*)(WildcardPattern*)> p(CompileWildcard("*"),
                                                                   ReleaseWildcard);
    EXPECT_EQ(MatchWildcard(nullptr, p.get()), 0);
    EXPECT_EQ(MatchWildcard("x", nullptr), 0);
}

} // namespace
