// The masked edit's rules at their edges, natively under the sanitizers: selections
// out of order or past the end, texts and prompts of the wrong length. The everyday
// typing, erasing and pasting are checked on the control itself under Wine.
#include "console/widgets/mask_rules.h"

#include <gtest/gtest.h>

TEST(MaskRules, FormatsAndTextsOfTheWrongLengthAreLaidOnTheMask) {
    MaskFormat format = MakeMaskFormat("HH-0", "*");
    EXPECT_EQ("*___", format.prompt);
    EXPECT_EQ("*_-_", MaskConform(format, nullptr));
    EXPECT_EQ("a_-_", MaskConform(format, "a"));
    EXPECT_EQ("ab-7", MaskConform(format, "ab-7 and far too long"));
    EXPECT_FALSE(MaskIsComplete(format, "ab-"));
    EXPECT_TRUE(MaskIsComplete(format, "ab-7"));

    MaskFormat none = MakeMaskFormat(nullptr, nullptr);
    EXPECT_EQ("", MaskConform(none, "text"));
    EXPECT_TRUE(MaskType(none, "", 0, 0, '1').refused);
    EXPECT_TRUE(MaskErase(none, "", 0, 0, true).refused);
    EXPECT_TRUE(MaskPaste(none, "", 0, 0, "12").refused);
}

TEST(MaskRules, SelectionsAreClampedAndOrdered) {
    MaskFormat format = MakeMaskFormat("00:00", "__:__");
    // Reversed and past the end: the same as [1, 5).
    MaskEditResult typed = MaskType(format, "12:34", 99, 1, '7');
    EXPECT_EQ("17:__", typed.text);
    EXPECT_EQ(3u, typed.caret);
    MaskEditResult erased = MaskErase(format, "12:34", 40, 40, true);
    EXPECT_EQ("12:3_", erased.text);
    EXPECT_TRUE(MaskErase(format, "12:34", 40, 40, false).refused);
    MaskEditResult pasted = MaskPaste(format, "12:34", 4, 2, "98765");
    EXPECT_EQ("12:98", pasted.text);
    EXPECT_EQ(5u, pasted.caret);
    // A text that is not of this mask is left alone.
    EXPECT_TRUE(MaskType(format, "12", 0, 0, '1').refused);
    EXPECT_TRUE(MaskPaste(format, "12:345", 0, 0, "1").refused);
    // Typing the literal under the caret moves past it and changes nothing.
    MaskEditResult literal = MaskType(format, "12:34", 2, 2, ':');
    EXPECT_FALSE(literal.changed);
    EXPECT_FALSE(literal.refused);
    EXPECT_EQ(3u, literal.caret);
}
