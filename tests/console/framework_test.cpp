// The framework layer: dialog data exchange with its standard messages, bounded text,
// and the About box reached through the application object.
#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "config/config_model.h"
#include "console/res/resource.h"
#include "console/framework/framework_ddx.h"
#include "console_test_support.h"

TEST(DataExchange, IntegerParsing) {
    struct Case {
        const char* text;
        bool ok;
        int32_t value;
    };
    const Case cases[] = {
        {"0", true, 0},
        {"42", true, 42},
        {"  -17 ", true, -17},
        {"+5", true, 5},
        {"2147483647", true, 2147483647},
        {"-2147483648", true, INT32_MIN},
        {"2147483648", false, 0},
        {"-2147483649", false, 0},
        {"99999999999999999999", false, 0},
        {"", false, 0},
        {"   ", false, 0},
        {"-", false, 0},
        {"12a", false, 0},
        {"1 2", false, 0},
        {"0x10", false, 0},
    };
    for (const Case& c : cases) {
        int32_t value = 12345;
        EXPECT_EQ(c.ok, ParseDdxInteger(c.text, &value)) << '"' << c.text << '"';
        EXPECT_EQ(c.ok ? c.value : 12345, value) << '"' << c.text << '"';
    }
}

TEST(DataExchange, RangeMessageFillsInTheBoundsAndStaysInItsBuffer) {
    char message[96];
    FormatDdxRangeMessage(1, 9999, message, sizeof(message));
    EXPECT_STREQ("Please enter an integer between 1 and 9999.", message);
    FormatDdxRangeMessage(-5, 5, message, sizeof(message));
    EXPECT_STREQ("Please enter an integer between -5 and 5.", message);
    char small[10];
    memset(small, 'x', sizeof(small));
    FormatDdxRangeMessage(1, 2, small, sizeof(small));
    EXPECT_STREQ("Please en", small);
}

TEST(DataExchange, ControlsAndMembersBothWays) {
    BoxRecorder boxes;
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                                  nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, parent);
    HWND edit = CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, parent,
                                reinterpret_cast<HMENU>(100), nullptr, nullptr);
    HWND check = CreateWindowExA(0, "BUTTON", "x", WS_CHILD | BS_AUTOCHECKBOX, 0, 30, 100, 20,
                                 parent, reinterpret_cast<HMENU>(101), nullptr, nullptr);
    ASSERT_NE(nullptr, edit);
    ASSERT_NE(nullptr, check);

    // Integer in, out, refused with the standard message, out of range.
    DataExchange load{parent, false, false};
    int32_t number = -12;
    DdxInt(load, 100, number);
    char text[32];
    GetWindowTextA(edit, text, sizeof(text));
    EXPECT_STREQ("-12", text);

    SetWindowTextA(edit, " 77 ");
    DataExchange save{parent, true, false};
    DdxInt(save, 100, number);
    EXPECT_FALSE(save.failed);
    EXPECT_EQ(77, number);
    DdvMinMax(save, 100, number, 1, 50);
    EXPECT_TRUE(save.failed);
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("Please enter an integer between 1 and 50.", boxes.boxes[0].text);

    SetWindowTextA(edit, "seven");
    DataExchange bad{parent, true, false};
    DdxInt(bad, 100, number);
    EXPECT_TRUE(bad.failed);
    EXPECT_EQ(77, number);
    ASSERT_EQ(2u, boxes.boxes.size());
    EXPECT_EQ("Please enter an integer.", boxes.boxes[1].text);
    // After a failure the rest of the exchange does nothing.
    int32_t flag = 5;
    DdxCheck(bad, 101, flag);
    EXPECT_EQ(5, flag);

    // Check box both ways.
    DataExchange checks{parent, false, false};
    flag = 1;
    DdxCheck(checks, 101, flag);
    EXPECT_EQ(BST_CHECKED, SendMessageA(check, BM_GETCHECK, 0, 0));
    SendMessageA(check, BM_SETCHECK, BST_UNCHECKED, 0);
    checks.save = true;
    DdxCheck(checks, 101, flag);
    EXPECT_EQ(0, flag);

    // Text: a longer text is cut to the member and stays terminated.
    SetWindowTextA(edit, "0123456789");
    char member[6];
    memset(member, 'z', sizeof(member));
    DataExchange texts{parent, true, false};
    DdxText(texts, 100, member, sizeof(member));
    EXPECT_STREQ("01234", member);
    DestroyWindow(parent);
}

TEST(AboutBox, OpensFromTheHelpMenuCommand) {
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    DialogDriver dialogs;
    std::string caption;
    bool versionShown = false;
    dialogs.onDialog = [&](ModalDialog&, HWND dialog, UINT) {
        char text[64] = {};
        GetWindowTextA(dialog, text, sizeof(text));
        caption = text;
        for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
             child = GetWindow(child, GW_HWNDNEXT)) {
            GetWindowTextA(child, text, sizeof(text));
            if (strcmp(text, "Quillon Version 2.0") == 0)
                versionShown = true;
        }
        Click(GetDlgItem(dialog, IDOK));
    };
    SendMessageA(console.Frame().hwnd(), WM_COMMAND, MAKEWPARAM(ID_APP_ABOUT, 0), 0);
    EXPECT_EQ((std::vector<UINT>{IDD_ABOUTBOX}), dialogs.opened);
    EXPECT_EQ("About Quillon", caption);
    EXPECT_TRUE(versionShown);
}

TEST(ProcedureGuard, AFailureInsideAProcedureIsShownAndTheConsoleGoesOn) {
    RunningConsole console;
    ASSERT_TRUE(console.Start());
    BoxRecorder boxes;
    DialogDriver dialogs;
    // The add dialog's handling fails after the dialog was told to close.
    dialogs.onDialog = [](ModalDialog&, HWND dialog, UINT) {
        Click(GetDlgItem(dialog, IDCANCEL));
        throw std::runtime_error("no room left");
    };
    FilterConfig.modified = 0;
    const size_t rows = FilterConfig.ipRanges.size();
    Click(console.PageItem(IDC_IP_ADD));
    PumpMessages();
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("The console could not finish this action (no room left). The configuration is "
              "kept as it was.",
              boxes.boxes[0].text);
    EXPECT_EQ(rows, FilterConfig.ipRanges.size());
    EXPECT_EQ(0, FilterConfig.modified);

    // The console goes on: the next click opens the dialog again.
    dialogs.onDialog = nullptr;
    Click(console.PageItem(IDC_IP_ADD));
    EXPECT_EQ(2u, dialogs.opened.size());
    EXPECT_TRUE(IsWindow(console.Frame().hwnd()));
}
