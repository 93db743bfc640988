#include "testing/scenario.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace {

// Splits a line into words; a word in double quotes may hold spaces ("key="a b"" too).
bool SplitWords(const std::string& line, std::vector<std::string>* words) {
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r'))
            ++i;
        if (i >= line.size())
            break;
        std::string word;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
            if (line[i] == '"') {
                size_t close = line.find('"', i + 1);
                if (close == std::string::npos)
                    return false;
                word.append(line, i + 1, close - i - 1);
                i = close + 1;
            } else {
                word.push_back(line[i++]);
            }
        }
        words->push_back(word);
    }
    return true;
}

bool ParseUnsigned(const std::string& text, uint32_t* out) {
    if (text.empty())
        return false;
    char* end = nullptr;
    unsigned long long v = std::strtoull(text.c_str(), &end, 0);
    if (*end != '\0' || v > 0xFFFFFFFFull || text[0] == '-')
        return false;
    *out = static_cast<uint32_t>(v);
    return true;
}

bool SetSessionKey(const Scenario& scenario, ScenarioSession* s, const std::string& key,
                   const std::string& value) {
    uint32_t n = 0;
    if (key == "server") {
        int k = FindScenarioServer(scenario, value.c_str());
        if (k < 0)
            return false; // servers are declared before their sessions
        s->server = scenario.servers[k].name;
    } else if (key == "state") {
        if (!ParseUnsigned(value, &n))
            return false;
        s->state = static_cast<int32_t>(n);
    } else if (key == "winstation") {
        s->winStation = value;
    } else if (key == "client") {
        s->clientName = value;
    } else if (key == "address") {
        return ParseDottedAddress(value, &s->address);
    } else if (key == "family") {
        return ParseUnsigned(value, &s->addressFamily);
    } else if (key == "user") {
        s->userName = value;
    } else if (key == "domain") {
        s->domainName = value;
    } else if (key == "build") {
        return ParseUnsigned(value, &s->build);
    } else if (key == "app") {
        s->applicationName = value;
    } else if (key == "clientdir") {
        s->clientDirectory = value;
    } else if (key == "hwid") {
        return ParseUnsigned(value, &s->hardwareId);
    } else if (key == "product" || key == "protocol") {
        if (!ParseUnsigned(value, &n) || n > 0xFFFF)
            return false;
        (key == "product" ? s->productId : s->protocolType) = static_cast<uint16_t>(n);
    } else if (key == "program") {
        s->initialProgram = value;
    } else if (key == "oem") {
        s->oemId = value;
    } else if (key == "workdir") {
        s->workingDirectory = value;
    } else if (key == "display") {
        unsigned w = 0, h = 0, d = 0;
        char tail = 0;
        if (std::sscanf(value.c_str(), "%ux%ux%u%c", &w, &h, &d, &tail) != 3)
            return false;
        s->display[0] = w;
        s->display[1] = h;
        s->display[2] = d;
    } else if (key == "fail") {
        std::stringstream list(value);
        std::string item;
        while (std::getline(list, item, ','))
            if (!item.empty())
                s->failingClasses.push_back(item);
    } else {
        return false;
    }
    return true;
}

} // namespace

bool ParseDottedAddress(const std::string& text, uint32_t* out) {
    unsigned a = 0, b = 0, c = 0, d = 0;
    char tail = 0;
    if (std::sscanf(text.c_str(), "%u.%u.%u.%u%c", &a, &b, &c, &d, &tail) != 4)
        return false;
    if (a > 255 || b > 255 || c > 255 || d > 255)
        return false;
    *out = (a << 24) | (b << 16) | (c << 8) | d;
    return true;
}

bool ParseMacText(const std::string& text, uint8_t mac[6]) {
    if (text.size() != 17)
        return false;
    for (int k = 0; k < 6; ++k) {
        if (k < 5 && text[k * 3 + 2] != '-')
            return false;
        unsigned v = 0;
        for (int h = 0; h < 2; ++h) {
            char ch = text[k * 3 + h];
            unsigned digit;
            if (ch >= '0' && ch <= '9')
                digit = ch - '0';
            else if (ch >= 'a' && ch <= 'f')
                digit = ch - 'a' + 10;
            else if (ch >= 'A' && ch <= 'F')
                digit = ch - 'A' + 10;
            else
                return false;
            v = v * 16 + digit;
        }
        mac[k] = static_cast<uint8_t>(v);
    }
    return true;
}

bool ParseScenario(const std::string& text, Scenario* out, std::string* error) {
    Scenario scenario;
    std::stringstream lines(text);
    std::string line;
    int lineNo = 0;
    auto fail = [&](const std::string& why) {
        *error = "scenario line " + std::to_string(lineNo) + ": " + why;
        return false;
    };
    while (std::getline(lines, line)) {
        ++lineNo;
        // Only whole lines are comments: WinStation names such as "RDP-Tcp#1" hold '#'.
        size_t first = line.find_first_not_of(" \t");
        if (first != std::string::npos && line[first] == '#')
            continue;
        std::vector<std::string> w;
        if (!SplitWords(line, &w))
            return fail("unclosed quote");
        if (w.empty())
            continue;
        if (w[0] == "self" && w.size() == 2) {
            if (!ParseUnsigned(w[1], &scenario.selfId))
                return fail("bad session id");
        } else if (w[0] == "record" && w.size() == 2) {
            scenario.recordPath = w[1];
        } else if (w[0] == "enumerate" && w.size() == 2 && w[1] == "fail") {
            scenario.enumerateFails = true;
        } else if (w[0] == "logoff" && w.size() == 2 && w[1] == "fail") {
            scenario.logoffFails = true;
        } else if (w[0] == "session" && w.size() >= 2) {
            ScenarioSession s;
            if (!ParseUnsigned(w[1], &s.id))
                return fail("bad session id");
            for (size_t k = 2; k < w.size(); ++k) {
                size_t eq = w[k].find('=');
                if (eq == std::string::npos)
                    return fail("expected key=value: " + w[k]);
                if (!SetSessionKey(scenario, &s, w[k].substr(0, eq), w[k].substr(eq + 1)))
                    return fail("bad session key or value: " + w[k]);
            }
            scenario.sessions.push_back(s);
        } else if (w[0] == "server" && (w.size() == 2 || (w.size() == 3 && w[2] == "fail"))) {
            if (FindScenarioServer(scenario, w[1].c_str()) >= 0)
                return fail("server declared twice: " + w[1]);
            ScenarioServer server;
            server.name = w[1];
            server.enumerateFails = w.size() == 3;
            scenario.servers.push_back(server);
        } else if (w[0] == "arp" && w.size() == 3) {
            ScenarioArpEntry e;
            if (!ParseDottedAddress(w[1], &e.address) || !ParseMacText(w[2], e.mac))
                return fail("bad arp entry");
            scenario.arp.push_back(e);
        } else {
            return fail("unknown statement: " + w[0]);
        }
    }
    scenario.loaded = true;
    *out = scenario;
    return true;
}

const ScenarioSession* FindScenarioSession(const Scenario& scenario, uint32_t id,
                                           const std::string& server) {
    for (const ScenarioSession& s : scenario.sessions)
        if (s.id == id && SameServerName(s.server, server))
            return &s;
    return nullptr;
}

bool SameServerName(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i] >= 'a' && a[i] <= 'z' ? a[i] - 'a' + 'A' : a[i];
        char y = b[i] >= 'a' && b[i] <= 'z' ? b[i] - 'a' + 'A' : b[i];
        if (x != y)
            return false;
    }
    return true;
}

int FindScenarioServer(const Scenario& scenario, const char* name) {
    if (name == nullptr)
        return -1;
    for (size_t k = 0; k < scenario.servers.size(); ++k)
        if (SameServerName(scenario.servers[k].name, name))
            return static_cast<int>(k);
    return -1;
}

bool ScenarioClassFails(const ScenarioSession& session, const char* className) {
    for (const std::string& c : session.failingClasses)
        if (c == className)
            return true;
    return false;
}

#ifdef _WIN32
#include <windows.h>

namespace {

std::string ReadWholeFile(const std::string& path, bool* ok) {
    *ok = false;
    FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return std::string();
    std::string text;
    char buf[4096];
    size_t n;
    while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
        text.append(buf, n);
    std::fclose(f);
    *ok = true;
    return text;
}

std::string ScenarioPath(void* module) {
    char env[MAX_PATH * 2] = {0};
    DWORD n = GetEnvironmentVariableA("GW_SCENARIO", env, sizeof env);
    if (n > 0 && n < sizeof env)
        return env;
    char self[MAX_PATH] = {0};
    DWORD len = GetModuleFileNameA(static_cast<HMODULE>(module), self, sizeof self);
    if (len == 0 || len >= sizeof self)
        return "scenario.txt";
    std::string path(self, len);
    size_t slash = path.find_last_of("\\/");
    return (slash == std::string::npos ? std::string() : path.substr(0, slash + 1)) +
           "scenario.txt";
}

} // namespace

const Scenario& CurrentScenario(void* module) {
    // Stand-ins are called from one thread at a time (the filter library has no
    // threads), so plain statics are enough. The file is read again whenever it
    // changed, so a test can change the system's answers between two calls.
    static Scenario scenario;
    static std::string path;
    static WIN32_FILE_ATTRIBUTE_DATA seen;
    static bool loaded = false;
    if (path.empty())
        path = ScenarioPath(module);
    WIN32_FILE_ATTRIBUTE_DATA now;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &now))
        std::memset(&now, 0, sizeof now);
    if (loaded && CompareFileTime(&now.ftLastWriteTime, &seen.ftLastWriteTime) == 0 &&
        now.nFileSizeLow == seen.nFileSizeLow && now.nFileSizeHigh == seen.nFileSizeHigh)
        return scenario;
    loaded = true;
    seen = now;
    bool ok = false;
    std::string text = ReadWholeFile(path, &ok);
    std::string error;
    Scenario fresh;
    if (!ok)
        error = "cannot read scenario " + path;
    else if (ParseScenario(text, &fresh, &error))
        scenario = fresh;
    if (!error.empty())
        OutputDebugStringA(error.c_str());
    return scenario;
}

void RecordCall(const Scenario& scenario, const std::string& line) {
    if (scenario.recordPath.empty())
        return;
    // Several host processes may record into one file; retry while another holds it.
    for (int attempt = 0; attempt < 50; ++attempt) {
        HANDLE h = CreateFileA(scenario.recordPath.c_str(), FILE_APPEND_DATA, 0, nullptr,
                               OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            std::string text = line + "\n";
            DWORD written = 0;
            WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
            CloseHandle(h);
            return;
        }
        Sleep(10);
    }
}
#endif
