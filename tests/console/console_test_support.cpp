#include "console_test_support.h"

#include "config/config_model.h"
#include "config/persistence.h"
#include "console/framework/framework_file_dialog.h"
#include "console/widgets/tip_window.h"
#include "platform/message_box.h"

#include <utility>

namespace {
BoxRecorder* g_boxes = nullptr;
DialogDriver* g_dialogs = nullptr;
FileDialogDriver* g_files = nullptr;

int RecordBox(const char* text, const char* caption, uint32_t style) {
    g_boxes->boxes.push_back({text, caption != nullptr ? caption : "", style});
    if (g_boxes->whileShown)
        g_boxes->whileShown();
    if (!g_boxes->answers.empty()) {
        int answer = g_boxes->answers.front();
        g_boxes->answers.pop_front();
        return answer;
    }
    return (style & 0xF) == BOX_YESNO ? g_boxes->defaultAnswer : ANSWER_OK;
}

void DriveDialog(ModalDialog& dialog, HWND window, UINT templateId) {
    g_dialogs->opened.push_back(templateId);
    if (g_dialogs->onDialog)
        g_dialogs->onDialog(dialog, window, templateId);
    else
        SendMessageA(GetDlgItem(window, IDCANCEL), BM_CLICK, 0, 0);
}

bool AnswerFileDialog(const FileDialogOptions& options, char* path, size_t size) {
    g_files->saveRequests.push_back(options.save);
    g_files->filters.push_back(options.filter != nullptr ? options.filter : "");
    g_files->initialNames.push_back(options.initialName != nullptr ? options.initialName : "");
    g_files->defaultExts.push_back(options.defaultExt != nullptr ? options.defaultExt : "");
    if (g_files->path.empty())
        return false;
    lstrcpynA(path, g_files->path.c_str(), static_cast<int>(size));
    return true;
}
} // namespace

BoxRecorder::BoxRecorder() {
    g_boxes = this;
    SetMessageBoxHook(&RecordBox);
}

BoxRecorder::~BoxRecorder() {
    SetMessageBoxHook(nullptr);
    g_boxes = nullptr;
}

DialogDriver::DialogDriver() {
    g_dialogs = this;
    SetDialogTestHook(&DriveDialog);
}

DialogDriver::~DialogDriver() {
    SetDialogTestHook(nullptr);
    g_dialogs = nullptr;
}

FileDialogDriver::FileDialogDriver() {
    g_files = this;
    SetFileDialogHook(&AnswerFileDialog);
}

FileDialogDriver::~FileDialogDriver() {
    SetFileDialogHook(nullptr);
    g_files = nullptr;
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpMessagesWhile(const std::function<bool()>& busy, DWORD ms,
                       const std::function<void()>& eachRound) {
    // The messages are taken at every round: MsgWaitForMultipleObjects returns at once,
    // round after round, while a message it has already seen is still waiting.
    const DWORD start = GetTickCount();
    while (busy() && GetTickCount() - start < ms) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
        PumpMessages();
        if (eachRound)
            eachRound();
    }
    const bool ended = !busy();
    PumpMessages();
    return ended;
}

namespace {
// The loop of AppObject::Run over the waiting messages.
void PumpThroughMainWindow() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT)
            continue;
        AppObject* app = AppObject::Current();
        if (app != nullptr && app->MainWindow() != nullptr &&
            app->MainWindow()->PreTranslateMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void SetModifierState(unsigned modifiers) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    const std::pair<unsigned, int> held[] = {{KEY_CTRL, VK_CONTROL}, {KEY_CTRL, VK_LCONTROL},
                                             {KEY_SHIFT, VK_SHIFT},  {KEY_SHIFT, VK_LSHIFT},
                                             {KEY_ALT, VK_MENU},     {KEY_ALT, VK_LMENU}};
    for (const auto& key : held)
        keys[key.second] = (modifiers & key.first) != 0 ? 0x80 : 0;
    SetKeyboardState(keys);
}
} // namespace

void PressKey(UINT vk, unsigned modifiers) {
    if (vk == VK_MENU)
        modifiers |= KEY_ALT;
    bool system = (modifiers & KEY_ALT) != 0 || vk == VK_F10;
    LPARAM scan = static_cast<LPARAM>(MapVirtualKeyA(vk, 0)) << 16;
    LPARAM context = (modifiers & KEY_ALT) != 0 ? (1L << 29) : 0;
    SetModifierState(modifiers);
    HWND target = GetFocus() != nullptr ? GetFocus() : GetActiveWindow();
    PostMessageA(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1 | scan | context);
    PumpThroughMainWindow();
    // Alt itself is up when its own release comes.
    if (vk == VK_MENU)
        SetModifierState(modifiers & ~KEY_ALT);
    target = GetFocus() != nullptr ? GetFocus() : GetActiveWindow();
    PostMessageA(target, system ? WM_SYSKEYUP : WM_KEYUP, vk,
                 1 | scan | (vk == VK_MENU ? 0 : context) | (1L << 30) | (1L << 31));
    PumpThroughMainWindow();
    SetModifierState(0);
}

std::vector<uint8_t> ReadTsdata() {
    DWORD type = 0;
    std::vector<uint8_t> data;
    if (!ReadConfigValue("tsdata", &type, &data))
        data.clear();
    return data;
}

RunningConsole::RunningConsole() : app_(std::make_unique<CTollbrookApp>()) {
    app_->SetInstance(GetModuleHandleA(nullptr));
}

RunningConsole::~RunningConsole() {
    app_.reset();
    PumpMessages();
    ResetFilterConfig();
}

bool RunningConsole::Start() {
    bool started = app_->InitInstance();
    PumpMessages();
    return started;
}

HWND RunningConsole::Page() const {
    CMainFrame* frame = app_->Frame();
    if (frame == nullptr || frame->CurrentPage() == nullptr)
        return nullptr;
    return frame->CurrentPage()->hwnd();
}

void RunningConsole::Command(UINT id) {
    SendMessageA(Frame().hwnd(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
    PumpMessages();
}

void Click(HWND button) {
    SendMessageA(button, BM_CLICK, 0, 0);
}

void TypeText(HWND edit, const char* text) {
    // A single-line edit sends EN_CHANGE for WM_SETTEXT itself, as for a keystroke.
    SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text));
}

std::string TempFile(const char* name) {
    char directory[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, directory);
    return std::string(directory) + name;
}

bool OpenPageFromBar(RunningConsole& console, int group, int item, PageKind kind) {
    OutlookBar& bar = console.Frame().NavigationBar();
    if (!bar.OpenGroup(group))
        return false;
    bar.ClickItem(item);
    PumpMessages();
    PageView* page = console.Frame().CurrentPage();
    return page != nullptr && page->Kind() == kind;
}

std::string HelpTipMismatch(HWND anchor, bool fromRight, int dx, int dy, const char* title,
                            const char* text) {
    TipWindow& tip = SharedHelpTip();
    if (!tip.IsShown())
        return "no tip is shown";
    if (tip.Title() != title || tip.Text() != text)
        return "the tip shows \"" + tip.Title() + "\": \"" + tip.Text() + "\"";
    RECT anchorRect = {};
    RECT tipRect = {};
    GetWindowRect(anchor, &anchorRect);
    GetWindowRect(tip.hwnd(), &tipRect);
    LONG x = (fromRight ? anchorRect.right : anchorRect.left) + dx;
    LONG y = anchorRect.bottom + dy;
    if (tipRect.left != x || tipRect.top != y)
        return "the tip is at " + std::to_string(tipRect.left) + "," + std::to_string(tipRect.top) +
               ", not " + std::to_string(x) + "," + std::to_string(y);
    return std::string();
}

std::string ApplyFromFileMenuAndReload(RunningConsole& console, BoxRecorder& boxes) {
    HMENU file = console.Frame().MenuBarControl().EntryPopup(0);
    if (file == nullptr)
        return "the menu bar has no File menu";
    size_t before = boxes.boxes.size();
    console.Command(GetMenuItemID(file, 0));
    if (boxes.boxes.size() != before + 1)
        return "the apply showed " + std::to_string(boxes.boxes.size() - before) + " boxes";
    if (boxes.boxes.back().text != "Configuration applied successfully!")
        return "the apply said \"" + boxes.boxes.back().text + "\"";
    ResetFilterConfig();
    if (LoadConfigFromRegistry() != 0)
        return "the applied configuration does not load";
    return std::string();
}
