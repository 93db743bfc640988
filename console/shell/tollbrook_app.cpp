#include "console/shell/tollbrook_app.h"

#include "config/audit_only_setting.h"
#include "config/event_log_setting.h"
#include "config/persistence.h"
#include "console/res/resource.h"
#include "console/shell/access_check.h"
#include "console/widgets/tip_window.h"
#include "platform/message_box.h"

const char MSG_NOT_ENOUGH_RIGHTS[] = "You did not have enough rights to run this program!";
const char SETTINGS_REGISTRY_KEY[] = "Local AppWizard-Generated Applications";

namespace {
// The help tip: drop shadow painted solid; margins 5 left and right, 3 above and below.
const uint32_t HELP_TIP_STYLE = TIP_STYLE_SHADOW | TIP_STYLE_SHADOW_NO_DITHER;
} // namespace

CTollbrookApp::CTollbrookApp() = default;

CTollbrookApp::~CTollbrookApp() {
    frame_.reset();
    document_.reset();
}

bool CTollbrookApp::InitInstance() {
    char title[64] = {};
    if (LoadStringA(ResourceInstance(), IDS_APP_TITLE, title, sizeof(title)) <= 0)
        lstrcpynA(title, "Quillon", sizeof(title));
    SetAppCaption(title);
    SetProfileName(title);

    EnableStandardControls();

    SetRegistryKey(SETTINGS_REGISTRY_KEY);
    CreateStdSettingsKey();

    if (!CheckAdministratorAccess()) {
        ShowMessageBox(MSG_NOT_ENOUGH_RIGHTS, nullptr, BOX_OK);
        return false;
    }

    SharedHelpTip().SetStyle(HELP_TIP_STYLE);
    SharedHelpTip().SetMargins(5, 3, 5, 3);

    if (LoadConfigFromRegistry() != 0)
        return false;
    LoadEventLogSetting();
    LoadAuditOnlySetting();

    // Single document: a file named on the command line opens only the empty document.
    document_ = std::make_unique<CTollbrookDoc>();
    if (!document_->OnNewDocument())
        return false;
    frame_ = std::make_unique<CMainFrame>(document_.get());
    SetMainWindow(frame_.get());
    if (!frame_->Create()) {
        SetMainWindow(nullptr);
        frame_.reset();
        return false;
    }

    ShowWindow(frame_->hwnd(), SW_SHOWNORMAL);
    UpdateWindow(frame_->hwnd());
    return true;
}

bool CTollbrookApp::OnAppCommand(UINT id) {
    if (id != ID_APP_ABOUT)
        return false;
    AboutDialog about;
    about.DoModal(frame_ != nullptr ? frame_->hwnd() : nullptr);
    return true;
}

AboutDialog::AboutDialog() : ModalDialog(IDD_ABOUTBOX) {}
