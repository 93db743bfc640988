// The window-procedure stubs the framework's classes share: one per window kind. A
// stub finds the object behind the window (brought by the creating message, kept in
// the window's own slot afterwards) and lets it answer under the procedure guard.
// A class names its stub a friend; it answers in HandleMessage and keeps `hwnd_`.
#pragma once

#include <windows.h>

#include "console/widgets/procedure_guard.h"

// Top-level and child windows of a registered class: WM_NCCREATE brings the object as
// the creation parameter, GWLP_USERDATA keeps it until WM_NCDESTROY.
template <typename Window> struct WindowProcedure {
    static LRESULT CALLBACK Stub(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
            Window* self = nullptr;
            if (message == WM_NCCREATE) {
                auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
                self = static_cast<Window*>(create->lpCreateParams);
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
                if (self != nullptr)
                    self->hwnd_ = hwnd;
            } else {
                self = reinterpret_cast<Window*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
            }
            if (self == nullptr)
                return DefWindowProcA(hwnd, message, wParam, lParam);
            LRESULT result = self->HandleMessage(message, wParam, lParam);
            if (message == WM_NCDESTROY) {
                SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
                self->hwnd_ = nullptr;
            }
            return result;
        });
    }
};

// Dialogs from a template, modal or not: WM_INITDIALOG brings the object as the
// dialog's parameter, DWLP_USER keeps it until WM_NCDESTROY. A message the object does
// not answer gets FALSE (the dialog manager's own handling).
template <typename Dialog> struct DialogProcedure {
    static INT_PTR CALLBACK Stub(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        return GuardProcedure<INT_PTR>(FALSE, [&]() -> INT_PTR {
            Dialog* self = nullptr;
            if (message == WM_INITDIALOG) {
                self = reinterpret_cast<Dialog*>(lParam);
                SetWindowLongPtrA(hwnd, DWLP_USER, lParam);
                self->hwnd_ = hwnd;
            } else {
                self = reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
            }
            if (self == nullptr)
                return FALSE;
            INT_PTR result = self->HandleMessage(message, wParam, lParam);
            if (message == WM_NCDESTROY)
                SetWindowLongPtrA(hwnd, DWLP_USER, 0);
            return result;
        });
    }
};
