// Filters that only audit ("AuditOnly" beside the configuration), in a real host
// process: the refusal a filter would have made is a log line "Audited" and the session
// goes on past the box and the exit; a filter that enforces after it still refuses; an
// AuditOnly of 0 leaves a refusal's line and datagram as an absent one does. (The event
// the library reports is read from Wine's trace in tests/eventlog.)
#include "tests/e2e/e2e_fixture.h"

#include "config/config_model.h"

namespace {

const char NAME_CAPTION[] = "Test bed - computer name turned away";

// A deny row for the client's address (its box would be "Test bed - address").
void DenyClientAddress() {
    FilterConfig.FLAG_IPADDRESS = 1;
    FilterConfig.FLAG_IPADDRESS_ALLOW = 1;
    IpRangeRow* row = new IpRangeRow();
    CopyToField(row->IPFROM, "10.0.0.5");
    row->TYPE = ROW_LOGON_DISABLED;
    FilterConfig.ipRanges.push_back(row);
    CopyToField(FilterConfig.TITLE_IPADDRESS, "Test bed - address");
}

bool StoreAuditOnly(DWORD value) {
    return WriteConfigValue("AuditOnly", REG_DWORD, &value, sizeof value);
}

void RemoveAuditOnly() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, CONFIG_REGISTRY_SUBKEY, 0, KEY_SET_VALUE, &key) ==
        ERROR_SUCCESS) {
        RegDeleteValueA(key, "AuditOnly");
        RegCloseKey(key);
    }
}

// The decision and code of each line.
std::vector<std::string> Decisions(const std::string& log) {
    bool terminated = false;
    std::vector<std::string> out;
    for (const std::string& line : LogLines(log, &terminated)) {
        std::vector<std::string> f = SplitFields(line);
        out.push_back(f.size() == 10 ? f[7] + " " + f[8] : "unreadable: " + line);
    }
    return out;
}

class AuditOnly : public HostRunTest {
protected:
    void TearDown() override { RemoveAuditOnly(); }
};

TEST_F(AuditOnly, AuditedRefusalAdmitsTheSessionAndAnEnforcingFilterAfterItStillRefuses) {
    DefaultConfigWithLog();
    DenyClientAddress();
    ASSERT_EQ(StoreConfig(), 0);
    ASSERT_TRUE(StoreAuditOnly(0x1));
    const std::string scenario = WriteScenario(remoteId_, {RemoteClient()});
    // No box waits for an answer: the host runs to its end.
    EXPECT_EQ(RunHost(scenario, {"startup", "logon"}, 30000), 0u);
    EXPECT_EQ(Decisions(ReadTextFile(logPath_)),
              (std::vector<std::string>{"Audited REJECT_IPADDRESS", "Accepted "}));
    EXPECT_TRUE(RecordLines(record_, "logoff").empty());
    EXPECT_EQ(sink_->Drain().size(), 2u);

    // The computer name filter enforces: its refusal comes after the audited line.
    FilterConfig.FLAG_COMPUTERNAME = 1;
    FilterConfig.FLAG_COMPUTERNAME_ALLOW = 0;
    CopyToField(FilterConfig.TITLE_COMPUTERNAME, NAME_CAPTION);
    ASSERT_EQ(StoreConfig(), 0);
    ASSERT_TRUE(WriteTextFile(logPath_, ""));
    HostProcess host;
    ASSERT_TRUE(StartHost(scenario, {"startup"}, &host));
    HWND box = AwaitWindowWithCaption(NAME_CAPTION, 30000, host);
    ASSERT_NE(box, nullptr) << "no message box; host ended with " << host.Wait(0);
    PressOk(box);
    EXPECT_EQ(host.Wait(30000), EXIT_CODE_MINUS_ONE);
    EXPECT_EQ(
        Decisions(ReadTextFile(logPath_)),
        (std::vector<std::string>{"Audited REJECT_IPADDRESS", "Rejected REJECT_COMPUTERNAME"}));
    sink_->Drain();
}

TEST_F(AuditOnly, ZeroChangesNoByteOfARefusal) {
    DefaultConfigWithLog();
    DenyClientAddress();
    ASSERT_EQ(StoreConfig(), 0);
    const std::string scenario = WriteScenario(remoteId_, {RemoteClient()});
    std::string lines[2], datagrams[2];
    for (int run = 0; run < 2; ++run) {
        if (run == 1) {
            ASSERT_TRUE(StoreAuditOnly(0));
        }
        ASSERT_TRUE(WriteTextFile(logPath_, ""));
        HostProcess host;
        ASSERT_TRUE(StartHost(scenario, {"startup"}, &host));
        HWND box = AwaitWindowWithCaption("Test bed - address", 30000, host);
        ASSERT_NE(box, nullptr) << "run " << run << ": no box; host ended with " << host.Wait(0);
        PressOk(box);
        EXPECT_EQ(host.Wait(30000), EXIT_CODE_MINUS_ONE);
        const std::string log = ReadTextFile(logPath_);
        ASSERT_FALSE(log.empty()) << "run " << run;
        lines[run] = log.substr(log.find(',')); // all but the timestamp
        std::vector<std::string> sent = sink_->Drain();
        ASSERT_EQ(sent.size(), 1u);
        datagrams[run] = sent[0];
    }
    EXPECT_EQ(lines[1], lines[0]);
    EXPECT_NE(lines[0].find(",Rejected,REJECT_IPADDRESS,\r\n"), std::string::npos) << lines[0];
    EXPECT_EQ(datagrams[1], datagrams[0]);
}

} // namespace
