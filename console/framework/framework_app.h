// The application object: one per process. It owns the message loop, the settings key
// under HKEY_CURRENT_USER, and the main window the loop serves. A program derives from
// AppObject, overrides InitInstance and hands the object to RunApplication.
#pragma once

#include <windows.h>

#include <string>

// What the message loop asks of the main window before it dispatches a message: the
// frame derives from it, so the application object needs to know no frame.
class MessageFilter {
public:
    // True when the message was handled (an accelerator, say) and is not dispatched.
    virtual bool PreTranslateMessage(MSG* msg) = 0;

protected:
    ~MessageFilter() = default;
};

class AppObject {
public:
    AppObject();
    virtual ~AppObject();
    AppObject(const AppObject&) = delete;
    AppObject& operator=(const AppObject&) = delete;

    // The one live application object, or null.
    static AppObject* Current();

    // Builds the program's windows; false ends the process without a message loop.
    virtual bool InitInstance() = 0;
    // Commands no window handled (the About box lives here).
    virtual bool OnAppCommand(UINT id);

    HINSTANCE Instance() const { return instance_; }
    void SetInstance(HINSTANCE instance) { instance_ = instance; }
    const char* CommandLine() const { return commandLine_.c_str(); }
    void SetCommandLine(const char* text) { commandLine_ = text != nullptr ? text : ""; }

    MessageFilter* MainWindow() const { return mainWindow_; }
    void SetMainWindow(MessageFilter* frame) { mainWindow_ = frame; }

    // Loads the standard common controls; our stand-in for the old framework's
    // control-container and three-dimensional-controls switches.
    static void EnableStandardControls();

    // Settings: HKCU\Software\<key>\<profile>. The profile name is the application title.
    void SetRegistryKey(const char* key);
    void SetProfileName(const char* name) { profileName_ = name != nullptr ? name : ""; }
    // Makes sure the standard settings section ("Settings") exists, as the old
    // framework's profile loading left it; the console reads none of its values (it
    // keeps no recent-file list). False when the key cannot be opened.
    bool CreateStdSettingsKey();
    const std::string& RegistryKey() const { return registryKey_; }

    // The message loop; returns the exit code of WM_QUIT.
    int Run();

private:
    HINSTANCE instance_ = nullptr;
    std::string commandLine_;
    MessageFilter* mainWindow_ = nullptr;
    std::string registryKey_;
    std::string profileName_;
};

// InitInstance, then the message loop when it succeeded, with the thread a COM apartment
// (see ComApartment). Returns the process exit code.
int RunApplication(AppObject& app, HINSTANCE instance, const char* commandLine);

// The process's resource module: the one module that carries the program's resources
// (the executable, or a test program that links the same resource script).
HINSTANCE ResourceInstance();
