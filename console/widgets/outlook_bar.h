// The outlook-style navigation bar: a column of group headers; the open group shows
// its items (an icon and a text each) between its header and the headers below it.
// Clicking a header opens that group; clicking an item asks the owner, and the item
// becomes the selection when the owner agrees.
//
// The owner hears of things through one message, OUTLOOK_BAR_NOTIFY (35286), sent with
// wParam = a notification code and lParam = a pointer to an OutlookBarItemInfo; its
// answer 1 lets the bar go on, 0 stops it:
//   OBN_ITEM_CLICKED (1)   an item was clicked; 1 selects it
//   OBN_REMOVE_ITEM (7)    the user asked to remove an item; 1 removes it
//   OBN_REMOVE_GROUP (8)   the user asked to remove a group (info.index is the group);
//                          1 removes it with its items
// The record lives only during the call.
//
// Another process (the screenshot script's probe) finds headers and items by asking the
// bar, as it would ask a common control; the answer carries no pointer:
//   OBM_GETHEADERPOINT (WM_USER + 1)  wParam = a group index: the centre of its header
//   OBM_GETITEMPOINT (WM_USER + 2)    wParam = an item index of the open group: the
//                                     centre of the item's visible part
// Both answer MAKELRESULT(x, y) in client coordinates, the point a click there hits, and
// 0 when there is no such header or visible item.
//
// From the keyboard (the bar takes the focus, and draws a focus rectangle on the header
// or item that has the focus): Up/Down move through the headers and the items in order,
// an item's group opening when the focus reaches one of its items; Home/End go to the
// first/last item; Enter or Space on an item clicks it, on a header opens its group.
//
// Screen readers and automation tools find the bar as an outline (WM_GETOBJECT): one
// outline item per header and per item, in the order the keyboard walks them (child id
// = that position + 1), named with the drawn text; headers expanded or collapsed, the
// shown page's item selected, the items of closed groups invisible. Its default action
// opens a header's group or clicks an item. The bar raises focus events as the keyboard
// focus moves, a selection event when an item becomes the selection and state events
// when a group opens or closes.
//
// The right-button context menu always offers "Small Icons" / "Large Icons"; "Remove"
// for the item or group under the mouse only when created with OBS_EDIT_ITEMS /
// OBS_EDIT_GROUPS.
#pragma once

#include "console/widgets/accessible_object.h"
#include "console/widgets/widget_common.h"

#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

enum : UINT {
    OUTLOOK_BAR_NOTIFY = 0x8000 + 2518, // WM_APP + 2518 = 35286
    OBN_ITEM_CLICKED = 1,
    OBN_REMOVE_ITEM = 7,
    OBN_REMOVE_GROUP = 8,
};

// Questions to the bar (see above).
enum : UINT {
    OBM_GETHEADERPOINT = WM_USER + 1,
    OBM_GETITEMPOINT = WM_USER + 2,
};

// Editing options (the frame uses none).
enum : uint32_t {
    OBS_EDIT_GROUPS = 0x1, // context menu may remove groups
    OBS_EDIT_ITEMS = 0x2,  // context menu may remove items
};

// Context menu commands (also accepted as WM_COMMAND by the bar itself).
enum : UINT {
    ID_OUTLOOK_SMALL_ICONS = 0xE100,
    ID_OUTLOOK_LARGE_ICONS = 0xE101,
    ID_OUTLOOK_REMOVE_ITEM = 0xE102,
    ID_OUTLOOK_REMOVE_GROUP = 0xE103,
};

// Sent by pointer with OUTLOOK_BAR_NOTIFY. The first 32-bit word is the item's index
// within its group and the fourth member points to the item's text (NUL-terminated
// UTF-8, for a group notification the group's text).
struct OutlookBarItemInfo {
    int32_t index;    // item index in its group (group index for OBN_REMOVE_GROUP)
    int32_t group;    // index of the item's group
    int32_t image;    // image number in both image lists (-1 for a group)
    const char* text; // item's (group's) text
    uintptr_t data;   // the caller's value given to AddItem
};

enum OutlookIconSize { OUTLOOK_SMALL_ICONS = 0, OUTLOOK_LARGE_ICONS = 1 };

class OutlookBar : public OwnedWindow, private AccessibleParts {
public:
    OutlookBar() = default;
    ~OutlookBar() override { Destroy(); }

    // Creates the bar with extended style `exStyle` (the frame passes
    // WS_EX_STATICEDGE), WS_CHILD|WS_VISIBLE, identifier `id`, in `parent`. `owner`
    // receives OUTLOOK_BAR_NOTIFY (null: the parent). `options` are OBS_* bits.
    // Starts with large icons. False when the window cannot be created.
    bool Create(DWORD exStyle, HWND parent, UINT id, HWND owner, uint32_t options = 0);

    // Image lists: borrowed, must outlive the bar. Large is drawn in large-icon mode,
    // small in small-icon mode.
    void SetImageList(HIMAGELIST list, OutlookIconSize which);
    void SetIconSize(OutlookIconSize size);
    OutlookIconSize IconSize() const { return iconSize_; }

    // Appends a group; returns its index (-1 on failure).
    int AddGroup(const char* text);
    // Inserts an item into `group` at `index` (clamped to the group's item count);
    // returns the index it got, -1 when the group does not exist.
    int AddItem(int group, int index, const char* text, int image, uintptr_t data = 0);

    int GroupCount() const { return static_cast<int>(groups_.size()); }
    int ItemCount(int group) const;
    std::string GroupText(int group) const;
    std::string ItemText(int group, int index) const;
    int ItemImage(int group, int index) const;

    // Opens `group` (closing the one open before). False when out of range.
    bool OpenGroup(int group);
    int OpenGroupIndex() const { return openGroup_; }

    // Selected item of the open group (-1: none). Selection follows agreed clicks.
    int SelectedItem() const;
    // Marks `index` of `group` selected, as an agreed click would, without asking the
    // owner: for a page the owner showed itself. Opens the group and moves the keyboard
    // position there. False when out of range (the selection is then cleared).
    bool SelectItem(int group, int index);
    int SelectedGroup() const { return selectedGroup_; }

    // Rectangles in client coordinates, for painting, hit testing and tests: a
    // group's header; an item of the open group (empty when not visible).
    RECT GroupHeaderRect(int group) const;
    RECT ItemRect(int index) const;

    // When the open group's items do not fit, arrow buttons at the right of the items
    // area scroll them by one item. Whether each is shown, and where (client
    // coordinates; empty when not shown).
    bool CanScrollUp() const { return scroll_ > 0; }
    bool CanScrollDown() const { return scroll_ < MaxScroll(); }
    RECT ScrollButtonRect(bool up) const;

    // What a left click on item `index` of the open group does: asks the owner with
    // OBN_ITEM_CLICKED and selects the item when it answers nonzero. Returns the
    // answer (0 also when there is no such item).
    LRESULT ClickItem(int index);

    // The item the keyboard focus is on (group, and item index in it; -1: the group's
    // header).
    int FocusGroup() const { return focusGroup_; }
    int FocusItem() const { return focusItem_; }
    // Puts the keyboard focus cue on item `item` of `group` (-1: its header), opening
    // the group of an item.
    void SetFocusItem(int group, int item) { SetFocusPosition(group, item); }
    // Clicks the item `step` (+1 or -1) places after the selected one (the focused one
    // while none is selected), in the bar's order
    // across groups and round from the last to the first, opening its group. Returns
    // the owner's answer (0 when the bar has no items).
    LRESULT ClickNeighbourItem(int step);

    // Removal as the context menu does it: asks the owner first (OBN_REMOVE_ITEM /
    // OBN_REMOVE_GROUP) and removes only when it answers nonzero. True when removed.
    bool RemoveItem(int group, int index);
    bool RemoveGroup(int group);

    // The context menu the bar would show for client point `pt`; the caller destroys
    // it. Exposed so its entries can be inspected.
    HMENU BuildContextMenu(POINT pt) const;

private:
    struct Item {
        std::string text;
        int image;
        uintptr_t data;
    };
    struct Group {
        std::string text;
        std::vector<Item> items;
    };
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
    // What assistive tools read (see above).
    int AccChildCount() const override;
    std::string AccName(int child) const override;
    std::string AccDefaultAction(int child) const override;
    long AccRole(int child) const override;
    long AccState(int child) const override;
    RECT AccRect(int child) const override;
    int AccHitTest(POINT client) const override;
    int AccFocus() const override;
    int AccSelection() const override;
    void AccDoDefaultAction(int child) override;
    // Child id of a header (`item` -1) or an item; 0 when there is none.
    int ChildId(int group, int item) const { return FlatIndex(group, item) + 1; }
    void NotifyFocus() const;
    void Paint(HDC dc);
    int HeaderHeight() const;
    int ItemHeight() const;
    int HitGroup(POINT pt) const;
    RECT ItemsArea() const;
    int MaxScroll() const;
    void ScrollBy(int pixels);
    int HitItem(POINT pt) const;
    LRESULT Notify(UINT code, OutlookBarItemInfo* info) const;
    LRESULT AnswerPoint(bool header, WPARAM index) const;
    void OnCommand(UINT cmd);
    // Keyboard focus: moves it to header (`item` -1) or item of `group`, opening the
    // group of an item and scrolling the item into view.
    void SetFocusPosition(int group, int item);
    bool OnKey(UINT vk);
    // Position of (group, item) in the order headers and items are walked (-1: none),
    // and back.
    int FlatIndex(int group, int item) const;
    bool FromFlatIndex(int flat, int* group, int* item) const;

    HWND owner_ = nullptr;
    uint32_t options_ = 0;
    HIMAGELIST large_ = nullptr;
    HIMAGELIST small_ = nullptr;
    OutlookIconSize iconSize_ = OUTLOOK_LARGE_ICONS;
    std::vector<Group> groups_;
    int openGroup_ = -1;
    int selectedGroup_ = -1;
    int selectedItem_ = -1;
    int pressedItem_ = -1; // item under a left-button press, clicked on release
    int hotItem_ = -1;
    int focusGroup_ = 0;
    int focusItem_ = -1;
    bool hasFocus_ = false;
    int scroll_ = 0;           // pixels the open group's items are scrolled up
    POINT menuPoint_ = {0, 0}; // client point of the last context menu
    AccessibleHost access_{*this};
};
