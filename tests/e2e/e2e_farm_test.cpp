// gwconfig.exe against other servers' registries. Under Wine the Remote Registry reaches
// this computer's own registry by its own name and answers error 53 (no such network
// path) for any other name: the own name stands for a server that answers, another
// name for one that is off.
#include "tests/e2e/e2e_fixture.h"

#include <aclapi.h>

#include <algorithm>

#include "config/config_mapping.h"
#include "config/config_model.h"
#include "config/container.h"
#include "config/persistence.h"
#include "platform/server_jobs.h"
#include "tests/support/config_registry.h"

namespace {

const char DEAD[] = "NO-SUCH-SERVER";

std::string OwnName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return name;
}

// FilterConfig: the defaults, the time filter on or off, and a server monitor list.
void Config(int timeFilter, const std::vector<std::string>& servers = {}) {
    LoadDefaultConfigIntoMemory();
    FilterConfig.FLAG_TIME = timeFilter;
    for (const std::string& name : servers) {
        MonitorServerRow* row = new MonitorServerRow();
        CopyToField(row->SERVER, name.c_str());
        FilterConfig.monitorServers.push_back(row);
    }
}

std::vector<uint8_t> StoredTsdata() {
    DWORD type = 0;
    std::vector<uint8_t> data;
    ReadConfigValue("tsdata", &type, &data);
    return data;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Jobs whose server "SLOW" answers only once `g_answer` is set, then sets `g_answered`.
HANDLE g_answer = nullptr;
HANDLE g_answered = nullptr;

uint32_t AnswerUnlessSlow(ServerJob& job) {
    if (job.server == "SLOW") {
        WaitForSingleObject(g_answer, INFINITE);
        job.blob.assign(1 << 20, 'x'); // writes into the thread's own copy only
        SetEvent(g_answered);
        return 0;
    }
    job.blob = "answer of " + job.server;
    return 0;
}

struct EndOrder : ServerJobObserver {
    std::vector<size_t> ended;
    void JobEnded(size_t index) override { ended.push_back(index); }
};

class ServerJobs : public ::testing::Test {
protected:
    // The events outlive every case: an abandoned thread may still hold them.
    void SetUp() override {
        if (g_answer == nullptr) {
            g_answer = CreateEventA(nullptr, TRUE, FALSE, nullptr);
            g_answered = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        }
        ResetEvent(g_answer);
        ResetEvent(g_answered);
        limits_.parallel = 2;
        limits_.timeoutMs = 2000;
        limits_.work = AnswerUnlessSlow;
    }
    static std::vector<ServerJob> Jobs(const std::vector<std::string>& servers) {
        std::vector<ServerJob> jobs(servers.size());
        for (size_t i = 0; i < servers.size(); ++i)
            jobs[i].server = servers[i];
        return jobs;
    }
    ServerJobLimits limits_;
};

} // namespace

TEST_F(ServerJobs, AServerThatDoesNotAnswerHoldsNeitherTheOthersNorTheCaller) {
    std::vector<ServerJob> jobs = Jobs({"SLOW", "TS1", "TS2", "TS3", "TS4", "TS5", "TS6"});
    EndOrder order;
    EXPECT_TRUE(RunServerJobs(&jobs, limits_, &order));
    EXPECT_TRUE(jobs[0].timedOut);
    EXPECT_TRUE(jobs[0].blob.empty());
    for (size_t i = 1; i < jobs.size(); ++i) {
        EXPECT_FALSE(jobs[i].timedOut) << i;
        EXPECT_EQ(jobs[i].blob, "answer of " + jobs[i].server);
    }
    // Every job was told once; the other slot served the rest meanwhile.
    std::vector<size_t> sorted = order.ended;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(sorted, (std::vector<size_t>{0, 1, 2, 3, 4, 5, 6}));
    // The caller's jobs are gone; the abandoned thread finishes on its own copy.
    jobs.clear();
    SetEvent(g_answer);
    EXPECT_EQ(WaitForSingleObject(g_answered, 10000), WAIT_OBJECT_0);
}

TEST_F(ServerJobs, CancelStopsWaitingAtOnce) {
    HANDLE cancel = CreateEventA(nullptr, TRUE, TRUE, nullptr);
    limits_.cancelEvent = cancel;
    limits_.parallel = 1;
    limits_.timeoutMs = 600000;
    std::vector<ServerJob> jobs = Jobs({"SLOW", "SLOW", "SLOW"});
    EXPECT_FALSE(RunServerJobs(&jobs, limits_, nullptr));
    for (const ServerJob& job : jobs)
        EXPECT_TRUE(job.timedOut);
    // The one job started goes on to its end on its own copy.
    SetEvent(g_answer);
    EXPECT_EQ(WaitForSingleObject(g_answered, 10000), WAIT_OBJECT_0);
    CloseHandle(cancel);
}

// Needs no datagram listener: only gwconfig.exe and the registry take part.
class RemoteServers : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = FreshWorkDir(std::string("RemoteServers.") + info->name());
        own_ = OwnName();
        ASSERT_FALSE(own_.empty());
    }
    void TearDown() override { ResetFilterConfig(); }
    DWORD Gwconfig(const std::vector<std::string>& args) {
        return RunProgram(BinDir() + "gwconfig.exe", args, dir_ + "gwconfig.out");
    }
    std::string Output() { return ReadTextFile(dir_ + "gwconfig.out"); }
    // FilterConfig written as a configuration file in the case's folder.
    std::string WriteConfigFile(const std::string& name) {
        const std::string path = dir_ + name;
        EXPECT_TRUE(WriteTextFile(path, ConfigFileBytes()));
        return path;
    }
    std::string dir_;
    std::string own_;
};

TEST_F(RemoteServers, OwnNameReadsWhatRegistryReadsByteForByte) {
    Config(1, {"TS01"});
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    const std::string file = WriteConfigFile("stored.WTS");
    ASSERT_EQ(Gwconfig({"show", "--registry"}), 0u) << Output();
    const std::string local = Output();
    EXPECT_EQ(Gwconfig({"show", "--registry", "--computer", own_}), 0u);
    EXPECT_EQ(Output(), local);
    EXPECT_EQ(Gwconfig({"show", "--computer", "\\\\" + own_}), 0u);
    EXPECT_EQ(Output(), local);
    EXPECT_EQ(Gwconfig({"diff", file, "--computer", own_}), 0u) << Output();
    // export-reg of the server carries its stored blob.
    ASSERT_EQ(Gwconfig({"export-reg", "--computer", own_, "-o", dir_ + "server.reg"}), 0u)
        << Output();
    ASSERT_TRUE(DeleteConfigKey());
    ASSERT_EQ(RunProgram("reg.exe", {"import", dir_ + "server.reg"}, dir_ + "reg.out"), 0u);
    EXPECT_EQ(Gwconfig({"diff", "--computer", own_, file}), 0u) << Output();
}

TEST_F(RemoteServers, ApplyWithEventLogStoresItBesideTheServersConfiguration) {
    ASSERT_TRUE(DeleteConfigKey());
    Config(1);
    const std::string file = WriteConfigFile("farm.WTS");
    ASSERT_EQ(Gwconfig({"apply", file, "--computer", own_, "--event-log", "0"}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"show", "--computer", own_}), 0u) << Output();
    EXPECT_TRUE(Contains(Output(), "\"EventLog\": 0\r\n}")) << Output();
    ASSERT_EQ(Gwconfig({"show", "--registry", "--format", "text"}), 0u) << Output();
    EXPECT_TRUE(Contains(Output(), "EventLog = 0\r\n")) << Output();
}

TEST_F(RemoteServers, FailuresNameTheServerSayWhatToDoAndWriteNothing) {
    ASSERT_TRUE(DeleteConfigKey());
    Config(1);
    const std::string file = WriteConfigFile("farm.WTS");
    EXPECT_EQ(Gwconfig({"show", "--computer", DEAD}), 2u);
    EXPECT_TRUE(Contains(Output(), "cannot reach the registry of \\\\NO-SUCH-SERVER (error 53): "
                                   "is the server on and the Remote Registry service started?"))
        << Output();
    EXPECT_EQ(Gwconfig({"apply", file, "--computer", DEAD}), 2u);
    EXPECT_TRUE(Contains(Output(), "\\\\NO-SUCH-SERVER (error 53)")) << Output();
    // Unlike --registry, which stores the defaults where there is nothing, a server
    // without a configuration is told and left without one.
    EXPECT_EQ(Gwconfig({"show", "--computer", own_}), 2u);
    EXPECT_TRUE(Contains(Output(), "\\\\" + own_ + " has no configuration stored")) << Output();
    EXPECT_FALSE(ConfigKeyExists());
}

TEST_F(RemoteServers, AccessDeniedByTheKeysSecurityIsTold) {
    Config(1);
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_REGISTRY_SUBKEY, 0, READ_CONTROL | WRITE_DAC,
                            &key),
              ERROR_SUCCESS);
    // Everyone is denied reading and writing values; the owner can still put it back.
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    EXPLICIT_ACCESSA deny = {};
    deny.grfAccessPermissions = KEY_QUERY_VALUE | KEY_SET_VALUE;
    deny.grfAccessMode = DENY_ACCESS;
    deny.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    deny.Trustee.ptstrName = static_cast<LPSTR>(everyone);
    PACL oldAcl = nullptr, newAcl = nullptr;
    PSECURITY_DESCRIPTOR old = nullptr;
    ASSERT_EQ(GetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              &oldAcl, nullptr, &old),
              ERROR_SUCCESS);
    ASSERT_EQ(SetEntriesInAclA(1, &deny, oldAcl, &newAcl), ERROR_SUCCESS);
    ASSERT_EQ(SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                              newAcl, nullptr),
              ERROR_SUCCESS);

    const DWORD shown = Gwconfig({"show", "--computer", own_});
    const std::string output = Output();
    const DWORD farm = Gwconfig({"farm", WriteConfigFile("ref.WTS"), "--computer", own_});
    const std::string farmOutput = Output();

    SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, oldAcl,
                    nullptr);
    LocalFree(newAcl);
    LocalFree(old);
    FreeSid(everyone);
    RegCloseKey(key);
    EXPECT_EQ(shown, 2u);
    EXPECT_TRUE(
        Contains(output, "access to the configuration of \\\\" + own_ + " is denied (error 5)"))
        << output;
    EXPECT_EQ(farm, 1u);
    EXPECT_TRUE(Contains(farmOutput, "access denied")) << farmOutput;
}

TEST_F(RemoteServers, FarmTellsSameAndUnreachableEachOnItsLine) {
    Config(1);
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    const std::string reference = WriteConfigFile("ref.WTS");
    EXPECT_EQ(Gwconfig({"farm", reference, "--computer", own_, "--computer",
                        std::string("\\\\") + DEAD, "--timeout", "5"}),
              1u);
    const std::string output = Output();
    const std::string ownLabel = "\\\\" + own_;
    EXPECT_EQ(output.substr(0, ownLabel.size()), ownLabel) << output;
    EXPECT_TRUE(Contains(output, "  same\r\n")) << output;
    // The dead server answered (error 53) rather than running into its time limit.
    EXPECT_TRUE(Contains(output, "\\\\NO-SUCH-SERVER  unreachable: cannot reach the registry of "
                                 "\\\\NO-SUCH-SERVER (error 53)"))
        << output;
}

TEST_F(RemoteServers, FarmAsksTheReferencesServerMonitorListAndAnswersInJson) {
    Config(0);
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    Config(1, {own_, DEAD});
    const std::string reference = WriteConfigFile("ref.WTS");
    EXPECT_EQ(Gwconfig({"farm", reference, "--format", "json"}), 1u);
    const std::string output = Output();
    EXPECT_TRUE(Contains(output, "\"server\": \"" + own_ + "\",\r\n      \"status\": \"differs\"," +
                                     "\r\n      \"summary\": \""))
        << output;
    EXPECT_TRUE(Contains(output, "\"server\": \"NO-SUCH-SERVER\",\r\n      \"status\": "
                                 "\"unreachable\""))
        << output;
}

TEST_F(RemoteServers, FarmApplyWritesTheReferenceWhereItDiffersAndDryRunWritesNothing) {
    Config(1);
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    const std::vector<uint8_t> consoleBytes = StoredTsdata();
    const std::string reference = WriteConfigFile("ref.WTS");
    Config(0);
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    const std::vector<uint8_t> before = StoredTsdata();

    EXPECT_EQ(Gwconfig({"farm", reference, "--computer", own_, "--apply", "--dry-run"}), 1u);
    EXPECT_TRUE(Contains(Output(), "differs, would apply: ")) << Output();
    EXPECT_EQ(StoredTsdata(), before);

    // The dead server fails the run; the own one is written as the console's apply writes.
    EXPECT_EQ(Gwconfig({"farm", reference, "--computer", own_, "--computer", DEAD, "--apply"}), 1u);
    EXPECT_TRUE(Contains(Output(), "differs, applied: ")) << Output();
    EXPECT_EQ(StoredTsdata(), consoleBytes);
    EXPECT_EQ(Gwconfig({"farm", reference, "--computer", own_, "--apply"}), 0u) << Output();
    EXPECT_TRUE(Contains(Output(), "  same\r\n")) << Output();
}
