#include "console/widgets/dock_toolbar.h"

#include <windowsx.h>

#include <algorithm>
#include <cstring>

namespace {

const wchar_t DOCK_BAR_CLASS[] = L"GwDockBar";
const int GRIPPER = 9; // gripper strip, across the bar's start
const int BORDER = 2;
const COLORREF TRANSPARENT_COLOR = RGB(192, 192, 192);

uint16_t ReadWord(const unsigned char* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool IsOneSide(uint32_t side) {
    return side == DOCK_TOP || side == DOCK_BOTTOM || side == DOCK_LEFT || side == DOCK_RIGHT;
}

bool Vertical(DockSide side) {
    return side == DOCK_LEFT || side == DOCK_RIGHT;
}

// The strip `images` of pictures `from` pixels wide redrawn with pictures `to` wide (the
// height in proportion), or null when no redrawing is needed or it failed. Colours are
// never blended, so the transparent grey stays exactly itself.
HBITMAP ScaleStrip(HBITMAP images, int from, int to) {
    BITMAP info = {};
    if (from <= 0 || to == from || GetObjectW(images, sizeof info, &info) == 0)
        return nullptr;
    int width = MulDiv(info.bmWidth, to, from);
    int height = MulDiv(info.bmHeight, to, from);
    HDC screen = GetDC(nullptr);
    HDC source = CreateCompatibleDC(screen);
    HDC target = CreateCompatibleDC(screen);
    HBITMAP scaled = CreateCompatibleBitmap(screen, width, height);
    if (scaled != nullptr && source != nullptr && target != nullptr) {
        HGDIOBJ oldSource = SelectObject(source, images);
        HGDIOBJ oldTarget = SelectObject(target, scaled);
        SetStretchBltMode(target, COLORONCOLOR);
        StretchBlt(target, 0, 0, width, height, source, 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
        SelectObject(source, oldSource);
        SelectObject(target, oldTarget);
    }
    if (target != nullptr)
        DeleteDC(target);
    if (source != nullptr)
        DeleteDC(source);
    ReleaseDC(nullptr, screen);
    return scaled;
}

} // namespace

bool ParseToolbarTemplate(const void* data, size_t size, ToolbarTemplate* out) {
    if (data == nullptr || out == nullptr || size < 8)
        return false;
    const unsigned char* p = static_cast<const unsigned char*>(data);
    uint16_t version = ReadWord(p);
    uint16_t width = ReadWord(p + 2);
    uint16_t height = ReadWord(p + 4);
    uint16_t count = ReadWord(p + 6);
    if (version != 1 || width == 0 || height == 0 || width > 256 || height > 256 || count > 512)
        return false;
    if (static_cast<uint64_t>(size) < 8 + 2 * static_cast<uint64_t>(count))
        return false;
    ToolbarTemplate t;
    t.imageWidth = width;
    t.imageHeight = height;
    for (uint16_t i = 0; i < count; ++i)
        t.commands.push_back(ReadWord(p + 8 + 2 * static_cast<size_t>(i)));
    *out = std::move(t);
    return true;
}

DockToolbar::~DockToolbar() {
    Destroy();
    if (images_ != nullptr)
        ImageList_Destroy(images_);
}

bool DockToolbar::Create(HWND parent, UINT id) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
    if (!RegisterWidgetClass(DOCK_BAR_CLASS, CS_HREDRAW | CS_VREDRAW, IDC_ARROW, COLOR_BTNFACE))
        return false;
    RECT r = {0, 0, 0, 0};
    if (CreateWidget(0, DOCK_BAR_CLASS, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN,
                     r, parent, id) == nullptr)
        return false;
    buttons_ =
        CreateWindowExW(0, TOOLBARCLASSNAMEW, L"Toolbar", // its accessible name
                        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_NORESIZE |
                            CCS_NOPARENTALIGN | CCS_NODIVIDER,
                        0, 0, 0, 0, hwnd_, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(id)),
                        GetModuleHandleW(nullptr), nullptr);
    if (buttons_ == nullptr) {
        Destroy();
        return false;
    }
    SendMessageW(buttons_, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    side_ = DOCK_TOP;
    return true;
}

bool DockToolbar::LoadToolbarResource(HINSTANCE module, UINT resourceId) {
    HRSRC res =
        FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(RT_TOOLBAR_DATA));
    if (res == nullptr)
        return false;
    HGLOBAL mem = LoadResource(module, res);
    const void* data = mem != nullptr ? LockResource(mem) : nullptr;
    DWORD size = SizeofResource(module, res);
    ToolbarTemplate tmpl;
    if (data == nullptr || !ParseToolbarTemplate(data, size, &tmpl))
        return false;
    HBITMAP bmp = static_cast<HBITMAP>(
        LoadImageW(module, MAKEINTRESOURCEW(resourceId), IMAGE_BITMAP, 0, 0, 0));
    bool ok = LoadButtons(module, tmpl, bmp);
    if (bmp != nullptr)
        DeleteObject(bmp);
    return ok;
}

bool DockToolbar::LoadButtons(HINSTANCE module, const ToolbarTemplate& tmpl, HBITMAP images) {
    if (buttons_ == nullptr)
        return false;
    module_ = module;
    // Start from an empty bar so a second load replaces the first.
    while (SendMessageW(buttons_, TB_DELETEBUTTON, 0, 0)) {
    }
    commands_.clear();
    if (images_ != nullptr) {
        SendMessageW(buttons_, TB_SETIMAGELIST, 0, 0);
        ImageList_Destroy(images_);
        images_ = nullptr;
    }
    // The strip's pictures are made for 96 DPI: at a larger DPI they are drawn larger.
    int width = ScaleForDpi(tmpl.imageWidth);
    int height = ScaleForDpi(tmpl.imageHeight);
    SendMessageW(buttons_, TB_SETBITMAPSIZE, 0, MAKELPARAM(width, height));
    if (images != nullptr) {
        images_ = ImageList_Create(width, height, ILC_COLOR24 | ILC_MASK,
                                   static_cast<int>(tmpl.commands.size()), 0);
        HBITMAP scaled = ScaleStrip(images, tmpl.imageWidth, width);
        if (images_ != nullptr) {
            ImageList_AddMasked(images_, scaled != nullptr ? scaled : images, TRANSPARENT_COLOR);
            SendMessageW(buttons_, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(images_));
        }
        if (scaled != nullptr)
            DeleteObject(scaled);
    }
    int imageCount = images_ != nullptr ? ImageList_GetImageCount(images_) : 0;
    std::vector<TBBUTTON> buttons;
    int image = 0;
    for (UINT cmd : tmpl.commands) {
        TBBUTTON b = {};
        if (cmd == 0) {
            b.fsStyle = BTNS_SEP;
            b.iBitmap = 6; // separator width
        } else {
            // A strip with fewer images than buttons leaves the rest blank.
            b.iBitmap = image < imageCount ? image : I_IMAGENONE;
            ++image;
            b.idCommand = static_cast<int>(cmd);
            b.fsState = TBSTATE_ENABLED;
            b.fsStyle = BTNS_BUTTON;
        }
        buttons.push_back(b);
        commands_.push_back(cmd);
    }
    if (!buttons.empty())
        SendMessageW(buttons_, TB_ADDBUTTONSW, buttons.size(),
                     reinterpret_cast<LPARAM>(buttons.data()));
    ApplyOrientation();
    return true;
}

int DockToolbar::ButtonCount() const {
    return buttons_ != nullptr ? static_cast<int>(SendMessageW(buttons_, TB_BUTTONCOUNT, 0, 0)) : 0;
}

UINT DockToolbar::ButtonCommand(int index) const {
    if (index < 0 || index >= static_cast<int>(commands_.size()))
        return 0;
    return commands_[static_cast<size_t>(index)];
}

RECT DockToolbar::ButtonRect(int index) const {
    RECT r = {0, 0, 0, 0};
    if (buttons_ == nullptr || index < 0 || index >= ButtonCount())
        return r;
    SendMessageW(buttons_, TB_GETITEMRECT, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&r));
    MapWindowPoints(buttons_, hwnd_, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

int DockToolbar::CommandImage(UINT command) const {
    if (command == 0 || images_ == nullptr)
        return -1;
    int image = 0; // images follow the non-separator buttons in order
    for (UINT c : commands_) {
        if (c == command)
            return image < ImageList_GetImageCount(images_) ? image : -1;
        if (c != 0)
            ++image;
    }
    return -1;
}

void DockToolbar::EnableButton(UINT command, bool enable) {
    if (buttons_ != nullptr)
        SendMessageW(buttons_, TB_ENABLEBUTTON, command, MAKELPARAM(enable ? TRUE : FALSE, 0));
}

void DockToolbar::ApplyOrientation() {
    if (buttons_ == nullptr)
        return;
    // Vertical bars stack their buttons: every button ends a row.
    int n = ButtonCount();
    for (int i = 0; i < n; ++i) {
        TBBUTTON b = {};
        SendMessageW(buttons_, TB_GETBUTTON, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&b));
        TBBUTTONINFOW info = {};
        info.cbSize = sizeof info;
        info.dwMask = TBIF_STATE | TBIF_BYINDEX;
        info.fsState = Vertical(side_) ? static_cast<BYTE>(b.fsState | TBSTATE_WRAP)
                                       : static_cast<BYTE>(b.fsState & ~TBSTATE_WRAP);
        SendMessageW(buttons_, TB_SETBUTTONINFOW, static_cast<WPARAM>(i),
                     reinterpret_cast<LPARAM>(&info));
    }
    SendMessageW(buttons_, TB_AUTOSIZE, 0, 0);
}

SIZE DockToolbar::PreferredSize(DockSide side) const {
    SIZE sz = {0, 0};
    if (buttons_ == nullptr)
        return sz;
    int n = ButtonCount();
    LRESULT btn = SendMessageW(buttons_, TB_GETBUTTONSIZE, 0, 0);
    int bw = LOWORD(btn), bh = HIWORD(btn);
    int across = Vertical(side) ? bw : bh;
    int along = 0;
    if (Vertical(side) == Vertical(side_)) {
        // The buttons are laid out for this orientation: take where they really are
        // (wrapped separators take more room than their width).
        for (int i = 0; i < n; ++i) {
            RECT r = {0, 0, 0, 0};
            SendMessageW(buttons_, TB_GETITEMRECT, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&r));
            along = std::max<int>(along, Vertical(side) ? r.bottom : r.right);
            across = std::max<int>(across, Vertical(side) ? r.right : r.bottom);
        }
    } else {
        for (int i = 0; i < n; ++i) {
            TBBUTTON b = {};
            SendMessageW(buttons_, TB_GETBUTTON, static_cast<WPARAM>(i),
                         reinterpret_cast<LPARAM>(&b));
            along += (b.fsStyle & BTNS_SEP) ? (Vertical(side) ? bh : b.iBitmap + 2)
                                            : (Vertical(side) ? bh : bw);
        }
    }
    if (Vertical(side)) {
        sz.cx = across + 2 * BORDER;
        sz.cy = GRIPPER + along + 2 * BORDER;
    } else {
        sz.cx = GRIPPER + along + 2 * BORDER;
        sz.cy = across + 2 * BORDER;
    }
    return sz;
}

int DockToolbar::CalcThickness() const {
    if (hwnd_ == nullptr || !IsShownInParent(hwnd_))
        return 0;
    SIZE sz = PreferredSize(side_);
    return Vertical(side_) ? sz.cx : sz.cy;
}

void DockToolbar::LayoutIn(RECT* remaining) {
    if (hwnd_ == nullptr || remaining == nullptr || !IsShownInParent(hwnd_))
        return;
    SIZE sz = PreferredSize(side_);
    RECT& r = *remaining;
    switch (side_) {
    case DOCK_TOP: {
        int h = sz.cy < RectHeight(r) ? sz.cy : RectHeight(r);
        MoveWindow(hwnd_, r.left, r.top, RectWidth(r), h, TRUE);
        r.top += h;
        break;
    }
    case DOCK_BOTTOM: {
        int h = sz.cy < RectHeight(r) ? sz.cy : RectHeight(r);
        MoveWindow(hwnd_, r.left, r.bottom - h, RectWidth(r), h, TRUE);
        r.bottom -= h;
        break;
    }
    case DOCK_LEFT: {
        int w = sz.cx < RectWidth(r) ? sz.cx : RectWidth(r);
        MoveWindow(hwnd_, r.left, r.top, w, RectHeight(r), TRUE);
        r.left += w;
        break;
    }
    default: {
        int w = sz.cx < RectWidth(r) ? sz.cx : RectWidth(r);
        MoveWindow(hwnd_, r.right - w, r.top, w, RectHeight(r), TRUE);
        r.right -= w;
        break;
    }
    }
}

bool DockToolbar::DockTo(DockSide side) {
    if (hwnd_ == nullptr || !IsOneSide(side) || !(allowedSides_ & side))
        return false;
    side_ = side;
    ApplyOrientation();
    InvalidateRect(hwnd_, nullptr, TRUE);
    HWND parent = GetParent(hwnd_);
    if (parent != nullptr) {
        RECT client;
        GetClientRect(parent, &client);
        SendMessageW(parent, WM_SIZE, SIZE_RESTORED,
                     MAKELPARAM(RectWidth(client), RectHeight(client)));
    }
    return true;
}

DockSide DockToolbar::SideForDrop(POINT screenPt) const {
    HWND parent = GetParent(hwnd_);
    RECT client;
    GetClientRect(parent, &client);
    MapWindowPoints(parent, nullptr, reinterpret_cast<POINT*>(&client), 2);
    // The nearest allowed edge of the frame's client area wins.
    struct Candidate {
        DockSide side;
        long distance;
    } c[] = {
        {DOCK_TOP, labs(screenPt.y - client.top)},
        {DOCK_BOTTOM, labs(client.bottom - screenPt.y)},
        {DOCK_LEFT, labs(screenPt.x - client.left)},
        {DOCK_RIGHT, labs(client.right - screenPt.x)},
    };
    DockSide best = side_;
    long bestDistance = -1;
    for (const Candidate& k : c) {
        if (!(allowedSides_ & k.side))
            continue;
        if (bestDistance < 0 || k.distance < bestDistance) {
            best = k.side;
            bestDistance = k.distance;
        }
    }
    return best;
}

LRESULT DockToolbar::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_SIZE:
        if (buttons_ != nullptr) {
            SIZE sz = PreferredSize(side_);
            if (Vertical(side_))
                MoveWindow(buttons_, BORDER, BORDER + GRIPPER, sz.cx - 2 * BORDER,
                           sz.cy - GRIPPER - 2 * BORDER, TRUE);
            else
                MoveWindow(buttons_, BORDER + GRIPPER, BORDER, sz.cx - GRIPPER - 2 * BORDER,
                           sz.cy - 2 * BORDER, TRUE);
        }
        return 0;
    case WM_PAINT: {
        PaintDc dc(hwnd_);
        RECT client;
        GetClientRect(hwnd_, &client);
        FillRect(dc, &client, GetSysColorBrush(COLOR_BTNFACE));
        for (int k = 0; k < 2; ++k) {
            RECT g = Vertical(side_) ? RECT{3, 3 + k * 3, client.right - 3, 5 + k * 3}
                                     : RECT{3 + k * 3, 3, 5 + k * 3, client.bottom - 3};
            DrawEdge(dc, &g, BDR_RAISEDINNER, BF_RECT);
        }
        return 0;
    }
    case WM_COMMAND:
        // Button presses go to the frame as if the buttons were its own.
        return SendMessageW(GetParent(hwnd_), WM_COMMAND, wp, lp);
    case WM_NOTIFY: {
        NMHDR* hdr = reinterpret_cast<NMHDR*>(lp);
        if (hdr->code == TTN_GETDISPINFOW) {
            static std::wstring tip; // must outlive the call; one tooltip at a time
            NMTTDISPINFOW* info = reinterpret_cast<NMTTDISPINFOW*>(lp);
            tip = WidenUtf8(CommandTip(module_, static_cast<UINT>(hdr->idFrom)).c_str());
            info->lpszText = const_cast<wchar_t*>(tip.c_str());
            return 0;
        }
        if (hdr->code == TBN_HOTITEMCHANGE && promptBar_ != nullptr) {
            NMTBHOTITEM* hot = reinterpret_cast<NMTBHOTITEM*>(lp);
            if (hot->dwFlags & HICF_LEAVING) {
                promptBar_->ShowIdleMessage();
            } else {
                std::string prompt = CommandPrompt(module_, static_cast<UINT>(hot->idNew));
                promptBar_->SetMessageText(prompt.c_str());
            }
            return 0;
        }
        return SendMessageW(GetParent(hwnd_), WM_NOTIFY, wp, lp);
    }
    case WM_LBUTTONDOWN:
        // Only the gripper strip shows through: the rest is the buttons' window.
        dragging_ = true;
        SetCapture(hwnd_);
        SetFocus(hwnd_);
        return 0;
    case WM_MOUSEMOVE:
        if (dragging_)
            SetCursor(LoadCursorA(nullptr, IDC_SIZEALL));
        return 0;
    case WM_LBUTTONUP:
        if (dragging_) {
            dragging_ = false;
            POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
            ClientToScreen(hwnd_, &pt);
            ReleaseCapture();
            DockSide side = SideForDrop(pt);
            if (side != side_)
                DockTo(side);
        }
        return 0;
    case WM_KEYDOWN:
        if (wp == VK_ESCAPE && dragging_) {
            dragging_ = false; // cancelled: stay where we are
            ReleaseCapture();
        }
        return 0;
    case WM_CAPTURECHANGED:
        dragging_ = false;
        return 0;
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}
