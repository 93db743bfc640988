// The rules of the masked edit, apart from any window: a mask of digit positions ('0'),
// hexadecimal positions ('H') and fixed literals (any other character); a prompt shown
// in every unfilled position; and what typing, erasing and pasting make of a text.
// The text always has exactly one character per mask position.
#pragma once

#include <cstddef>
#include <string>

struct MaskFormat {
    std::string mask;
    std::string prompt; // one character per mask position: what an unfilled one shows
};

// A format for `mask`; the prompt character of a position is the prompt text's
// character there ('_' where the prompt text is shorter).
MaskFormat MakeMaskFormat(const char* mask, const char* prompt);

// Whether a mask character is a position the user fills (not a literal).
bool MaskIsEditable(char maskChar);
// Whether `c` may stand in a position of mask character `maskChar`.
bool MaskAccepts(char maskChar, char c);

// `text` laid on the mask position by position: each editable position keeps the
// character of `text` there when it fits, else shows its prompt; literals are the
// mask's own. (Null reads as the empty text.)
std::string MaskConform(const MaskFormat& format, const char* text);
// True when every editable position holds a character it accepts.
bool MaskIsComplete(const MaskFormat& format, const std::string& text);

// The outcome of an edit on a conformed text with the selection [start, end).
struct MaskEditResult {
    std::string text;
    size_t caret; // where the caret goes (nothing selected)
    bool changed; // the text differs from before
    bool refused; // the input was not taken (the text is unchanged)
};

// One typed character: it fills the first editable position at or after `start`
// (literals are skipped) and the rest of the selection is cleared; the caret moves past
// it and past the literals that follow. Typing the literal under the caret just moves
// past it. A character the position refuses changes nothing.
MaskEditResult MaskType(const MaskFormat& format, const std::string& text, size_t start, size_t end,
                        char c);
// Backspace (`backward`) or Delete: with a selection its editable positions show their
// prompt again; without one, the editable position before (Backspace) or at and after
// (Delete) the caret does.
MaskEditResult MaskErase(const MaskFormat& format, const std::string& text, size_t start,
                         size_t end, bool backward);
// A paste: the selection is cleared, then the pasted characters fill the positions from
// `start` on, one by one; a character no position takes is dropped, one equal to the
// literal it meets passes over it. Nothing changes when no character fits.
MaskEditResult MaskPaste(const MaskFormat& format, const std::string& text, size_t start,
                         size_t end, const char* pasted);
