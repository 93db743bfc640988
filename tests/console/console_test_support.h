// What the console's GUI tests share: recorders that answer message boxes, modal
// dialogs and file dialogs; a running console (application object, frame, page);
// the configuration key in the registry; message pumping.
#pragma once

#include <windows.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "console/shell/tollbrook_app.h"
#include "console/framework/framework_dialog.h"
#include "tests/support/config_registry.h"

struct RecordedBox {
    std::string text;
    std::string caption;
    uint32_t style;
};

// Records every message box and answers it: from `answers` in order, then with
// `defaultAnswer` (Yes/No questions) or OK.
class BoxRecorder {
public:
    BoxRecorder();
    ~BoxRecorder();
    std::vector<RecordedBox> boxes;
    std::deque<int> answers;
    int defaultAnswer = 7; // No
    // Runs while a box is "showing" (inside its modal loop), before it is answered.
    std::function<void()> whileShown;
};

// Hands every modal dialog to `onDialog` (which fills it and presses its buttons);
// without one the dialog is cancelled at once.
class DialogDriver {
public:
    DialogDriver();
    ~DialogDriver();
    std::function<void(ModalDialog&, HWND, UINT)> onDialog;
    std::vector<UINT> opened; // template ids, in order
};

// Answers the open/save file dialogs with `path`, or cancels when it is empty.
class FileDialogDriver {
public:
    FileDialogDriver();
    ~FileDialogDriver();
    std::string path;
    std::vector<bool> saveRequests; // one per dialog: true for save
    std::vector<std::string> filters;
    std::vector<std::string> initialNames;
    std::vector<std::string> defaultExts;
};

// Runs the messages that are waiting (a WM_QUIT among them is dropped).
void PumpMessages();
// Runs the messages as they come while `busy()` holds, `ms` milliseconds at most, calling
// `eachRound` after each round's; then those still waiting. False when the time ran out.
bool PumpMessagesWhile(const std::function<bool()>& busy, DWORD ms,
                       const std::function<void()>& eachRound = nullptr);

// Modifier keys held while a key is pressed.
enum KeyModifiers : unsigned { KEY_CTRL = 1, KEY_SHIFT = 2, KEY_ALT = 4 };
// A key pressed and released as the keyboard sends it: WM_KEYDOWN and WM_KEYUP
// (WM_SYSKEY* with Alt, and for Alt and F10) posted to the window with the focus, the
// modifiers held in the thread's key state, each run through the program's own message
// loop (the main window's filter, then translation to characters and dispatch).
void PressKey(UINT vk, unsigned modifiers = 0);

// The raw "tsdata" bytes (empty when absent).
std::vector<uint8_t> ReadTsdata();

// A console started as the program starts it; closed and freed with the object.
class RunningConsole {
public:
    RunningConsole();
    ~RunningConsole();
    bool Start(); // InitInstance
    CTollbrookApp& App() { return *app_; }
    CMainFrame& Frame() { return *app_->Frame(); }
    HWND Page() const;
    HWND PageItem(int id) const { return GetDlgItem(Page(), id); }
    // A menu or toolbar command sent to the frame, and what it leads to run.
    void Command(UINT id);

private:
    std::unique_ptr<CTollbrookApp> app_;
};

// A button click as the user makes it (the check box toggles, its parent hears).
void Click(HWND button);
// Text typed into an edit: it changes and tells its parent (EN_CHANGE) once.
void TypeText(HWND edit, const char* text);
// A file in the temporary directory.
std::string TempFile(const char* name);

// Applies the configuration with the File menu's first item, as the administrator
// does, then reads FilterConfig back from the registry as the library would. Empty
// when the apply said it succeeded (one box) and the stored configuration loads; else
// what went wrong.
std::string ApplyFromFileMenuAndReload(RunningConsole& console, BoxRecorder& boxes);

// Clicks item `item` of group `group` of the navigation bar; true when a page of
// `kind` is shown then.
bool OpenPageFromBar(RunningConsole& console, int group, int item, PageKind kind);

// What differs between the shared help tip and one showing `title` and `text` with its
// top left corner `dx` pixels right of the anchor control's left (or right) edge and
// `dy` below its bottom; empty when nothing does.
std::string HelpTipMismatch(HWND anchor, bool fromRight, int dx, int dy, const char* title,
                            const char* text);
