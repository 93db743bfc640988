// The toolkit's push button: a standard button control with a flat look that lights
// up under the mouse. Either created here or bound to a button of a dialog template
// (by control id), in which case the button keeps sending BN_CLICKED to the dialog as
// before; only its look changes. Destroyed with its parent; unbinding restores the
// control's original behaviour.
#pragma once

#include "console/widgets/widget_common.h"

#include <string>

class PushButton {
public:
    PushButton() = default;
    ~PushButton() { Unbind(); }
    PushButton(const PushButton&) = delete;
    PushButton& operator=(const PushButton&) = delete;

    // Binds to the button `id` of `dialog`. False when there is no such child or the
    // object is already bound.
    bool Bind(HWND dialog, int id);
    // Creates a new button (child, visible, push button) and binds to it.
    bool Create(HWND parent, int id, const char* text, const RECT& rect);
    // Restores the control's own window procedure; the control stays.
    void Unbind();

    HWND hwnd() const { return hwnd_; }
    bool IsBound() const { return hwnd_ != nullptr; }
    bool IsHot() const { return hot_; }
    void SetText(const char* utf8);
    std::string Text() const { return GetWindowTextUtf8(hwnd_); }
    void Enable(bool enable);

    static LRESULT CALLBACK SubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                                         UINT_PTR idSubclass, DWORD_PTR refData);

private:
    void Paint(HDC dc);
    HWND hwnd_ = nullptr;
    bool hot_ = false;
};
