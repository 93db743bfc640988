// The console's application object: checks that its user is an administrator, loads
// the configuration from the registry and creates the document and the main frame.
#pragma once

#include <memory>

#include "console/shell/main_frame.h"
#include "console/shell/tollbrook_doc.h"
#include "console/framework/framework_app.h"
#include "console/framework/framework_dialog.h"

extern const char MSG_NOT_ENOUGH_RIGHTS[]; // "You did not have enough rights to run this program!"
extern const char SETTINGS_REGISTRY_KEY[]; // "Local AppWizard-Generated Applications"

class CTollbrookApp : public AppObject {
public:
    CTollbrookApp();
    ~CTollbrookApp() override;

    bool InitInstance() override;
    bool OnAppCommand(UINT id) override;

    CMainFrame* Frame() const { return frame_.get(); }
    CTollbrookDoc* Document() const { return document_.get(); }

private:
    std::unique_ptr<CTollbrookDoc> document_;
    std::unique_ptr<CMainFrame> frame_;
};

// The About box: the program's icon, "Quillon Version 2.0" and OK.
class AboutDialog : public ModalDialog {
public:
    AboutDialog();
};
