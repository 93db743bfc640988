// The fixture every engine test starts from: a clean machine and configuration, the
// messages of a rejection at hand.
#pragma once

#include <gtest/gtest.h>

#include "config/config_model.h"
#include "tests/engine/fake_platform.h"

class EngineTest : public ::testing::Test {
protected:
    static constexpr const char* LOG_FILE = "engine.log";

    void SetUp() override {
        ResetEngineWorld();
        // Every decision is logged, so that a test reads the code a rejection carried.
        FilterConfig.FLAG_LOGON_LOGS = 1;
        CopyToField(FilterConfig.LOGON_LOGFILE, LOG_FILE);
        CopyToField(FilterConfig.MSG_IPADDRESS, "msg ip");
        CopyToField(FilterConfig.TITLE_IPADDRESS, "title ip");
        CopyToField(FilterConfig.MSG_COMPUTERNAME, "msg name");
        CopyToField(FilterConfig.TITLE_COMPUTERNAME, "title name");
        CopyToField(FilterConfig.MSG_MACADDRESS, "msg mac");
        CopyToField(FilterConfig.TITLE_MACADDRESS, "title mac");
        CopyToField(FilterConfig.MSG_TIME, "msg time");
        CopyToField(FilterConfig.TITLE_TIME, "title time");
        CopyToField(FilterConfig.MSG_VERSION, "msg version");
        CopyToField(FilterConfig.TITLE_VERSION, "title version");
        CopyToField(FilterConfig.MSG_SESSIONPERIP, "msg per ip");
        CopyToField(FilterConfig.TITLE_SESSIONPERIP, "title per ip");
        CopyToField(FilterConfig.MSG_SESSIONPERUSER, "msg per user");
        CopyToField(FilterConfig.TITLE_SESSIONPERUSER, "title per user");
    }
    void TearDown() override { ClearConfigLists(); }

    // The calling process's session: id 3, client 10.0.0.5 "PC-5", user "alice".
    FakeSession& Own(const char* address = "10.0.0.5", const char* name = "PC-5",
                     const char* user = "alice") {
        Machine.currentSessionId = 3;
        return AddSession(3, address, name, user);
    }

    // A rejection releases the row lists; checks of several clients against one
    // table put the rows back first. The first call takes the rows as they stand.
    void RestoreRows() {
        if (!rowsSaved_) {
            for (auto* row : FilterConfig.ipRanges)
                ipRows_.push_back(*row);
            for (auto* row : FilterConfig.computerNames)
                nameRows_.push_back(*row);
            for (auto* row : FilterConfig.macAddresses)
                macRows_.push_back(*row);
            rowsSaved_ = true;
            return;
        }
        ClearConfigLists();
        for (const auto& row : ipRows_)
            FilterConfig.ipRanges.push_back(new IpRangeRow(row));
        for (const auto& row : nameRows_)
            FilterConfig.computerNames.push_back(new ComputerNameRow(row));
        for (const auto& row : macRows_)
            FilterConfig.macAddresses.push_back(new MacAddressRow(row));
    }

    // The last two fields of the latest log line, e.g. "Rejected,REJECT_IPADDRESS,";
    // "" when nothing was logged.
    static std::string LoggedDecision() {
        std::vector<std::string> lines = LogLines(LOG_FILE);
        if (lines.empty())
            return "";
        const std::string& line = lines.back();
        size_t at = line.rfind(",Rejected,");
        if (at == std::string::npos)
            at = line.rfind(",Accepted,");
        return at == std::string::npos ? line : line.substr(at + 1, line.size() - at - 3);
    }

    // The only message shown, as "caption|text"; "" when none or several.
    static std::string OnlyMessage() {
        if (Machine.messages.size() != 1)
            return "";
        return Machine.messages[0].caption + "|" + Machine.messages[0].text;
    }

private:
    bool rowsSaved_ = false;
    std::vector<IpRangeRow> ipRows_;
    std::vector<ComputerNameRow> nameRows_;
    std::vector<MacAddressRow> macRows_;
};
