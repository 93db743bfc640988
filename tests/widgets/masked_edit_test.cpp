// The masked edit alone in a bare window: typing, erasing and pasting through the
// mask, what the parent hears, and the text as a whole.
#include "console/widgets/masked_edit.h"
#include "widget_test_env.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const char MAC_MASK[] = "HH-HH-HH-HH-HH-HH";
const char MAC_PROMPT[] = "__-__-__-__-__-__";
const char TIME_MASK[] = "00:00:00";
const char TIME_PROMPT[] = "__:__:__";

class MaskedEditTest : public ::testing::Test {
protected:
    void SetUp() override {
        edit = CreateMaskedEdit(host.hwnd(), 1034, RECT{10, 10, 200, 32});
        ASSERT_NE(nullptr, edit);
    }
    void Format(const char* mask, const char* prompt, const char* text) {
        ASSERT_TRUE(SetMaskedEditFormat(edit, mask, prompt, text));
    }
    std::string Text() {
        char text[64] = {};
        GetWindowTextA(edit, text, sizeof(text));
        return text;
    }
    void Type(const char* keys) {
        for (const char* p = keys; *p != '\0'; ++p)
            SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(*p), 1);
    }
    void Key(UINT vk) { SendMessageA(edit, WM_KEYDOWN, vk, 1); }
    void Select(int start, int end) { SendMessageA(edit, EM_SETSEL, start, end); }
    DWORD Caret() {
        DWORD start = 0;
        SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        return start;
    }
    int Changes() {
        int count = 0;
        for (size_t i = 0; i < host.commands.size(); ++i)
            count += host.commands[i] == 1034 && host.commandCodes[i] == EN_CHANGE;
        return count;
    }
    void PutOnClipboard(const char* text) {
        ASSERT_TRUE(OpenClipboard(host.hwnd()));
        EmptyClipboard();
        size_t size = strlen(text) + 1;
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
        memcpy(GlobalLock(block), text, size);
        GlobalUnlock(block);
        SetClipboardData(CF_TEXT, block);
        CloseClipboard();
    }

    TestHost host{400, 100};
    HWND edit = nullptr;
};

TEST_F(MaskedEditTest, TypingFillsThePositionsAndSkipsTheLiterals) {
    Format(MAC_MASK, MAC_PROMPT, "");
    EXPECT_EQ(MAC_PROMPT, Text());
    Type("0c");
    EXPECT_EQ("0c-__-__-__-__-__", Text());
    EXPECT_EQ(3u, Caret()); // past the literal
    Type("AfgZ:9");         // hex letters of both cases; g, Z and : are refused
    EXPECT_EQ("0c-Af-9_-__-__-__", Text());
    EXPECT_EQ(5, Changes()) << "one per character taken, none for a refused one";

    // Typing over a selection clears it and fills its first position.
    Select(0, 8);
    Type("e");
    EXPECT_EQ("e_-__-__-__-__-__", Text());

    // A digit mask takes digits only, but any digits.
    Format(TIME_MASK, TIME_PROMPT, "");
    Type("2a5:61.61x");
    EXPECT_EQ("25:61:61", Text());
    Type("1"); // the field is full
    EXPECT_EQ("25:61:61", Text());
}

TEST_F(MaskedEditTest, BackspaceAndDeletePutThePromptBack) {
    Format(TIME_MASK, TIME_PROMPT, "12:34:56");
    Select(3, 3);
    Type("\b"); // the literal before the caret is passed over
    EXPECT_EQ("1_:34:56", Text());
    EXPECT_EQ(1u, Caret());
    Select(2, 2);
    Key(VK_DELETE);
    EXPECT_EQ("1_:_4:56", Text());
    Select(4, 8);
    Key(VK_DELETE);
    EXPECT_EQ("1_:__:__", Text());
    EXPECT_EQ(3, Changes());
    Select(0, 0);
    Type("\b"); // nothing before the caret
    EXPECT_EQ("1_:__:__", Text());
    EXPECT_EQ(3, Changes());
}

TEST_F(MaskedEditTest, PasteTakesOnlyTheCharactersThatFit) {
    Format(MAC_MASK, MAC_PROMPT, "");
    PutOnClipboard("00-0c-29-ab-cd-ef");
    SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_EQ("00-0c-29-ab-cd-ef", Text());
    EXPECT_EQ(1, Changes());

    PutOnClipboard("x00:1b;44 11-3A zzB7 and more");
    Select(0, -1);
    Type("\x16"); // Ctrl+V
    EXPECT_EQ("00-1b-44-11-3A-B7", Text());
    EXPECT_EQ(2, Changes());

    PutOnClipboard("XYZ; QRST uvw!"); // no hexadecimal digit in it
    Select(0, -1);
    SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_EQ("00-1b-44-11-3A-B7", Text());
    EXPECT_EQ(2, Changes());

    // Cut copies the selection and clears it.
    Select(0, 5);
    SendMessageA(edit, WM_CUT, 0, 0);
    EXPECT_EQ("__-__-44-11-3A-B7", Text());
    EXPECT_EQ(3, Changes());
}

TEST_F(MaskedEditTest, TheProgramsOwnWritesAreLaidOnTheMaskSilently) {
    Format(MAC_MASK, MAC_PROMPT, "00-00-00-00-00-00");
    EXPECT_EQ("00-00-00-00-00-00", Text());
    EXPECT_TRUE(IsMaskedEditComplete(edit));
    SetWindowTextA(edit, "12:3G-?");
    EXPECT_EQ("12-3_-__-__-__-__", Text());
    EXPECT_EQ(17, GetWindowTextLengthA(edit));
    EXPECT_FALSE(IsMaskedEditComplete(edit));
    EXPECT_EQ(0, Changes());
    Type("4");
    EXPECT_EQ(1, Changes());
}

TEST_F(MaskedEditTest, BehavesLikeAOneLineEditToTheDialogAndTheKeyboard) {
    Format(TIME_MASK, TIME_PROMPT, "10:20:30");
    LRESULT code = SendMessageA(edit, WM_GETDLGCODE, 0, 0);
    EXPECT_EQ(0, code & (DLGC_WANTALLKEYS | DLGC_WANTTAB));
    EXPECT_NE(0, code & DLGC_HASSETSEL);
    Key(VK_END);
    EXPECT_EQ(8u, Caret());
    Key(VK_HOME);
    EXPECT_EQ(0u, Caret());
    Type("\r\t");
    EXPECT_EQ("10:20:30", Text());
    EXPECT_EQ(1, SendMessageA(edit, EM_GETLINECOUNT, 0, 0));

    // Only a multiline Edit can be bound, and only once.
    EXPECT_FALSE(BindMaskedEdit(edit));
    HWND plain = CreateWindowExA(0, "EDIT", "", WS_CHILD, 0, 40, 80, 20, host.hwnd(), nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    EXPECT_FALSE(BindMaskedEdit(plain));
    EXPECT_FALSE(SetMaskedEditFormat(plain, TIME_MASK, TIME_PROMPT, ""));
    EXPECT_FALSE(BindMaskedEdit(host.hwnd()));
}

} // namespace
