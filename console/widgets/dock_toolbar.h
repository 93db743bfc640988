// The frame's dockable flat toolbar. Buttons and images come from a toolbar resource:
// a custom resource of type RT_TOOLBAR_DATA (241) holding little-endian WORDs
//   { version = 1, image width, image height, button count, command id... }
// where a command id of 0 is a separator, beside a BITMAP of the same id holding the
// images of the non-separator buttons side by side; light grey RGB(192,192,192) in the
// bitmap is transparent. A button press sends WM_COMMAND(id) to the frame (the parent).
//
// Docking: the bar sits on one side of the frame (top, bottom, left, right); on the
// left and right its buttons stack vertically. Dragging the bar by its gripper and
// releasing it near another side of the frame's client area docks it there, when
// docking on that side is allowed. After any change of side the bar asks the frame to
// lay out again by sending it WM_SIZE with its current client size.
#pragma once

#include "console/widgets/widget_common.h"
#include "console/widgets/status_bar.h"

#include <commctrl.h>

#include <cstddef>
#include <cstdint>
#include <vector>

enum : UINT {
    ID_TOOL_BAR = 59392,
    RT_TOOLBAR_DATA = 241,
};

enum DockSide : uint32_t {
    DOCK_TOP = 0x1,
    DOCK_BOTTOM = 0x2,
    DOCK_LEFT = 0x4,
    DOCK_RIGHT = 0x8,
    DOCK_ANY = 0xF,
};

// Parsed toolbar resource. Parsing checks every length against the data size.
struct ToolbarTemplate {
    int imageWidth = 0;
    int imageHeight = 0;
    std::vector<UINT> commands; // 0 = separator
};
// Parses the WORD layout above from `size` bytes. False (and `*out` untouched) for a
// version other than 1, a size of 0 or above 256 pixels, a count above 512, or data
// shorter than the count says.
bool ParseToolbarTemplate(const void* data, size_t size, ToolbarTemplate* out);

class DockToolbar : public OwnedWindow {
public:
    DockToolbar() = default;
    ~DockToolbar() override;

    // Creates the bar (child, visible, flat, with gripper and tooltips) in `parent`,
    // docked at the top. False when a window cannot be created.
    bool Create(HWND parent, UINT id = ID_TOOL_BAR);

    // Loads toolbar resource `resourceId` (type 241 + BITMAP) of `module`, whose
    // string table also gives the buttons' tooltips and prompts. False when the data
    // is missing or malformed; a missing bitmap leaves the buttons without images
    // but is not a failure.
    bool LoadToolbarResource(HINSTANCE module, UINT resourceId);
    // Same from a parsed template and a bitmap (borrowed; may be null).
    bool LoadButtons(HINSTANCE module, const ToolbarTemplate& tmpl, HBITMAP images);

    // Sides this bar may dock on (DockSide bits).
    void EnableDocking(uint32_t sides) { allowedSides_ = sides & DOCK_ANY; }
    uint32_t AllowedSides() const { return allowedSides_; }
    // Docks the bar on `side` (one DockSide bit) and asks the parent to lay out again.
    // False when the side is not one bit or not allowed.
    bool DockTo(DockSide side);
    DockSide Side() const { return side_; }

    // Status bar that shows the prompt of the button under the mouse; borrowed.
    void SetPromptBar(StatusBar* bar) { promptBar_ = bar; }

    // The inner common-controls toolbar (tests press its buttons with TB_PRESSBUTTON
    // or a click; its WM_COMMANDs are forwarded to the parent).
    HWND ButtonsWindow() const { return buttons_; }
    int ButtonCount() const;
    // Command of button `index` (0 for a separator, 0 when out of range).
    UINT ButtonCommand(int index) const;
    // Rectangle of button `index` in the bar's client coordinates.
    RECT ButtonRect(int index) const;
    void EnableButton(UINT command, bool enable);
    // The buttons' images (owned by the bar; null without a bitmap) and the image of
    // `command` in it (-1 when the command has no button or no image).
    HIMAGELIST Images() const { return images_; }
    int CommandImage(UINT command) const;

    // The size the bar needs docked on `side` (horizontal: width of all buttons and
    // the gripper, one row; vertical: one column).
    SIZE PreferredSize(DockSide side) const;
    // Its thickness on its current side: the height when docked at the top or the
    // bottom, the width when on the left or right. 0 when hidden.
    int CalcThickness() const;
    // Layout for the frame: when visible, places the bar on its side of `*remaining`
    // and removes its thickness from it.
    void LayoutIn(RECT* remaining);

private:
    LRESULT Handle(UINT msg, WPARAM wp, LPARAM lp) override;
    void ApplyOrientation();
    DockSide SideForDrop(POINT screenPt) const;

    HWND buttons_ = nullptr; // child toolbar control, destroyed with the bar
    HIMAGELIST images_ = nullptr;
    HINSTANCE module_ = nullptr;
    StatusBar* promptBar_ = nullptr;
    std::vector<UINT> commands_;
    uint32_t allowedSides_ = DOCK_TOP;
    DockSide side_ = DOCK_TOP;
    bool dragging_ = false;
};
