#include "replay/config_impact.h"

#include "engine/rejection.h"
#include "replay/replay_words.h"

ConfigImpactCounter::ConfigImpactCounter(const FilterConfigRecord& inUse, uint32_t inUseAudit,
                                         const FilterConfigRecord& edited, uint32_t editedAudit,
                                         uint32_t codePage, const char* record,
                                         ConfigImpact* impact)
    : inUseConfig_(inUse), editedConfig_(edited), inUse_(inUse, inUseAudit),
      edited_(edited, editedAudit), codePage_(codePage), record_(record), impact_(impact) {}

void ConfigImpactCounter::Session(const KnownSession& session, const ImpactSession& client) {
    ++impact_->sessions;
    DecideKnownSession(inUse_, session, &before_);
    DecideKnownSession(edited_, session, &after_);
    for (const ReplayDecision* decision : {&before_, &after_}) {
        if (decision->outcome == REPLAY_NOT_JUDGED) {
            ++impact_->notJudged[NotJudgedWords(*decision, record_)];
            return;
        }
    }
    if (before_.outcome == after_.outcome) {
        ++impact_->unchanged;
        if (after_.outcome == REPLAY_ADMITTED && after_.audited != 0 && before_.audited == 0)
            ++impact_->auditedNow;
        return;
    }
    if (after_.outcome == REPLAY_REFUSED) {
        const FilterVerdict& refusal = after_.filters[after_.decidedBy];
        impact_->tally.Add(
            IMPACT_REFUSED_NOW, VerdictKey(refusal) + '|' + std::to_string(after_.audited),
            [&](ImpactRule* rule) {
                rule->words = RuleWords(editedConfig_, refusal, codePage_);
                rule->code = RejectCodeText(refusal.code);
                rule->filter = refusal.filter;
                rule->place = PlaceOfVerdict(refusal);
                rule->audited = after_.audited;
            },
            client);
        return;
    }
    // Refused by the configuration in use; the same filter lets the client in now, or
    // only audits the refusal.
    const FilterVerdict& refusal = before_.filters[before_.decidedBy];
    const FilterVerdict& passed = after_.filters[before_.decidedBy];
    impact_->tally.Add(
        IMPACT_ADMITTED_NOW,
        VerdictKey(refusal) + '|' + VerdictKey(passed) + '|' + std::to_string(after_.audited),
        [&](ImpactRule* rule) {
            rule->words = RuleWords(inUseConfig_, refusal, codePage_) +
                          "; with the edits: " + RuleWords(editedConfig_, passed, codePage_) +
                          AuditedAlsoWords(editedConfig_, after_, passed.filter, codePage_);
            rule->code = RejectCodeText(refusal.code);
            rule->filter = refusal.filter;
            rule->place = PlaceOfVerdict(passed);
            rule->audited = after_.audited;
        },
        client);
}
