#include "tests/gwconfig/gwconfig_test_support.h"

#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "gwconfig/commands.h"
#include "gwconfig/config_io.h"

ScratchDir::ScratchDir() {
    char pattern[] = "/tmp/gwconfig-test-XXXXXX";
    const char* made = mkdtemp(pattern);
    root_ = made != nullptr ? made : "/tmp";
}

ScratchDir::~ScratchDir() {
    if (root_ != "/tmp")
        system(("rm -rf '" + root_ + "'").c_str());
}

void WriteFile(const std::string& path, const std::string& data) {
    std::ofstream(path, std::ios::binary) << data;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool Exists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

namespace {
std::string Drain(FILE* file) {
    std::string text;
    rewind(file);
    char buffer[4096];
    size_t got;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0)
        text.append(buffer, got);
    fclose(file);
    return text;
}
} // namespace

CommandResult Gwconfig(const std::vector<std::string>& arguments) {
    std::vector<std::string> line{"gwconfig"};
    line.insert(line.end(), arguments.begin(), arguments.end());
    FILE* out = tmpfile();
    FILE* err = tmpfile();
    int code = RunGwconfig(line, out, err);
    return {code, Drain(out), Drain(err)};
}

void LoadJson(const std::string& json) {
    std::vector<std::string> errors;
    ASSERT_TRUE(LoadConfigJson(json, "test.json", 1252, &errors))
        << (errors.empty() ? "" : errors[0]);
}

CheckSession ReadableClient(uint32_t address, const std::string& name, const char* at) {
    CheckSession s;
    s.address = address;
    s.hasName = true;
    s.name = name;
    s.hasMac = true;
    const uint8_t mac[6] = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};
    std::copy(mac, mac + 6, s.mac);
    s.hasBuild = true;
    s.build = 2600;
    s.hasUser = true;
    s.user = "alice";
    ParseCheckTime(at, &s.at);
    s.hasSessionsFromIp = s.hasSessionsOfUser = true;
    return s;
}
