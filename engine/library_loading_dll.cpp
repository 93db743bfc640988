// gatewell.dll's loading step and its attach code. DllMain only notes the module:
// starting sockets, reading the registry and showing message boxes are unsafe under
// the loader lock, so the loading steps run at the first call of an export
// (EnsureLibraryLoaded).
#include <windows.h>

#include <cstring>

#include "config/audit_only_setting.h"
#include "config/event_log_setting.h"
#include "config/persistence.h"
#include "engine/library_loading.h"
#include "engine/session_events.h"
#include "platform/message_box.h"
#include "platform/network.h"

namespace {
HMODULE g_module = nullptr;

// The caption of the library's own boxes: the module's file name without folder or
// extension, as an application object without a title resource would show it.
void SetCaptionFromModule() {
    char path[MAX_PATH] = {};
    if (GetModuleFileNameA(g_module, path, sizeof path - 1) == 0) {
        SetAppCaption("gatewell");
        return;
    }
    const char* name = path;
    for (const char* p = path; *p != '\0'; ++p) {
        if (*p == '\\' || *p == '/')
            name = p + 1;
    }
    char caption[MAX_PATH] = {};
    size_t length = strnlen(name, sizeof caption - 1);
    memcpy(caption, name, length);
    char* dot = strrchr(caption, '.');
    if (dot != nullptr)
        *dot = '\0';
    SetAppCaption(caption);
}
} // namespace

void LoadLibraryOnce() {
    SetCaptionFromModule();
    uint8_t major = 0, minor = 0;
    if (NetStartup(2, 2, &major, &minor) == 0 && (major != 2 || minor != 2))
        NetCleanup();
    // A configuration that cannot be read leaves every filter off; the store shows
    // its own messages. The event log setting comes first, so that "none" silences the
    // report of an unreadable configuration too.
    LoadEventLogSetting();
    LoadAuditOnlySetting();
    if (LoadConfigFromRegistry() != 0)
        ReportConfigUnreadable();
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID);

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    if (reason == DLL_PROCESS_ATTACH)
        g_module = instance;
    return TRUE;
}
