// gwconfig.exe against the registry: apply stores a configuration file exactly as the
// console's apply does (and a file that does not decode changes nothing), and a
// registry file from export-reg, imported with reg, is what gatewell.dll loads. EventLog
// goes beside the configuration only when apply is given it.
#include "tests/e2e/e2e_fixture.h"

#include "config/config_mapping.h"
#include "config/config_model.h"
#include "config/container.h"
#include "config/persistence.h"

namespace {

const char IMPORTED_CAPTION[] = "Farm rule - imported with reg";
const char IMPORTED_MESSAGE[] = "10.0.0.5 is turned away by the farm's configuration.";

// A configuration with a row in every table, refusing the test bed's client.
void FarmConfig() {
    LoadDefaultConfigIntoMemory();
    FilterConfig.FLAG_IPADDRESS = 1;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    CopyToField(FilterConfig.TITLE_IPADDRESS, IMPORTED_CAPTION);
    CopyToField(FilterConfig.MSG_IPADDRESS, IMPORTED_MESSAGE);
    IpRangeRow* ip = new IpRangeRow();
    CopyToField(ip->IPFROM, "10.0.0.0");
    CopyToField(ip->IPTO, "10.0.0.9");
    ip->TYPE = ROW_LOGON_DISABLED;
    FilterConfig.ipRanges.push_back(ip);
    ComputerNameRow* name = new ComputerNameRow();
    CopyToField(name->CNAME, "PC-*");
    name->TYPE = ROW_LOGON_ENABLED;
    FilterConfig.computerNames.push_back(name);
    MacAddressRow* mac = new MacAddressRow();
    CopyToField(mac->MACADDRESS, "00-1A-2B-3C-4D-5E");
    FilterConfig.macAddresses.push_back(mac);
    MonitorServerRow* server = new MonitorServerRow();
    CopyToField(server->SERVER, "TS01");
    FilterConfig.monitorServers.push_back(server);
    SessionIpRow* sip = new SessionIpRow();
    CopyToField(sip->SESSION_IP, "10.0.0.7");
    sip->SESSION_IPCOUNTER = 2;
    FilterConfig.sessionIps.push_back(sip);
    SessionUserRow* user = new SessionUserRow();
    CopyToField(user->SESSION_USER, "alice");
    user->SESSION_USERCOUNT = 3;
    FilterConfig.sessionUsers.push_back(user);
}

std::vector<uint8_t> StoredValue(const char* name) {
    DWORD type = 0;
    std::vector<uint8_t> data;
    ReadConfigValue(name, &type, &data);
    return data;
}

} // namespace

class GwconfigRegistry : public HostRunTest {
protected:
    DWORD Gwconfig(const std::vector<std::string>& args) {
        return RunProgram(BinDir() + "gwconfig.exe", args, dir_ + "gwconfig.out");
    }
    std::string Output() { return ReadTextFile(dir_ + "gwconfig.out"); }
};

TEST_F(GwconfigRegistry, ApplyWritesWhatTheConsolesApplyWrites) {
    FarmConfig();
    const std::string file = dir_ + "farm.WTS";
    ASSERT_TRUE(WriteTextFile(file, ConfigFileBytes()));
    // What the console's apply stores for this configuration.
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    const std::vector<uint8_t> consoleData = StoredValue("tsdata");
    const std::vector<uint8_t> consoleSize = StoredValue("datasize");
    ASSERT_FALSE(consoleData.empty());

    ASSERT_TRUE(DeleteConfigKey());
    ASSERT_EQ(Gwconfig({"apply", file}), 0u) << Output();
    EXPECT_EQ(StoredValue("tsdata"), consoleData);
    EXPECT_EQ(StoredValue("datasize"), consoleSize);
    // The registry and the file now hold one configuration; a changed file differs.
    EXPECT_EQ(Gwconfig({"diff", "--registry", file}), 0u) << Output();
    FilterConfig.FLAG_TIME = 1;
    ASSERT_TRUE(WriteTextFile(dir_ + "changed.WTS", ConfigFileBytes()));
    EXPECT_EQ(Gwconfig({"diff", dir_ + "changed.WTS", "--registry"}), 1u);
    EXPECT_NE(
        Output().find("--- '" + dir_ + "changed.WTS'\r\n+++ the registry\r\n~ FLAG_TIME: 1 -> 0"),
        std::string::npos)
        << Output();

    // And the console reads it back as the configuration of the file.
    ResetFilterConfig();
    ASSERT_EQ(LoadConfigFromRegistry(), 0);
    ASSERT_EQ(FilterConfig.sessionUsers.size(), 1u);
    EXPECT_EQ(FilterConfig.sessionUsers[0]->SESSION_USERCOUNT, 3);
    EXPECT_STREQ(FilterConfig.TITLE_IPADDRESS, IMPORTED_CAPTION);
    ResetFilterConfig();
}

TEST_F(GwconfigRegistry, ApplyOfAFileThatDoesNotDecodeChangesNothing) {
    FarmConfig();
    ASSERT_EQ(SaveConfigToRegistry(), 0);
    ResetFilterConfig();
    const std::vector<uint8_t> before = StoredValue("tsdata");
    ASSERT_TRUE(WriteTextFile(dir_ + "damaged.WTS", "\x99 this is no configuration"));

    EXPECT_EQ(Gwconfig({"apply", dir_ + "damaged.WTS"}), 2u);
    EXPECT_NE(Output().find("the registry was not changed"), std::string::npos) << Output();
    EXPECT_EQ(StoredValue("tsdata"), before);
}

TEST_F(GwconfigRegistry, EventLogIsStoredBesideTheConfigurationAndKeptByAPlainApply) {
    FarmConfig();
    const std::string file = dir_ + "farm.WTS";
    ASSERT_TRUE(WriteTextFile(file, ConfigFileBytes()));
    ResetFilterConfig();
    ASSERT_TRUE(DeleteConfigKey());
    ASSERT_EQ(Gwconfig({"show", "--registry"}), 0u) << Output();
    EXPECT_EQ(Output().find("EventLog"), std::string::npos) << Output();

    ASSERT_EQ(Gwconfig({"apply", file, "--event-log", "2"}), 0u) << Output();
    EXPECT_EQ(StoredValue("EventLog"), (std::vector<uint8_t>{2, 0, 0, 0}));
    ASSERT_EQ(Gwconfig({"apply", file}), 0u) << Output();
    ASSERT_EQ(Gwconfig({"show", "--registry"}), 0u) << Output();
    EXPECT_NE(Output().find("  \"EventLog\": 2\r\n}"), std::string::npos) << Output();
    ResetFilterConfig();
}

TEST_F(GwconfigRegistry, AuditOnlyIsStoredBesideTheConfigurationAfterEventLog) {
    FarmConfig();
    const std::string file = dir_ + "farm.WTS";
    ASSERT_TRUE(WriteTextFile(file, ConfigFileBytes()));
    ResetFilterConfig();
    ASSERT_TRUE(DeleteConfigKey());
    ASSERT_EQ(Gwconfig({"apply", file, "--audit-only", "17", "--event-log", "0"}), 0u) << Output();
    EXPECT_NE(Output().find("stored in the registry, with EventLog 0 and AuditOnly 17.\r\n"),
              std::string::npos)
        << Output();
    EXPECT_EQ(StoredValue("AuditOnly"), (std::vector<uint8_t>{17, 0, 0, 0}));
    ASSERT_EQ(Gwconfig({"show", "--registry", "--format", "text"}), 0u) << Output();
    EXPECT_NE(Output().find("EventLog = 0\r\nAuditOnly = 17\r\n"), std::string::npos) << Output();
    ASSERT_TRUE(DeleteConfigKey()); // the library's cases start without it
    ResetFilterConfig();
}

TEST_F(GwconfigRegistry, ExportedRegistryFileImportedWithRegIsWhatTheLibraryLoads) {
    FarmConfig();
    const std::string file = dir_ + "farm.WTS";
    const std::string regFile = dir_ + "farm.reg";
    ASSERT_TRUE(WriteTextFile(file, ConfigFileBytes()));
    ResetFilterConfig();
    ASSERT_EQ(Gwconfig({"export-reg", file, "-o", regFile}), 0u) << Output();

    ASSERT_TRUE(DeleteConfigKey());
    ASSERT_EQ(RunProgram("reg.exe", {"import", regFile}, dir_ + "reg.out"), 0u)
        << ReadTextFile(dir_ + "reg.out");
    EXPECT_EQ(StoredValue("tsdata").size(), ReadTextFile(file).size());

    // The library, loaded into a host for the client at 10.0.0.5, refuses it with the
    // imported configuration's caption and message.
    HostProcess host;
    ASSERT_TRUE(StartHost(WriteScenario(remoteId_, {RemoteClient()}), {"startup"}, &host));
    HWND box = AwaitWindowWithCaption(IMPORTED_CAPTION, 30000, host);
    ASSERT_NE(box, nullptr) << "no message box; host ended with " << host.Wait(0);
    EXPECT_EQ(MessageBoxText(box), IMPORTED_MESSAGE);
    PressOk(box);
    EXPECT_EQ(host.Wait(30000), EXIT_CODE_MINUS_ONE);
    sink_->Drain();
}

TEST_F(GwconfigRegistry, ShowAndBuildConvertTextsThroughTheCodePage) {
    LoadDefaultConfigIntoMemory();
    CopyToField(FilterConfig.MSG_TIME, "Caf\xE9 \x80 5");
    const std::string file = dir_ + "texts.WTS";
    ASSERT_TRUE(WriteTextFile(file, ConfigFileBytes()));
    ResetFilterConfig();
    ASSERT_EQ(Gwconfig({"show", file, "--codepage", "1252"}), 0u);
    const std::string json = Output();
    EXPECT_NE(json.find("\"MSG_TIME\": \"Caf\xC3\xA9 \xE2\x82\xAC 5\""), std::string::npos) << json;
    ASSERT_TRUE(WriteTextFile(dir_ + "texts.json", json));
    ASSERT_EQ(
        Gwconfig({"build", dir_ + "texts.json", "-o", dir_ + "again.WTS", "--codepage", "1252"}),
        0u)
        << Output();
    EXPECT_EQ(ReadTextFile(dir_ + "again.WTS"), ReadTextFile(file));
    // A character code page 1252 cannot hold is refused, and nothing is written.
    ASSERT_TRUE(WriteTextFile(dir_ + "greek.json", "{\"MSG_TIME\": \"\xCE\xA9\"}"));
    EXPECT_EQ(
        Gwconfig({"build", dir_ + "greek.json", "-o", dir_ + "greek.WTS", "--codepage", "1252"}),
        2u);
    EXPECT_NE(Output().find("U+03A9 cannot be written in code page 1252"), std::string::npos)
        << Output();
    EXPECT_FALSE(FileExists(dir_ + "greek.WTS"));
}
