// Runs the built gwconfig on a configuration with N rows in every table (default
// 10,000) and reports, for `show` and `check`, the wall-clock time of a run (median of
// several) and the process's peak resident memory, beside the blob's size.
// Usage: gwconfig_timing [rows per table] [runs]
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "tests/bench/config/bench_config_fixture.h"

namespace {

struct Run {
    double milliseconds;    // wall clock
    double cpuMilliseconds; // user and system time of the process
    long peakKilobytes;
};

// One run of gwconfig with its output thrown away.
Run RunOnce(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execv(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    double ms =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) == 2 || WEXITSTATUS(status) == 127)
        fprintf(stderr, "run failed: %s (status %d)\n", arguments[1].c_str(), status);
    double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    return {ms, cpu, usage.ru_maxrss};
}

void Report(const char* name, const std::vector<std::string>& arguments, int runs, size_t blobBytes,
            long baseKilobytes) {
    std::vector<double> times, cpu;
    long peak = 0;
    for (int k = 0; k < runs; ++k) {
        Run run = RunOnce(arguments);
        times.push_back(run.milliseconds);
        cpu.push_back(run.cpuMilliseconds);
        peak = std::max(peak, run.peakKilobytes);
    }
    std::sort(times.begin(), times.end());
    std::sort(cpu.begin(), cpu.end());
    const double blob = static_cast<double>(blobBytes);
    printf("%-6s wall median %6.1f ms (min %.1f); CPU median %6.1f ms (min %.1f); peak RSS "
           "%ld KB = %.2f x blob (%ld KB above the empty run = %.2f x blob)\n",
           name, times[times.size() / 2], times.front(), cpu[cpu.size() / 2], cpu.front(), peak,
           peak * 1024.0 / blob, peak - baseKilobytes, (peak - baseKilobytes) * 1024.0 / blob);
}

} // namespace

// Writes the configuration file. Run in a child process: a child of a large parent
// would start with the parent's pages, and its peak memory would count them.
int WriteConfigFile(int rows, const char* path) {
    FillBenchConfig(rows);
    // Every filter on, and a client that the engine must walk every table for: it
    // matches the last allow row of R_IPADDRESS and the last row of R_SESSION_USER,
    // and no other row.
    FilterConfigRecord& c = FilterConfig;
    c.FLAG_IPADDRESS = c.FLAG_COMPUTERNAME = c.FLAG_MACADDRESS = 1;
    c.FLAG_COMPUTERNAME_ALLOW = c.FLAG_MACADDRESS_ALLOW = 1;
    c.FLAG_TIME = c.FLAG_VERSION = c.FLAG_SERVEROPTION = c.FLAG_SERVEROPTION_SESSIONPERUSER = 1;
    c.WEEK_W1 = 1;
    CopyToField(c.TIME_TO, "18:00:00");
    CopyToField(c.VERHIGHER, "2000");
    std::vector<uint8_t> blob = BenchStoredBlob();
    ResetFilterConfig();
    FILE* file = fopen(path, "wb");
    bool ok = file != nullptr && fwrite(blob.data(), 1, blob.size(), file) == blob.size();
    return file != nullptr && fclose(file) == 0 && ok ? 0 : 1;
}

int main(int argc, char** argv) {
    const int rows = argc > 1 ? atoi(argv[1]) : 10000;
    const int runs = argc > 2 ? atoi(argv[2]) : 7;
    char path[] = "/tmp/gwconfig-timing-XXXXXX";
    int fd = mkstemp(path);
    if (fd < 0)
        return 1;
    close(fd);
    pid_t writer = fork();
    if (writer == 0)
        _exit(WriteConfigFile(rows, path));
    int status = 0;
    waitpid(writer, &status, 0);
    struct stat info {};
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || stat(path, &info) != 0) {
        fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    const size_t blobBytes = static_cast<size_t>(info.st_size);

    const std::string tool = GW_GWCONFIG_PATH;
    const int last = rows - 1 - (rows % 2 == 0 ? 0 : 1); // the last odd row allows
    const std::string lastAddress = "10." + std::to_string(last / 65536) + "." +
                                    std::to_string(last / 256 % 256) + "." +
                                    std::to_string(last % 256);
    printf("rows per table: %d; blob: %zu bytes; %d runs each\n", rows, blobBytes, runs);
    long base = RunOnce({tool, "--help"}).peakKilobytes;
    printf("empty run (--help): peak RSS %ld KB\n", base);
    Report("show", {tool, "show", path, "--format", "json"}, runs, blobBytes, base);
    Report("check",
           {tool, "check", path, "--ip", lastAddress, "--name", "ELSEWHERE", "--mac",
            "00-1A-2B-3C-4D-5F", "--build", "2600", "--user", "user" + std::to_string(rows - 1),
            "--at", "2026-12-07 12:00:00", "--sessions-from-ip", "1", "--sessions-of-user", "1"},
           runs, blobBytes, base);
    if (getenv("GW_KEEP_TIMING_FILE") != nullptr)
        printf("kept %s\n", path);
    else
        unlink(path);
    return 0;
}
