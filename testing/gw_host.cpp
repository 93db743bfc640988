// Plays the outside host of gatewell.dll: loads it and calls the exports named on the
// command line, in order, on the main thread, as the Terminal Server's host would.
//
//   gw_host [--dll PATH] [--wait-event NAME] [--timing FILE] [--report FILE] ACTION...
//
// Actions: startup[=V] logon[=V] verify_startup[=V] verify_logon[=V] (the 32-bit host
// value, default 0), console, count=A.B.C.D, mac=A.B.C.D, stristr=TEXT/FIND, and
// pause=NAME, which announces itself and waits as --wait-event does, between calls.
// --wait-event waits (up to 60 s) for a named manual-reset event after loading and
// before the first action, so a test can start several hosts at one moment; first it
// releases the semaphore NAME.ready, if there is one, so the test can count them in.
// --timing writes "load_us N" (LoadLibrary alone) and "first_export_us N" (from
// LoadLibrary to the first action's return); --report writes one line per action
// with a result.
//
// Exit code 0 when every action returned; 2 the library did not load; 3 an export is
// missing; 4 bad command line; 5 the event wait failed. A library that ends the
// process itself decides the exit code.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

typedef void(__cdecl* EntryFn)(uint32_t);
typedef int32_t(__cdecl* ConsoleFn)();
typedef int32_t(__cdecl* CountFn)(HANDLE, uint32_t, uint32_t*);
typedef int32_t(__cdecl* MacFn)(const char*, uint32_t, unsigned char*, char*);
typedef char*(__cdecl* StristrFn)(const char*, const char*);

struct Options {
    std::string dll = "gatewell.dll";
    std::string waitEvent;
    std::string timingPath;
    std::string reportPath;
    std::vector<std::string> actions;
};

// GetProcAddress with the export's real type; void(*)() is the neutral pointer type.
template <typename F> F Lookup(HMODULE lib, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(lib, name)));
}

bool ParseOptions(int argc, char** argv, Options* o) {
    for (int k = 1; k < argc; ++k) {
        std::string a = argv[k];
        if ((a == "--dll" || a == "--wait-event" || a == "--timing" || a == "--report") &&
            k + 1 < argc) {
            std::string v = argv[++k];
            if (a == "--dll")
                o->dll = v;
            else if (a == "--wait-event")
                o->waitEvent = v;
            else if (a == "--timing")
                o->timingPath = v;
            else
                o->reportPath = v;
        } else if (a.compare(0, 2, "--") == 0) {
            return false;
        } else {
            o->actions.push_back(a);
        }
    }
    return !o->actions.empty();
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
    return true;
}

int64_t MicrosecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now, freq;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&freq);
    return (now.QuadPart - start.QuadPart) * 1000000 / freq.QuadPart;
}

// Splits "name=value"; value empty when there is no '='.
void SplitAction(const std::string& action, std::string* name, std::string* value) {
    size_t eq = action.find('=');
    *name = action.substr(0, eq);
    *value = eq == std::string::npos ? std::string() : action.substr(eq + 1);
}

uint32_t DottedToNumber(const std::string& text) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    std::sscanf(text.c_str(), "%u.%u.%u.%u", &a, &b, &c, &d);
    return ((a & 255) << 24) | ((b & 255) << 16) | ((c & 255) << 8) | (d & 255);
}

// Releases the semaphore NAME.ready, when the test made one to count its hosts in,
// then waits (up to 60 s) for the event NAME. False when the wait fails.
bool AnnounceAndWait(const std::string& name) {
    HANDLE ready = OpenSemaphoreA(SEMAPHORE_MODIFY_STATE, FALSE, (name + ".ready").c_str());
    if (ready) {
        ReleaseSemaphore(ready, 1, nullptr);
        CloseHandle(ready);
    }
    HANDLE event = OpenEventA(SYNCHRONIZE, FALSE, name.c_str());
    bool ok = event && WaitForSingleObject(event, 60000) == WAIT_OBJECT_0;
    if (event)
        CloseHandle(event);
    return ok;
}

// Runs one action; returns false when its export is missing.
bool RunAction(HMODULE lib, const std::string& action, std::string* report) {
    std::string name, value;
    SplitAction(action, &name, &value);
    const char* exportName = nullptr;
    if (name == "startup")
        exportName = "TSEventStartup";
    else if (name == "logon")
        exportName = "TSEventLogon";
    else if (name == "verify_startup")
        exportName = "VerifyUser_Startup";
    else if (name == "verify_logon")
        exportName = "VerifyUser_Logon";
    if (exportName) {
        EntryFn fn = Lookup<EntryFn>(lib, exportName);
        if (!fn)
            return false;
        fn(static_cast<uint32_t>(std::strtoul(value.c_str(), nullptr, 0)));
        return true;
    }
    char line[512];
    if (name == "console") {
        ConsoleFn fn = Lookup<ConsoleFn>(lib, "IsConsoleSession");
        if (!fn)
            return false;
        std::snprintf(line, sizeof line, "console %d\n", static_cast<int>(fn()));
    } else if (name == "count") {
        CountFn fn = Lookup<CountFn>(lib, "GetCountOfSessionWithTheSameIP");
        if (!fn)
            return false;
        uint32_t count = 0xFFFFFFFFu;
        int32_t r = fn(nullptr, DottedToNumber(value), &count);
        std::snprintf(line, sizeof line, "count %d %u\n", static_cast<int>(r), count);
    } else if (name == "mac") {
        MacFn fn = Lookup<MacFn>(lib, "GetRemoteMac");
        if (!fn)
            return false;
        char text[256] = {0};
        unsigned char bytes[6] = {0};
        int32_t r = fn(value.c_str(), 0, bytes, text);
        std::snprintf(line, sizeof line, "mac %d %s\n", static_cast<int>(r), text);
    } else if (name == "stristr") {
        StristrFn fn = Lookup<StristrFn>(lib, "stristr");
        if (!fn)
            return false;
        size_t slash = value.find('/');
        std::string text = value.substr(0, slash);
        std::string find = slash == std::string::npos ? std::string() : value.substr(slash + 1);
        const char* hit = fn(text.c_str(), find.c_str());
        std::snprintf(line, sizeof line, "stristr %d\n",
                      hit ? static_cast<int>(hit - text.c_str()) : -1);
    } else {
        std::snprintf(line, sizeof line, "unknown %s\n", name.c_str());
    }
    report->append(line);
    return true;
}

} // namespace

int main(int argc, char** argv) {
    Options options;
    if (!ParseOptions(argc, argv, &options)) {
        std::fprintf(stderr, "usage: gw_host [--dll PATH] [--wait-event NAME] [--timing FILE] "
                             "[--report FILE] ACTION...\n");
        return 4;
    }

    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    HMODULE lib = LoadLibraryA(options.dll.c_str());
    int64_t loadUs = MicrosecondsSince(start);
    if (!lib) {
        std::fprintf(stderr, "gw_host: cannot load %s (error %lu)\n", options.dll.c_str(),
                     GetLastError());
        return 2;
    }

    if (!options.waitEvent.empty()) {
        if (!AnnounceAndWait(options.waitEvent))
            return 5;
        // The wait is not part of the load time.
        QueryPerformanceCounter(&start);
        loadUs = 0;
    }

    std::string report;
    for (size_t k = 0; k < options.actions.size(); ++k) {
        if (options.actions[k].compare(0, 6, "pause=") == 0) {
            if (!AnnounceAndWait(options.actions[k].substr(6)))
                return 5;
            continue;
        }
        if (!RunAction(lib, options.actions[k], &report)) {
            std::fprintf(stderr, "gw_host: export for %s missing\n", options.actions[k].c_str());
            return 3;
        }
        if (k == 0 && !options.timingPath.empty()) {
            int64_t firstUs = MicrosecondsSince(start);
            char text[128];
            std::snprintf(text, sizeof text, "load_us %lld\nfirst_export_us %lld\n",
                          static_cast<long long>(loadUs), static_cast<long long>(firstUs));
            WriteTextFile(options.timingPath, text);
        }
        // Written after every action, so a later action that ends the process does not
        // lose the earlier results.
        if (!options.reportPath.empty())
            WriteTextFile(options.reportPath, report);
    }
    return 0;
}
