// Runs the built gwconfig's report over the logon logs of three servers (default
// 1,000,000 lines in all, about 107 MB) in every format, to standard output and with -o,
// beside `wc -l` on the same files and a copy of them flushed to disk (what writing a
// file of the CSV's size costs), each as a child process pinned to one core, the runs
// interleaved in rounds. Prints per command the median wall-clock and CPU time,
// their ratio to `wc -l`'s, and the peak resident memory.
// Usage: report_timing [lines] [distinct clients] [rounds]
#include <fcntl.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Run {
    double wall, cpu; // milliseconds
    long peakKilobytes;
};

Run RunOnce(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& a : arguments)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    auto start = std::chrono::steady_clock::now();
    pid_t child = fork();
    if (child == 0) {
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(0, &one);
        sched_setaffinity(0, sizeof one, &one);
        int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    int status = 0;
    struct rusage usage {};
    wait4(child, &status, 0, &usage);
    double wall =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        fprintf(stderr, "run failed: %s ... (status %d)\n", arguments[0].c_str(), status);
    double cpu = (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000.0 +
                 (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000.0;
    return {wall, cpu, usage.ru_maxrss};
}

// One server's log as the library writes it: one line in four a refusal, every code in
// turn, a few lines in a hundred audited; kept in /tmp between runs.
std::string ServerLog(int server, long lines, long clients) {
    std::string path = "/tmp/gw-report-timing-" + std::to_string(server) + "-" +
                       std::to_string(lines) + "-" + std::to_string(clients) + ".log";
    if (access(path.c_str(), R_OK) == 0)
        return path;
    static const char* const CODES[] = {
        "REJECT_IPADDRESS",        "REJECT_COMPUTERNAME",        "REJECT_MACADDRESS",
        "REJECT_TIMERESTRICTION",  "REJECT_CLIENTVERSION",       "REJECT_SESSIONPERIP",
        "REJECT_SESSIONPERUSER",   "REJECT_FAIL_GETMACADDRESS",  "REJECT_FAIL_GETIPADDRESS",
        "REJECT_FAIL_GETUSERNAME", "REJECT_FAIL_GETCOMPUTERNAME"};
    FILE* out = fopen((path + ".part").c_str(), "wb");
    if (out == nullptr)
        abort();
    long users = clients / 5 > 0 ? clients / 5 : 1;
    for (long k = 0; k < lines; ++k) {
        long c = (k * 7919 + server * 13) % clients;
        long second = k * 7; // a month of logons
        const char* code = k % 4 == 0 ? CODES[k / 4 % 11] : "";
        const char* decision = code[0] != '\0' ? "Rejected" : k % 50 == 1 ? "Audited" : "Accepted";
        if (k % 50 == 1)
            code = "REJECT_COMPUTERNAME";
        fprintf(
            out,
            "2026-11-%02ld %02ld:%02ld:%02ld,WORKSTATION-%05ld,10.%ld.%ld.%ld,00-1A-2B-%02lX-%02lX-"
            "%02lX,RDP-Tcp#%ld,user%05ld,%ld,%s,%s,\r\n",
            1 + second / 86400 % 30, second / 3600 % 24, second / 60 % 60, second % 60, c,
            c >> 16 & 255, c >> 8 & 255, c & 255, c >> 16 & 255, c >> 8 & 255, c & 255, k % 40,
            (k * 31) % users, 2 + k % 1000, decision, code);
    }
    fclose(out);
    rename((path + ".part").c_str(), path.c_str());
    return path;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    long lines = argc > 1 ? atol(argv[1]) : 1000000;
    long clients = argc > 2 ? atol(argv[2]) : 1000;
    int rounds = argc > 3 ? atoi(argv[3]) : 5;
    std::vector<std::string> logs;
    for (int server = 1; server <= 3; ++server)
        logs.push_back(ServerLog(server, lines / 3 + (server <= lines % 3), clients));

    struct Command {
        std::string name;
        std::vector<std::string> arguments;
        std::vector<double> wall, cpu;
        long peak = 0;
    };
    std::vector<Command> commands;
    commands.push_back({"wc -l", {"wc", "-l"}, {}, {}, 0});
    commands.back().arguments.insert(commands.back().arguments.end(), logs.begin(), logs.end());
    std::string output = "/tmp/gw-report-timing-" + std::to_string(getpid());
    for (const char* format : {"text", "json", "html", "csv"}) {
        for (bool toFile : {false, true}) {
            Command c{std::string(format) + (toFile ? " -o FILE" : " to stdout"),
                      {GW_GWCONFIG_PATH, "report", "--format", format},
                      {},
                      {}};
            for (size_t k = 0; k < logs.size(); ++k)
                c.arguments.insert(c.arguments.end(),
                                   {"--server", "TS" + std::to_string(k + 1) + "=" + logs[k]});
            if (toFile)
                c.arguments.insert(c.arguments.end(), {"-o", output + "." + format});
            commands.push_back(c);
        }
    }
    // What any -o FILE of the CSV's size costs at least: the logs' bytes (as many as the
    // CSV holds, near enough) written and flushed to disk, as the report's file is.
    commands.push_back({"cat > FILE, fsync",
                        {"sh", "-c", "cat \"$@\" > \"$0\" && sync \"$0\"", output + ".copy"},
                        {},
                        {},
                        0});
    commands.back().arguments.insert(commands.back().arguments.end(), logs.begin(), logs.end());
    RunOnce(commands[0].arguments); // the files into the page cache
    for (int round = 0; round < rounds; ++round) {
        for (Command& c : commands) {
            Run run = RunOnce(c.arguments);
            c.wall.push_back(run.wall);
            c.cpu.push_back(run.cpu);
            c.peak = std::max(c.peak, run.peakKilobytes);
        }
    }
    for (const char* suffix : {"text", "json", "html", "csv", "copy"})
        unlink((output + "." + suffix).c_str());

    double wcWall = Median(commands[0].wall), wcCpu = Median(commands[0].cpu);
    double load[3] = {};
    getloadavg(load, 3);
    printf("%ld lines over 3 servers, %ld distinct clients, median of %d rounds, one core; "
           "load %.2f %.2f %.2f\n",
           lines, clients, rounds, load[0], load[1], load[2]);
    printf("%-18s %10s %10s %9s %9s %10s\n", "command", "wall ms", "cpu ms", "x wc wall",
           "x wc cpu", "peak KiB");
    for (const Command& c : commands)
        printf("%-18s %10.1f %10.1f %9.2f %9.2f %10ld\n", c.name.c_str(), Median(c.wall),
               Median(c.cpu), Median(c.wall) / wcWall, Median(c.cpu) / wcCpu, c.peak);
    return 0;
}
