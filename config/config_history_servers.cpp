// The history where it lives: this server's registry, another server's, a server job.
#include "config/config_history.h"

#include <ctime>

#include "platform/event_log.h"

namespace {

std::string Unreachable(uint32_t error) {
    return "the configuration it replaces was not kept in the history: the registry could "
           "not be reached (error " +
           std::to_string(error) + ")";
}

std::string KeepThrough(std::unique_ptr<ConfigKeyPort> key, uint32_t error,
                        const GenerationFacts& facts) {
    return key ? KeepGeneration(*key, facts) : Unreachable(error);
}

} // namespace

GenerationFacts NewGenerationFacts(const std::string& program, const std::string& file,
                                   const std::string& summary) {
    GenerationFacts facts;
    facts.program = program;
    facts.file = file;
    facts.summary = summary;
    facts.who = CurrentAccountName();
    const std::time_t now = std::time(nullptr);
    if (const std::tm* utc = std::gmtime(&now)) {
        char text[32];
        if (std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%SZ", utc) > 0)
            facts.when = text;
    }
    return facts;
}

std::string KeepLocalGeneration(const GenerationFacts& facts) {
    uint32_t error = 0;
    std::unique_ptr<ConfigKeyPort> key = OpenLocalConfigKeyPort(&error);
    return KeepThrough(std::move(key), error, facts);
}

std::string KeepRemoteGeneration(const std::string& server, RemoteView view,
                                 const GenerationFacts& facts) {
    uint32_t error = 0;
    std::unique_ptr<ConfigKeyPort> key = OpenRemoteConfigKeyPort(server, view, &error);
    return KeepThrough(std::move(key), error, facts);
}

void ReadStoredBeforeApply(StoredBeforeApply* stored) {
    stored->key = OpenLocalConfigKeyPort(&stored->error);
    if (stored->key)
        stored->error = ReadStoredValues(*stored->key, &stored->values);
}

std::string KeepStoredBeforeApply(const StoredBeforeApply& stored, const GenerationFacts& facts) {
    // A key that could not be opened is tried again, to say why.
    return stored.key ? KeepStoredGeneration(*stored.key, stored.error, stored.values, facts)
                      : KeepLocalGeneration(facts);
}

uint32_t KeepThenWriteJob(ServerJob& job) {
    if (job.write)
        job.keepProblem = KeepRemoteGeneration(job.server, job.view, job.keep);
    return DoRegistryJob(job);
}
