#include "gwconfig/check.h"

#include <ctime>
#include <memory>

#include "config/config_model.h"
#include "explain/decision_words.h"

CheckOutcome RunCheck(const CheckSession& session, bool atGiven, uint32_t codePage,
                      std::string* report, bool summary, uint32_t auditMask) {
    DescribedFacts facts(session);
    std::unique_ptr<SessionDecision> decision(new SessionDecision());
    DecideSession(FilterConfig, facts, decision.get(), auditMask);
    ExplainOptions options;
    options.codePage = codePage;
    options.atGiven = atGiven;
    if (summary) {
        const DecisionWords words = DecisionWordsOf(FilterConfig, *decision, codePage);
        *report += words.verdict + "\n" + words.entry + "\n";
    }
    ExplainDecision(FilterConfig, session, *decision, options, report);
    CheckOutcome outcome;
    outcome.admitted = decision->admitted;
    outcome.code = decision->code;
    if (!decision->admitted) {
        outcome.caption = decision->caption;
        outcome.message = decision->message;
    }
    return outcome;
}

LocalDateTime LocalNow() {
    std::time_t now = std::time(nullptr);
    const std::tm local = *std::localtime(&now);
    return LocalDateTime{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_wday,
                         local.tm_hour,        local.tm_min,     local.tm_sec};
}
