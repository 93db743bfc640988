// The package install test's hands inside the Wine prefix it installs into:
//   install_probe apply                applies a sample configuration to the registry, as
//                                      the console's Apply command does, twice, so the
//                                      history keeps one generation
//   install_probe start-console PATH   starts the console at PATH, waits for its main
//                                      window, checks that it runs with version 6 of the
//                                      common controls, closes it as the close box does,
//                                      and exits 0 when the console ended cleanly
#include <windows.h>

#include <tlhelp32.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "config/config_history.h"
#include "config/config_model.h"
#include "config/persistence.h"

namespace {

int ApplySampleConfig() {
    ResetFilterConfig();
    FilterConfig.FLAG_IPADDRESS = 1;
    auto* row = new IpRangeRow{};
    CopyToField(row->IPFROM, "10.0.0.5");
    CopyToField(row->IPTO, "10.0.0.9");
    row->TYPE = ROW_LOGON_DISABLED;
    FilterConfig.ipRanges.push_back(row);
    CopyToField(FilterConfig.MSG_TIME, "Logons are closed tonight.");
    // Applied twice, as an administrator changing it would: the second keeps the first
    // in the history.
    FilterConfig.FLAG_TIME = 1;
    int result = SaveConfigToRegistry();
    FilterConfig.FLAG_TIME = 0;
    const std::string problem = KeepLocalGeneration(NewGenerationFacts("install_probe", "", ""));
    if (result == 0 && !problem.empty())
        fprintf(stderr, "%s\n", problem.c_str());
    if (result == 0 && problem.empty())
        result = SaveConfigToRegistry();
    else
        result = -1;
    ClearConfigLists();
    if (result != 0)
        fprintf(stderr, "SaveConfigToRegistry failed\n");
    return result == 0 ? 0 : 1;
}

struct WindowSearch {
    DWORD process;
    HWND frame;
    std::string box; // text of a message box the console shows instead
};

BOOL CALLBACK FindConsoleWindows(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->process || !IsWindowVisible(window))
        return TRUE;
    char cls[64] = "";
    GetClassNameA(window, cls, sizeof cls);
    if (strcmp(cls, "QuillonFrameWindow") == 0) {
        search->frame = window;
    } else if (strcmp(cls, "#32770") == 0) {
        char text[512] = "";
        HWND label = GetDlgItem(window, 0xFFFF); // a message box's text
        GetWindowTextA(label ? label : window, text, sizeof text);
        search->box = text;
    }
    return TRUE;
}

// True when every common controls library loaded in a process is version 6, which the
// system keeps in its side-by-side store under the assembly's name and version (the
// library's own version resource is not to be trusted for that under Wine).
bool RunsCommonControls6(DWORD process) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, process);
    if (snapshot == INVALID_HANDLE_VALUE)
        return false;
    int loaded = 0, version6 = 0;
    MODULEENTRY32 module = {};
    module.dwSize = sizeof module;
    for (BOOL more = Module32First(snapshot, &module); more;
         more = Module32Next(snapshot, &module)) {
        if (_stricmp(module.szModule, "comctl32.dll") != 0)
            continue;
        ++loaded;
        std::string path = module.szExePath;
        for (char& c : path)
            c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        if (path.find("microsoft.windows.common-controls_6595b64144ccf1df_6.0.") !=
            std::string::npos)
            ++version6;
        else
            fprintf(stderr, "the console loaded %s\n", module.szExePath);
    }
    CloseHandle(snapshot);
    return loaded > 0 && loaded == version6;
}

int StartConsole(const char* path) {
    std::string folder = path;
    folder.resize(folder.find_last_of("\\/") == std::string::npos ? 0 : folder.find_last_of("\\/"));
    std::string commandLine = std::string("\"") + path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(path, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        fprintf(stderr, "%s does not start: error %lu\n", path, GetLastError());
        return 1;
    }
    CloseHandle(process.hThread);

    // The console's first idle moment comes once its frame is up; the frame is looked
    // for a little longer in case it is shown after that.
    WaitForInputIdle(process.hProcess, 60000);
    WindowSearch search = {process.dwProcessId, nullptr, ""};
    for (int waited = 0; waited < 10000 && !search.frame && search.box.empty(); waited += 100) {
        EnumWindows(FindConsoleWindows, reinterpret_cast<LPARAM>(&search));
        if (!search.frame && search.box.empty() &&
            WaitForSingleObject(process.hProcess, 100) == WAIT_OBJECT_0)
            break;
    }
    int result = 0;
    if (!search.frame) {
        fprintf(stderr, "the console showed no main window%s%s\n",
                search.box.empty() ? "" : "; its message box says: ", search.box.c_str());
        TerminateProcess(process.hProcess, 1);
        result = 1;
    } else {
        if (!RunsCommonControls6(process.dwProcessId)) {
            fprintf(stderr, "the console does not run with common controls version 6\n");
            result = 1;
        }
        PostMessageA(search.frame, WM_CLOSE, 0, 0);
        DWORD exitCode = 1;
        if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
            fprintf(stderr, "the console did not close\n");
            TerminateProcess(process.hProcess, 1);
            result = 1;
        } else if (!GetExitCodeProcess(process.hProcess, &exitCode) || exitCode != 0) {
            fprintf(stderr, "the console ended with code %lu\n", exitCode);
            result = 1;
        }
    }
    CloseHandle(process.hProcess);
    if (result == 0)
        printf("the console started and closed\n");
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && strcmp(argv[1], "apply") == 0)
        return ApplySampleConfig();
    if (argc == 3 && strcmp(argv[1], "start-console") == 0)
        return StartConsole(argv[2]);
    fprintf(stderr, "usage: install_probe apply | start-console PATH\n");
    return 2;
}
