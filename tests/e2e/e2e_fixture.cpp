#include "tests/e2e/e2e_fixture.h"

#include "config/config_model.h"

DatagramSink* HostRunTest::sink_ = nullptr;
std::string HostRunTest::sinkError_;

void HostRunTest::SetUpTestSuite() {
    if (sink_)
        return;
    sink_ = new DatagramSink;
    if (!sink_->Open(&sinkError_)) {
        delete sink_;
        sink_ = nullptr;
    }
}

void HostRunTest::TearDownTestSuite() {
    delete sink_;
    sink_ = nullptr;
}

void HostRunTest::SetUp() {
    ASSERT_NE(sink_, nullptr) << sinkError_;
    // Wine shows the library's message boxes only on an X display.
    ASSERT_GT(GetEnvironmentVariableA("DISPLAY", nullptr, 0), 0u)
        << "DISPLAY is not set: start Xvfb and export DISPLAY";
    sink_->Drain(0); // nothing from an earlier case may count here
    consoleId_ = ConsoleSessionId();
    remoteId_ = consoleId_ + 2;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "." + info->name();
    for (char& c : name)
        if (c == '/' || c == '\\')
            c = '_'; // parameterised cases carry slashes in their names
    dir_ = FreshWorkDir(name);
    logPath_ = dir_ + "logon.log";
    record_ = dir_ + "calls.txt";
}

SessionSpec HostRunTest::RemoteClient() const {
    SessionSpec s;
    s.id = remoteId_;
    s.winStation = "RDP-Tcp#7";
    s.client = "PC-0005";
    s.address = "10.0.0.5";
    s.user = "alice";
    s.domain = "MARROWBY";
    s.build = 2600;
    s.display = "1280x1024x24";
    s.extra = "product=1 hwid=77";
    return s;
}

std::string HostRunTest::WriteScenario(uint32_t self, const std::vector<SessionSpec>& sessions) {
    std::string path = dir_ + "scenario.txt";
    EXPECT_TRUE(WriteTextFile(path, ScenarioText(self, sessions, ClientArp(), record_)));
    return path;
}

void HostRunTest::DefaultConfigWithLog() {
    LoadDefaultConfigIntoMemory();
    FilterConfig.FLAG_LOGON_LOGS = 1;
    CopyToField(FilterConfig.LOGON_LOGFILE, logPath_.c_str());
}

void ExpectEveryAnswerFreed(const std::string& recordPath) {
    size_t handedOut = 0;
    for (const std::string& line : RecordLines(recordPath, "query "))
        handedOut += line.size() > 3 && line.compare(line.size() - 3, 3, " ok") == 0;
    handedOut += RecordLines(recordPath, "enumerate ok").size();
    EXPECT_EQ(RecordLines(recordPath, "free").size(), handedOut)
        << "Terminal Services buffers handed out and freed differ";
}
