#include "platform/message_box.h"

#include <string>

#include "platform/message_box_adapter.h"

namespace {
MessageBoxHook g_hook = nullptr;
std::string g_appCaption;
} // namespace

int ShowMessageBox(const char* text, const char* caption, uint32_t style) {
    if (caption == nullptr)
        caption = g_appCaption.c_str();
    if (text == nullptr)
        text = "";
    if (g_hook != nullptr)
        return g_hook(text, caption, style);
    return PlatformShowMessageBox(text, caption, style);
}

void SetAppCaption(const char* caption) {
    g_appCaption = caption != nullptr ? caption : "";
}

const char* GetAppCaption() {
    return g_appCaption.c_str();
}

MessageBoxHook SetMessageBoxHook(MessageBoxHook hook) {
    MessageBoxHook previous = g_hook;
    g_hook = hook;
    return previous;
}
