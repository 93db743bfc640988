// The history of applied configurations. Before an apply replaces the stored
// configuration, the one it replaces is kept on the same server as a generation: the
// key "History\NNNNNNNN" below the configuration's key (a sequence number of 8 digits,
// the newest the highest) holds copies of "tsdata" and "datasize", every setting beside
// them (each REG_DWORD value of the configuration's key as "Setting NAME"), and the
// apply's facts as texts: "File", "Program", "Who", "Summary" and, written last, "When".
// The library never reads the history; the Remote Registry service reaches it as it
// reaches the configuration.
//
// At most HISTORY_MAX_GENERATIONS are kept, and no more than HISTORY_MAX_BYTES of
// "tsdata" copies in all (the newest is kept whatever its size); the oldest go first.
// Generations are numbered from 1, the newest.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "config/config_model.h"
#include "platform/config_key_port.h"
#include "platform/server_jobs.h"

const uint32_t HISTORY_MAX_GENERATIONS = 50;
const uint64_t HISTORY_MAX_BYTES = 2u * 1024 * 1024;

extern const char HISTORY_KEY[]; // "History"

struct Generation {
    uint32_t number = 0; // 1 = the newest
    std::string key;     // "History\\00000012"
    GenerationFacts facts;
    std::string blob; // "tsdata" as it was stored (enciphered)
    uint32_t datasize = 0;
    std::vector<std::pair<std::string, uint32_t>> settings; // name, value
    std::vector<std::string> skippedSettings;               // kept, but damaged since
    std::string unreadable; // why it can be neither shown nor restored; empty when it can
    std::vector<std::string> problems; // values named and skipped
};

struct ConfigHistory {
    std::vector<Generation> generations; // the newest first
    std::vector<std::string> problems;   // keys below "History" that are no generation
};

// Keeps what `key` stores now as the newest generation, with `facts`, and drops the
// oldest beyond the bounds. "" when kept, or when nothing is stored to keep; otherwise
// one sentence saying what failed ("the configuration it replaces was not kept in the
// history: ..."). Never changes "tsdata", "datasize" or a setting.
std::string KeepGeneration(ConfigKeyPort& key, const GenerationFacts& facts);

// Every value of the configuration key, as KeepStoredGeneration takes them: 0 or the
// error (REMOTE_NO_CONFIGURATION when nothing is stored, 8 when memory ran out).
uint32_t ReadStoredValues(ConfigKeyPort& key, std::vector<RegistryValue>* stored);
// KeepGeneration of the values a caller has read with ReadStoredValues (`readError` its
// result): an apply keeps the very values its change was measured against, read once.
std::string KeepStoredGeneration(ConfigKeyPort& key, uint32_t readError,
                                 const std::vector<RegistryValue>& stored,
                                 const GenerationFacts& facts);

// Reads every generation, the newest first; one that cannot be restored says why in
// `unreadable`. 0, or the Windows error that kept the history from being read (a
// missing history is an empty one).
uint32_t ReadConfigHistory(ConfigKeyPort& key, ConfigHistory* history);

// Stores a readable generation as the configuration: "tsdata", then "datasize", then its
// settings; settings stored now that it did not have are removed (those it lists as
// skipped are left alone). 0, or the Windows error of the first write that failed,
// with the sentence in *problem.
uint32_t RestoreGeneration(ConfigKeyPort& key, const Generation& generation, std::string* problem);

// Decodes a readable generation into `record` (empty, zero-filled); -1 when it does not
// decode. The caller frees the rows (ClearRecordLists).
int DecodeGeneration(const Generation& generation, FilterConfigRecord& record);

// Loads a generation into FilterConfig as a configuration file is loaded: rows replaced,
// scalars it lacks left as they are, FilterConfig unchanged on failure. 0 or -1.
int LoadGenerationIntoConfig(const Generation& generation);

// A setting the generation kept; false when it has none of that name.
bool GenerationSetting(const Generation& generation, const char* name, uint32_t* value);

// The facts of an apply made now by this process's account.
GenerationFacts NewGenerationFacts(const std::string& program, const std::string& file,
                                   const std::string& summary);

// KeepGeneration on this server's configuration key, or on \\server's.
std::string KeepLocalGeneration(const GenerationFacts& facts);
std::string KeepRemoteGeneration(const std::string& server, RemoteView view,
                                 const GenerationFacts& facts);

// The configuration key's values, read once before an apply replaces them: the change
// is measured against them (StoredValuesChange) and the history keeps them.
struct StoredBeforeApply {
    std::unique_ptr<ConfigKeyPort> key;
    uint32_t error = 0;
    std::vector<RegistryValue> values; // empty when they could not be read
};
void ReadStoredBeforeApply(StoredBeforeApply* stored);
// KeepGeneration of those values on this server ("" or the sentence of what failed).
std::string KeepStoredBeforeApply(const StoredBeforeApply& stored, const GenerationFacts& facts);

// A server job's write that keeps what it replaces first (ServerJobLimits::work): with
// job.keep as the facts, and the problem, if any, in job.keepProblem.
uint32_t KeepThenWriteJob(ServerJob& job);

// The apply's summary for the event log, with the keeping's sentence when it failed.
void AddKeepProblem(const std::string& problem, std::string* summary);
