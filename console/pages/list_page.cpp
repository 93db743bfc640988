#include "console/pages/list_page.h"

#include <limits>

#include "console/res/resource.h"

const char* ModeText(int32_t type) {
    return type != 0 ? "Logon enabled" : "Logon disabled";
}

void BindCountArrows(HWND arrows, HWND field) {
    char shown[64] = {};
    GetWindowTextA(field, shown, sizeof(shown));
    SendMessageA(arrows, UDM_SETRANGE32, SESSION_COUNT_MIN, SESSION_COUNT_MAX);
    SendMessageA(arrows, UDM_SETPOS32, 0, SESSION_COUNT_MIN);
    SendMessageA(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(field), 0);
    // Binding may write the arrows' position into the field: put the count back.
    SetWindowTextA(field, shown);
}

int32_t LeadingDecimal(const char* text) {
    if (text == nullptr)
        return 0;
    const char* p = text;
    while (*p == ' ' || *p == '\t')
        ++p;
    bool negative = *p == '-';
    if (*p == '+' || *p == '-')
        ++p;
    // Digits past the 32-bit range no longer change the value: it stays one past the
    // largest, which the sign then clamps to either end of the range.
    const int64_t high = std::numeric_limits<int32_t>::max();
    int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > high + 1)
            value = high + 1;
    }
    if (negative)
        return static_cast<int32_t>(-value);
    return static_cast<int32_t>(value > high ? high : value);
}

ListPageBase::ListPageBase(PageKind kind, const ListPageTable& table)
    : PageView(table.controls.templateId, kind), table_(table),
      enable_(FilterConfig.*table.enableFlag), defaultAllow_(FilterConfig.*table.defaultFlag) {
    if (table.defaultCount != nullptr)
        count_ = FilterConfig.*table.defaultCount;
    for (const ListPageOption& option : table.options)
        optionValues_.push_back(FilterConfig.*option.setting);
}

void ListPageBase::OnInitialUpdate() {
    const ListPageControls& controls = table_.controls;
    // However long the list, the page shows at once: the list view asks for the rows
    // it paints.
    MakeListVirtual(ListView());
    NameControls();
    // Writing the count into its field is no change made by the administrator.
    bool muted = countMuted_;
    countMuted_ = true;
    UpdateData(false);
    if (controls.countArrows != 0)
        BindCountArrows(Item(controls.countArrows), Item(controls.countEdit));
    countMuted_ = muted;
    UpdateEnabledControls();
    SetupReportColumns(ListView(), table_.columns);
    FillList();
    ShowAuditSwitch();
}

void ListPageBase::ShowEntry(int index) {
    HWND list = ListView();
    if (index < 0 || index >= ListRowCount(list))
        return;
    SelectListRows(list, {index});
    LVITEMA item = {};
    item.stateMask = item.state = LVIS_FOCUSED;
    SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(index),
                 reinterpret_cast<LPARAM>(&item));
    SendMessageA(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(index), FALSE);
    SetFocus(list);
}

void ListPageBase::ShowAppendedRow(LPARAM) {
    SetVirtualRowCount(ListView(), RowCount());
    MarkConfigModified();
}

ListEntry ListPageBase::Entry(bool adding) const {
    const ListPageControls& controls = table_.controls;
    return {adding, defaultAllow_, adding ? controls.addDialog : controls.editDialog};
}

std::string ListPageBase::CellText(LPARAM row, int column) const {
    if (column < 0 || column >= ColumnCount())
        return std::string();
    const ListColumn& cell = table_.columns[static_cast<size_t>(column)];
    return cell.text != nullptr ? cell.text(row) : std::string();
}

std::string ListPageBase::FirstCellOf(int row, void* page) {
    const ListPageBase* self = static_cast<const ListPageBase*>(page);
    return self->CellText(self->RowData(static_cast<size_t>(row)), 0);
}

bool ListPageBase::CountFieldLive() const {
    HWND field = Item(table_.controls.countEdit);
    return field != nullptr && IsWindowEnabled(field);
}

bool ListPageBase::ReadControls() {
    bool muted = countMuted_;
    countMuted_ = true;
    bool read = UpdateData(true);
    countMuted_ = muted;
    return read;
}

void ListPageBase::DoDataExchange(DataExchange& dx) {
    if (table_.readOrder.size() == 0) {
        ExchangeControl(dx, table_.controls.enableCheck);
        ExchangeControl(dx, table_.defaultCheck);
        return;
    }
    // A failed field leaves the rest unread.
    for (int id : table_.readOrder) {
        if (id != READ_OPTIONS) {
            ExchangeControl(dx, id);
            continue;
        }
        for (const ListPageOption& option : table_.options)
            ExchangeControl(dx, option.check);
    }
}

void ListPageBase::ExchangeControl(DataExchange& dx, int id) {
    const ListPageControls& controls = table_.controls;
    if (id == controls.enableCheck) {
        DdxCheck(dx, id, enable_);
    } else if (id == table_.defaultCheck) {
        DdxCheck(dx, id, defaultAllow_);
    } else if (id == controls.countEdit) {
        if (dx.save && !CountFieldLive())
            return;
        DdxInt(dx, id, count_);
        if (table_.countRule == CountRule::InRange)
            DdvMinMax(dx, id, count_, SESSION_COUNT_MIN, SESSION_COUNT_MAX);
    } else {
        for (size_t i = 0; i < table_.options.size(); ++i) {
            if (table_.options[i].check == id)
                DdxCheck(dx, id, optionValues_[i]);
        }
    }
}

bool ListPageBase::OnCommand(UINT id, UINT code, HWND control) {
    const ListPageControls& controls = table_.controls;
    int item = static_cast<int>(id);
    if (control == nullptr)
        return OnMenuCommand(id);
    if (OnAuditSwitch(id, code))
        return true;
    if (code == EN_CHANGE && controls.countEdit != 0 && item == controls.countEdit) {
        if (!countMuted_) {
            countMuted_ = true;
            OnDefaultCountChange();
            countMuted_ = false;
        }
        return true;
    }
    if (code != BN_CLICKED)
        return false;
    if (item == controls.enableCheck)
        OnFilterSwitch();
    else if (item == table_.defaultCheck)
        OnDefaultSwitch();
    else if (item == controls.addButton)
        OnAdd();
    else if (item == controls.removeButton)
        RemoveSelected();
    else if (item == controls.editButton)
        EditFirstSelected();
    else
        return OnOption(item);
    return true;
}

LRESULT ListPageBase::OnNotify(NMHDR* header) {
    const bool fromList =
        header != nullptr && header->idFrom == static_cast<UINT_PTR>(table_.controls.listView);
    CellQuestion cell;
    if (fromList && IsCellQuestion(header, &cell)) {
        // A row the list still counts while it is being taken away shows nothing.
        if (cell.row >= 0 && static_cast<size_t>(cell.row) < RowCount()) {
            LPARAM row = RowData(static_cast<size_t>(cell.row));
            AnswerCell(header, CellText(row, cell.column), row);
        } else {
            AnswerCell(header, std::string(), 0);
        }
        return 0;
    }
    int found = -1;
    if (fromList &&
        AnswerRowSearch(header, static_cast<int>(RowCount()), FirstCellOf, this, &found))
        return found;
    if (header != nullptr && header->code == LVN_KEYDOWN &&
        header->idFrom == static_cast<UINT_PTR>(table_.controls.listView) &&
        reinterpret_cast<NMLVKEYDOWN*>(header)->wVKey == VK_DELETE) {
        HWND remove = Item(table_.controls.removeButton);
        if (remove != nullptr && IsWindowEnabled(remove))
            OnCommand(static_cast<UINT>(table_.controls.removeButton), BN_CLICKED, remove);
        return 0;
    }
    return PageView::OnNotify(header);
}

bool ListPageBase::OnMenuCommand(UINT id) {
    if (table_.controls.contextMenu == 0 ||
        (id != ID_ITEM_ADD && id != ID_ITEM_REMOVE && id != ID_ITEM_EDIT))
        return false;
    // Menu commands are live even while the buttons are disabled: they check.
    ReadControls();
    if (enable_ == 0)
        return true;
    if (id == ID_ITEM_ADD)
        RunAddDialog();
    else if (id == ID_ITEM_REMOVE)
        RemoveSelected();
    else
        EditFirstSelected();
    return true;
}

void ListPageBase::OnDefaultCountChange() {
    if (table_.countRule == CountRule::InRange) {
        // A count that fails has shown its message and is not kept.
        if (!ReadControls())
            return;
        FilterConfig.*table_.defaultCount = count_;
    } else {
        HWND field = Item(table_.controls.countEdit);
        std::string text(static_cast<size_t>(GetWindowTextLengthA(field)) + 1, '\0');
        GetWindowTextA(field, &text[0], static_cast<int>(text.size()));
        FilterConfig.*table_.defaultCount = LeadingDecimal(text.c_str());
    }
    MarkConfigModified();
}

void ListPageBase::OnSize(int width, int height) {
    StretchListToPageBottom(hwnd(), ListView(), width, height);
}

void ListPageBase::OnContextMenu(HWND, POINT point) {
    if (table_.controls.contextMenu == 0)
        return;
    if (point.x == -1 && point.y == -1) { // from the keyboard: at the list's corner
        RECT rect = {};
        GetWindowRect(ListView(), &rect);
        point.x = rect.left;
        point.y = rect.top;
    }
    HMENU menu = LoadMenuA(ResourceInstance(), MAKEINTRESOURCEA(table_.controls.contextMenu));
    if (menu == nullptr)
        return;
    HMENU popup = GetSubMenu(menu, 0);
    if (popup != nullptr)
        TrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, point.x, point.y, 0, hwnd(),
                       nullptr);
    DestroyMenu(menu);
}

void ListPageBase::EnableControl(int id, bool on) {
    HWND control = id != 0 ? Item(id) : nullptr;
    if (control != nullptr)
        EnableWindow(control, on ? TRUE : FALSE);
}

void ListPageBase::UpdateEnabledControls() {
    const ListPageControls& controls = table_.controls;
    bool on = enable_ != 0;
    const int ids[] = {controls.listView, controls.addButton, controls.removeButton,
                       controls.editButton, table_.defaultCheck};
    for (int id : ids)
        EnableControl(id, on);
    for (const ListPageOption& option : table_.options)
        EnableControl(option.check, on);
    UpdateCountEnabled();
}

void ListPageBase::UpdateCountEnabled() {
    bool on = enable_ != 0 && defaultAllow_ != 0;
    EnableControl(table_.controls.countEdit, on);
    EnableControl(table_.controls.countArrows, on);
}

// Reads the controls before check box `check` acts on its member. When the reading
// stopped before it reached the box, the box is set back to the member (its setting
// stays as it was) and the click has no further effect: false.
bool ListPageBase::ReadControlsForBox(int check, const int32_t& member) {
    if (ReadControls())
        return true;
    bool shown = IsDlgButtonChecked(hwnd(), check) == BST_CHECKED;
    if (shown == (member != 0))
        return true;
    CheckDlgButton(hwnd(), check, member != 0 ? BST_CHECKED : BST_UNCHECKED);
    return false;
}

void ListPageBase::FillList() {
    SetVirtualRowCount(ListView(), RowCount());
}

void ListPageBase::OnFilterSwitch() {
    if (!ReadControlsForBox(table_.controls.enableCheck, enable_))
        return;
    UpdateEnabledControls();
    FilterConfig.*table_.enableFlag = enable_;
    MarkConfigModified();
}

void ListPageBase::OnDefaultSwitch() {
    int check = table_.defaultCheck;
    if (!ReadControlsForBox(check, defaultAllow_))
        return;
    FilterConfig.*table_.defaultFlag = defaultAllow_;
    MarkConfigModified();
    UpdateCountEnabled();
    ShowHelpTip(hwnd(), check, table_.help);
}

bool ListPageBase::OnOption(int check) {
    for (size_t i = 0; i < table_.options.size(); ++i) {
        const ListPageOption& option = table_.options[i];
        if (option.check != check)
            continue;
        if (ReadControlsForBox(check, optionValues_[i])) {
            FilterConfig.*option.setting = optionValues_[i];
            MarkConfigModified();
            ShowHelpTip(hwnd(), check, option.help);
        }
        return true;
    }
    return false;
}

void ListPageBase::OnAdd() {
    ReadControls();
    RunAddDialog();
}

void ListPageBase::RemoveSelected() {
    DeleteSelectedRows();
    MarkConfigModified();
}

void ListPageBase::EditFirstSelected() {
    HWND list = ListView();
    std::vector<int> selected = SelectedListRows(list);
    if (selected.empty())
        return;
    int index = selected.front();
    if (static_cast<size_t>(index) >= RowCount())
        return;
    LPARAM row = RowData(static_cast<size_t>(index));
    if (row == 0)
        return;
    RunEditDialogOn(row);
    // The cells show the row as it is now.
    RedrawListRow(list, index);
    MarkConfigModified();
}
