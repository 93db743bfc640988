// gwconfig.exe and the history of applied configurations in the registry: applies keep
// what they replace with the settings beside it, rollback stores a generation's bytes
// and is kept itself, the own computer's name reaches the same history as --registry,
// and values damaged by hand are named and skipped.
#include <gtest/gtest.h>

#include <windows.h>

#include <aclapi.h>

#include "config/config_model.h"
#include "tests/e2e/e2e_support.h"
#include "tests/support/config_registry.h"

namespace {

std::string OwnName() {
    char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
    DWORD size = sizeof name;
    GetComputerNameA(name, &size);
    return name;
}

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

std::vector<uint8_t> Stored(const char* name) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    ReadConfigValue(name, &type, &data);
    return data;
}

// A value of a generation's key, as the registry holds it.
std::vector<uint8_t> Kept(const std::string& generation, const char* name) {
    HKEY key = nullptr;
    std::vector<uint8_t> data;
    const std::string path = std::string(CONFIG_REGISTRY_SUBKEY) + "\\History\\" + generation;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return data;
    DWORD size = 0;
    if (RegQueryValueExA(key, name, nullptr, nullptr, nullptr, &size) == ERROR_SUCCESS) {
        data.resize(size);
        RegQueryValueExA(key, name, nullptr, nullptr, data.data(), &size);
    }
    RegCloseKey(key);
    return data;
}

} // namespace

class GwconfigHistory : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        dir_ = FreshWorkDir(std::string("GwconfigHistory.") + info->name());
        ASSERT_TRUE(DeleteConfigKey());
    }
    void TearDown() override {
        ResetFilterConfig();
        DeleteConfigKey();
    }
    DWORD Gwconfig(const std::vector<std::string>& args) {
        return RunProgram(BinDir() + "gwconfig.exe", args, dir_ + "gwconfig.out");
    }
    std::string Output() { return ReadTextFile(dir_ + "gwconfig.out"); }
    // A configuration file whose time filter is on or off.
    std::string File(const std::string& name, int timeFilter) {
        LoadDefaultConfigIntoMemory();
        FilterConfig.FLAG_TIME = timeFilter;
        const std::string path = dir_ + name;
        EXPECT_TRUE(WriteTextFile(path, ConfigFileBytes()));
        ResetFilterConfig();
        return path;
    }
    std::string dir_;
};

TEST_F(GwconfigHistory, AnApplyKeepsWhatItReplacesWithEverySettingBesideIt) {
    const std::string off = File("off.WTS", 0), on = File("on.WTS", 1);
    ASSERT_EQ(Gwconfig({"apply", off, "--event-log", "2"}), 0u) << Output();
    const std::vector<uint8_t> replaced = Stored("tsdata");
    const DWORD audit = 1;
    ASSERT_TRUE(WriteConfigValue("AuditOnly", REG_DWORD, &audit, sizeof audit));
    ASSERT_EQ(Gwconfig({"apply", on}), 0u) << Output();

    EXPECT_EQ(Kept("00000001", "tsdata"), replaced);
    EXPECT_EQ(Kept("00000001", "Setting EventLog"), (std::vector<uint8_t>{2, 0, 0, 0}));
    EXPECT_EQ(Kept("00000001", "Setting AuditOnly"), (std::vector<uint8_t>{1, 0, 0, 0}));
    ASSERT_EQ(Gwconfig({"history", "--format", "json"}), 0u) << Output();
    const std::string json = Output();
    EXPECT_TRUE(Contains(json, "\"number\": 1,\r\n      \"when\": \"20")) << json;
    EXPECT_TRUE(Contains(json, "\"program\": \"gwconfig.exe\"")) << json;
    EXPECT_TRUE(Contains(json, "\"summary\": \"Time Restrictions filter: switched on")) << json;
    EXPECT_TRUE(Contains(json, "\"settings\": {\r\n        \"AuditOnly\": 1,\r\n        "
                               "\"EventLog\": 2\r\n      }"))
        << json;
    EXPECT_FALSE(Contains(json, "\"number\": 2")) << "the first apply replaced nothing";
}

TEST_F(GwconfigHistory, RollbackStoresTheBytesOfGenerationNAndIsKeptItself) {
    const std::string off = File("off.WTS", 0), on = File("on.WTS", 1);
    ASSERT_EQ(Gwconfig({"apply", off, "--event-log", "0"}), 0u) << Output();
    const std::vector<uint8_t> first = Stored("tsdata");
    ASSERT_EQ(Gwconfig({"apply", on, "--event-log", "2"}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"apply", off}), 0u) << Output();
    // Generations: 1 = on (EventLog 2), 2 = off (EventLog 0). What the last two changed:
    EXPECT_EQ(Gwconfig({"diff", "--generation", "2", "--registry"}), 0u) << Output();
    EXPECT_EQ(Gwconfig({"diff", "--generation", "1", "--registry"}), 1u) << Output();
    EXPECT_TRUE(Contains(Output(), "~ FLAG_TIME: 1 -> 0")) << Output();

    ASSERT_EQ(Gwconfig({"rollback", "2"}), 0u) << Output();
    EXPECT_EQ(Stored("tsdata"), first);
    EXPECT_EQ(Stored("EventLog"), (std::vector<uint8_t>{0, 0, 0, 0}));
    ASSERT_EQ(Gwconfig({"history"}), 0u) << Output();
    EXPECT_TRUE(Contains(Output(), "gwconfig.exe  rollback to generation 2 (kept 20")) << Output();
    EXPECT_TRUE(Contains(Output(), "\r\n3 ")) << Output();
    ASSERT_EQ(Gwconfig({"show", "--generation", "2", "--format", "text"}), 0u) << Output();
    EXPECT_TRUE(Contains(Output(), "EventLog = 2\r\n")) << Output();

    EXPECT_EQ(Gwconfig({"rollback", "9"}), 2u);
    EXPECT_TRUE(Contains(Output(), "there is no generation 9: the history in the registry keeps 3"))
        << Output();
}

TEST_F(GwconfigHistory, TheOwnComputerNameReachesTheSameHistoryAsTheRegistry) {
    const std::string off = File("off.WTS", 0), on = File("on.WTS", 1);
    const std::string own = OwnName();
    ASSERT_EQ(Gwconfig({"apply", off}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"apply", on, "--computer", own}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"farm", off, "--computer", own, "--apply"}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"history"}), 0u) << Output();
    const std::string local = Output();
    EXPECT_TRUE(Contains(local, "\r\n2 ")) << local;
    ASSERT_EQ(Gwconfig({"history", "--computer", own}), 0u);
    EXPECT_EQ(Output(), local);

    ASSERT_EQ(Gwconfig({"rollback", "1", "--computer", "\\\\" + own}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"diff", "--generation", "1", "--computer", own}), 1u) << Output();
    ASSERT_EQ(Gwconfig({"export-reg", "--generation", "2", "-o", dir_ + "local.reg"}), 0u);
    ASSERT_EQ(
        Gwconfig({"export-reg", "--generation", "2", "--computer", own, "-o", dir_ + "own.reg"}),
        0u);
    EXPECT_EQ(ReadTextFile(dir_ + "own.reg"), ReadTextFile(dir_ + "local.reg"));
}

TEST_F(GwconfigHistory, ValuesDamagedByHandAreNamedAndSkippedAndNeverStopAnApply) {
    const std::string off = File("off.WTS", 0), on = File("on.WTS", 1);
    ASSERT_EQ(Gwconfig({"apply", off}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"apply", on}), 0u) << Output();
    HKEY key = nullptr;
    const std::string path = std::string(CONFIG_REGISTRY_SUBKEY) + "\\History\\00000001";
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_SET_VALUE, &key),
              ERROR_SUCCESS);
    RegSetValueExA(key, "tsdata", 0, REG_SZ, reinterpret_cast<const BYTE*>("text"), 5);
    RegCloseKey(key);

    ASSERT_EQ(Gwconfig({"history"}), 0u) << Output();
    EXPECT_TRUE(Contains(Output(), "warning: History\\00000001: \"tsdata\" is not binary: skipped"))
        << Output();
    EXPECT_TRUE(Contains(Output(), "unreadable: it holds no \"tsdata\"")) << Output();
    const std::vector<uint8_t> before = Stored("tsdata");
    EXPECT_EQ(Gwconfig({"rollback", "1"}), 2u);
    EXPECT_TRUE(Contains(Output(), "is unreadable and never restored")) << Output();
    EXPECT_EQ(Stored("tsdata"), before);

    ASSERT_EQ(Gwconfig({"apply", off}), 0u) << Output();
    EXPECT_FALSE(Kept("00000002", "tsdata").empty());
}

TEST_F(GwconfigHistory, RollbackOnThisServerAsksTheConsolesLockoutQuestionFirst) {
    // Generation 1 refuses the address of the session gwconfig runs in.
    LoadDefaultConfigIntoMemory();
    FilterConfig.FLAG_IPADDRESS = 1;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    IpRangeRow* row = new IpRangeRow();
    CopyToField(row->IPFROM, "10.20.0.66");
    row->TYPE = ROW_LOGON_DISABLED;
    FilterConfig.ipRanges.push_back(row);
    const std::string deny = dir_ + "deny.WTS";
    ASSERT_TRUE(WriteTextFile(deny, ConfigFileBytes()));
    ResetFilterConfig();
    ASSERT_EQ(Gwconfig({"apply", deny}), 0u) << Output();
    const std::vector<uint8_t> refusing = Stored("tsdata");
    ASSERT_EQ(Gwconfig({"apply", File("off.WTS", 0)}), 0u) << Output();
    const std::vector<uint8_t> admitting = Stored("tsdata");

    // gwconfig.exe runs in a remote session from 10.20.0.66, told by the stand-in.
    SessionSpec own;
    own.id = ConsoleSessionId() + 2;
    own.address = "10.20.0.66";
    const std::string scenario = dir_ + "scenario.txt";
    ASSERT_TRUE(WriteTextFile(scenario, ScenarioText(own.id, {own}, {}, "")));
    const char OVERRIDES[] = "Software\\Wine\\AppDefaults\\gwconfig.exe\\DllOverrides";
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, OVERRIDES, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "wtsapi32", 0, REG_SZ, reinterpret_cast<const BYTE*>("native"), 7);
    RegCloseKey(key);
    SetEnvironmentVariableA("GW_SCENARIO", scenario.c_str());

    const DWORD refused = Gwconfig({"rollback", "1"});
    const std::string said = Output();
    const std::vector<uint8_t> afterRefusal = Stored("tsdata");
    const DWORD forced = Gwconfig({"rollback", "1", "--force"});
    SetEnvironmentVariableA("GW_SCENARIO", nullptr);
    RegDeleteKeyA(HKEY_CURRENT_USER, OVERRIDES);

    EXPECT_EQ(refused, 1u) << said;
    EXPECT_TRUE(Contains(said, "applying this configuration would lock you out")) << said;
    EXPECT_TRUE(Contains(said, "gwconfig rollback 1 --force")) << said;
    EXPECT_EQ(afterRefusal, admitting) << "a refused rollback stores nothing";
    EXPECT_EQ(forced, 0u) << Output();
    EXPECT_EQ(Stored("tsdata"), refusing);
}

TEST_F(GwconfigHistory, AHistoryThatCannotBeReadNeverStopsAnApply) {
    const std::string off = File("off.WTS", 0), on = File("on.WTS", 1);
    ASSERT_EQ(Gwconfig({"apply", off}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"apply", on}), 0u) << Output();
    // Nobody may list the generations below "History" any more.
    HKEY key = nullptr;
    const std::string path = std::string(CONFIG_REGISTRY_SUBKEY) + "\\History";
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, READ_CONTROL | WRITE_DAC, &key),
              ERROR_SUCCESS);
    SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
    PSID everyone = nullptr;
    ASSERT_TRUE(
        AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone));
    EXPLICIT_ACCESSA deny = {};
    deny.grfAccessPermissions = KEY_ENUMERATE_SUB_KEYS;
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

    const DWORD applied = Gwconfig({"apply", off});
    const std::string said = Output();
    const std::vector<uint8_t> stored = Stored("tsdata");
    SetSecurityInfo(key, SE_REGISTRY_KEY, DACL_SECURITY_INFORMATION, nullptr, nullptr, oldAcl,
                    nullptr);
    LocalFree(newAcl);
    LocalFree(old);
    FreeSid(everyone);
    RegCloseKey(key);

    EXPECT_EQ(applied, 0u) << said;
    EXPECT_TRUE(Contains(said, "warning: the configuration it replaces was not kept in the "
                               "history: the history could not be read (error 5)"))
        << said;
    EXPECT_EQ(stored, Kept("00000001", "tsdata")) << "the apply stored the configuration";
}
