// Event log adapter: RegisterEventSourceW, ReportEventW, DeregisterEventSource
// (advapi32, present since Windows 2000), and the two lookups the events name.
#include <windows.h>

#include <memory>

#include "platform/event_log.h"
#include "platform/win32/text_win32.h"

namespace {

// Owns a handle from RegisterEventSourceW.
class EventSource {
public:
    EventSource() : handle_(RegisterEventSourceW(nullptr, L"Gatewell")) {}
    ~EventSource() {
        if (handle_ != nullptr)
            DeregisterEventSource(handle_);
    }
    EventSource(const EventSource&) = delete;
    EventSource& operator=(const EventSource&) = delete;
    HANDLE get() const { return handle_; }

private:
    HANDLE handle_;
};

} // namespace

int ReportAppEvent(EventLogType type, uint32_t id, const std::vector<std::string>& inserts) {
    try {
        EventSource source;
        if (source.get() == nullptr)
            return -1;
        std::vector<std::wstring> wide;
        wide.reserve(inserts.size());
        for (const std::string& insert : inserts)
            wide.push_back(WidenUtf8(insert.c_str()));
        std::vector<LPCWSTR> strings;
        for (const std::wstring& text : wide)
            strings.push_back(text.c_str());
        BOOL reported = ReportEventW(source.get(), static_cast<WORD>(type), 0, id, nullptr,
                                     static_cast<WORD>(strings.size()), 0,
                                     strings.empty() ? nullptr : strings.data(), nullptr);
        return reported ? 0 : -1;
    } catch (...) {
        return -1;
    }
}

std::string CurrentAccountName() {
    try {
        HANDLE token = nullptr;
        if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token))
            return "";
        std::unique_ptr<void, decltype(&CloseHandle)> owned(token, CloseHandle);
        DWORD size = 0;
        GetTokenInformation(token, TokenUser, nullptr, 0, &size);
        if (size == 0)
            return "";
        std::vector<BYTE> buffer(size);
        if (!GetTokenInformation(token, TokenUser, buffer.data(), size, &size))
            return "";
        PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
        wchar_t name[257] = {};
        wchar_t domain[257] = {};
        DWORD nameSize = 256, domainSize = 256;
        SID_NAME_USE use;
        if (!LookupAccountSidW(nullptr, sid, name, &nameSize, domain, &domainSize, &use))
            return "";
        std::string account = NarrowToUtf8(domain);
        if (!account.empty())
            account += "\\";
        return account + NarrowToUtf8(name);
    } catch (...) {
        return "";
    }
}

std::string WindowsErrorText(uint32_t error) {
    try {
        wchar_t text[512] = {};
        DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                      nullptr, error, 0, text, 511, nullptr);
        while (length > 0 &&
               (text[length - 1] == L'\r' || text[length - 1] == L'\n' || text[length - 1] == L' '))
            text[--length] = L'\0';
        return NarrowToUtf8(text);
    } catch (...) {
        return "";
    }
}
