// Where configurations come from and go to: configuration files (.WTS, the enciphered
// blob), JSON files, and the registry. Loading fills the process-wide FilterConfig,
// which is what the engine reads; HeldConfig keeps one aside.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "config/config_model.h"
#include "gwconfig/json_import.h"
#include "platform/remote_config.h"

// A place a configuration is read from: a file (.WTS or JSON, told apart by content),
// this server's registry, or another server's (`computer`, in its registry `view`), or
// a generation of the history kept in either registry.
struct ConfigSource {
    bool registry = false;
    std::string path;
    std::string computer; // without backslashes; empty for this server
    RemoteView view = RemoteView::VIEW_64;
    uint32_t generation = 0; // N: the registry's history's generation N (1 = the newest)
    std::string Name() const {
        const std::string of =
            generation != 0 ? "generation " + std::to_string(generation) + " of the history of "
                            : "";
        if (!computer.empty())
            return of + "the registry of \\\\" + computer;
        return registry ? of + "the registry" : "'" + path + "'";
    }
};

// Fills FilterConfig (reset first) from the source. JSON texts are converted to
// `codePage`. False with one sentence per problem in *errors (JSON problems carry the
// file and line); values of a JSON text that the library reads in a surprising way
// are told in *warnings (optional) and do not make the load fail. *beside (optional)
// gets what is stored beside the configuration: from the registry, or a JSON text's
// members ("EventLog", "AuditOnly"); a .WTS file carries none.
bool LoadConfig(const ConfigSource& source, uint32_t codePage, std::vector<std::string>* errors,
                std::vector<std::string>* warnings = nullptr, BesideValues* beside = nullptr);

// Decodes an enciphered blob into FilterConfig (reset first). False when it does not
// decode. The blob is deciphered in place and released before the rows are made, so
// a large configuration is never held three times.
bool LoadConfigBlob(std::string enciphered);

// Fills FilterConfig with the default configuration, then the JSON text over it.
bool LoadConfigJson(const std::string& text, const std::string& name, uint32_t codePage,
                    std::vector<std::string>* errors, std::vector<std::string>* warnings = nullptr,
                    BesideValues* beside = nullptr);

// The enciphered blob of FilterConfig as a configuration file holds it. False when
// memory runs out.
bool EncodeConfigFile(std::string* enciphered);

// The enciphered blob of FilterConfig as the console's apply stores it in the registry.
// False when memory runs out.
bool EncodeConfigRegistry(std::string* enciphered);

// A configuration kept aside from FilterConfig; it owns its rows.
class HeldConfig {
public:
    // Takes FilterConfig's content, leaving FilterConfig reset.
    static HeldConfig TakeFilterConfig();
    HeldConfig(HeldConfig&&) = default;
    ~HeldConfig();
    FilterConfigRecord& record() { return *record_; }

private:
    HeldConfig() : record_(new FilterConfigRecord()) {}
    std::unique_ptr<FilterConfigRecord> record_;
};
