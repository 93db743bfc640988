// A generation of the history of applied configurations as a source of gwconfig's
// commands (--generation N), and the history's place: this server's registry or
// another's.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/config_history.h"
#include "gwconfig/config_io.h"

// "the registry", or "the registry of \\\\NAME".
std::string HistoryPlaceName(const std::string& computer);

// The configuration's key of this server (`computer` empty) or of \\\\computer. Null with
// one sentence in *error.
std::unique_ptr<ConfigKeyPort> OpenHistoryPlace(const std::string& computer, RemoteView view,
                                                std::string* error);

// Reads the history at `key`; false with one sentence in *error.
bool ReadHistoryAt(ConfigKeyPort& key, const std::string& computer, ConfigHistory* history,
                   std::string* error);

// Generation `number` of a history read, readable; false with *error when it is not there
// or cannot be restored. `place` names the history in the sentence.
bool PickGeneration(const ConfigHistory& history, uint32_t number, const std::string& place,
                    Generation* generation, std::string* error);

// Generation `source.generation` of the history of `source.computer` (empty: this
// server). False with one sentence in *error when it cannot be read, is not there, or
// cannot be restored; its damaged values are told in *warnings (optional).
bool FindGeneration(const ConfigSource& source, Generation* generation, std::string* error,
                    std::vector<std::string>* warnings = nullptr);

// Fills FilterConfig (reset first) from the generation the source names, and *beside
// (optional) from the settings it kept.
bool LoadGenerationConfig(const ConfigSource& source, std::vector<std::string>* errors,
                          std::vector<std::string>* warnings, BesideValues* beside);

// The settings a generation kept, as a source's values beside the configuration.
void BesideOfGeneration(const Generation& generation, BesideValues* beside);
