#include "console/shell/main_frame.h"

#include <commdlg.h>

#include <string>

#include "config/audit_only_setting.h"
#include "config/config_model.h"
#include "config/persistence.h"
#include "console/shell/config_apply.h"
#include "console/shell/config_history_dialog.h"
#include "console/shell/page_factory.h"
#include "console/res/resource.h"
#include "console/shell/help_file.h"
#include "console/shell/lockout_guard.h"
#include "console/shell/navigation.h"
#include "console/tools/logon_report_file.h"
#include "console/tools/impact_preview_dialog.h"
#include "console/tools/server_farm_dialog.h"
#include "console/tools/test_client_dialog.h"
#include "console/framework/framework_app.h"
#include "console/framework/framework_file_dialog.h"
#include "console/widgets/widget_common.h"
#include "platform/codepage.h"
#include "platform/message_box.h"

const char MSG_APPLIED[] = "Configuration applied successfully!";
const char MSG_SAVE_ERROR[] = "Save Data error!";
const char MSG_FILE_SAVED[] = "Configuration file saved successfully!";
const char MSG_CLOSE_QUESTION[] = "The configuration was changed. Do you want to save it?";
const char MSG_REMOVE_ITEM_QUESTION[] = "Are you sure you want to remove this folder shortcut?";
const char MSG_REMOVE_GROUP_QUESTION[] = "Are you sure you want to remove the specified folder?";
const char CONFIG_FILE_FILTER[] = "Keymoor (*.WTS)|*.WTS|";
const char CONFIG_FILE_INITIAL_NAME[] = "*.WTS";
const char CONFIG_FILE_EXTENSION[] = "WTS";

namespace {
// The longest configuration file path handed to the store.
const size_t CONFIG_PATH_SIZE = 512;

BarSide ToBarSide(DockSide side) {
    switch (side) {
    case DOCK_BOTTOM:
        return BarSide::Bottom;
    case DOCK_LEFT:
        return BarSide::Left;
    case DOCK_RIGHT:
        return BarSide::Right;
    default:
        return BarSide::Top;
    }
}

// The main window's title: the first field of the document string.
std::string DocumentTitle() {
    char text[256] = {};
    LoadStringA(ResourceInstance(), IDR_MAINFRAME, text, sizeof(text));
    std::string title = text;
    size_t end = title.find('\n');
    if (end != std::string::npos)
        title.resize(end);
    return title.empty() ? std::string("Quillon") : title;
}

// The navigation images at `size` pixels: each icon's image of that size, or the next
// larger one the resource has (16, 32, 48) drawn down to it, so a scaled size is never
// blown up from a smaller picture.
HIMAGELIST MakeNavigationImages(int size) {
    HIMAGELIST list = ImageList_Create(size, size, ILC_COLOR16 | ILC_MASK, 2, 1);
    if (list == nullptr)
        return nullptr;
    int source = size <= 16 ? 16 : size <= 32 ? 32 : 48;
    for (UINT icon : NAVIGATION_ICONS) {
        HICON image = static_cast<HICON>(LoadImageA(ResourceInstance(), MAKEINTRESOURCEA(icon),
                                                    IMAGE_ICON, source, source, LR_DEFAULTCOLOR));
        ImageList_AddIcon(list, image);
        if (image != nullptr)
            DestroyIcon(image);
    }
    return list;
}
} // namespace

CMainFrame::CMainFrame(CTollbrookDoc* document) : document_(document) {}

CMainFrame::~CMainFrame() {
    page_.reset();
    if (hwnd() != nullptr)
        DestroyWindow(hwnd());
    if (largeImages_ != nullptr)
        ImageList_Destroy(largeImages_);
    if (smallImages_ != nullptr)
        ImageList_Destroy(smallImages_);
}

bool CMainFrame::Create() {
    return FrameWindow::Create(DocumentTitle().c_str(), IDR_MAINFRAME);
}

void CMainFrame::PreCreateWindow(DWORD& style, DWORD&) {
    // The title is the application's alone; no document name is added to it.
    style |= WS_CLIPCHILDREN;
}

bool CMainFrame::OnCreateClient() {
    if (!splitter_.CreateStatic(hwnd(), 1, 2, ID_FIRST_PANE))
        return false;
    SetClientView(splitter_.hwnd());

    std::unique_ptr<PageView> first = MakePage(PageKind::IpAddress);
    PageView* created = first.get();
    HWND view = splitter_.CreateView(0, 1, [created](HWND parent, UINT id) -> HWND {
        return created->Create(parent, id) ? created->hwnd() : nullptr;
    });
    if (view == nullptr)
        return false;
    page_ = std::move(first);
    page_->SetShown(true);
    SetDialogNavigationWindow(page_->hwnd());

    if (!CreateNavigationBar())
        return false;

    RECT client = {};
    GetClientRect(hwnd(), &client);
    int width = client.right - client.left;
    splitter_.SetColumnInfo(0, width / 6, 0);
    splitter_.SetColumnInfo(1, width / 3, 0);
    splitter_.RecalcLayout();
    return true;
}

bool CMainFrame::CreateNavigationBar() {
    // No editing options: the bar's menu offers no removing or renaming.
    if (!navigationBar_.Create(WS_EX_STATICEDGE, splitter_.hwnd(), Splitter::PaneId(0, 0), hwnd(),
                               0))
        return false;
    largeImages_ = MakeNavigationImages(ScaleForDpi(32));
    smallImages_ = MakeNavigationImages(ScaleForDpi(16));
    navigationBar_.SetImageList(largeImages_, OUTLOOK_LARGE_ICONS);
    navigationBar_.SetImageList(smallImages_, OUTLOOK_SMALL_ICONS);
    for (const char* group : NAVIGATION_GROUPS)
        navigationBar_.AddGroup(group);
    for (const NavigationItem& item : NAVIGATION_ITEMS)
        navigationBar_.AddItem(item.group, item.index, item.text, item.image);
    navigationBar_.OpenGroup(0);
    // The keyboard starts on the item of the page shown first.
    navigationBar_.SetFocusItem(0, 0);
    return true;
}

int CMainFrame::OnCreate() {
    FilterConfig.modified = 0;

    HINSTANCE resources = ResourceInstance();
    if (!menuBar_.Create(hwnd(), ID_MENU_BAR) ||
        !menuBar_.LoadMenuResource(resources, IDR_MAINFRAME))
        return -1;
    if (!toolbar_.Create(hwnd(), ID_TOOL_BAR) ||
        !toolbar_.LoadToolbarResource(resources, IDR_MAINFRAME))
        return -1;
    const UINT indicators[] = {ID_INDICATOR_SEPARATOR, ID_INDICATOR_CAPS, ID_INDICATOR_NUM,
                               ID_INDICATOR_SCRL};
    if (!statusBar_.Create(hwnd(), ID_STATUS_BAR, indicators, 4, resources))
        return -1;
    menuBar_.SetPromptBar(&statusBar_);
    // The menu items of the toolbar's commands show the toolbar's pictures.
    menuBar_.UseToolbarImages(toolbar_);
    toolbar_.SetPromptBar(&statusBar_);

    toolbar_.EnableDocking(DOCK_ANY);
    toolbar_.DockTo(DOCK_TOP);

    AddBar(menuBar_.hwnd(), BarSide::Top, [this](int width) { return menuBar_.CalcHeight(width); });
    AddBar(
        toolbar_.hwnd(), BarSide::Top, [this](int) { return toolbar_.CalcThickness(); },
        [this]() { return ToBarSide(toolbar_.Side()); });
    AddBar(statusBar_.hwnd(), BarSide::Bottom,
           [this](int width) { return statusBar_.CalcHeight(width); });

    page_->OnInitialUpdate();
    // Alt, Alt+letter and F10 reach the menu bar from any window of the frame.
    AddKeyFilter([this](MSG* msg) { return menuBar_.PreTranslateKey(msg); });
    return 0;
}

bool CMainFrame::ReplacePage(PageKind kind) {
    std::unique_ptr<PageView> next = MakePage(kind);
    if (next == nullptr)
        return false;
    PageView* created = next.get();
    HWND previous = nullptr;
    HWND view = splitter_.ReplacePaneView(
        0, 1,
        [created](HWND parent, UINT id) -> HWND {
            return created->Create(parent, id) ? created->hwnd() : nullptr;
        },
        &previous);
    if (view == nullptr)
        return false;
    std::unique_ptr<PageView> old = std::move(page_);
    if (old != nullptr)
        old->SetShown(false);
    page_ = std::move(next);
    page_->SetShown(true);
    SetDialogNavigationWindow(page_->hwnd());
    page_->OnInitialUpdate();
    // The replaced page is gone for good: nothing of it can touch FilterConfig again.
    if (old != nullptr)
        old->Destroy();
    FocusFirstControl();
    return true;
}

LRESULT CMainFrame::OnNavigationNotify(UINT code, const OutlookBarItemInfo* info) {
    switch (code) {
    case OBN_ITEM_CLICKED: {
        if (info == nullptr)
            return 1;
        PageKind kind;
        if (!ChoosePageForItem(info->index, info->text, &kind))
            return 1;
        if (page_ != nullptr && page_->Kind() == kind)
            return 1;
        ReplacePage(kind);
        return 1;
    }
    case OBN_REMOVE_ITEM:
    case OBN_REMOVE_GROUP: {
        if (!IsWindowVisible(navigationBar_.hwnd()))
            return 1;
        const char* question =
            code == OBN_REMOVE_ITEM ? MSG_REMOVE_ITEM_QUESTION : MSG_REMOVE_GROUP_QUESTION;
        return ShowMessageBox(question, nullptr, BOX_YESNO | BOX_ICONWARNING) == ANSWER_NO ? 0 : 1;
    }
    default:
        return 1;
    }
}

bool CMainFrame::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == OUTLOOK_BAR_NOTIFY) {
        result = OnNavigationNotify(static_cast<UINT>(wParam),
                                    reinterpret_cast<const OutlookBarItemInfo*>(lParam));
        return true;
    }
    if (message == WM_INITMENUPOPUP) {
        // The View menu ticks the bars that are shown.
        HMENU popup = reinterpret_cast<HMENU>(wParam);
        CheckMenuItem(popup, ID_VIEW_TOOLBAR,
                      MF_BYCOMMAND | (IsBarVisible(toolbar_.hwnd()) ? MF_CHECKED : MF_UNCHECKED));
        CheckMenuItem(popup, ID_VIEW_STATUS_BAR,
                      MF_BYCOMMAND | (IsBarVisible(statusBar_.hwnd()) ? MF_CHECKED : MF_UNCHECKED));
        result = 0;
        return true;
    }
    return false;
}

bool CMainFrame::OnCommand(UINT id, UINT, HWND control) {
    if (control != nullptr && control != toolbar_.ButtonsWindow() && control != toolbar_.hwnd())
        return false;
    switch (id) {
    case ID_APPLY_CONFIG:
        OnApply();
        return true;
    case ID_SAVE_CONFIG:
        OnSaveAs();
        return true;
    case ID_LOAD_CONFIG:
        OnLoad();
        return true;
    case ID_FILE_HISTORY:
        OnHistory();
        return true;
    case ID_TOOLS_TEST_CLIENT: {
        TestClientDialog dialog(FilterConfig, AuditOnlyMaskFrom(AuditOnlySettingValue));
        const DecisionPlace& place = dialog.ShownPlace();
        // "Show Entry": a fresh page of the filter, on the entry that decided.
        if (dialog.DoModal(hwnd()) == IDC_TEST_SHOW_ENTRY && place.onPage &&
            ReplacePage(PageOfFilter(place.filter))) {
            MarkShownPageInBar();
            page_->ShowEntry(place.entry);
        }
        return true;
    }
    case ID_HELP_FILE:
        OpenHelpFile(hwnd());
        return true;
    case ID_HELP_TOPIC:
        OpenHelpTopic(hwnd(), page_ != nullptr ? HelpTopicOf(page_->Kind()) : nullptr);
        return true;
    case ID_NEXT_PAGE:
    case ID_PREV_PAGE:
        navigationBar_.ClickNeighbourItem(id == ID_NEXT_PAGE ? 1 : -1);
        return true;
    case ID_TOOLS_LOGON_REPORT:
        ShowLogonReport(hwnd());
        return true;
    case ID_TOOLS_PREVIEW_IMPACT: {
        ImpactPreviewDialog dialog(FilterConfig);
        const DecisionPlace& place = dialog.ShownPlace();
        if (dialog.DoModal(hwnd()) == IDC_IMPACT_SHOW_ENTRY && place.onPage &&
            ReplacePage(PageOfFilter(place.filter)))
            page_->ShowEntry(place.entry);
        return true;
    }
    case ID_TOOLS_COMPARE_SERVERS:
    case ID_TOOLS_APPLY_TO_SERVERS:
        ServerFarmDialog(FilterConfig, id == ID_TOOLS_APPLY_TO_SERVERS
                                           ? ServerFarmDialog::Mode::APPLY
                                           : ServerFarmDialog::Mode::COMPARE)
            .DoModal(hwnd());
        return true;
    case ID_APP_EXIT:
        PostMessageA(hwnd(), WM_CLOSE, 0, 0);
        return true;
    case ID_VIEW_TOOLBAR:
        ShowBar(toolbar_.hwnd(), !IsBarVisible(toolbar_.hwnd()));
        return true;
    case ID_VIEW_STATUS_BAR:
        ShowBar(statusBar_.hwnd(), !IsBarVisible(statusBar_.hwnd()));
        return true;
    case ID_NEXT_PANE:
    case ID_PREV_PANE:
        SwitchPaneFocus();
        return true;
    case ID_APP_ABOUT: {
        AppObject* app = AppObject::Current();
        return app != nullptr && app->OnAppCommand(id);
    }
    default:
        return false;
    }
}

void CMainFrame::SwitchPaneFocus() {
    HWND focus = GetFocus();
    HWND navigation = navigationBar_.hwnd();
    HWND page = page_ != nullptr ? page_->hwnd() : nullptr;
    bool inNavigation =
        focus == navigation || (navigation != nullptr && IsChild(navigation, focus));
    SetFocus(inNavigation ? page : navigation);
}

void CMainFrame::OnApply() {
    // A No leaves the configuration unwritten and still changed, to be mended.
    if (!ConfirmNoLockout(FilterConfig, AuditOnlyMaskFrom(AuditOnlySettingValue)))
        return;
    if (ApplyConfigAndReport(loadedFrom_) == 0)
        ShowMessageBox(MSG_APPLIED, nullptr, BOX_OK);
    else
        ShowMessageBox(MSG_SAVE_ERROR, nullptr, BOX_OK);
}

void CMainFrame::OnSaveAs() {
    FileDialogOptions options = {true, CONFIG_FILE_FILTER, CONFIG_FILE_INITIAL_NAME,
                                 CONFIG_FILE_EXTENSION, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};
    char path[CONFIG_PATH_SIZE] = {};
    if (!ChooseFile(hwnd(), options, path, sizeof(path)))
        return;
    if (SaveConfigToFile(path) == 0)
        ShowMessageBox(MSG_FILE_SAVED, nullptr, BOX_OK);
}

void CMainFrame::OnLoad() {
    FileDialogOptions options = {false, CONFIG_FILE_FILTER, CONFIG_FILE_INITIAL_NAME,
                                 CONFIG_FILE_EXTENSION, OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT};
    char path[CONFIG_PATH_SIZE] = {};
    if (!ChooseFile(hwnd(), options, path, sizeof(path)))
        return;
    // A failed load leaves FilterConfig as it was, rows included: the page stays.
    if (LoadConfigFromFile(path) != 0)
        return;
    if (AnsiToUtf8(SystemAnsiCodePage(), path, &loadedFrom_) != CODEPAGE_OK)
        loadedFrom_ = path;
    // A freshly made IP address page shows the loaded configuration.
    if (page_ != nullptr && page_->Kind() == PageKind::IpAddress)
        ReplacePage(PageKind::ComputerName);
    if (ReplacePage(PageKind::IpAddress))
        MarkShownPageInBar();
}

void CMainFrame::MarkShownPageInBar() {
    if (page_ == nullptr)
        return;
    // Items are found as a click chooses their page, so the bar's own order decides.
    for (int group = 0; group < navigationBar_.GroupCount(); ++group) {
        for (int item = 0; item < navigationBar_.ItemCount(group); ++item) {
            PageKind kind;
            if (ChoosePageForItem(item, navigationBar_.ItemText(group, item).c_str(), &kind) &&
                kind == page_->Kind()) {
                navigationBar_.SelectItem(group, item);
                return;
            }
        }
    }
    navigationBar_.SelectItem(-1, -1);
}

// Restore loads a generation as a file load does: the administrator then applies it.
void CMainFrame::OnHistory() {
    ConfigHistoryDialog dialog(FilterConfig);
    if (dialog.DoModal(hwnd()) != IDC_HISTORY_RESTORE || !dialog.RestoreChosen())
        return;
    loadedFrom_ = dialog.ChosenName();
    if (page_ != nullptr && page_->Kind() == PageKind::IpAddress)
        ReplacePage(PageKind::ComputerName);
    ReplacePage(PageKind::IpAddress);
}

void CMainFrame::OnClose() {
    if (FilterConfig.modified == 1 &&
        ShowMessageBox(MSG_CLOSE_QUESTION, nullptr, BOX_YESNO) == ANSWER_YES) {
        // A No to the lockout question writes nothing and keeps the console open, so
        // the rule can be mended.
        if (!ConfirmNoLockout(FilterConfig, AuditOnlyMaskFrom(AuditOnlySettingValue)))
            return;
        if (ApplyConfigAndReport(loadedFrom_) != 0) {
            ShowMessageBox(MSG_SAVE_ERROR, nullptr, BOX_OK);
            // Closing now would lose every edit: only an explicit Yes does that. No
            // keeps the console open with the configuration still changed.
            std::string question =
                LoadResourceString(ResourceInstance(), IDS_CLOSE_UNSAVED_QUESTION);
            if (ShowMessageBox(question.c_str(), nullptr, BOX_YESNO | BOX_DEFBUTTON2) != ANSWER_YES)
                return;
        }
    }
    DestroyWindow(hwnd());
}
