// The accessible names of a dialog's or a page's input controls (edits, combo and list
// boxes, list views, IP address fields, up-down arrows...). Windows names such a control
// by its label: the static text before it in the template's order, looked for back to
// the previous tab stop or group start. Where no label names a control, or the one
// before it does not say what it edits, the template's resource of type
// RT_ACCESSIBLE_NAMES_DATA (same id as the template) names it instead, without a change to
// what the template shows: WORD pairs { control id, string id }. Up-down arrows take
// the name of the control they drive.
//
// The names are the toolkit's on every system: each input control answers WM_GETOBJECT
// with the system's proxy for it and the name resolved here, when a client asks (a
// label's text may change meanwhile).
#pragma once

#include <windows.h>

#include <string>

enum : UINT { RT_ACCESSIBLE_NAMES_DATA = 242 };

// The text of the label Windows finds for `control` (its '&' marks removed), or empty.
std::string LabelBefore(HWND control);

// True for the window classes that take input and have no caption of their own.
bool IsUnlabelledInputClass(HWND window);

// Names every input control among `dialog`'s children as above, from `module`'s
// RT_ACCESSIBLE_NAMES_DATA resource `templateId` (none: labels only).
void NameDialogControls(HWND dialog, HINSTANCE module, UINT templateId);
