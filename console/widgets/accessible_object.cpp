#include "console/widgets/accessible_object.h"

#include <commctrl.h>

#include <memory>
#include <new>

#include "console/widgets/procedure_guard.h"
#include "platform/win32/text_win32.h"

namespace {

const UINT_PTR TEXT_SUBCLASS_ID = 0x4143; // "AC"

// Posted to a widget to run a part's default action once the client's call returned.
UINT DefaultActionMessage() {
    static const UINT message = RegisterWindowMessageW(L"GwAccessibleDefaultAction");
    return message;
}

// Sent to a control to learn whether it already has a text override (the answer).
UINT TextOverrideQuery() {
    static const UINT message = RegisterWindowMessageW(L"GwAccessibleTextOverride");
    return message;
}

// WM_GETOBJECT's object id is a 32-bit value, sign-extended into lParam on x64.
bool AsksForClient(WPARAM, LPARAM lp) {
    return static_cast<LONG>(static_cast<DWORD>(lp)) == OBJID_CLIENT;
}

HRESULT ToBstr(const std::string& text, BSTR* out) {
    *out = nullptr;
    if (text.empty())
        return S_FALSE;
    std::wstring wide = WidenUtf8(text.c_str());
    *out = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

void SetChild(VARIANT* out, long child) {
    out->vt = VT_I4;
    out->lVal = child;
}

// A COM method's work, which must not let an exception reach the caller's frames.
template <typename Work> HRESULT Guarded(Work&& work) noexcept {
    try {
        return work();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// IUnknown and IDispatch, and every IAccessible call handed to the system's proxy of the
// window. The proxy reference goes when the object is cut off.
class DelegatingAccessible : public IAccessible {
public:
    DelegatingAccessible(HWND hwnd, IAccessible* standard) : hwnd_(hwnd), standard_(standard) {}
    virtual ~DelegatingAccessible() { ReleaseStandard(); }
    DelegatingAccessible(const DelegatingAccessible&) = delete;
    DelegatingAccessible& operator=(const DelegatingAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** out) override {
        if (out == nullptr)
            return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IDispatch) ||
            riid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        LONG left = InterlockedDecrement(&refs_);
        if (left == 0)
            delete this;
        return static_cast<ULONG>(left);
    }

    // Clients use the IAccessible methods themselves, never late binding.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info != nullptr)
            *info = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

#define GW_DELEGATE(call)                                                                          \
    if (standard_ == nullptr)                                                                      \
        return RPC_E_DISCONNECTED;                                                                 \
    return standard_->call
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        GW_DELEGATE(get_accParent(parent));
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        GW_DELEGATE(get_accChildCount(count));
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        GW_DELEGATE(get_accChild(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        GW_DELEGATE(get_accName(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        GW_DELEGATE(get_accValue(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        GW_DELEGATE(get_accDescription(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        GW_DELEGATE(get_accRole(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        GW_DELEGATE(get_accState(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        GW_DELEGATE(get_accHelp(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        GW_DELEGATE(get_accHelpTopic(file, child, topic));
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        GW_DELEGATE(get_accKeyboardShortcut(child, out));
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        GW_DELEGATE(get_accFocus(out));
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        GW_DELEGATE(get_accSelection(out));
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        GW_DELEGATE(get_accDefaultAction(child, out));
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        GW_DELEGATE(accSelect(flags, child));
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                          VARIANT child) override {
        GW_DELEGATE(accLocation(x, y, w, h, child));
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* end) override {
        GW_DELEGATE(accNavigate(dir, start, end));
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        GW_DELEGATE(accHitTest(x, y, out));
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        GW_DELEGATE(accDoDefaultAction(child));
    }
#undef GW_DELEGATE
    // Names and values are no longer set by clients.
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override {
        return DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override {
        return DISP_E_MEMBERNOTFOUND;
    }

    // Cuts remote clients off and drops the proxy.
    void Disconnect() {
        CoDisconnectObject(static_cast<IAccessible*>(this), 0);
        ReleaseStandard();
    }

protected:
    static bool IsSelf(const VARIANT& child) {
        return child.vt == VT_I4 && child.lVal == 0;
    }

    HWND hwnd_;
    IAccessible* standard_;

private:
    void ReleaseStandard() {
        if (standard_ != nullptr)
            standard_->Release();
        standard_ = nullptr;
    }
    LONG refs_ = 1;
};

// The proxy of `hwnd`'s client area (one reference), or null.
IAccessible* StandardClientObject(HWND hwnd) {
    IAccessible* standard = nullptr;
    if (FAILED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                         reinterpret_cast<void**>(&standard))))
        return nullptr;
    return standard;
}

} // namespace

// A widget's object: the window from the proxy, its parts from AccessibleParts.
class PartsAccessible final : public DelegatingAccessible {
public:
    PartsAccessible(HWND hwnd, IAccessible* standard, AccessibleParts* parts)
        : DelegatingAccessible(hwnd, standard), parts_(parts) {}

    void Cut() {
        parts_ = nullptr;
        Disconnect();
    }

    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        if (count == nullptr)
            return E_POINTER;
        if (parts_ == nullptr)
            return RPC_E_DISCONNECTED;
        *count = parts_->AccChildCount();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        long id = 0;
        HRESULT valid = Part(child, &id);
        if (valid != S_OK)
            return valid;
        return id > 0 ? S_FALSE : E_INVALIDARG; // parts are simple elements
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Text(child, out, &AccessibleParts::AccName, &IAccessible::get_accName);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return Text(child, out, &AccessibleParts::AccValue, &IAccessible::get_accValue);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* out) override {
        return Text(child, out, &AccessibleParts::AccDescription, &IAccessible::get_accDescription);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* out) override {
        return Text(child, out, &AccessibleParts::AccShortcut,
                    &IAccessible::get_accKeyboardShortcut);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* out) override {
        return Text(child, out, &AccessibleParts::AccDefaultAction,
                    &IAccessible::get_accDefaultAction);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* out) override {
        if (out == nullptr)
            return E_POINTER;
        VariantInit(out);
        long id = 0;
        HRESULT valid = Part(child, &id);
        if (valid != S_OK)
            return valid;
        long role = parts_->AccRole(id);
        if (id == 0 && role == 0)
            return standard_->get_accRole(child, out);
        SetChild(out, role);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* out) override {
        if (out == nullptr)
            return E_POINTER;
        VariantInit(out);
        long id = 0;
        HRESULT valid = Part(child, &id);
        if (valid != S_OK)
            return valid;
        long state = parts_->AccState(id);
        if (id == 0) {
            HRESULT hr = standard_->get_accState(child, out);
            if (FAILED(hr) || out->vt != VT_I4)
                return hr;
            state |= out->lVal;
        }
        SetChild(out, state);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* out) override {
        return IsSelf(child) ? DelegatingAccessible::get_accHelp(child, out) : NoText(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* out) override {
        if (out == nullptr)
            return E_POINTER;
        VariantInit(out);
        if (parts_ == nullptr)
            return RPC_E_DISCONNECTED;
        if (GetFocus() != hwnd_)
            return S_FALSE;
        SetChild(out, parts_->AccFocus());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* out) override {
        if (out == nullptr)
            return E_POINTER;
        VariantInit(out);
        if (parts_ == nullptr)
            return RPC_E_DISCONNECTED;
        int selected = parts_->AccSelection();
        if (selected <= 0)
            return S_FALSE;
        SetChild(out, selected);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        if (IsSelf(child))
            return DelegatingAccessible::accSelect(flags, child);
        long id = 0;
        HRESULT valid = Part(child, &id);
        return valid != S_OK ? valid : DISP_E_MEMBERNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* w, long* h,
                                          VARIANT child) override {
        if (x == nullptr || y == nullptr || w == nullptr || h == nullptr)
            return E_POINTER;
        if (IsSelf(child))
            return DelegatingAccessible::accLocation(x, y, w, h, child);
        long id = 0;
        HRESULT valid = Part(child, &id);
        if (valid != S_OK)
            return valid;
        RECT r = parts_->AccRect(id);
        MapWindowPoints(hwnd_, nullptr, reinterpret_cast<POINT*>(&r), 2);
        *x = r.left;
        *y = r.top;
        *w = r.right > r.left ? r.right - r.left : 0;
        *h = r.bottom > r.top ? r.bottom - r.top : 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long dir, VARIANT start, VARIANT* end) override {
        if (end == nullptr)
            return E_POINTER;
        VariantInit(end);
        long id = 0;
        HRESULT valid = Part(start, &id);
        if (valid != S_OK)
            return valid;
        int count = parts_->AccChildCount();
        long to = 0;
        if (id == 0) {
            if (dir != NAVDIR_FIRSTCHILD && dir != NAVDIR_LASTCHILD)
                return standard_->accNavigate(dir, start, end); // the window's siblings
            to = dir == NAVDIR_FIRSTCHILD ? 1 : count;
        } else if (dir == NAVDIR_NEXT || dir == NAVDIR_DOWN || dir == NAVDIR_RIGHT) {
            to = id + 1;
        } else if (dir == NAVDIR_PREVIOUS || dir == NAVDIR_UP || dir == NAVDIR_LEFT) {
            to = id - 1;
        } else if (dir != NAVDIR_FIRSTCHILD && dir != NAVDIR_LASTCHILD) {
            return E_INVALIDARG;
        }
        if (to < 1 || to > count)
            return S_FALSE; // nothing there (simple parts have no children)
        SetChild(end, to);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* out) override {
        if (out == nullptr)
            return E_POINTER;
        VariantInit(out);
        if (parts_ == nullptr)
            return RPC_E_DISCONNECTED;
        POINT pt = {x, y};
        ScreenToClient(hwnd_, &pt);
        RECT client;
        GetClientRect(hwnd_, &client);
        if (!PtInRect(&client, pt))
            return standard_->accHitTest(x, y, out);
        SetChild(out, parts_->AccHitTest(pt));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return Guarded([&]() -> HRESULT {
            long id = 0;
            HRESULT valid = Part(child, &id);
            if (valid != S_OK)
                return valid;
            if (id == 0)
                return standard_->accDoDefaultAction(child);
            if (parts_->AccDefaultAction(id).empty())
                return DISP_E_MEMBERNOTFOUND;
            // Run from the message loop: the client waits for this call to return.
            return PostMessageW(hwnd_, DefaultActionMessage(), static_cast<WPARAM>(id), 0) ? S_OK
                                                                                           : E_FAIL;
        });
    }

private:
    // S_OK with the id of `child` (0 or a part), E_INVALIDARG for no such child.
    HRESULT Part(const VARIANT& child, long* id) const {
        if (parts_ == nullptr || standard_ == nullptr)
            return RPC_E_DISCONNECTED;
        if (child.vt != VT_I4 || child.lVal < 0 || child.lVal > parts_->AccChildCount())
            return E_INVALIDARG;
        *id = child.lVal;
        return S_OK;
    }
    HRESULT NoText(const VARIANT& child, BSTR* out) const {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        long id = 0;
        HRESULT valid = Part(child, &id);
        return valid != S_OK ? valid : S_FALSE;
    }
    HRESULT Text(const VARIANT& child, BSTR* out, std::string (AccessibleParts::*text)(int) const,
                 HRESULT (STDMETHODCALLTYPE IAccessible::*system)(VARIANT, BSTR*)) {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        return Guarded([&]() -> HRESULT {
            long id = 0;
            HRESULT valid = Part(child, &id);
            if (valid != S_OK)
                return valid;
            std::string mine = (parts_->*text)(id);
            if (id == 0 && mine.empty())
                return (standard_->*system)(child, out);
            return ToBstr(mine, out);
        });
    }

    AccessibleParts* parts_;
};

bool AccessibleHost::HandleMessage(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, LRESULT* result) {
    if (msg == WM_GETOBJECT && AsksForClient(wp, lp)) {
        if (object_ == nullptr) {
            IAccessible* standard = StandardClientObject(hwnd);
            if (standard == nullptr)
                return false;
            object_ = new (std::nothrow) PartsAccessible(hwnd, standard, &parts_);
            if (object_ == nullptr) {
                standard->Release();
                return false;
            }
        }
        *result = LresultFromObject(__uuidof(IAccessible), wp, static_cast<IAccessible*>(object_));
        return true;
    }
    if (msg == DefaultActionMessage() && msg != 0) {
        int child = static_cast<int>(wp);
        if (child >= 1 && child <= parts_.AccChildCount())
            parts_.AccDoDefaultAction(child);
        *result = 0;
        return true;
    }
    if (msg == WM_NCDESTROY)
        Disconnect();
    return false;
}

void AccessibleHost::Disconnect() {
    if (object_ == nullptr)
        return;
    object_->Cut();
    object_->Release();
    object_ = nullptr;
}

std::string TextWithoutMnemonic(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i; // the marked letter, or the second '&' of "&&"
        out += text[i];
    }
    return out;
}

std::string MnemonicShortcut(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&')
            continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        char letter = text[i + 1];
        if (letter >= 'a' && letter <= 'z')
            letter = static_cast<char>(letter - 'a' + 'A');
        return std::string("Alt+") + letter;
    }
    return std::string();
}

namespace {

// A standard control's proxy with the toolkit's name and value.
class TextAccessible final : public DelegatingAccessible {
public:
    TextAccessible(HWND hwnd, IAccessible* standard, const ControlAccessibleText& text)
        : DelegatingAccessible(hwnd, standard), text_(&text) {}
    void Cut() {
        text_ = nullptr;
        Disconnect();
    }
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* out) override {
        return Text(child, out, false);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* out) override {
        return Text(child, out, true);
    }

private:
    HRESULT Text(const VARIANT& child, BSTR* out, bool value) {
        if (out == nullptr)
            return E_POINTER;
        *out = nullptr;
        if (text_ == nullptr || standard_ == nullptr)
            return RPC_E_DISCONNECTED;
        return Guarded([&]() -> HRESULT {
            std::string mine;
            if (IsSelf(child))
                mine = value ? text_->Value(hwnd_) : text_->Name(hwnd_);
            if (mine.empty())
                return value ? standard_->get_accValue(child, out)
                             : standard_->get_accName(child, out);
            return ToBstr(mine, out);
        });
    }
    const ControlAccessibleText* text_;
};

struct TextOverride {
    std::unique_ptr<ControlAccessibleText> text;
    TextAccessible* object = nullptr; // one reference held while connected

    ~TextOverride() {
        if (object != nullptr) {
            object->Cut();
            object->Release();
        }
    }
};

LRESULT CALLBACK TextSubclassProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR id,
                                  DWORD_PTR refData) {
    return GuardProcedure<LRESULT>(0, [&]() -> LRESULT {
        TextOverride* state = reinterpret_cast<TextOverride*>(refData);
        if (msg == WM_GETOBJECT && AsksForClient(wp, lp)) {
            if (state->object == nullptr) {
                IAccessible* standard = StandardClientObject(hwnd);
                if (standard != nullptr)
                    state->object = new TextAccessible(hwnd, standard, *state->text);
            }
            if (state->object != nullptr)
                return LresultFromObject(__uuidof(IAccessible), wp,
                                         static_cast<IAccessible*>(state->object));
        }
        if (msg == TextOverrideQuery() && msg != 0)
            return reinterpret_cast<LRESULT>(state);
        if (msg == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, TextSubclassProc, id);
            delete state;
        }
        return DefSubclassProc(hwnd, msg, wp, lp);
    });
}

} // namespace

bool OverrideControlAccessibleText(HWND control, ControlAccessibleText* text) {
    std::unique_ptr<TextOverride> state(new TextOverride);
    state->text.reset(text);
    if (control == nullptr || text == nullptr)
        return false;
    // A second override replaces the first (SetWindowSubclass then only swaps the data).
    TextOverride* previous =
        reinterpret_cast<TextOverride*>(SendMessageW(control, TextOverrideQuery(), 0, 0));
    if (!SetWindowSubclass(control, TextSubclassProc, TEXT_SUBCLASS_ID,
                           reinterpret_cast<DWORD_PTR>(state.get())))
        return false;
    delete previous;
    state.release();
    return true;
}
