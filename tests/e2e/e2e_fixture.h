// The shared set-up of the end-to-end cases: one datagram listener for the whole
// program, the console session id Wine reports, a remote session id that differs
// from it, and the facts of the remote client the scenarios describe.
#pragma once

#include "tests/e2e/e2e_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

// Offsets of the session record fields the cases look at.
enum RecordOffset : size_t {
    REC_SESSION_ID = 0,
    REC_STATE = 4,
    REC_WINSTATION = 8,
    REC_CLIENT_NAME = 72,
    REC_ADDRESS = 136,
    REC_MAC = 200,
    REC_BUILD = 328,
    REC_PRODUCT_ID = 596,
    REC_DOMAIN = 600,
    REC_USER = 792,
    REC_DISPLAY = 1116,
};
const size_t SESSION_RECORD_SIZE = 1128;
const size_t RECORD_TEXT_WIDTH = 64;

class HostRunTest : public ::testing::Test {
public:
    static void SetUpTestSuite();
    static void TearDownTestSuite();

protected:
    void SetUp() override;

    // The remote client most cases use: 10.0.0.5, answering ARP.
    SessionSpec RemoteClient() const;
    static std::string ClientMacText() { return "00-1A-2B-3C-4D-5E"; }
    std::vector<std::string> ClientArp() const { return {"10.0.0.5 00-1a-2b-3c-4d-5e"}; }

    // Writes a scenario into the case's folder and returns its path.
    std::string WriteScenario(uint32_t self, const std::vector<SessionSpec>& sessions);

    // FilterConfig at defaults with the logon log switched on into the case's folder.
    void DefaultConfigWithLog();

    static DatagramSink* sink_;
    static std::string sinkError_;
    uint32_t consoleId_ = 0;
    uint32_t remoteId_ = 0;
    std::string dir_;     // the case's working folder
    std::string logPath_; // its logon log
    std::string record_;  // its stand-in call record
};

// Every Terminal Services buffer handed out (successful query or enumeration) was
// given back with WTSFreeMemory.
void ExpectEveryAnswerFreed(const std::string& recordPath);
