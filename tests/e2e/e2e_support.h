// What the end-to-end tests need around a host run: working folders, scenario files,
// the stored configuration, launching gw_host.exe beside the stand-ins, the UDP
// listener on 127.0.0.1:555, the message box on screen, and the logon log.
#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/config_registry.h"

// ExitProcess(-1) as the parent sees it.
const DWORD EXIT_CODE_MINUS_ONE = 0xFFFFFFFFu;
// RunHost's answer when the host did not end in time (it is then killed).
const DWORD HOST_TIMED_OUT = 0xDEAD0001u;

// Folder holding the test program, gw_host.exe, gatewell.dll and the stand-ins;
// ends with a backslash.
std::string BinDir();

// A fresh, empty working folder for one case under BinDir(); ends with a backslash.
std::string FreshWorkDir(const std::string& name);

bool WriteTextFile(const std::string& path, const std::string& text);
// The whole file; `exists` (optional) says whether it could be opened.
std::string ReadTextFile(const std::string& path, bool* exists = nullptr);
bool FileExists(const std::string& path);
// FilterConfig as an enciphered configuration file (.WTS).
std::string ConfigFileBytes();

// Session id Wine reports for the console ("WTSGetActiveConsoleSessionId").
uint32_t ConsoleSessionId();

// One session of a scenario, written as a "session" statement.
struct SessionSpec {
    uint32_t id = 0;
    int state = 0;
    std::string winStation = "RDP-Tcp#0";
    std::string client = "CLIENT";
    std::string address = "10.0.0.9";
    std::string user = "user";
    std::string domain = "DOMAIN";
    uint32_t build = 2600;
    std::string display = "1024x768x16";
    std::string extra; // further key=value words, e.g. "fail=ClientName"
};

// Scenario text: the calling process in `self`, all `sessions` on the server, an
// ARP table ("a.b.c.d HH-HH-..." lines), and a record file (may be empty).
std::string ScenarioText(uint32_t self, const std::vector<SessionSpec>& sessions,
                         const std::vector<std::string>& arpLines, const std::string& recordPath);

// FilterConfig reset to the default configuration (every filter off).
void LoadDefaultConfigIntoMemory();
// Writes FilterConfig to the registry, as the console's apply command does. 0 or -1.
int StoreConfig();

// A started gw_host.exe.
struct HostProcess {
    HANDLE process = nullptr;
    DWORD pid = 0;
    // Waits for the end; the exit code, or HOST_TIMED_OUT after killing it.
    DWORD Wait(DWORD timeoutMs);
    bool Running() const;
    ~HostProcess();
};

// Starts gw_host.exe (in BinDir) with the stand-ins in place and the scenario file
// named; `args` are its command-line words. Null process on failure.
bool StartHost(const std::string& scenarioPath, const std::vector<std::string>& args,
               HostProcess* host);
// Starts and waits.
DWORD RunHost(const std::string& scenarioPath, const std::vector<std::string>& args,
              DWORD timeoutMs = 60000);

// The named event and ".ready" semaphore gw_host's --wait-event and pause= use: hosts
// announce themselves and wait until the gate opens.
class HostGate {
public:
    explicit HostGate(const std::string& name);
    ~HostGate();
    bool Valid() const { return event_ && ready_; }
    // Waits until `hosts` hosts have announced themselves.
    bool AwaitHosts(int hosts, DWORD timeoutMs);
    void Open() { SetEvent(event_); }

private:
    HANDLE event_;
    HANDLE ready_;
};

// Receives the session datagrams sent to 127.0.0.1 port 555.
class DatagramSink {
public:
    ~DatagramSink();
    // Binds the port; retries for a while if another test run holds it.
    bool Open(std::string* error);
    // Every datagram that arrived (or arrives within `quietMs` of the last one).
    std::vector<std::string> Drain(int quietMs = 300);

private:
    SOCKET socket_ = INVALID_SOCKET;
};

// A fixed-width text field of a session record (up to its NUL).
std::string RecordText(const std::string& record, size_t offset, size_t width);
uint32_t RecordU32(const std::string& record, size_t offset);
uint16_t RecordU16(const std::string& record, size_t offset);

// The top-level dialog window with this caption, waiting up to `timeoutMs` while
// `host` runs; null when none appeared.
HWND AwaitWindowWithCaption(const std::string& caption, DWORD timeoutMs, const HostProcess& host);
// The message text of a message box.
std::string MessageBoxText(HWND box);
// Presses the box's OK button.
void PressOk(HWND box);
// Waits until the window is gone; false on time-out.
bool AwaitWindowGone(HWND window, DWORD timeoutMs);

// The log's lines, each without its "\r\n"; `wellTerminated` says whether every line
// (the last included) ends with "\r\n".
std::vector<std::string> LogLines(const std::string& text, bool* wellTerminated);
// The comma-separated fields of a log line; a line of nine fields, each followed by a
// comma, gives ten items, the last empty.
std::vector<std::string> SplitFields(const std::string& line);
// True when `text` is "YYYY-MM-DD HH:MM:SS".
bool LooksLikeTimestamp(const std::string& text);

// Lines of a stand-in record file that start with `prefix`.
std::vector<std::string> RecordLines(const std::string& path, const std::string& prefix);

// Runs a program (a path, or a name Windows finds, such as reg.exe) with `args` and
// waits for it; its standard output and error go to `outputPath`. The exit code, or
// HOST_TIMED_OUT after killing it.
DWORD RunProgram(const std::string& exe, const std::vector<std::string>& args,
                 const std::string& outputPath, DWORD timeoutMs = 60000);
