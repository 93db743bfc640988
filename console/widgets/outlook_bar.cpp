#include "console/widgets/outlook_bar.h"

#include <windowsx.h>

#include <utility>

namespace {

const wchar_t OUTLOOK_BAR_CLASS[] = L"GwOutlookBar";
// Icon sizes at 96 DPI; the bar scales them, as its padding, to the screen's DPI.
const int LARGE_ICON = 32;
const int SMALL_ICON = 16;

} // namespace

bool OutlookBar::Create(DWORD exStyle, HWND parent, UINT id, HWND owner, uint32_t options) {
    INITCOMMONCONTROLSEX icc = {sizeof icc, ICC_WIN95_CLASSES};
    InitCommonControlsEx(&icc);
    if (!RegisterWidgetClass(OUTLOOK_BAR_CLASS, CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS, IDC_ARROW,
                             -1))
        return false;
    owner_ = owner != nullptr ? owner : parent;
    options_ = options;
    groups_.clear();
    openGroup_ = selectedGroup_ = selectedItem_ = -1;
    pressedItem_ = hotItem_ = -1;
    scroll_ = 0;
    iconSize_ = OUTLOOK_LARGE_ICONS;
    RECT r = {0, 0, 0, 0};
    return CreateWidget(exStyle, OUTLOOK_BAR_CLASS, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, r,
                        parent, id) != nullptr;
}

void OutlookBar::SetImageList(HIMAGELIST list, OutlookIconSize which) {
    (which == OUTLOOK_LARGE_ICONS ? large_ : small_) = list;
    if (hwnd_ != nullptr)
        InvalidateRect(hwnd_, nullptr, TRUE);
}

void OutlookBar::SetIconSize(OutlookIconSize size) {
    iconSize_ = size;
    scroll_ = 0;
    if (hwnd_ != nullptr)
        InvalidateRect(hwnd_, nullptr, TRUE);
}

int OutlookBar::AddGroup(const char* text) {
    groups_.push_back(Group{text != nullptr ? text : "", {}});
    if (openGroup_ < 0)
        openGroup_ = 0;
    if (hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        NotifyAccessible(EVENT_OBJECT_REORDER, hwnd_, 0);
    }
    return static_cast<int>(groups_.size()) - 1;
}

int OutlookBar::AddItem(int group, int index, const char* text, int image, uintptr_t data) {
    if (group < 0 || group >= GroupCount())
        return -1;
    std::vector<Item>& items = groups_[static_cast<size_t>(group)].items;
    if (index < 0 || index > static_cast<int>(items.size()))
        index = static_cast<int>(items.size());
    items.insert(items.begin() + index, Item{text != nullptr ? text : "", image, data});
    if (group == selectedGroup_ && selectedItem_ >= index)
        ++selectedItem_;
    if (hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        NotifyAccessible(EVENT_OBJECT_REORDER, hwnd_, 0);
    }
    return index;
}

int OutlookBar::ItemCount(int group) const {
    if (group < 0 || group >= GroupCount())
        return 0;
    return static_cast<int>(groups_[static_cast<size_t>(group)].items.size());
}

std::string OutlookBar::GroupText(int group) const {
    if (group < 0 || group >= GroupCount())
        return std::string();
    return groups_[static_cast<size_t>(group)].text;
}

std::string OutlookBar::ItemText(int group, int index) const {
    if (index < 0 || index >= ItemCount(group))
        return std::string();
    return groups_[static_cast<size_t>(group)].items[static_cast<size_t>(index)].text;
}

int OutlookBar::ItemImage(int group, int index) const {
    if (index < 0 || index >= ItemCount(group))
        return -1;
    return groups_[static_cast<size_t>(group)].items[static_cast<size_t>(index)].image;
}

bool OutlookBar::OpenGroup(int group) {
    if (group < 0 || group >= GroupCount())
        return false;
    if (group != openGroup_) {
        int closed = openGroup_;
        openGroup_ = group;
        scroll_ = 0;
        hotItem_ = pressedItem_ = -1;
        if (hwnd_ != nullptr) {
            InvalidateRect(hwnd_, nullptr, TRUE);
            if (closed >= 0)
                NotifyAccessible(EVENT_OBJECT_STATECHANGE, hwnd_, ChildId(closed, -1));
            NotifyAccessible(EVENT_OBJECT_STATECHANGE, hwnd_, ChildId(group, -1));
        }
    }
    return true;
}

int OutlookBar::SelectedItem() const {
    return selectedGroup_ == openGroup_ ? selectedItem_ : -1;
}

bool OutlookBar::SelectItem(int group, int index) {
    if (group < 0 || group >= GroupCount() || index < 0 || index >= ItemCount(group)) {
        selectedGroup_ = selectedItem_ = -1;
        if (hwnd_ != nullptr)
            InvalidateRect(hwnd_, nullptr, TRUE);
        return false;
    }
    selectedGroup_ = group;
    selectedItem_ = index;
    SetFocusPosition(group, index);
    if (hwnd_ != nullptr)
        InvalidateRect(hwnd_, nullptr, TRUE);
    return true;
}

int OutlookBar::HeaderHeight() const {
    return WidgetFontHeight(hwnd_) + ScaleForDpi(10);
}

int OutlookBar::ItemHeight() const {
    int text = WidgetFontHeight(hwnd_);
    int large = ScaleForDpi(LARGE_ICON);
    int small = ScaleForDpi(SMALL_ICON);
    return iconSize_ == OUTLOOK_LARGE_ICONS ? large + text + ScaleForDpi(20)
                                            : (text > small ? text : small) + ScaleForDpi(10);
}

RECT OutlookBar::GroupHeaderRect(int group) const {
    RECT r = {0, 0, 0, 0};
    if (hwnd_ == nullptr || group < 0 || group >= GroupCount())
        return r;
    RECT client;
    GetClientRect(hwnd_, &client);
    int h = HeaderHeight();
    // Headers up to the open one stack at the top, the rest at the bottom.
    int top = group <= openGroup_ ? group * h : client.bottom - (GroupCount() - group) * h;
    return RECT{0, top, client.right, top + h};
}

RECT OutlookBar::ItemRect(int index) const {
    RECT r = {0, 0, 0, 0};
    if (hwnd_ == nullptr || index < 0 || index >= ItemCount(openGroup_))
        return r;
    RECT client;
    GetClientRect(hwnd_, &client);
    int h = HeaderHeight();
    int areaTop = (openGroup_ + 1) * h;
    int areaBottom = client.bottom - (GroupCount() - openGroup_ - 1) * h;
    int top = areaTop + index * ItemHeight() - scroll_;
    int bottom = top + ItemHeight();
    // Clip to the items area; an item wholly outside it is not visible.
    if (top < areaTop)
        top = areaTop;
    if (bottom > areaBottom)
        bottom = areaBottom;
    if (bottom <= top)
        return r;
    return RECT{0, top, client.right, bottom};
}

RECT OutlookBar::ItemsArea() const {
    RECT client = {0, 0, 0, 0};
    if (hwnd_ != nullptr)
        GetClientRect(hwnd_, &client);
    int h = HeaderHeight();
    RECT area = {0, (openGroup_ + 1) * h, client.right,
                 client.bottom - (GroupCount() - openGroup_ - 1) * h};
    if (area.bottom < area.top)
        area.bottom = area.top;
    return area;
}

int OutlookBar::MaxScroll() const {
    if (hwnd_ == nullptr)
        return 0;
    int content = ItemCount(openGroup_) * ItemHeight();
    int room = RectHeight(ItemsArea());
    return content > room ? content - room : 0;
}

void OutlookBar::ScrollBy(int pixels) {
    int next = scroll_ + pixels;
    int top = MaxScroll();
    scroll_ = next < 0 ? 0 : (next > top ? top : next);
    if (hwnd_ != nullptr)
        InvalidateRect(hwnd_, nullptr, FALSE);
}

RECT OutlookBar::ScrollButtonRect(bool up) const {
    RECT none = {0, 0, 0, 0};
    if (up ? !CanScrollUp() : !CanScrollDown())
        return none;
    RECT area = ItemsArea();
    const int size = GetSystemMetrics(SM_CXVSCROLL);
    if (RectHeight(area) < 2 * size + 8 || RectWidth(area) < size + 8)
        return none;
    int top = up ? area.top + 4 : area.bottom - 4 - size;
    return RECT{area.right - 4 - size, top, area.right - 4, top + size};
}

int OutlookBar::HitGroup(POINT pt) const {
    for (int g = 0; g < GroupCount(); ++g) {
        RECT r = GroupHeaderRect(g);
        if (PtInRect(&r, pt))
            return g;
    }
    return -1;
}

int OutlookBar::HitItem(POINT pt) const {
    if (HitGroup(pt) >= 0)
        return -1;
    for (bool up : {true, false}) {
        RECT arrow = ScrollButtonRect(up);
        if (PtInRect(&arrow, pt))
            return -1;
    }
    for (int i = 0; i < ItemCount(openGroup_); ++i) {
        RECT r = ItemRect(i);
        if (PtInRect(&r, pt))
            return i;
    }
    return -1;
}

LRESULT OutlookBar::Notify(UINT code, OutlookBarItemInfo* info) const {
    if (owner_ == nullptr || !IsWindow(owner_))
        return 1; // nobody to object
    return SendMessageW(owner_, OUTLOOK_BAR_NOTIFY, code, reinterpret_cast<LPARAM>(info));
}

LRESULT OutlookBar::AnswerPoint(bool header, WPARAM index) const {
    // Checked as WPARAM first: a large index must not wrap to a valid int.
    if (index >= static_cast<WPARAM>(header ? GroupCount() : ItemCount(openGroup_)))
        return 0;
    int i = static_cast<int>(index);
    RECT r = header ? GroupHeaderRect(i) : ItemRect(i);
    POINT centre = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    RECT client;
    GetClientRect(hwnd_, &client);
    // Only a point that hit testing gives back to this header or item (not one under a
    // scroll arrow of a narrow bar, nor one off a bar too short for its headers).
    if (!PtInRect(&client, centre) || (header ? HitGroup(centre) : HitItem(centre)) != i)
        return 0;
    return MAKELRESULT(static_cast<WORD>(centre.x), static_cast<WORD>(centre.y));
}

int OutlookBar::FlatIndex(int group, int item) const {
    if (group < 0 || group >= GroupCount() || item < -1 || item >= ItemCount(group))
        return -1;
    int flat = 0;
    for (int g = 0; g < group; ++g)
        flat += 1 + ItemCount(g);
    return flat + 1 + item;
}

bool OutlookBar::FromFlatIndex(int flat, int* group, int* item) const {
    for (int g = 0; g < GroupCount() && flat >= 0; ++g) {
        if (flat <= ItemCount(g)) {
            *group = g;
            *item = flat - 1;
            return true;
        }
        flat -= 1 + ItemCount(g);
    }
    return false;
}

void OutlookBar::SetFocusPosition(int group, int item) {
    if (FlatIndex(group, item) < 0)
        return;
    bool moved = group != focusGroup_ || item != focusItem_;
    focusGroup_ = group;
    focusItem_ = item;
    if (item >= 0) {
        OpenGroup(group);
        // Scrolled so the whole item shows.
        int top = item * ItemHeight();
        int room = RectHeight(ItemsArea());
        if (top < scroll_)
            ScrollBy(top - scroll_);
        else if (top + ItemHeight() > scroll_ + room)
            ScrollBy(top + ItemHeight() - room - scroll_);
    }
    if (hwnd_ != nullptr)
        InvalidateRect(hwnd_, nullptr, FALSE);
    if (moved)
        NotifyFocus();
}

void OutlookBar::NotifyFocus() const {
    if (hasFocus_)
        NotifyAccessible(EVENT_OBJECT_FOCUS, hwnd_, ChildId(focusGroup_, focusItem_));
}

bool OutlookBar::OnKey(UINT vk) {
    int total = FlatIndex(GroupCount() - 1, ItemCount(GroupCount() - 1) - 1) + 1;
    int flat = FlatIndex(focusGroup_, focusItem_);
    int group = 0, item = -1;
    switch (vk) {
    case VK_DOWN:
    case VK_UP:
        if (total <= 0)
            return true;
        flat = flat < 0 ? 0 : flat + (vk == VK_DOWN ? 1 : -1);
        if (flat >= 0 && flat < total && FromFlatIndex(flat, &group, &item))
            SetFocusPosition(group, item);
        return true;
    case VK_HOME:
    case VK_END:
        // The first or last item of the bar, skipping empty groups.
        for (int g = 0; g < GroupCount(); ++g) {
            int at = vk == VK_HOME ? g : GroupCount() - 1 - g;
            if (ItemCount(at) > 0) {
                SetFocusPosition(at, vk == VK_HOME ? 0 : ItemCount(at) - 1);
                break;
            }
        }
        return true;
    case VK_RETURN:
    case VK_SPACE:
        if (focusItem_ < 0)
            OpenGroup(focusGroup_);
        else if (focusGroup_ == openGroup_)
            ClickItem(focusItem_);
        return true;
    default:
        return false;
    }
}

LRESULT OutlookBar::ClickNeighbourItem(int step) {
    // Items only, in the bar's order: the selected one's place, or before the first.
    std::vector<std::pair<int, int>> items;
    int current = -1;
    for (int g = 0; g < GroupCount(); ++g)
        for (int i = 0; i < ItemCount(g); ++i) {
            bool here = selectedGroup_ >= 0 ? (g == selectedGroup_ && i == selectedItem_)
                                            : (g == focusGroup_ && i == focusItem_);
            if (here)
                current = static_cast<int>(items.size());
            items.emplace_back(g, i);
        }
    int n = static_cast<int>(items.size());
    if (n == 0)
        return 0;
    int next = current < 0 ? (step > 0 ? 0 : n - 1) : ((current + step) % n + n) % n;
    SetFocusPosition(items[static_cast<size_t>(next)].first,
                     items[static_cast<size_t>(next)].second);
    return ClickItem(focusItem_);
}

LRESULT OutlookBar::ClickItem(int index) {
    int group = openGroup_;
    if (index < 0 || index >= ItemCount(group))
        return 0;
    // The owner may change the bar while it answers: hand it a copy of the text.
    const Item& item = groups_[static_cast<size_t>(group)].items[static_cast<size_t>(index)];
    std::string text = item.text;
    OutlookBarItemInfo info = {index, group, item.image, text.c_str(), item.data};
    LRESULT answer = Notify(OBN_ITEM_CLICKED, &info);
    if (answer != 0 && index < ItemCount(group)) {
        bool moved = focusGroup_ != group || focusItem_ != index;
        selectedGroup_ = group;
        selectedItem_ = index;
        focusGroup_ = group;
        focusItem_ = index;
        if (hwnd_ != nullptr) {
            InvalidateRect(hwnd_, nullptr, TRUE);
            NotifyAccessible(EVENT_OBJECT_SELECTION, hwnd_, ChildId(group, index));
            if (moved)
                NotifyFocus();
        }
    }
    return answer;
}

bool OutlookBar::RemoveItem(int group, int index) {
    if (index < 0 || index >= ItemCount(group))
        return false;
    const Item& item = groups_[static_cast<size_t>(group)].items[static_cast<size_t>(index)];
    std::string text = item.text;
    OutlookBarItemInfo info = {index, group, item.image, text.c_str(), item.data};
    if (Notify(OBN_REMOVE_ITEM, &info) == 0 || index >= ItemCount(group))
        return false;
    std::vector<Item>& items = groups_[static_cast<size_t>(group)].items;
    items.erase(items.begin() + index);
    if (selectedGroup_ == group) {
        if (selectedItem_ == index)
            selectedGroup_ = selectedItem_ = -1;
        else if (selectedItem_ > index)
            --selectedItem_;
    }
    hotItem_ = pressedItem_ = -1;
    ScrollBy(0); // fewer items may need less scrolling
    if (hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        NotifyAccessible(EVENT_OBJECT_REORDER, hwnd_, 0);
    }
    return true;
}

bool OutlookBar::RemoveGroup(int group) {
    if (group < 0 || group >= GroupCount())
        return false;
    std::string text = groups_[static_cast<size_t>(group)].text;
    OutlookBarItemInfo info = {group, group, -1, text.c_str(), 0};
    if (Notify(OBN_REMOVE_GROUP, &info) == 0 || group >= GroupCount())
        return false;
    groups_.erase(groups_.begin() + group);
    if (selectedGroup_ == group)
        selectedGroup_ = selectedItem_ = -1;
    else if (selectedGroup_ > group)
        --selectedGroup_;
    if (openGroup_ > group || openGroup_ >= GroupCount())
        --openGroup_;
    if (openGroup_ < 0 && GroupCount() > 0)
        openGroup_ = 0;
    scroll_ = 0;
    hotItem_ = pressedItem_ = -1;
    if (hwnd_ != nullptr) {
        InvalidateRect(hwnd_, nullptr, TRUE);
        NotifyAccessible(EVENT_OBJECT_REORDER, hwnd_, 0);
    }
    return true;
}

HMENU OutlookBar::BuildContextMenu(POINT pt) const {
    HMENU menu = CreatePopupMenu();
    if (menu == nullptr)
        return nullptr;
    AppendMenuW(menu, MF_STRING | (iconSize_ == OUTLOOK_SMALL_ICONS ? MF_CHECKED : 0),
                ID_OUTLOOK_SMALL_ICONS, L"&Small Icons");
    AppendMenuW(menu, MF_STRING | (iconSize_ == OUTLOOK_LARGE_ICONS ? MF_CHECKED : 0),
                ID_OUTLOOK_LARGE_ICONS, L"&Large Icons");
    bool item = (options_ & OBS_EDIT_ITEMS) && HitItem(pt) >= 0;
    bool group = (options_ & OBS_EDIT_GROUPS) && HitGroup(pt) >= 0;
    if (item || group)
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    if (item)
        AppendMenuW(menu, MF_STRING, ID_OUTLOOK_REMOVE_ITEM, L"&Remove Shortcut");
    if (group)
        AppendMenuW(menu, MF_STRING, ID_OUTLOOK_REMOVE_GROUP, L"Remove &Folder");
    return menu;
}

void OutlookBar::OnCommand(UINT cmd) {
    switch (cmd) {
    case ID_OUTLOOK_SMALL_ICONS:
        SetIconSize(OUTLOOK_SMALL_ICONS);
        break;
    case ID_OUTLOOK_LARGE_ICONS:
        SetIconSize(OUTLOOK_LARGE_ICONS);
        break;
    case ID_OUTLOOK_REMOVE_ITEM:
        if (options_ & OBS_EDIT_ITEMS)
            RemoveItem(openGroup_, HitItem(menuPoint_));
        break;
    case ID_OUTLOOK_REMOVE_GROUP:
        if (options_ & OBS_EDIT_GROUPS)
            RemoveGroup(HitGroup(menuPoint_));
        break;
    }
}

void OutlookBar::Paint(HDC target) {
    RECT client;
    GetClientRect(hwnd_, &client);
    // Drawn off screen first so switching groups does not flicker.
    HDC dc = CreateCompatibleDC(target);
    HBITMAP bmp = CreateCompatibleBitmap(target, RectWidth(client) > 0 ? RectWidth(client) : 1,
                                         RectHeight(client) > 0 ? RectHeight(client) : 1);
    HGDIOBJ oldBmp = SelectObject(dc, bmp);
    HGDIOBJ oldFont = SelectObject(dc, WidgetFont());
    SetBkMode(dc, TRANSPARENT);
    // The classic look is light text on the 3D shadow; high contrast wants the window's
    // own pair, and the highlight pair for the selection.
    bool contrast = HighContrastColours();
    FillRect(dc, &client, GetSysColorBrush(contrast ? COLOR_WINDOW : COLOR_3DSHADOW));

    for (int g = 0; g < GroupCount(); ++g) {
        RECT r = GroupHeaderRect(g);
        DrawFrameControl(dc, &r, DFC_BUTTON, DFCS_BUTTONPUSH);
        SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
        std::wstring text = WidenUtf8(groups_[static_cast<size_t>(g)].text.c_str());
        DrawTextW(dc, text.c_str(), -1, &r,
                  DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    }

    int h = HeaderHeight();
    RECT area = {0, (openGroup_ + 1) * h, client.right,
                 client.bottom - (GroupCount() - openGroup_ - 1) * h};
    HRGN clip = CreateRectRgnIndirect(&area);
    SelectClipRgn(dc, clip);
    HIMAGELIST list = iconSize_ == OUTLOOK_LARGE_ICONS ? large_ : small_;
    int icon = ScaleForDpi(iconSize_ == OUTLOOK_LARGE_ICONS ? LARGE_ICON : SMALL_ICON);
    COLORREF itemText = GetSysColor(contrast ? COLOR_WINDOWTEXT : COLOR_WINDOW);
    for (int i = 0; i < ItemCount(openGroup_); ++i) {
        int top = area.top + i * ItemHeight() - scroll_;
        RECT row = {0, top, client.right, top + ItemHeight()};
        if (row.bottom <= area.top || row.top >= area.bottom)
            continue;
        const Item& item = groups_[static_cast<size_t>(openGroup_)].items[static_cast<size_t>(i)];
        RECT iconRect, textRect;
        if (iconSize_ == OUTLOOK_LARGE_ICONS) {
            int x = (client.right - icon) / 2;
            int above = ScaleForDpi(6);
            iconRect = RECT{x, top + above, x + icon, top + above + icon};
            textRect = RECT{2, iconRect.bottom + ScaleForDpi(4), client.right - 2, row.bottom - 2};
        } else {
            int left = ScaleForDpi(8);
            iconRect = RECT{left, top + (ItemHeight() - icon) / 2, left + icon,
                            top + (ItemHeight() - icon) / 2 + icon};
            textRect = RECT{iconRect.right + ScaleForDpi(6), top, client.right - 2, row.bottom};
        }
        if (list != nullptr && item.image >= 0)
            ImageList_Draw(list, item.image, dc, iconRect.left, iconRect.top, ILD_TRANSPARENT);
        RECT edge = {iconRect.left - 2, iconRect.top - 2, iconRect.right + 2, iconRect.bottom + 2};
        bool selected = openGroup_ == selectedGroup_ && i == selectedItem_;
        if (selected || i == pressedItem_)
            DrawEdge(dc, &edge, BDR_SUNKENOUTER, BF_RECT);
        else if (i == hotItem_)
            DrawEdge(dc, &edge, BDR_RAISEDINNER, BF_RECT);
        SetTextColor(dc, itemText);
        if (contrast && selected) {
            FillRect(dc, &textRect, GetSysColorBrush(COLOR_HIGHLIGHT));
            SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        }
        std::wstring text = WidenUtf8(item.text.c_str());
        UINT format =
            DT_NOPREFIX | DT_END_ELLIPSIS | DT_SINGLELINE |
            (iconSize_ == OUTLOOK_LARGE_ICONS ? DT_CENTER | DT_TOP : DT_LEFT | DT_VCENTER);
        DrawTextW(dc, text.c_str(), -1, &textRect, format);
    }
    if (hasFocus_ && focusGroup_ == openGroup_ && focusItem_ >= 0) {
        RECT cue = ItemRect(focusItem_);
        InflateRect(&cue, -2, -1);
        if (RectHeight(cue) > 0)
            DrawFocusRect(dc, &cue);
    }
    for (bool up : {true, false}) {
        RECT arrow = ScrollButtonRect(up);
        if (RectWidth(arrow) > 0)
            DrawFrameControl(dc, &arrow, DFC_SCROLL, up ? DFCS_SCROLLUP : DFCS_SCROLLDOWN);
    }
    SelectClipRgn(dc, nullptr);
    DeleteObject(clip);
    if (hasFocus_ && focusItem_ < 0) {
        RECT cue = GroupHeaderRect(focusGroup_);
        InflateRect(&cue, -3, -3);
        if (RectHeight(cue) > 0)
            DrawFocusRect(dc, &cue);
    }

    BitBlt(target, 0, 0, RectWidth(client), RectHeight(client), dc, 0, 0, SRCCOPY);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBmp);
    DeleteObject(bmp);
    DeleteDC(dc);
}

LRESULT OutlookBar::Handle(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT answer = 0;
    if (access_.HandleMessage(hwnd_, msg, wp, lp, &answer))
        return answer;
    switch (msg) {
    case WM_PAINT: {
        PaintDc dc(hwnd_);
        Paint(dc);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_LBUTTONDOWN: {
        POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        int group = HitGroup(pt);
        if (group >= 0) {
            OpenGroup(group);
            return 0;
        }
        for (bool up : {true, false}) {
            RECT arrow = ScrollButtonRect(up);
            if (PtInRect(&arrow, pt)) {
                ScrollBy(up ? -ItemHeight() : ItemHeight());
                return 0;
            }
        }
        pressedItem_ = HitItem(pt);
        if (pressedItem_ >= 0) {
            SetCapture(hwnd_);
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
    }
    case WM_LBUTTONUP: {
        if (pressedItem_ < 0)
            return 0;
        int pressed = pressedItem_;
        pressedItem_ = -1;
        if (GetCapture() == hwnd_)
            ReleaseCapture();
        InvalidateRect(hwnd_, nullptr, FALSE);
        POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        // A click is a press and a release on the same item.
        if (HitItem(pt) == pressed)
            ClickItem(pressed);
        return 0;
    }
    case WM_CAPTURECHANGED:
        if (pressedItem_ >= 0) {
            pressedItem_ = -1;
            InvalidateRect(hwnd_, nullptr, FALSE);
        }
        return 0;
    case WM_MOUSEMOVE: {
        POINT pt = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        SetHotItem(hwnd_, hotItem_, HitItem(pt), FALSE);
        return 0;
    }
    case WM_MOUSELEAVE:
        SetHotItem(hwnd_, hotItem_, -1, FALSE);
        return 0;
    case WM_MOUSEWHEEL:
        ScrollBy(GET_WHEEL_DELTA_WPARAM(wp) > 0 ? -ItemHeight() : ItemHeight());
        return 0;
    case WM_SIZE:
        ScrollBy(0); // a taller bar may need less scrolling
        break;
    case WM_CONTEXTMENU: {
        POINT screen = {GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        if (screen.x == -1 && screen.y == -1) { // from the keyboard
            RECT client;
            GetClientRect(hwnd_, &client);
            screen = POINT{client.right / 2, client.bottom / 2};
            ClientToScreen(hwnd_, &screen);
        }
        menuPoint_ = screen;
        ScreenToClient(hwnd_, &menuPoint_);
        HMENU menu = BuildContextMenu(menuPoint_);
        if (menu == nullptr)
            return 0;
        UINT cmd = static_cast<UINT>(
            TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_RIGHTBUTTON,
                             screen.x, screen.y, hwnd_, nullptr));
        DestroyMenu(menu);
        if (cmd != 0)
            OnCommand(cmd);
        return 0;
    }
    case WM_COMMAND:
        OnCommand(LOWORD(wp));
        return 0;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        hasFocus_ = msg == WM_SETFOCUS;
        if (hasFocus_ && FlatIndex(focusGroup_, focusItem_) < 0) {
            // The items changed under the focus: it starts again at the open header.
            focusGroup_ = openGroup_ >= 0 ? openGroup_ : 0;
            focusItem_ = -1;
        }
        InvalidateRect(hwnd_, nullptr, FALSE);
        // The system told of the window; this tells which part has the focus.
        NotifyFocus();
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        if (OnKey(static_cast<UINT>(wp)))
            return 0;
        break;
    case OBM_GETHEADERPOINT:
    case OBM_GETITEMPOINT:
        return AnswerPoint(msg == OBM_GETHEADERPOINT, wp);
    }
    return DefWindowProcW(hwnd_, msg, wp, lp);
}

int OutlookBar::AccChildCount() const {
    int count = 0;
    for (int g = 0; g < GroupCount(); ++g)
        count += 1 + ItemCount(g);
    return count;
}

std::string OutlookBar::AccName(int child) const {
    int group = 0, item = -1;
    if (child <= 0 || !FromFlatIndex(child - 1, &group, &item))
        return std::string();
    return item < 0 ? GroupText(group) : ItemText(group, item);
}

std::string OutlookBar::AccDefaultAction(int child) const {
    int group = 0, item = -1;
    if (child <= 0 || !FromFlatIndex(child - 1, &group, &item))
        return std::string();
    if (item >= 0)
        return "Show";
    return group == openGroup_ ? std::string() : "Expand";
}

long OutlookBar::AccRole(int child) const {
    return child == 0 ? ROLE_SYSTEM_OUTLINE : ROLE_SYSTEM_OUTLINEITEM;
}

long OutlookBar::AccState(int child) const {
    int group = 0, item = -1;
    if (child <= 0 || !FromFlatIndex(child - 1, &group, &item))
        return 0;
    long state = STATE_SYSTEM_FOCUSABLE;
    if (hasFocus_ && group == focusGroup_ && item == focusItem_)
        state |= STATE_SYSTEM_FOCUSED;
    if (item < 0)
        state |= group == openGroup_ ? STATE_SYSTEM_EXPANDED : STATE_SYSTEM_COLLAPSED;
    else if (group != openGroup_)
        state |= STATE_SYSTEM_INVISIBLE;
    if (item >= 0) {
        state |= STATE_SYSTEM_SELECTABLE;
        if (group == selectedGroup_ && item == selectedItem_)
            state |= STATE_SYSTEM_SELECTED;
        if (group == openGroup_ && item == hotItem_)
            state |= STATE_SYSTEM_HOTTRACKED;
    }
    // Scrolled out of the items area, or a header the bar is too short for.
    if (!(state & STATE_SYSTEM_INVISIBLE) && RectHeight(AccRect(child)) == 0)
        state |= STATE_SYSTEM_OFFSCREEN;
    return state;
}

RECT OutlookBar::AccRect(int child) const {
    int group = 0, item = -1;
    RECT none = {0, 0, 0, 0};
    if (child <= 0 || !FromFlatIndex(child - 1, &group, &item))
        return none;
    if (item < 0)
        return GroupHeaderRect(group);
    return group == openGroup_ ? ItemRect(item) : none;
}

int OutlookBar::AccHitTest(POINT client) const {
    int group = HitGroup(client);
    if (group >= 0)
        return ChildId(group, -1);
    int item = HitItem(client);
    return item >= 0 ? ChildId(openGroup_, item) : 0;
}

int OutlookBar::AccFocus() const {
    return ChildId(focusGroup_, focusItem_);
}

int OutlookBar::AccSelection() const {
    return selectedGroup_ >= 0 ? ChildId(selectedGroup_, selectedItem_) : 0;
}

void OutlookBar::AccDoDefaultAction(int child) {
    int group = 0, item = -1;
    if (!FromFlatIndex(child - 1, &group, &item))
        return;
    if (item < 0) {
        OpenGroup(group);
        return;
    }
    // As the keyboard reaches it: its group opens and it scrolls into view.
    SetFocusPosition(group, item);
    ClickItem(item);
}
