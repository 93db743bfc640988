#include "console/framework/framework_app.h"

#include <commctrl.h>

#include "console/widgets/accessible_object.h"

namespace {
AppObject* g_current = nullptr;

// An owned registry key handle.
struct RegKey {
    HKEY key = nullptr;
    ~RegKey() {
        if (key != nullptr)
            RegCloseKey(key);
    }
};
} // namespace

AppObject::AppObject() {
    if (g_current == nullptr)
        g_current = this;
}

AppObject::~AppObject() {
    if (g_current == this)
        g_current = nullptr;
}

AppObject* AppObject::Current() {
    return g_current;
}

bool AppObject::OnAppCommand(UINT) {
    return false;
}

void AppObject::EnableStandardControls() {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC =
        ICC_WIN95_CLASSES | ICC_INTERNET_CLASSES | ICC_STANDARD_CLASSES | ICC_USEREX_CLASSES;
    InitCommonControlsEx(&controls);
}

void AppObject::SetRegistryKey(const char* key) {
    registryKey_ = key != nullptr ? key : "";
}

bool AppObject::CreateStdSettingsKey() {
    if (registryKey_.empty() || profileName_.empty())
        return false;
    std::string path = "Software\\" + registryKey_ + "\\" + profileName_ + "\\Settings";
    RegKey settings;
    return RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                           KEY_READ | KEY_WRITE, nullptr, &settings.key, nullptr) == ERROR_SUCCESS;
}

int AppObject::Run() {
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
        if (mainWindow_ != nullptr && mainWindow_->PreTranslateMessage(&msg))
            continue;
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return static_cast<int>(msg.wParam);
}

int RunApplication(AppObject& app, HINSTANCE instance, const char* commandLine) {
    // The windows hand their accessible objects to screen readers in other processes.
    ComApartment apartment;
    app.SetInstance(instance);
    app.SetCommandLine(commandLine);
    if (!app.InitInstance())
        return 0;
    return app.Run();
}

HINSTANCE ResourceInstance() {
    return GetModuleHandleA(nullptr);
}
