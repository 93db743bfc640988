#include "console/shell/lockout_guard.h"

#include <cstdio>
#include <memory>
#include <vector>

#include "engine/own_session_facts.h"
#include "engine/rejection.h"
#include "engine/session_facts.h"
#include "explain/decision_text.h"
#include "explain/decision_words.h"
#include "platform/codepage.h"
#include "platform/message_box.h"

namespace {

// MB_DEFBUTTON2: No is the button Enter presses.
const uint32_t BOX_SECOND_BUTTON_DEFAULT = 0x100;

const MissingFactWords OWN_SESSION_WORDS = {{
    "",
    "cannot be read for this session",
    "cannot be read for this session",
    "cannot be read for this session",
    "cannot be read for this session",
    "cannot be read for this session",
    "cannot be counted for this session",
    "cannot be counted for this session",
}};

// The own session's facts, noting each one the decision used, as the box names them.
class UsedFacts : public FactSource {
public:
    explicit UsedFacts(uint32_t codePage) : codePage_(codePage) {}
    std::vector<std::string> used;

    int ClientAddress(uint32_t* address) override {
        const int result = own_.ClientAddress(address);
        char text[32];
        snprintf(text, sizeof text, "%u.%u.%u.%u", *address >> 24, *address >> 16 & 0xFF,
                 *address >> 8 & 0xFF, *address & 0xFF);
        Note(result, "address ", text);
        return result;
    }
    int ClientName(char* name, size_t size) override {
        const int result = own_.ClientName(name, size);
        Note(result, "computer name ", result == 0 ? QuotedText(name, codePage_) : "");
        return result;
    }
    int ClientMac(const char* addressText, char* text) override {
        const int result = own_.ClientMac(addressText, text);
        Note(result, "MAC address ", result == 0 ? text : "");
        return result;
    }
    int ClientBuild(uint32_t* build) override {
        const int result = own_.ClientBuild(build);
        Note(result, "build ", std::to_string(*build));
        return result;
    }
    int UserName(char* name, size_t size) override {
        const int result = own_.UserName(name, size);
        Note(result, "user ", result == 0 ? QuotedText(name, codePage_) : "");
        return result;
    }
    int IsBuiltInAdministrator(const char* user) override {
        const int result = own_.IsBuiltInAdministrator(user);
        Note(0, result == 1 ? "the built-in administrator" : "not the built-in administrator", "");
        return result;
    }
    int SessionsFromAddress(uint32_t address, bool skipDisconnected, uint32_t* count) override {
        const int result = own_.SessionsFromAddress(address, skipDisconnected, count);
        Note(result, "sessions from this address ", std::to_string(*count));
        return result;
    }
    int SessionsOfUser(const char* user, bool skipDisconnected, uint32_t* count) override {
        const int result = own_.SessionsOfUser(user, skipDisconnected, count);
        Note(result, "sessions of this user ", std::to_string(*count));
        return result;
    }
    void LocalTime(LocalDateTime* now) override {
        own_.LocalTime(now);
        Note(0, "time ", CheckTimeText(*now));
    }
    int DisconnectedSessionKnown() override { return own_.DisconnectedSessionKnown(); }

private:
    void Note(int result, const char* what, const std::string& value) {
        const std::string text =
            std::string(what) + (result == 0 ? value : std::string("(cannot be read)"));
        for (const std::string& seen : used) {
            if (seen == text)
                return;
        }
        used.push_back(text);
    }

    OwnSessionFacts own_;
    uint32_t codePage_;
};

} // namespace

namespace {

// The session's facts as the box lists them.
std::string SessionFacts(const UsedFacts& facts) {
    std::string text = "Your session:";
    for (size_t k = 0; k < facts.used.size(); ++k)
        text += (k == 0 ? " " : ", ") + facts.used[k];
    return text + ".";
}

// The details: the deciding filter's function, its code and reasons.
std::string Details(const FilterConfigRecord& config, const FilterVerdict& verdict,
                    const char* verb, uint32_t codePage) {
    ExplainOptions options;
    options.codePage = codePage;
    options.missing = &OWN_SESSION_WORDS;
    std::string text = "Details: " + std::string(FilterName(verdict.filter)) + " " + verb +
                       " with code " + std::to_string(verdict.code) + " (" +
                       RejectCodeText(verdict.code) + ")\n";
    for (const std::string& reason : VerdictReasons(config, verdict, options))
        text += "    " + reason + "\n";
    return text;
}

} // namespace

std::string LockoutQuestion(const FilterConfigRecord& config, uint32_t auditMask) {
    if (SessionIsConsoleOrUnknown() != 0)
        return "";
    const uint32_t codePage = SystemAnsiCodePage();
    UsedFacts facts(codePage);
    std::unique_ptr<SessionDecision> decision(new SessionDecision());
    DecideSession(config, facts, decision.get(), auditMask);
    if (decision->admitted)
        return "";
    // What happens and how to mend it first, in the pages' words; the configuration's
    // own names only in the details.
    const DecisionWords words = DecisionWordsOf(config, *decision, codePage);
    std::string text = words.verdict + ": applying this configuration would lock you out.\n";
    text += words.entry + "\n" + words.change + "\n\n" + SessionFacts(facts) + "\n\n";
    text += Details(config, decision->filters[decision->refusedBy], "refuses", codePage);
    text += "\nApply the configuration anyway?";
    return text;
}

std::string LockoutNotice(const FilterConfigRecord& config, uint32_t auditMask) {
    if (auditMask == 0 || SessionIsConsoleOrUnknown() != 0)
        return "";
    const uint32_t codePage = SystemAnsiCodePage();
    UsedFacts facts(codePage);
    std::unique_ptr<SessionDecision> decision(new SessionDecision());
    DecideSession(config, facts, decision.get(), auditMask);
    if (!decision->admitted || decision->auditedBy < 0)
        return "";
    const DecisionWords words = DecisionWordsOf(config, *decision, codePage);
    std::string text = words.verdict + ".\n" + words.entry + "\n" + words.change +
                       " That would lock you out.\n\n" + SessionFacts(facts) + "\n\n";
    text += Details(config, decision->filters[decision->auditedBy], "only audits its refusal",
                    codePage);
    return text;
}

bool ConfirmNoLockout(const FilterConfigRecord& config, uint32_t auditMask) {
    const std::string question = LockoutQuestion(config, auditMask);
    if (question.empty()) {
        const std::string notice = LockoutNotice(config, auditMask);
        if (!notice.empty())
            ShowMessageBox(notice.c_str(), nullptr, BOX_OK | BOX_ICONINFORMATION);
        return true;
    }
    return ShowMessageBox(question.c_str(), nullptr,
                          BOX_YESNO | BOX_ICONWARNING | BOX_SECOND_BUTTON_DEFAULT) == ANSWER_YES;
}
