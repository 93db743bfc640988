// The client version and time restriction pages: enabling rules, what their buttons,
// edits and boxes store, and an apply through the File menu.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/res/resource.h"
#include "console/widgets/tip_window.h"
#include "console/widgets/widget_common.h"
#include "console_test_support.h"

namespace {
const int VERSION_CONTROLS[] = {
    IDC_VER_LIST,          IDC_VER_ALLOW,           IDC_VER_ALLOW_BUTTON,
    IDC_VER_DISALLOW,      IDC_VER_DISALLOW_BUTTON, IDC_VER_HIGHER,
    IDC_VER_HIGHER_BUTTON, IDC_VER_LOWER,           IDC_VER_LOWER_BUTTON,
    IDC_VER_RANGE,         IDC_VER_RANGE_BUTTON,
};

class PageTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
    }
    HWND Item(int id) { return console.PageItem(id); }
    std::string Text(int id) { return GetWindowTextUtf8(Item(id)); }
    bool Checked(int id) { return IsDlgButtonChecked(console.Page(), id) == BST_CHECKED; }
    void Type(int id, const char* keys) {
        for (const char* p = keys; *p != '\0'; ++p)
            SendMessageA(Item(id), WM_CHAR, static_cast<unsigned char>(*p), 1);
    }
    // Text typed into an ordinary edit: its change notice reaches the page.
    void TypeInEdit(int id, const char* text) {
        SendMessageA(Item(id), EM_SETSEL, 0, -1);
        SendMessageA(Item(id), EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text));
    }
    void SelectBuilds(std::vector<const char*> builds) {
        HWND list = Item(IDC_VER_LIST);
        SendMessageA(list, LB_SETSEL, FALSE, -1);
        for (const char* build : builds) {
            LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(build));
            SendMessageA(list, LB_SETSEL, TRUE, index);
        }
    }
    BoxRecorder boxes;
    RunningConsole console;
};

class VersionPage : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        CopyToField(FilterConfig.VERHIGHER, "2087");
        CopyToField(FilterConfig.VERBETWEEN, "(1877:2031)");
        ASSERT_TRUE(OpenPageFromBar(console, 0, 3, PageKind::ClientVersion));
    }
};

class TimePage : public PageTest {
protected:
    void SetUp() override {
        PageTest::SetUp();
        FilterConfig.WEEK_W1 = 1;
        FilterConfig.WEEK_W2 = 0;
        FilterConfig.WEEK_W3 = 1;
        FilterConfig.WEEK_W4 = 0;
        FilterConfig.WEEK_W5 = 1;
        FilterConfig.WEEK_W6 = 0;
        FilterConfig.WEEK_W7 = 0;
        FilterConfig.TIME_BETWEEN = 0;
        CopyToField(FilterConfig.TIME_FROM, "08:00:00");
        CopyToField(FilterConfig.TIME_TO, "17:30:00");
        ASSERT_TRUE(OpenPageFromBar(console, 0, 4, PageKind::Time));
    }
    // Monday to Sunday.
    const int days[7] = {IDC_TIME_MONDAY, IDC_TIME_TUESDAY,  IDC_TIME_WEDNESDAY, IDC_TIME_THURSDAY,
                         IDC_TIME_FRIDAY, IDC_TIME_SATURDAY, IDC_TIME_SUNDAY};
    std::vector<int32_t> StoredDays() {
        return {FilterConfig.WEEK_W1, FilterConfig.WEEK_W2, FilterConfig.WEEK_W3,
                FilterConfig.WEEK_W4, FilterConfig.WEEK_W5, FilterConfig.WEEK_W6,
                FilterConfig.WEEK_W7};
    }
};
} // namespace

TEST_F(VersionPage, ShowsTheSettingsAndTheFilterSwitchGovernsElevenControls) {
    EXPECT_EQ("2087", Text(IDC_VER_HIGHER));
    EXPECT_EQ("(1877:2031)", Text(IDC_VER_RANGE));
    EXPECT_EQ("", Text(IDC_VER_ALLOW));
    HWND list = Item(IDC_VER_LIST);
    ASSERT_EQ(10, SendMessageA(list, LB_GETCOUNT, 0, 0));
    char first[8] = {};
    SendMessageA(list, LB_GETTEXT, 0, reinterpret_cast<LPARAM>(first));
    EXPECT_STREQ("0419", first);
    EXPECT_EQ(0, SendMessageA(list, LB_GETSELCOUNT, 0, 0));
    EXPECT_EQ(254, SendMessageA(Item(IDC_VER_ALLOW), EM_GETLIMITTEXT, 0, 0));
    EXPECT_EQ(0, FilterConfig.modified) << "filling the page is no edit";

    for (int id : VERSION_CONTROLS)
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    Click(Item(IDC_VER_ENABLE));
    EXPECT_EQ(1, FilterConfig.FLAG_VERSION);
    for (int id : VERSION_CONTROLS)
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    EXPECT_EQ(
        "",
        HelpTipMismatch(
            Item(IDC_VER_ENABLE), true, 5, 25, "Enable Client Version Filter",
            "Check/uncheck this box to enable/disable this filter.\n \n Select the version "
            "number from the list and click in the \nappropriate button. If your version number "
            "is not listed, \nyou can manually type it in the appropriate text field."));
    SharedHelpTip().Hide();
    Click(Item(IDC_VER_ENABLE));
    EXPECT_EQ(0, FilterConfig.FLAG_VERSION);
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_VER_RANGE_BUTTON)));
    EXPECT_STREQ("2087", FilterConfig.VERHIGHER);
    SharedHelpTip().Hide();
}

TEST_F(VersionPage, ButtonsSetTheirRuleFromTheSelection) {
    Click(Item(IDC_VER_ENABLE));
    SharedHelpTip().Hide();
    SelectBuilds({"2128", "2031"});
    FilterConfig.modified = 0;
    Click(Item(IDC_VER_ALLOW_BUTTON));
    EXPECT_STREQ("2031,2128", FilterConfig.VERALLOW);
    EXPECT_EQ("2031,2128", Text(IDC_VER_ALLOW));
    EXPECT_EQ(1, FilterConfig.modified);

    SelectBuilds({"2087", "2128"});
    Click(Item(IDC_VER_LOWER_BUTTON));
    EXPECT_STREQ("2087", FilterConfig.VERLOWER);

    SelectBuilds({"0419", "2087", "9213"});
    Click(Item(IDC_VER_RANGE_BUTTON));
    ASSERT_EQ(1u, boxes.boxes.size());
    EXPECT_EQ("You must select exactly 2 version number", boxes.boxes[0].text);
    EXPECT_STREQ("(1877:2031)", FilterConfig.VERBETWEEN);
    EXPECT_EQ("(1877:2031)", Text(IDC_VER_RANGE));

    SelectBuilds({"9213", "0419"});
    Click(Item(IDC_VER_RANGE_BUTTON));
    EXPECT_STREQ("(0419:9213)", FilterConfig.VERBETWEEN);
    EXPECT_EQ("(0419:9213)", Text(IDC_VER_RANGE));

    SelectBuilds({});
    Click(Item(IDC_VER_ALLOW_BUTTON));
    Click(Item(IDC_VER_HIGHER_BUTTON));
    EXPECT_STREQ("", FilterConfig.VERALLOW);
    EXPECT_STREQ("", FilterConfig.VERHIGHER);
    EXPECT_EQ(1u, boxes.boxes.size());
}

TEST_F(VersionPage, TypedRulesAreStoredAtOnceAndButtonsLeaveThemAlone) {
    Click(Item(IDC_VER_ENABLE));
    SharedHelpTip().Hide();
    FilterConfig.modified = 0;
    TypeInEdit(IDC_VER_ALLOW, "2600");
    EXPECT_STREQ("2600", FilterConfig.VERALLOW);
    EXPECT_EQ(1, FilterConfig.modified);
    TypeInEdit(IDC_VER_RANGE, " 2600:3790");
    EXPECT_STREQ(" 2600:3790", FilterConfig.VERBETWEEN);

    SelectBuilds({"0419"});
    Click(Item(IDC_VER_DISALLOW_BUTTON));
    EXPECT_STREQ("0419", FilterConfig.VERDISALLOW);
    EXPECT_EQ("2600", Text(IDC_VER_ALLOW));
    EXPECT_STREQ("2600", FilterConfig.VERALLOW);
    EXPECT_EQ(" 2600:3790", Text(IDC_VER_RANGE));
}

TEST_F(VersionPage, ApplyThroughTheFileMenuStoresWhatThePageShows) {
    Click(Item(IDC_VER_ENABLE));
    SharedHelpTip().Hide();
    SelectBuilds({"2072", "2099"});
    Click(Item(IDC_VER_RANGE_BUTTON));
    TypeInEdit(IDC_VER_DISALLOW, "2600,3790");
    std::string shown[5] = {Text(IDC_VER_ALLOW), Text(IDC_VER_DISALLOW), Text(IDC_VER_HIGHER),
                            Text(IDC_VER_LOWER), Text(IDC_VER_RANGE)};
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ(1, FilterConfig.FLAG_VERSION);
    EXPECT_EQ(shown[0], FilterConfig.VERALLOW);
    EXPECT_EQ(shown[1], FilterConfig.VERDISALLOW);
    EXPECT_EQ(shown[2], FilterConfig.VERHIGHER);
    EXPECT_EQ(shown[3], FilterConfig.VERLOWER);
    EXPECT_EQ(shown[4], FilterConfig.VERBETWEEN);
    EXPECT_EQ("(2072:2099)", shown[4]);
    EXPECT_EQ("2600,3790", shown[1]);
}

TEST_F(TimePage, EnablingFollowsTheFilterSwitchAndTheChoiceOfAllDayOrBetween) {
    EXPECT_EQ(0, FilterConfig.modified) << "filling the page is no edit";
    EXPECT_TRUE(Checked(IDC_TIME_ALL_DAY));
    EXPECT_FALSE(Checked(IDC_TIME_BETWEEN));
    EXPECT_EQ("08:00:00", Text(IDC_TIME_FROM));
    for (int id : days)
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    for (int id : {IDC_TIME_ALL_DAY, IDC_TIME_BETWEEN, IDC_TIME_FROM, IDC_TIME_TO})
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;

    Click(Item(IDC_TIME_ENABLE));
    EXPECT_EQ(1, FilterConfig.FLAG_TIME);
    EXPECT_EQ(
        "",
        HelpTipMismatch(
            Item(IDC_TIME_ENABLE), true, 5, 25, "Enable Time Restrictions Filter",
            "Enable/Disable this filter.\n\nOn this filter you can select the days of the week "
            "and the timeframe during these days \nwhen this filter should be active.\n  \n  "));
    SharedHelpTip().Hide();
    for (int id : days)
        EXPECT_TRUE(IsWindowEnabled(Item(id))) << id;
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TIME_BETWEEN)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_TIME_FROM)));

    Click(Item(IDC_TIME_BETWEEN));
    EXPECT_EQ(1, FilterConfig.TIME_BETWEEN);
    EXPECT_FALSE(Checked(IDC_TIME_ALL_DAY));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TIME_FROM)));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TIME_TO)));

    Click(Item(IDC_TIME_ALL_DAY));
    EXPECT_EQ(0, FilterConfig.TIME_BETWEEN);
    EXPECT_TRUE(Checked(IDC_TIME_ALL_DAY));
    EXPECT_FALSE(Checked(IDC_TIME_BETWEEN));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_TIME_TO)));
    EXPECT_STREQ("08:00:00", FilterConfig.TIME_FROM);
    EXPECT_STREQ("17:30:00", FilterConfig.TIME_TO);

    // A page made while "Between" is stored opens with it, fields enabled.
    Click(Item(IDC_TIME_BETWEEN));
    ASSERT_TRUE(console.Frame().ReplacePage(PageKind::Time));
    EXPECT_TRUE(Checked(IDC_TIME_BETWEEN));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_TIME_FROM)));

    Click(Item(IDC_TIME_ENABLE));
    for (int id : {IDC_TIME_ALL_DAY, IDC_TIME_BETWEEN, IDC_TIME_FROM, IDC_TIME_TO})
        EXPECT_FALSE(IsWindowEnabled(Item(id))) << id;
    SharedHelpTip().Hide();
}

TEST_F(TimePage, EachWeekdayBoxStoresItsOwnDayAlone) {
    Click(Item(IDC_TIME_ENABLE));
    SharedHelpTip().Hide();
    for (int day = 0; day < 7; ++day) {
        std::vector<int32_t> expected = StoredDays();
        expected[day] = expected[day] != 0 ? 0 : 1;
        FilterConfig.modified = 0;
        Click(Item(days[day]));
        EXPECT_EQ(expected, StoredDays()) << "day " << day;
        EXPECT_EQ(1, FilterConfig.modified);
    }
}

TEST_F(TimePage, TypedTimesAreStoredAsTheFieldShowsThem) {
    Click(Item(IDC_TIME_ENABLE));
    Click(Item(IDC_TIME_BETWEEN));
    SharedHelpTip().Hide();
    FilterConfig.modified = 0;
    SendMessageA(Item(IDC_TIME_FROM), EM_SETSEL, 0, 0);
    Type(IDC_TIME_FROM, "22");
    EXPECT_STREQ("22:00:00", FilterConfig.TIME_FROM);
    EXPECT_EQ(1, FilterConfig.modified);
    SendMessageA(Item(IDC_TIME_TO), EM_SETSEL, 0, -1);
    Type(IDC_TIME_TO, "2a5:6b1:61");
    EXPECT_STREQ("25:61:61", FilterConfig.TIME_TO);
    EXPECT_EQ("25:61:61", Text(IDC_TIME_TO));
    SendMessageA(Item(IDC_TIME_TO), EM_SETSEL, 8, 8);
    Type(IDC_TIME_TO, "\b");
    EXPECT_STREQ("25:61:6_", FilterConfig.TIME_TO);
    EXPECT_STREQ("22:00:00", FilterConfig.TIME_FROM);
}

TEST_F(TimePage, ApplyThroughTheFileMenuStoresWhatThePageShows) {
    Click(Item(IDC_TIME_ENABLE));
    Click(Item(IDC_TIME_BETWEEN));
    SharedHelpTip().Hide();
    Click(Item(IDC_TIME_SUNDAY));
    SendMessageA(Item(IDC_TIME_FROM), EM_SETSEL, 0, -1);
    Type(IDC_TIME_FROM, "063000");
    std::vector<bool> shownDays;
    for (int id : days)
        shownDays.push_back(Checked(id));
    std::string from = Text(IDC_TIME_FROM);
    std::string to = Text(IDC_TIME_TO);
    ASSERT_EQ("", ApplyFromFileMenuAndReload(console, boxes));
    EXPECT_EQ(1, FilterConfig.FLAG_TIME);
    EXPECT_EQ(1, FilterConfig.TIME_BETWEEN);
    std::vector<int32_t> stored = StoredDays();
    for (int day = 0; day < 7; ++day)
        EXPECT_EQ(shownDays[day] ? 1 : 0, stored[day]) << "day " << day;
    EXPECT_EQ(from, FilterConfig.TIME_FROM);
    EXPECT_EQ(to, FilterConfig.TIME_TO);
    EXPECT_EQ("06:30:00", from);
    EXPECT_EQ(1, FilterConfig.WEEK_W7);
}
