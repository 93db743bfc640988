#include "platform/message_box.h"

#include <string>

// The real box, from the platform adapter (platform/win32) or a test build's stand-in.
int PlatformShowMessageBox(const char *text, const char *caption, uint32_t style);

namespace {
MessageBoxHook g_hook = nullptr;
std::string g_appCaption;
} // namespace

int ShowMessageBox(const char *text, const char *caption, uint32_t style) {
    if (caption == nullptr)
        caption = g_appCaption.c_str();
    if (text == nullptr)
        text = "";
    if (g_hook != nullptr)
        return g_hook(text, caption, style);
    return PlatformShowMessageBox(text, caption, style);
}

void SetAppCaption(const char *caption) { g_appCaption = caption != nullptr ? caption : ""; }

const char *GetAppCaption() { return g_appCaption.c_str(); }

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook previous = g_hook;
    g_hook = hook;
    return previous;
}
