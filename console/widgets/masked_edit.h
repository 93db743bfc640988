// The toolkit's masked edit: an edit control whose text follows a mask of digit ('0')
// and hexadecimal ('H') positions and fixed literals (mask_rules.h). It stays an Edit
// window, so the keyboard (Home, End, arrows, selection), focus, Tab order and the
// tools that read an edit's text treat it as one; only the changes to its text go
// through the mask: typing fills the position under the caret and skips literals, a
// character the position refuses is dropped with a beep, Backspace and Delete put the
// prompt back, a paste takes the characters that fit, position by position.
//
// The parent hears EN_CHANGE after every change the user makes, as from an edit, and
// nothing when the program writes the text (WM_SETTEXT, which lays the text on the
// mask). For that the edit must be multiline (ES_MULTILINE): an Edit of that style does
// not report a text the program sets, and this control keeps it to one line.
//
// The state lives with the window: it is made by the binding and freed when the window
// is destroyed (WM_NCDESTROY). Until a format is set the control is a plain edit.
#pragma once

#include <windows.h>

// Makes the multiline Edit `edit` a masked edit. False when it is no Edit window, not
// multiline, or already a masked edit.
bool BindMaskedEdit(HWND edit);
// The same for the control `id` of a dialog or form view.
bool BindMaskedEdit(HWND dialog, int id);
// Creates a masked edit (child, visible, tab stop, sunken border, the toolkit's font).
HWND CreateMaskedEdit(HWND parent, int id, const RECT& rect);
bool IsMaskedEdit(HWND edit);

// Sets the mask, the prompt (its characters show in the unfilled positions) and the
// default text, which the field then shows. The parent hears no EN_CHANGE. False when
// `edit` is no masked edit.
bool SetMaskedEditFormat(HWND edit, const char* mask, const char* prompt, const char* defaultText);
// True when every position of the mask is filled (no prompt is showing).
bool IsMaskedEditComplete(HWND edit);
