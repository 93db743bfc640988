// The application's plain message box, as both deliverables show it: the
// configuration store's failures and the console's messages and questions. Texts are
// UTF-8 so a message in any script reads right whatever the system's ANSI code page.
#pragma once

#include <cstdint>

// Values of the Win32 MB_* styles and ID* answers, so portable code can ask for them.
enum : uint32_t {
    BOX_OK = 0x0,          // MB_OK
    BOX_YESNO = 0x4,       // MB_YESNO
    BOX_YESNOCANCEL = 0x3, // MB_YESNOCANCEL
    BOX_ICONERROR = 0x10,  // MB_ICONHAND
    BOX_ICONQUESTION = 0x20,
    BOX_ICONWARNING = 0x30,
    BOX_ICONINFORMATION = 0x40,
    BOX_DEFBUTTON2 = 0x100, // MB_DEFBUTTON2: the second button is the default
};
enum : int { ANSWER_OK = 1, ANSWER_CANCEL = 2, ANSWER_YES = 6, ANSWER_NO = 7 };

// Shows `text` with `caption` (null: the application's caption) and waits for the
// answer, which it returns (ANSWER_*). The owner is the application's active window.
int ShowMessageBox(const char* text, const char* caption = nullptr, uint32_t style = BOX_OK);

// The caption of boxes shown without one ("Quillon" in the console).
void SetAppCaption(const char* caption);
const char* GetAppCaption();

// Tests replace the box: the hook gets what would be shown and gives the answer.
// Returns the previous hook; null restores the real box.
using MessageBoxHook = int (*)(const char* text, const char* caption, uint32_t style);
MessageBoxHook SetMessageBoxHook(MessageBoxHook hook);
