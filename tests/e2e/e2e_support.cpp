#include "tests/e2e/e2e_support.h"

#include "config/config_mapping.h"
#include "config/config_model.h"
#include "config/container.h"
#include "config/persistence.h"

#include <cstdio>
#include <cstring>

namespace {

// Dialog boxes, message boxes included, have this window class.
const char DIALOG_CLASS[] = "#32770";

// The message box's text control; Static children are searched when it is absent.
const int MESSAGE_TEXT_ID = 0xFFFF;

void DeleteFolderFiles(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE h = FindFirstFileA((dir + "*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
            DeleteFileA((dir + found.cFileName).c_str());
    } while (FindNextFileA(h, &found));
    FindClose(h);
}

// The environment of this process with the variables in `set` replaced or added; a
// double-NUL-terminated block for CreateProcessA.
std::string EnvironmentBlock(const std::vector<std::pair<std::string, std::string>>& set) {
    std::string block;
    LPCH env = GetEnvironmentStringsA();
    for (LPCH p = env; p && *p; p += std::strlen(p) + 1) {
        std::string entry = p;
        bool replaced = false;
        for (const auto& kv : set) {
            std::string prefix = kv.first + "=";
            if (_strnicmp(entry.c_str(), prefix.c_str(), prefix.size()) == 0)
                replaced = true;
        }
        if (!replaced) {
            block += entry;
            block.push_back('\0');
        }
    }
    if (env)
        FreeEnvironmentStringsA(env);
    for (const auto& kv : set) {
        block += kv.first + "=" + kv.second;
        block.push_back('\0');
    }
    block.push_back('\0');
    return block;
}

std::string QuoteArgument(const std::string& arg) {
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string quoted = "\"";
    for (char c : arg) {
        if (c == '"')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

struct FindBox {
    std::string caption;
    HWND found;
};

BOOL CALLBACK FindBoxProc(HWND window, LPARAM param) {
    FindBox* find = reinterpret_cast<FindBox*>(param);
    char cls[64] = {0};
    char text[1024] = {0};
    GetClassNameA(window, cls, sizeof cls);
    if (std::strcmp(cls, DIALOG_CLASS) != 0 || !IsWindowVisible(window))
        return TRUE;
    GetWindowTextA(window, text, sizeof text);
    if (find->caption == text) {
        find->found = window;
        return FALSE;
    }
    return TRUE;
}

std::string WindowText(HWND window) {
    char text[2048] = {0};
    DWORD_PTR copied = 0;
    // Another process's window: ask it, but never hang on a stuck one.
    if (!SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text),
                             SMTO_ABORTIFHUNG, 5000, &copied))
        GetWindowTextA(window, text, sizeof text);
    return text;
}

BOOL CALLBACK FindStaticTextProc(HWND child, LPARAM param) {
    char cls[32] = {0};
    GetClassNameA(child, cls, sizeof cls);
    if (_stricmp(cls, "Static") != 0)
        return TRUE;
    std::string text = WindowText(child);
    if (text.empty())
        return TRUE;
    *reinterpret_cast<std::string*>(param) = text;
    return FALSE;
}

// The stand-ins beside gw_host.exe replace Wine's built-in libraries for that program
// only (the test program keeps the built-in ones). Wine reads WINEDLLOVERRIDES from
// the environment it was started with, not from a child's environment block, so the
// per-program override in the prefix's registry is used instead.
bool UseStandInsForHost() {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Wine\\AppDefaults\\gw_host.exe\\DllOverrides",
                        0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return false;
    static const char NATIVE[] = "native";
    bool ok = RegSetValueExA(key, "wtsapi32", 0, REG_SZ, reinterpret_cast<const BYTE*>(NATIVE),
                             sizeof NATIVE) == ERROR_SUCCESS &&
              RegSetValueExA(key, "iphlpapi", 0, REG_SZ, reinterpret_cast<const BYTE*>(NATIVE),
                             sizeof NATIVE) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

} // namespace

std::string BinDir() {
    char path[MAX_PATH] = {0};
    DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    std::string dir(path, n);
    return dir.substr(0, dir.find_last_of("\\/") + 1);
}

std::string FreshWorkDir(const std::string& name) {
    std::string root = BinDir() + "work\\";
    CreateDirectoryA(root.c_str(), nullptr);
    std::string dir = root + name + "\\";
    CreateDirectoryA(dir.c_str(), nullptr);
    DeleteFolderFiles(dir);
    return dir;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    bool ok = std::fwrite(text.data(), 1, text.size(), f) == text.size();
    return std::fclose(f) == 0 && ok;
}

std::string ReadTextFile(const std::string& path, bool* exists) {
    if (exists)
        *exists = false;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::string();
    if (exists)
        *exists = true;
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    return text;
}

bool FileExists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

uint32_t ConsoleSessionId() {
    typedef DWORD(WINAPI * ConsoleIdFn)();
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    ConsoleIdFn fn = reinterpret_cast<ConsoleIdFn>(
        reinterpret_cast<void (*)()>(GetProcAddress(kernel, "WTSGetActiveConsoleSessionId")));
    return fn ? fn() : 0;
}

std::string ScenarioText(uint32_t self, const std::vector<SessionSpec>& sessions,
                         const std::vector<std::string>& arpLines, const std::string& recordPath) {
    std::string text = "self " + std::to_string(self) + "\n";
    if (!recordPath.empty())
        text += "record \"" + recordPath + "\"\n";
    for (const SessionSpec& s : sessions) {
        text += "session " + std::to_string(s.id) + " state=" + std::to_string(s.state) +
                " winstation=\"" + s.winStation + "\" client=\"" + s.client +
                "\" address=" + s.address + " user=\"" + s.user + "\" domain=\"" + s.domain +
                "\" build=" + std::to_string(s.build) + " display=" + s.display;
        if (!s.extra.empty())
            text += " " + s.extra;
        text += "\n";
    }
    for (const std::string& arp : arpLines)
        text += "arp " + arp + "\n";
    return text;
}

void LoadDefaultConfigIntoMemory() {
    ResetFilterConfig();
    uint8_t* blob = nullptr;
    size_t length = 0;
    ParamPacket* packet = nullptr;
    if (BuildDefaultConfig(&blob, &length) == 0 && DecodePacket(blob, length, &packet) == 0)
        ApplyConfigPacket(packet);
    FreePacket(packet);
    FreeBlob(blob);
}

int StoreConfig() {
    return SaveConfigToRegistry();
}

DWORD HostProcess::Wait(DWORD timeoutMs) {
    if (!process)
        return HOST_TIMED_OUT;
    if (WaitForSingleObject(process, timeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process, HOST_TIMED_OUT);
        WaitForSingleObject(process, 5000);
        return HOST_TIMED_OUT;
    }
    DWORD code = 0;
    GetExitCodeProcess(process, &code);
    return code;
}

bool HostProcess::Running() const {
    return process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

HostProcess::~HostProcess() {
    if (process) {
        if (Running()) {
            TerminateProcess(process, HOST_TIMED_OUT);
            WaitForSingleObject(process, 5000);
        }
        CloseHandle(process);
    }
}

bool StartHost(const std::string& scenarioPath, const std::vector<std::string>& args,
               HostProcess* host) {
    std::string exe = BinDir() + "gw_host.exe";
    std::string command = QuoteArgument(exe);
    for (const std::string& a : args)
        command += " " + QuoteArgument(a);
    if (!UseStandInsForHost())
        return false;
    std::string env = EnvironmentBlock({{"GW_SCENARIO", scenarioPath}});
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    PROCESS_INFORMATION pi;
    std::vector<char> cmd(command.begin(), command.end());
    cmd.push_back('\0');
    std::string dir = BinDir();
    if (!CreateProcessA(exe.c_str(), cmd.data(), nullptr, nullptr, FALSE, 0, &env[0], dir.c_str(),
                        &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    host->process = pi.hProcess;
    host->pid = pi.dwProcessId;
    return true;
}

DWORD RunHost(const std::string& scenarioPath, const std::vector<std::string>& args,
              DWORD timeoutMs) {
    HostProcess host;
    if (!StartHost(scenarioPath, args, &host))
        return HOST_TIMED_OUT;
    return host.Wait(timeoutMs);
}

HostGate::HostGate(const std::string& name)
    : event_(CreateEventA(nullptr, TRUE, FALSE, name.c_str())),
      ready_(CreateSemaphoreA(nullptr, 0, 1000, (name + ".ready").c_str())) {}

HostGate::~HostGate() {
    if (event_) {
        SetEvent(event_); // never leave a host waiting
        CloseHandle(event_);
    }
    if (ready_)
        CloseHandle(ready_);
}

bool HostGate::AwaitHosts(int hosts, DWORD timeoutMs) {
    for (int k = 0; k < hosts; ++k)
        if (WaitForSingleObject(ready_, timeoutMs) != WAIT_OBJECT_0)
            return false;
    return true;
}

DatagramSink::~DatagramSink() {
    if (socket_ != INVALID_SOCKET)
        closesocket(socket_);
}

bool DatagramSink::Open(std::string* error) {
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        *error = "WSAStartup failed";
        return false;
    }
    socket_ = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (socket_ == INVALID_SOCKET) {
        *error = "socket failed";
        return false;
    }
    sockaddr_in address;
    std::memset(&address, 0, sizeof address);
    address.sin_family = AF_INET;
    address.sin_port = htons(555);
    address.sin_addr.s_addr = inet_addr("127.0.0.1");
    // Another Wine suite on this machine may hold the port for a while; wait for it
    // (up to a minute) rather than fail.
    for (int attempt = 0; attempt < 600; ++attempt) {
        if (bind(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            return true;
        Sleep(100);
    }
    *error = "cannot bind 127.0.0.1:555 (error " + std::to_string(WSAGetLastError()) + ")";
    return false;
}

std::vector<std::string> DatagramSink::Drain(int quietMs) {
    std::vector<std::string> datagrams;
    if (socket_ == INVALID_SOCKET)
        return datagrams;
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_, &readable);
        timeval wait = {quietMs / 1000, (quietMs % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0)
            break;
        // Larger than any datagram the library sends, so a longer one shows as such.
        char buf[4096];
        int n = recv(socket_, buf, sizeof buf, 0);
        if (n < 0)
            break;
        datagrams.emplace_back(buf, static_cast<size_t>(n));
    }
    return datagrams;
}

std::string RecordText(const std::string& record, size_t offset, size_t width) {
    if (offset >= record.size())
        return std::string();
    std::string field = record.substr(offset, width);
    return field.substr(0, field.find('\0'));
}

uint32_t RecordU32(const std::string& record, size_t offset) {
    uint32_t v = 0;
    if (offset + 4 <= record.size())
        std::memcpy(&v, record.data() + offset, 4);
    return v;
}

uint16_t RecordU16(const std::string& record, size_t offset) {
    uint16_t v = 0;
    if (offset + 2 <= record.size())
        std::memcpy(&v, record.data() + offset, 2);
    return v;
}

HWND AwaitWindowWithCaption(const std::string& caption, DWORD timeoutMs, const HostProcess& host) {
    DWORD start = GetTickCount();
    for (;;) {
        FindBox find = {caption, nullptr};
        EnumWindows(FindBoxProc, reinterpret_cast<LPARAM>(&find));
        if (find.found)
            return find.found;
        if (!host.Running() || GetTickCount() - start > timeoutMs)
            return nullptr;
        Sleep(25);
    }
}

std::string MessageBoxText(HWND box) {
    HWND text = GetDlgItem(box, MESSAGE_TEXT_ID);
    if (text)
        return WindowText(text);
    std::string found;
    EnumChildWindows(box, FindStaticTextProc, reinterpret_cast<LPARAM>(&found));
    return found;
}

void PressOk(HWND box) {
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

bool AwaitWindowGone(HWND window, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    while (IsWindow(window) && IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs)
            return false;
        Sleep(25);
    }
    return true;
}

std::vector<std::string> LogLines(const std::string& text, bool* wellTerminated) {
    std::vector<std::string> lines;
    *wellTerminated = true;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            *wellTerminated = false;
            lines.push_back(text.substr(start));
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        size_t comma = line.find(',', start);
        fields.push_back(line.substr(start, comma - start));
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return fields;
}

bool LooksLikeTimestamp(const std::string& text) {
    const char* shape = "dddd-dd-dd dd:dd:dd";
    if (text.size() != std::strlen(shape))
        return false;
    for (size_t k = 0; k < text.size(); ++k) {
        bool digit = text[k] >= '0' && text[k] <= '9';
        if (shape[k] == 'd' ? !digit : text[k] != shape[k])
            return false;
    }
    return true;
}

std::vector<std::string> RecordLines(const std::string& path, const std::string& prefix) {
    std::vector<std::string> out;
    std::string text = ReadTextFile(path);
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        std::string line = text.substr(start, end - start);
        if (line.compare(0, prefix.size(), prefix) == 0)
            out.push_back(line);
        if (end == std::string::npos)
            break;
        start = end + 1;
    }
    return out;
}

DWORD RunProgram(const std::string& exe, const std::vector<std::string>& args,
                 const std::string& outputPath, DWORD timeoutMs) {
    std::string command = QuoteArgument(exe);
    for (const std::string& a : args)
        command += " " + QuoteArgument(a);
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE output = CreateFileA(outputPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (output == INVALID_HANDLE_VALUE)
        return HOST_TIMED_OUT;
    STARTUPINFOA si;
    std::memset(&si, 0, sizeof si);
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = output;
    si.hStdError = output;
    PROCESS_INFORMATION pi;
    std::vector<char> cmd(command.begin(), command.end());
    cmd.push_back('\0');
    BOOL started =
        CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi);
    CloseHandle(output);
    if (!started)
        return HOST_TIMED_OUT;
    CloseHandle(pi.hThread);
    HostProcess process;
    process.process = pi.hProcess;
    process.pid = pi.dwProcessId;
    return process.Wait(timeoutMs);
}

// FilterConfig as an enciphered configuration file.
std::string ConfigFileBytes() {
    ParamPacket* packet = BuildConfigPacket(FILE_PARAM_ORDER);
    uint8_t* blob = nullptr;
    size_t length = 0;
    std::string bytes;
    if (packet != nullptr && EncodePacket(packet, &blob, &length) == 0) {
        CryptConfigBlob(blob, length);
        bytes.assign(reinterpret_cast<char*>(blob), length);
    }
    FreeBlob(blob);
    FreePacket(packet);
    return bytes;
}
