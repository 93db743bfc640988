// The console as screen readers and automation tools find it: a11y_probe.exe reads the
// windows from its own process through oleacc and listens for their events with an
// out-of-context hook, while this thread answers its calls.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>
#include <oleacc.h>

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "console/res/resource.h"
#include "console/widgets/accessible_names.h"
#include "console/widgets/accessible_object.h"
#include "console/widgets/tip_window.h"
#include "console_test_support.h"

namespace {

// One line of the probe: its kind and its key=value fields.
struct Line {
    std::string kind;
    std::map<std::string, std::string> field;
    std::string operator[](const char* key) const {
        auto f = field.find(key);
        return f != field.end() ? f->second : std::string();
    }
    long Number(const char* key, int base = 10) const {
        return strtol((*this)[key].c_str(), nullptr, base);
    }
};

std::string Hex(HWND hwnd) {
    char text[32];
    snprintf(text, sizeof text, "%p", static_cast<void*>(hwnd));
    return text;
}

// Starts the probe with `arguments`; Finish() waits for it, answering its calls.
class Probe {
public:
    explicit Probe(const std::string& arguments) : out_(TempFile("gw_a11y_probe.txt")) {
        DeleteFileA(out_.c_str());
        char exe[MAX_PATH] = {};
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        std::string path = exe;
        path = path.substr(0, path.find_last_of('\\') + 1) + "a11y_probe.exe";
        std::string command = "\"" + path + "\" \"" + out_ + "\" " + arguments;
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        if (CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                           &startup, &process_)) {
            CloseHandle(process_.hThread);
        } else {
            process_.hProcess = nullptr;
        }
    }
    ~Probe() { Finish(); }

    // Pumps this thread's messages until `handle` is set (at most 30 s).
    static bool PumpUntil(HANDLE handle) {
        DWORD until = GetTickCount() + 30000;
        while (static_cast<LONG>(until - GetTickCount()) > 0) {
            if (MsgWaitForMultipleObjects(1, &handle, FALSE, 50, QS_ALLINPUT) == WAIT_OBJECT_0)
                return true;
            PumpMessages();
        }
        return false;
    }

    const std::vector<Line>& Finish() {
        if (process_.hProcess == nullptr)
            return lines_;
        PumpUntil(process_.hProcess);
        CloseHandle(process_.hProcess);
        process_.hProcess = nullptr;
        PumpMessages(); // default actions the probe asked for
        FILE* file = fopen(out_.c_str(), "rb");
        char buffer[4096];
        while (file != nullptr && fgets(buffer, sizeof buffer, file) != nullptr) {
            std::string text = buffer;
            while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
                text.pop_back();
            std::istringstream parts(text);
            Line line;
            std::string part;
            std::getline(parts, line.kind, '\t');
            while (std::getline(parts, part, '\t')) {
                size_t eq = part.find('=');
                line.field[part.substr(0, eq)] = eq == std::string::npos ? "" : part.substr(eq + 1);
            }
            lines_.push_back(line);
        }
        if (file != nullptr)
            fclose(file);
        return lines_;
    }

private:
    std::string out_;
    PROCESS_INFORMATION process_ = {};
    std::vector<Line> lines_;
};

// The events the process raises between construction and Finish().
class EventRecorder {
public:
    EventRecorder()
        : ready_(CreateEventA(nullptr, TRUE, FALSE, "GwA11yProbeReady")),
          stop_(CreateEventA(nullptr, TRUE, FALSE, "GwA11yProbeStop")),
          probe_("events " + std::to_string(GetCurrentProcessId()) +
                 " GwA11yProbeReady GwA11yProbeStop") {
        ready = Probe::PumpUntil(ready_);
        // Wine tells a thread of new hooks when it next takes a message from its queue.
        PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
        PumpMessages();
    }
    ~EventRecorder() {
        SetEvent(stop_);
        probe_.Finish();
        CloseHandle(ready_);
        CloseHandle(stop_);
    }
    // The events recorded, once the last ones had time to arrive.
    std::vector<Line> Events() {
        // Out-of-context events are queued to the probe; give it time to ask about them.
        DWORD until = GetTickCount() + 1500;
        while (static_cast<LONG>(until - GetTickCount()) > 0) {
            PumpMessages();
            Sleep(20);
        }
        SetEvent(stop_);
        std::vector<Line> events;
        for (const Line& line : probe_.Finish())
            if (line.kind == "event")
                events.push_back(line);
        return events;
    }
    bool ready = false;

private:
    HANDLE ready_;
    HANDLE stop_;
    Probe probe_;
};

std::vector<Line> Of(const std::vector<Line>& events, DWORD id, HWND hwnd) {
    std::vector<Line> out;
    for (const Line& e : events)
        if (e.Number("id", 16) == static_cast<long>(id) && e["hwnd"] == Hex(hwnd))
            out.push_back(e);
    return out;
}

// The client object of `hwnd` and its children, as the probe read them.
struct Tree {
    Line self;
    std::vector<Line> children;
    const Line* Named(const std::string& name) const {
        for (const Line& c : children)
            if (c["name"] == name)
                return &c;
        return nullptr;
    }
};

Tree ReadTree(HWND hwnd) {
    Probe probe("tree " + Hex(hwnd));
    Tree tree;
    for (const Line& line : probe.Finish()) {
        if (line.kind == "object")
            tree.self = line;
        else if (line.kind == "child")
            tree.children.push_back(line);
    }
    return tree;
}

class Accessibility : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteConfigKey();
        ASSERT_TRUE(console.Start());
        FilterConfig.modified = 0;
    }
    CMainFrame& Frame() { return console.Frame(); }
    OutlookBar& Bar() { return Frame().NavigationBar(); }

    ComApartment apartment; // before the console: its windows hand objects out
    BoxRecorder boxes;
    DialogDriver dialogs;
    RunningConsole console;
};

long State(const Line* line) {
    return line != nullptr ? line->Number("state", 16) : 0;
}

} // namespace

TEST_F(Accessibility, NavigationBarIsAnOutlineOfTheDrawnHeadersAndItems) {
    Bar().ClickItem(1); // "Computer Name" becomes the selection
    PumpMessages();
    Tree tree = ReadTree(Bar().hwnd());

    EXPECT_EQ(ROLE_SYSTEM_OUTLINE, tree.self.Number("role"));
    ASSERT_EQ(13u, tree.children.size()) << "3 headers and 10 items";
    const char* order[] = {"Logon Filters",
                           "IP Address",
                           "Computer Name",
                           "MAC address",
                           "Client Version",
                           "Time Restrictions",
                           "Session limited",
                           "Session per IP",
                           "Session per User",
                           "Tools",
                           "Servers Information",
                           "Popup Messages",
                           "Logs"};
    for (size_t i = 0; i < tree.children.size(); ++i) {
        EXPECT_EQ(order[i], tree.children[i]["name"]);
        EXPECT_EQ(ROLE_SYSTEM_OUTLINEITEM, tree.children[i].Number("role"));
    }
    EXPECT_EQ("3", tree.self["selection"]);
    EXPECT_TRUE(State(tree.Named("Computer Name")) & STATE_SYSTEM_SELECTED);
    EXPECT_TRUE(State(tree.Named("Computer Name")) & STATE_SYSTEM_SELECTABLE);
    EXPECT_FALSE(State(tree.Named("IP Address")) & STATE_SYSTEM_SELECTED);
    EXPECT_TRUE(State(tree.Named("Logon Filters")) & STATE_SYSTEM_EXPANDED);
    EXPECT_TRUE(State(tree.Named("Tools")) & STATE_SYSTEM_COLLAPSED);
    EXPECT_TRUE(State(tree.Named("Logs")) & STATE_SYSTEM_INVISIBLE);
    EXPECT_FALSE(State(tree.Named("MAC address")) & STATE_SYSTEM_INVISIBLE);
    EXPECT_EQ("Expand", (*tree.Named("Tools"))["action"]);

    // Where the bar draws them, in screen coordinates.
    RECT item = Bar().ItemRect(2);
    MapWindowPoints(Bar().hwnd(), nullptr, reinterpret_cast<POINT*>(&item), 2);
    char where[64];
    snprintf(where, sizeof where, "%ld,%ld,%ld,%ld", item.left, item.top, item.right - item.left,
             item.bottom - item.top);
    EXPECT_EQ(where, (*tree.Named("MAC address"))["location"]);
    // Hit testing finds each part where it is drawn; navigation walks them in order.
    for (const Line& child : tree.children) {
        long id = child.Number("id");
        if (!(State(&child) & (STATE_SYSTEM_INVISIBLE | STATE_SYSTEM_OFFSCREEN))) {
            EXPECT_EQ(id, child.Number("hit")) << child["name"];
        }
        EXPECT_EQ(id < 13 ? id + 1 : -1, child.Number("next")) << child["name"];
    }
}

TEST_F(Accessibility, KeysRaiseFocusStateAndSelectionEventsNamingTheParts) {
    SetFocus(Bar().hwnd());
    PumpMessages();
    EventRecorder recorder;
    ASSERT_TRUE(recorder.ready);
    PressKey(VK_DOWN); // from "IP Address", where the frame puts the focus
    PressKey(VK_END);  // "Logs": the "Tools" group opens
    PressKey(VK_RETURN);
    std::vector<Line> events = recorder.Events();

    std::vector<Line> focus = Of(events, EVENT_OBJECT_FOCUS, Bar().hwnd());
    std::vector<std::string> names;
    for (const Line& e : focus)
        if (e.Number("child") != 0)
            names.push_back(e["name"]);
    EXPECT_EQ((std::vector<std::string>{"Computer Name", "Logs"}), names);
    std::vector<Line> states = Of(events, EVENT_OBJECT_STATECHANGE, Bar().hwnd());
    std::vector<std::string> changed;
    for (const Line& e : states)
        changed.push_back(e["name"]);
    EXPECT_EQ((std::vector<std::string>{"Logon Filters", "Tools"}), changed);
    std::vector<Line> selection = Of(events, EVENT_OBJECT_SELECTION, Bar().hwnd());
    ASSERT_EQ(1u, selection.size());
    EXPECT_EQ("Logs", selection[0]["name"]);
    EXPECT_EQ(ROLE_SYSTEM_OUTLINEITEM, selection[0].Number("role"));
}

TEST_F(Accessibility, DefaultActionOfAnItemShowsItsPage) {
    Probe probe("action " + Hex(Bar().hwnd()) + " 12"); // "Popup Messages", in a closed group
    ASSERT_FALSE(probe.Finish().empty());
    EXPECT_EQ("0x00000000", probe.Finish()[0]["hr"]);
    ASSERT_NE(nullptr, Frame().CurrentPage());
    EXPECT_EQ(PageKind::PopupMessages, Frame().CurrentPage()->Kind());
    EXPECT_EQ(2, Bar().OpenGroupIndex());
    EXPECT_EQ(1, Bar().SelectedItem());
}

TEST_F(Accessibility, MenuBarEntriesAreMenuItemsWithShortcutsAndKeyboardState) {
    PressKey(VK_MENU);
    PressKey(VK_RIGHT); // keyboard mode on "View"
    ASSERT_TRUE(Frame().MenuBarControl().InKeyboardMode());
    Tree tree = ReadTree(Frame().MenuBarControl().hwnd());

    EXPECT_EQ(ROLE_SYSTEM_MENUBAR, tree.self.Number("role"));
    EXPECT_EQ("2", tree.self["focus"]);
    const char* names[] = {"File", "View", "Tools", "Help"};
    const char* keys[] = {"Alt+F", "Alt+V", "Alt+T", "Alt+H"};
    ASSERT_EQ(4u, tree.children.size());
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(names[i], tree.children[i]["name"]);
        EXPECT_EQ(keys[i], tree.children[i]["shortcut"]);
        EXPECT_EQ(ROLE_SYSTEM_MENUITEM, tree.children[i].Number("role"));
        EXPECT_EQ("Open", tree.children[i]["action"]);
        EXPECT_TRUE(State(&tree.children[i]) & STATE_SYSTEM_HASPOPUP);
    }
    EXPECT_EQ(STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED,
              State(&tree.children[1]) & (STATE_SYSTEM_FOCUSED | STATE_SYSTEM_HOTTRACKED));
    EXPECT_FALSE(State(&tree.children[0]) & STATE_SYSTEM_FOCUSED);
    PressKey(VK_ESCAPE);
}

TEST_F(Accessibility, MenuBarRaisesMenuStartFocusAndMenuEndAsTheKeysGo) {
    HWND bar = Frame().MenuBarControl().hwnd();
    EventRecorder recorder;
    ASSERT_TRUE(recorder.ready);
    PressKey(VK_F10);
    PressKey(VK_RIGHT);
    PressKey(VK_ESCAPE);
    std::vector<Line> events = recorder.Events();

    EXPECT_EQ(1u, Of(events, EVENT_SYSTEM_MENUSTART, bar).size());
    EXPECT_EQ(1u, Of(events, EVENT_SYSTEM_MENUEND, bar).size());
    std::vector<std::string> focus;
    for (const Line& e : Of(events, EVENT_OBJECT_FOCUS, bar))
        if (e.Number("child") != 0)
            focus.push_back(e["name"]);
    EXPECT_EQ((std::vector<std::string>{"File", "View"}), focus);
}

namespace {
// Answers the first popup that opens with Escape and tells which entry it was.
struct PopupAnswer {
    PopupAnswer() {
        current = this;
        hook = SetWindowsHookExA(WH_CALLWNDPROC, &Watch, nullptr, GetCurrentThreadId());
    }
    ~PopupAnswer() {
        UnhookWindowsHookEx(hook);
        current = nullptr;
    }
    static LRESULT CALLBACK Watch(int code, WPARAM wp, LPARAM lp) {
        const CWPSTRUCT* call = reinterpret_cast<const CWPSTRUCT*>(lp);
        if (code == HC_ACTION && call->message == WM_INITMENUPOPUP && current != nullptr &&
            HIWORD(call->lParam) == 0 && GetParent(call->hwnd) == nullptr) {
            current->opened.push_back(LOWORD(call->lParam));
            PostMessageA(call->hwnd, WM_KEYDOWN, VK_ESCAPE, 1);
        }
        return CallNextHookEx(nullptr, code, wp, lp);
    }
    std::vector<int> opened;
    HHOOK hook = nullptr;
    static PopupAnswer* current;
};
PopupAnswer* PopupAnswer::current = nullptr;
} // namespace

TEST_F(Accessibility, DefaultActionOfAMenuEntryOpensItsMenu) {
    PopupAnswer popups;
    Probe probe("action " + Hex(Frame().MenuBarControl().hwnd()) + " 4");
    ASSERT_FALSE(probe.Finish().empty());
    EXPECT_EQ("0x00000000", probe.Finish()[0]["hr"]);
    EXPECT_EQ(std::vector<int>{3}, popups.opened) << "the Help menu";
}

TEST_F(Accessibility, HelpTipIsAToolTipNamedByItsTitleAndShownWithAnEvent) {
    Click(console.PageItem(IDC_IP_ENABLE));
    EventRecorder recorder;
    ASSERT_TRUE(recorder.ready);
    Click(console.PageItem(IDC_DEFAULT_ALLOW));
    HWND tip = SharedHelpTip().hwnd();
    ASSERT_NE(nullptr, tip);
    Tree tree = ReadTree(tip); // while it shows (4.5 s)
    EXPECT_EQ("If checked, all IP address are allowed accessing except those in the list below "
              "that are disabled. If unchecked, all IP address will be denied access, except "
              "those in the list that are enabled.",
              tree.self["description"]);
    std::vector<Line> shown = Of(recorder.Events(), EVENT_OBJECT_SHOW, tip);
    ASSERT_FALSE(shown.empty());
    const Line* client = nullptr;
    for (const Line& e : shown)
        if (e.Number("object") == OBJID_CLIENT)
            client = &e;
    ASSERT_NE(nullptr, client);
    EXPECT_EQ(ROLE_SYSTEM_TOOLTIP, client->Number("role"));
    EXPECT_EQ("By default allow logon", (*client)["name"]);
}

TEST_F(Accessibility, StatusBarTextIsItsValueAndEveryToolbarButtonHasATip) {
    Tree status = ReadTree(Frame().StatusBarControl().hwnd());
    EXPECT_EQ("Ready", status.self["value"]);

    // Windows' toolbar proxy names a button by its tooltip.
    DockToolbar& toolbar = Frame().Toolbar();
    HWND tips = reinterpret_cast<HWND>(SendMessageW(toolbar.ButtonsWindow(), TB_GETTOOLTIPS, 0, 0));
    ASSERT_NE(nullptr, tips);
    int buttons = 0;
    for (int i = 0; i < toolbar.ButtonCount(); ++i) {
        UINT command = toolbar.ButtonCommand(i);
        if (command == 0)
            continue;
        ++buttons;
        wchar_t text[256] = {};
        TOOLINFOW info = {};
        info.cbSize = sizeof info;
        info.hwnd = toolbar.ButtonsWindow();
        info.uId = command;
        info.lpszText = text;
        SendMessageW(tips, TTM_GETTEXTW, 255, reinterpret_cast<LPARAM>(&info));
        EXPECT_NE(L'\0', text[0]) << "button " << command;
    }
    EXPECT_EQ(4, buttons);
}

namespace {
INT_PTR CALLBACK Silent(HWND, UINT message, WPARAM, LPARAM) {
    return message == WM_INITDIALOG;
}
BOOL CALLBACK AddTemplate(HMODULE, LPCSTR, LPSTR name, LONG_PTR list) {
    if (IS_INTRESOURCE(name))
        reinterpret_cast<std::vector<UINT>*>(list)->push_back(
            static_cast<UINT>(reinterpret_cast<UINT_PTR>(name)));
    return TRUE;
}
} // namespace

TEST_F(Accessibility, ThePagesOwnListsKeepTheirNames) {
    // The pages put lists of their own in place of the template's.
    EXPECT_EQ("IP address entries", ReadTree(console.PageItem(IDC_IP_LIST)).self["name"]);
    ASSERT_TRUE(OpenPageFromBar(console, 2, 0, PageKind::ServerMonitor));
    EXPECT_EQ("Monitored servers", ReadTree(console.PageItem(IDC_MONITOR_LIST)).self["name"]);
}

TEST_F(Accessibility, EveryInputControlOfEveryTemplateHasAName) {
    HINSTANCE module = GetModuleHandleA(nullptr);
    std::vector<UINT> templates;
    EnumResourceNamesA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, &AddTemplate,
                       reinterpret_cast<LONG_PTR>(&templates));
    ASSERT_GT(templates.size(), 20u);
    std::map<HWND, std::string> controls; // window: "template/control"
    std::vector<HWND> dialogs;
    std::string hwnds;
    for (UINT id : templates) {
        HWND dialog = CreateDialogParamA(module, MAKEINTRESOURCEA(id), Frame().hwnd(), &Silent, 0);
        ASSERT_NE(nullptr, dialog) << "template " << id;
        NameDialogControls(dialog, module, id);
        dialogs.push_back(dialog);
        for (HWND w = GetWindow(dialog, GW_CHILD); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
            if (!IsUnlabelledInputClass(w))
                continue;
            controls[w] = std::to_string(id) + "/" + std::to_string(GetDlgCtrlID(w));
            hwnds += " " + Hex(w);
        }
    }
    Probe probe("tree" + hwnds);
    std::map<std::string, std::string> names; // "template/control": name
    for (const Line& line : probe.Finish()) {
        if (line.kind != "object")
            continue;
        for (const auto& c : controls)
            if (Hex(c.first) == line["hwnd"])
                names[c.second] = line["name"];
    }
    EXPECT_EQ(controls.size(), names.size());
    for (const auto& n : names)
        EXPECT_FALSE(n.second.empty()) << "control " << n.first << " has no name";
    // A label before the control, the template's table, an up-down's buddy.
    auto name = [&](UINT dialog, int control) {
        return names[std::to_string(dialog) + "/" + std::to_string(control)];
    };
    EXPECT_EQ("Mode", name(IDD_ADD_IPADDRESS, IDC_MODE));
    EXPECT_EQ("To", name(IDD_ADD_IPADDRESS, IDC_IP_TO));
    EXPECT_EQ("IP address entries", name(IDD_IPADDRESS_PAGE, IDC_IP_LIST));
    EXPECT_EQ("Logon to time", name(IDD_TIME_PAGE, IDC_TIME_TO));
    EXPECT_EQ("By default, sessions per IP address", name(IDD_SESSION_IP_PAGE, IDC_SIP_ARROWS));
    for (HWND dialog : dialogs)
        DestroyWindow(dialog);
}
