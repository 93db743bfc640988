// The console's main window: menu bar, toolbar and status bar around a 1 x 2 splitter
// with the navigation bar on the left and the page shown on the right; the commands
// that apply, save and load the configuration; help; and the close prompt.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>

#include "console/pages/page_view.h"
#include "console/shell/tollbrook_doc.h"
#include "console/widgets/dock_toolbar.h"
#include "console/framework/framework_frame.h"
#include "console/widgets/menu_bar.h"
#include "console/widgets/outlook_bar.h"
#include "console/widgets/splitter.h"
#include "console/widgets/status_bar.h"

struct OutlookBarItemInfo;

// Texts of the frame's messages and questions.
extern const char MSG_APPLIED[];    // "Configuration applied successfully!"
extern const char MSG_SAVE_ERROR[]; // "Save Data error!"
extern const char MSG_FILE_SAVED[]; // "Configuration file saved successfully!"
extern const char MSG_CLOSE_QUESTION[];
extern const char MSG_REMOVE_ITEM_QUESTION[];
extern const char MSG_REMOVE_GROUP_QUESTION[];
// The configuration file dialogs' filter, initial name and extension.
extern const char CONFIG_FILE_FILTER[];
extern const char CONFIG_FILE_INITIAL_NAME[];
extern const char CONFIG_FILE_EXTENSION[];

class CMainFrame : public FrameWindow {
public:
    explicit CMainFrame(CTollbrookDoc* document);
    ~CMainFrame() override;

    // Creates the window titled with the document string's first field.
    bool Create();

    // The page in row 0, column 1 of the splitter.
    PageView* CurrentPage() const { return page_.get(); }
    // Puts a new page of `kind` in place of the one shown (also of the same kind);
    // the old page is told it is hidden, is destroyed and never acts again. False when
    // `kind` names no page or the page could not be created: the old one stays.
    bool ReplacePage(PageKind kind);

    OutlookBar& NavigationBar() { return navigationBar_; }
    DockToolbar& Toolbar() { return toolbar_; }
    StatusBar& StatusBarControl() { return statusBar_; }
    MenuBar& MenuBarControl() { return menuBar_; }
    Splitter& SplitterWindow() { return splitter_; }
    HIMAGELIST LargeImages() const { return largeImages_; }
    HIMAGELIST SmallImages() const { return smallImages_; }

    // The answer of the frame to the navigation bar's notification.
    LRESULT OnNavigationNotify(UINT code, const OutlookBarItemInfo* info);

protected:
    void PreCreateWindow(DWORD& style, DWORD& exStyle) override;
    bool OnCreateClient() override;
    int OnCreate() override;
    bool OnCommand(UINT id, UINT code, HWND control) override;
    void OnClose() override;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;

private:
    bool CreateNavigationBar();
    void OnApply();
    void OnSaveAs();
    void OnLoad();
    void OnHistory();
    void SwitchPaneFocus();
    // After the frame itself has shown a page (a load, Show Entry), the bar marks that
    // page's item, as a click on it would have.
    void MarkShownPageInBar();

    CTollbrookDoc* document_;
    OutlookBar navigationBar_;
    HIMAGELIST largeImages_ = nullptr;
    HIMAGELIST smallImages_ = nullptr;
    Splitter splitter_;
    StatusBar statusBar_;
    DockToolbar toolbar_;
    MenuBar menuBar_;
    std::unique_ptr<PageView> page_;
    std::string loadedFrom_; // the configuration file loaded last (UTF-8), for the events
};
