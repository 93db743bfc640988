#include "gwconfig/commands.h"

#include <sstream>

#include <CLI/CLI.hpp>

#include "eventlog/config_events.h"
#include "explain/change_summary.h"
#include "gwconfig/check.h"
#include "compare/config_diff.h"
#include "compare/config_fields.h"
#include "gwconfig/config_io.h"
#include "gwconfig/config_show.h"
#include "gwconfig/farm_command.h"
#include "gwconfig/gpp_export.h"
#include "gwconfig/generation_source.h"
#include "gwconfig/history_command.h"
#include "gwconfig/reg_export.h"
#include "gwconfig/replay_command.h"
#include "gwconfig/report_command.h"
#include "gwconfig/registry_access.h"
#include "gwconfig/remote_servers.h"
#include "compare/value_rules.h"
#include "config/audit_only_setting.h"
#include "config/config_history.h"
#include "config/side_settings.h"
#include "platform/codepage.h"
#include "platform/tool_files.h"

namespace {

RemoteView ViewOf(const std::string& view) {
    return view == "32" ? RemoteView::VIEW_32 : RemoteView::VIEW_64;
}

class Command {
public:
    Command(FILE* out, FILE* err) : out_(out), err_(err) {}

    int Fail(const std::string& message) {
        fprintf(err_, "gwconfig: %s\n", message.c_str());
        return GW_EXIT_BAD_INPUT;
    }

    int Fail(const std::vector<std::string>& messages) {
        for (const std::string& message : messages)
            Fail(message);
        return GW_EXIT_BAD_INPUT;
    }

    void Print(const std::string& text) { fwrite(text.data(), 1, text.size(), out_); }

    void Warn(const std::vector<std::string>& warnings) {
        for (const std::string& warning : warnings)
            fprintf(err_, "gwconfig: warning: %s\n", warning.c_str());
    }

    void WarnKeep(const std::string& problem) {
        if (!problem.empty())
            Warn({problem});
    }

    // LoadConfig with the warnings told as they come.
    bool Load(const ConfigSource& source, uint32_t codePage, std::vector<std::string>* errors,
              BesideValues* beside = nullptr) {
        std::vector<std::string> warnings;
        bool loaded = LoadConfig(source, codePage, errors, &warnings, beside);
        Warn(warnings);
        return loaded;
    }

    bool CodePageUsable(uint32_t codePage) {
        if (CodePageKnown(codePage))
            return true;
        Fail("code page " + std::to_string(codePage) + " is not known on this system");
        return false;
    }

    int Show(const ConfigSource& source, const std::string& format, uint32_t codePage) {
        if (!CodePageUsable(codePage))
            return GW_EXIT_BAD_INPUT;
        std::vector<std::string> errors;
        BesideValues beside;
        if (!Load(source, codePage, &errors, &beside))
            return Fail(errors);
        if (format == "text")
            WriteConfigText(FilterConfig, codePage, out_, &beside);
        else
            WriteConfigJson(FilterConfig, codePage, out_, &beside);
        return GW_EXIT_OK;
    }

    int Build(const std::string& input, const std::string& output, uint32_t codePage) {
        if (!CodePageUsable(codePage))
            return GW_EXIT_BAD_INPUT;
        std::string text, error;
        if (!ToolReadFile(input, &text, &error))
            return Fail(error);
        std::vector<std::string> errors, warnings;
        BesideValues beside;
        const bool loaded = LoadConfigJson(text, input, codePage, &errors, &warnings, &beside);
        Warn(warnings);
        if (!loaded)
            return Fail(errors);
        std::string blob;
        if (!EncodeConfigFile(&blob))
            return Fail("out of memory while encoding the configuration");
        if (!ToolWriteFileAtomic(output, blob, &error))
            return Fail(error);
        // The library reads these from the registry only; the blob has no place for them.
        for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
            if (!beside.has[id])
                continue;
            const SideSetting& setting = SIDE_SETTINGS[id];
            fprintf(err_,
                    "gwconfig: a .WTS file does not carry %s (%lu): store it beside the "
                    "configuration with gwconfig apply %s %s %lu\n",
                    setting.name, static_cast<unsigned long>(beside.value[id]), output.c_str(),
                    setting.option, static_cast<unsigned long>(setting.decode(beside.value[id])));
        }
        return GW_EXIT_OK;
    }

    int Diff(const ConfigSource& a, const ConfigSource& b, uint32_t codePage) {
        if (!CodePageUsable(codePage))
            return GW_EXIT_BAD_INPUT;
        std::vector<std::string> errors;
        if (!Load(a, codePage, &errors))
            return Fail(errors);
        HeldConfig first = HeldConfig::TakeFilterConfig();
        if (!Load(b, codePage, &errors))
            return Fail(errors);
        std::string differences;
        if (DiffConfigs(first.record(), FilterConfig, codePage, &differences) == 0)
            return GW_EXIT_OK;
        Print("--- " + a.Name() + "\n+++ " + b.Name() + "\n" + differences);
        return GW_EXIT_NO;
    }

    // The .WTS file must decode; its bytes go into the registry file unchanged.
    bool ReadDecodingFile(const std::string& path, std::string* blob) {
        std::string error;
        if (!ToolReadFile(path, blob, &error)) {
            Fail(error);
            return false;
        }
        if (blob->empty() || !LoadConfigBlob(*blob)) {
            Fail("'" + path + "' does not decode as a configuration file (not one, or damaged)");
            return false;
        }
        return true;
    }

    int ExportReg(const std::string& input, const std::string& computer, const std::string& output,
                  const std::string& view, BesideValues beside, uint32_t generation) {
        std::string blob, error;
        if (input.empty() == (computer.empty() && generation == 0))
            return Fail(input.empty() ? "give a configuration file, --computer or --generation"
                                      : "give either a file or --computer, not both");
        if (generation != 0) {
            ConfigSource source;
            source.registry = true;
            source.computer = computer;
            source.view = ViewOf(view);
            source.generation = generation;
            Generation kept;
            std::vector<std::string> warnings;
            const bool found = FindGeneration(source, &kept, &error, &warnings);
            Warn(warnings);
            if (!found)
                return Fail(error);
            blob = kept.blob;
            // The settings it kept go with it, each unless given.
            BesideValues keptBeside;
            BesideOfGeneration(kept, &keptBeside);
            for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
                if (!beside.has[id]) {
                    beside.has[id] = keptBeside.has[id];
                    beside.value[id] = keptBeside.value[id];
                }
            }
        } else if (!computer.empty()) {
            if (!LoadRemoteConfig(computer, ViewOf(view), &blob, &error))
                return Fail(error);
        } else if (!ReadDecodingFile(input, &blob)) {
            return GW_EXIT_BAD_INPUT;
        }
        RegistryView which = view == "32" ? RegistryView::VIEW_32 : RegistryView::VIEW_64;
        if (!ToolWriteFileAtomic(output, RegistryFileBytes(blob, which, beside), &error))
            return Fail(error);
        return GW_EXIT_OK;
    }

    // The settings beside the configuration that are given are written after it, as the
    // console's apply does; one not given stays as it is stored.
    int Apply(const std::string& input, const std::string& computer, RemoteView view,
              const BesideValues& beside) {
        std::string blob, error;
        if (!computer.empty() && !RemoteRegistryAvailable(&error))
            return Fail(error);
        if (!ReadDecodingFile(input, &blob))
            return Fail("the registry was not changed");
        if (!computer.empty())
            return ApplyRemote(input, computer, view, beside);
        std::string keepProblem;
        if (!ApplyRegistryConfig(input, beside, &error, &keepProblem))
            return Fail(error);
        WarnKeep(keepProblem);
        Print("The configuration of '" + input + "' is stored in the registry" +
              SidesStored(beside) + ".\n");
        return GW_EXIT_OK;
    }

    // ", with EventLog 2 and AuditOnly 1": the settings written beside the configuration.
    static std::string SidesStored(const BesideValues& beside) {
        std::string text;
        for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
            if (beside.has[id])
                text += std::string(text.empty() ? ", with " : " and ") + SIDE_SETTINGS[id].name +
                        " " + std::to_string(beside.value[id]);
        }
        return text;
    }

    // FilterConfig holds the file's configuration; it goes to the server in the order
    // the console's apply writes, and the write is reported on this server's event log.
    int ApplyRemote(const std::string& input, const std::string& computer, RemoteView view,
                    const BesideValues& beside) {
        std::string blob, error, storedBlob;
        if (!EncodeConfigRegistry(&blob))
            return Fail("out of memory while encoding the configuration");
        HeldConfig applied = HeldConfig::TakeFilterConfig();
        ConfigApplyFacts facts;
        facts.program = "gwconfig.exe";
        facts.file = input;
        facts.server = computer;
        if (LoadRemoteConfig(computer, view, &storedBlob, &error)) {
            HeldConfig stored = HeldConfig::TakeFilterConfig();
            facts.summary =
                SummarizeConfigChange(stored.record(), applied.record(), SystemAnsiCodePage());
        } else {
            facts.summary = "stored where there was none or it did not decode";
        }
        BesideValues stored;
        for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
            stored.has[id] =
                beside.has[id] && ReadRemoteConfigDword(computer, view, SIDE_SETTINGS[id].name,
                                                        &stored.value[id]) == REMOTE_OK;
        AddBesideChanges(stored, beside, &facts.summary);
        const std::string keepProblem = KeepRemoteGeneration(
            computer, view, NewGenerationFacts(facts.program, facts.file, facts.summary));
        AddKeepProblem(keepProblem, &facts.summary);
        uint32_t windowsError = 0;
        if (!WriteRemoteConfig(computer, view, blob, &windowsError, &error)) {
            ReportConfigApplyFailed(facts, windowsError);
            return Fail(error);
        }
        WarnKeep(keepProblem);
        // The settings beside it follow; the event tells the whole apply, or its failure.
        for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
            if (!beside.has[id])
                continue;
            const uint32_t written =
                WriteRemoteConfigDword(computer, view, SIDE_SETTINGS[id].name, beside.value[id]);
            if (written != REMOTE_OK) {
                ReportConfigApplyFailed(facts, written);
                return Fail("the configuration of '" + input + "' is stored, but " +
                            SIDE_SETTINGS[id].name +
                            " is not: " + RemoteFailureText(computer, written, true));
            }
        }
        ReportConfigApplied(facts);
        Print("The configuration of '" + input + "' is stored in the registry of " +
              ServerLabel(computer) + SidesStored(beside) + ".\n");
        return GW_EXIT_OK;
    }

    // Options of `check` as given on the command line (texts in UTF-8).
    struct CheckOptions {
        std::string ip, name, mac, user, at;
        bool hasName = false, hasMac = false, hasBuild = false, hasUser = false, hasAt = false;
        uint32_t build = 0;
        bool hasSessionsFromIp = false, hasSessionsOfUser = false;
        uint32_t sessionsFromIp = 1, sessionsOfUser = 1;
        bool administrator = false;
        bool summary = false;
    };

    bool ToStored(const char* option, const std::string& utf8, uint32_t codePage,
                  std::string* stored) {
        if (Utf8ToStored(codePage, utf8, stored) == CODEPAGE_OK)
            return true;
        Fail(std::string(option) + ": \"" + utf8 + "\" cannot be written in code page " +
             std::to_string(codePage));
        return false;
    }

    int Check(const ConfigSource& source, const CheckOptions& o, uint32_t codePage) {
        if (!CodePageUsable(codePage))
            return GW_EXIT_BAD_INPUT;
        CheckSession session;
        if (!ParseIpv4(o.ip, &session.address))
            return Fail("--ip: \"" + o.ip + "\" is not an IPv4 address a.b.c.d");
        session.hasName = o.hasName;
        if (o.hasName && !ToStored("--name", o.name, codePage, &session.name))
            return GW_EXIT_BAD_INPUT;
        session.hasMac = o.hasMac;
        if (o.hasMac && !ParseMac(o.mac, session.mac, true))
            return Fail("--mac: \"" + o.mac + "\" is not a MAC address HH-HH-HH-HH-HH-HH");
        session.hasBuild = o.hasBuild;
        session.build = o.build;
        session.hasUser = o.hasUser;
        if (o.hasUser && !ToStored("--user", o.user, codePage, &session.user))
            return GW_EXIT_BAD_INPUT;
        session.administrator = o.administrator;
        if (o.hasAt && !ParseCheckTime(o.at, &session.at))
            return Fail("--at: \"" + o.at + "\" is not a date and time YYYY-MM-DD HH:MM:SS");
        if (!o.hasAt)
            session.at = LocalNow();
        session.hasSessionsFromIp = o.hasSessionsFromIp;
        session.sessionsFromIp = o.sessionsFromIp;
        session.hasSessionsOfUser = o.hasSessionsOfUser;
        session.sessionsOfUser = o.sessionsOfUser;

        std::vector<std::string> errors;
        BesideValues beside;
        if (!Load(source, codePage, &errors, &beside))
            return Fail(errors);
        // The filters that only audit where the configuration comes with AuditOnly.
        const uint32_t auditMask =
            beside.has[SIDE_AUDIT_ONLY] ? AuditOnlyMaskFrom(beside.value[SIDE_AUDIT_ONLY]) : 0;
        std::string report;
        CheckOutcome outcome = RunCheck(session, o.hasAt, codePage, &report, o.summary, auditMask);
        Print(report);
        return outcome.admitted ? GW_EXIT_OK : GW_EXIT_NO;
    }

private:
    FILE* out_;
    FILE* err_;
};

// Where a command reads one configuration: the file given, or --registry (of this
// server, or of --computer's).
struct SourceOptions {
    std::string file;
    bool registry = false;
    std::string computer;
    std::string view = "64";
    uint32_t generation = 0;
};

const char COMPUTER_HELP[] = "NAME or \\\\NAME: that server's registry, through its Remote "
                             "Registry service (Windows)";
const char VIEW_HELP[] = "registry view of the library: 64 (default) or 32";

CLI::Option* AddView(CLI::App* command, std::string* view) {
    return command->add_option("--view", *view, VIEW_HELP)->check(CLI::IsMember({"64", "32"}));
}

void AddSourceOptions(CLI::App* command, SourceOptions* source, const char* kinds,
                      bool withView = true) {
    command->add_option("file", source->file, std::string("configuration file (") + kinds + ")");
    command->add_flag("--registry", source->registry,
                      "the configuration stored in the registry (Windows)");
    if (withView) {
        command->add_option("--computer", source->computer, COMPUTER_HELP);
        AddView(command, &source->view);
    }
}

const char GENERATION_HELP[] = "N: generation N of the registry's history (1 = the newest "
                               "kept; of --computer's registry when given)";

void AddGeneration(CLI::App* command, uint32_t* generation) {
    command->add_option("--generation", *generation, GENERATION_HELP)
        ->check(CLI::Range(1u, HISTORY_MAX_GENERATIONS));
}

// A --computer value as a server name.
bool ComputerOf(const std::string& given, std::string* server, std::string* error) {
    if (ParseServerName(given, server))
        return true;
    *error = "--computer: \"" + given + "\" is not a computer name (NAME or \\\\NAME)";
    return false;
}

// Exactly one of the file and --registry (--computer names another server's registry).
bool SourceOf(const SourceOptions& options, ConfigSource* source, std::string* error) {
    const bool registry = options.registry || !options.computer.empty() || options.generation != 0;
    if (registry == !options.file.empty()) {
        *error = registry ? "give either a file or --registry, not both"
                          : "give a configuration file or --registry";
        return false;
    }
    source->registry = registry;
    source->path = options.file;
    source->view = ViewOf(options.view);
    source->generation = options.generation;
    return options.computer.empty() || ComputerOf(options.computer, &source->computer, error);
}

// The options that store the settings beside the configuration, one per setting.
struct SideOptions {
    BesideValues values;
    CLI::Option* options[SIDE_SETTING_COUNT] = {};
    // The values given on the command line.
    const BesideValues& Given() {
        for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
            values.has[id] = options[id] != nullptr && options[id]->count() > 0;
        return values;
    }
};

void AddSideOption(CLI::App* command, SideSettingId id, const std::string& help,
                   SideOptions* sides) {
    sides->options[id] =
        command->add_option(SIDE_SETTINGS[id].option, sides->values.value[id], help)
            ->check(CLI::Range(0u, SIDE_SETTINGS[id].optionMax));
}

void AddSideOptions(CLI::App* command, SideOptions* sides) {
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
        AddSideOption(command, static_cast<SideSettingId>(id), SIDE_SETTINGS[id].optionHelp, sides);
}

// A setting a command decides with rather than stores: its help says what the values
// mean, as the storing option's does.
void AddDecidingSideOption(CLI::App* command, SideSettingId id, SideOptions* sides) {
    const std::string stored = SIDE_SETTINGS[id].optionHelp;
    AddSideOption(command, id,
                  std::string("decide with this ") + SIDE_SETTINGS[id].name +
                      " instead of the one the configuration carries" +
                      stored.substr(stored.find(':')),
                  sides);
}

void AddCodePage(CLI::App* command, uint32_t* codePage) {
    command->add_option("--codepage", *codePage,
                        "code page of the stored texts (default: " + std::to_string(*codePage) +
                            ", the system's ANSI code page)");
}

} // namespace

int RunGwconfig(const std::vector<std::string>& arguments, FILE* out, FILE* err) {
    // Whatever a command loaded is released when it ends.
    struct ReleaseConfig {
        ~ReleaseConfig() { ResetFilterConfig(); }
    } releaseConfig;
    Command command(out, err);
    CLI::App app{"gwconfig: the Gatewell configuration from the command line.\n"
                 "Exit codes: 0 done (equal, admitted), 1 different or refused, 2 error.",
                 "gwconfig"};
    app.require_subcommand(1);
    uint32_t codePage = SystemAnsiCodePage();

    SourceOptions showSource;
    std::string format = "json";
    CLI::App* show = app.add_subcommand("show", "Show a whole configuration in readable form");
    AddSourceOptions(show, &showSource, ".WTS or .json");
    AddGeneration(show, &showSource.generation);
    show->add_option("--format", format, "json (default) or text")
        ->check(CLI::IsMember({"json", "text"}));
    AddCodePage(show, &codePage);

    std::string buildInput, buildOutput;
    CLI::App* build = app.add_subcommand("build", "Build a configuration file from JSON");
    build->add_option("file", buildInput, "configuration in JSON")->required();
    build->add_option("-o,--output", buildOutput, "the .WTS file to write")->required();
    AddCodePage(build, &codePage);

    std::vector<std::string> diffFiles, diffComputers;
    bool diffRegistry = false;
    std::string diffView = "64";
    CLI::App* diff = app.add_subcommand("diff", "Show what differs between two configurations");
    CLI::Option* diffFileOption =
        diff->add_option("files", diffFiles, "configuration files (.WTS or .json)");
    CLI::Option* diffRegistryOption =
        diff->add_flag("--registry", diffRegistry, "the configuration stored in the registry");
    CLI::Option* diffComputerOption =
        diff->add_option("--computer", diffComputers, COMPUTER_HELP)->allow_extra_args(false);
    std::vector<uint32_t> diffGenerations;
    CLI::Option* diffGenerationOption =
        diff->add_option("--generation", diffGenerations, GENERATION_HELP)
            ->allow_extra_args(false)
            ->check(CLI::Range(1u, HISTORY_MAX_GENERATIONS));
    AddView(diff, &diffView);
    AddCodePage(diff, &codePage);

    std::string exportInput, exportComputer, exportOutput, view = "64";
    CLI::App* exportReg = app.add_subcommand(
        "export-reg", "Write a registry file that stores the configuration (for reg import)");
    exportReg->add_option("file", exportInput, "configuration file (.WTS)");
    exportReg->add_option("--computer", exportComputer, COMPUTER_HELP);
    uint32_t exportGeneration = 0;
    AddGeneration(exportReg, &exportGeneration);
    exportReg->add_option("-o,--output", exportOutput, "the .reg file to write")->required();
    AddView(exportReg, &view);
    SideOptions exportSides;
    AddSideOptions(exportReg, &exportSides);

    SourceOptions gppSource;
    std::string gppOutput;
    CLI::App* exportGpp = app.add_subcommand(
        "export-gpp", "Write a Group Policy registry preference file (Registry.xml) that stores "
                      "the configuration");
    AddSourceOptions(exportGpp, &gppSource, ".WTS");
    exportGpp->add_option("-o,--output", gppOutput, "the Registry.xml file to write")->required();
    SideOptions gppSides;
    AddSideOptions(exportGpp, &gppSides);

    std::string applyInput, applyComputer, applyView = "64";
    CLI::App* apply = app.add_subcommand(
        "apply", "Store a configuration file in the registry, as the console's apply does");
    apply->add_option("file", applyInput, "configuration file (.WTS)")->required();
    apply->add_option("--computer", applyComputer, COMPUTER_HELP);
    AddView(apply, &applyView);
    SideOptions applySides;
    AddSideOptions(apply, &applySides);

    FarmOptions farmOptions;
    SourceOptions farmSource;
    std::string farmFormat = "text";
    CLI::App* farm = app.add_subcommand(
        "farm", "Compare the configuration of every server of a farm with a reference, and "
                "apply it where it differs");
    AddSourceOptions(farm, &farmSource, ".WTS or .json", false);
    farm->add_option("--computer", farmOptions.computers,
                     "NAME or \\\\NAME of a server (repeat for each; default: the reference's "
                     "server monitor list)")
        ->allow_extra_args(false);
    farm->add_option("--computers-from", farmOptions.computersFrom,
                     "a file of server names, one a line, # comments");
    farm->add_option("--format", farmOptions.format, "text (default) or json")
        ->check(CLI::IsMember({"text", "json"}));
    farm->add_flag("--apply", farmOptions.apply,
                   "write the reference to every server that differs or holds none");
    farm->add_flag("--dry-run", farmOptions.dryRun, "with --apply: say what it would write");
    farm->add_option("--timeout", farmOptions.timeoutSeconds,
                     "seconds each server has to answer (default 15)")
        ->check(CLI::Range(1u, 600u));
    AddView(farm, &farmSource.view);
    AddCodePage(farm, &codePage);

    SourceOptions checkSource;
    Command::CheckOptions o;
    CLI::App* check = app.add_subcommand(
        "check", "Run the session filters over a client and say whether it would get in");
    AddSourceOptions(check, &checkSource, ".WTS or .json", false);
    AddGeneration(check, &checkSource.generation);
    check->add_option("--ip", o.ip, "the client's IPv4 address")->required();
    CLI::Option* name = check->add_option("--name", o.name, "the client computer's name");
    CLI::Option* mac = check->add_option("--mac", o.mac, "the client's MAC address");
    CLI::Option* buildNumber = check->add_option("--build", o.build, "the client's build number");
    CLI::Option* user = check->add_option("--user", o.user, "the user name at logon");
    CLI::Option* at = check->add_option(
        "--at", o.at, "local date and time \"YYYY-MM-DD HH:MM:SS\" (default: now)");
    CLI::Option* fromIp = check
                              ->add_option("--sessions-from-ip", o.sessionsFromIp,
                                           "sessions from the client's address, this one included")
                              ->check(CLI::Range(1u, 10000u));
    CLI::Option* ofUser = check
                              ->add_option("--sessions-of-user", o.sessionsOfUser,
                                           "sessions of the user, this one included")
                              ->check(CLI::Range(1u, 10000u));
    check
        ->add_flag("--administrator", o.administrator,
                   "the user is the built-in administrator account")
        ->needs(user);
    check->add_flag("--summary", o.summary,
                    "open with what happens and the entry that decided, in the console's words");
    AddCodePage(check, &codePage);

    std::string historyComputer, historyView = "64", historyFormat = "text";
    bool historyRegistry = false;
    CLI::App* history = app.add_subcommand(
        "history", "List the configurations earlier applies replaced, the newest first");
    history->add_flag("--registry", historyRegistry, "this server's history (the default)");
    history->add_option("--computer", historyComputer, COMPUTER_HELP);
    AddView(history, &historyView);
    history->add_option("--format", historyFormat, "text (default) or json")
        ->check(CLI::IsMember({"text", "json"}));

    uint32_t rollbackNumber = 0;
    std::string rollbackComputer, rollbackView = "64";
    bool rollbackForce = false;
    CLI::App* rollback = app.add_subcommand(
        "rollback", "Store generation N of the history as the configuration, as an apply does");
    rollback->add_option("generation", rollbackNumber, "N: the generation (1 = the newest kept)")
        ->required()
        ->check(CLI::Range(1u, HISTORY_MAX_GENERATIONS));
    rollback->add_option("--computer", rollbackComputer, COMPUTER_HELP);
    AddView(rollback, &rollbackView);
    rollback->add_flag("--force", rollbackForce,
                       "store it even when it would refuse the session gwconfig runs in");

    ReportCommandOptions r;
    CLI::App* report = app.add_subcommand(
        "report", "Count the logon logs: refusals by reason, day, hour, client and user");
    report->add_option("logs", r.logs, "logon logs, each labelled by its file name");
    report
        ->add_option("--server", r.servers,
                     "NAME=LOG: a log of server NAME (repeat for a farm or several logs)")
        ->allow_extra_args(false);
    report
        ->add_option("--format", r.format,
                     "html, text, json or csv (default: html when -o names a .html file, "
                     "else text)")
        ->check(CLI::IsMember({"html", "text", "json", "csv"}));
    report->add_option("-o,--output", r.output, "the file to write (default: standard output)");
    report->add_option("--from", r.from, "first day counted, YYYY-MM-DD");
    report->add_option("--to", r.to, "last day counted, YYYY-MM-DD");
    AddCodePage(report, &codePage);

    ReplayCommandOptions replayOptions;
    CLI::App* replay = app.add_subcommand(
        "replay", "Decide the sessions of logon logs again under a configuration and list "
                  "what would change");
    replay->add_option("config", replayOptions.config, "the proposed configuration (.WTS or .json)")
        ->required();
    replay->add_option("logs", replayOptions.logs, "logon logs")->required();
    replay->add_option("--format", replayOptions.format, "text (default), json or csv")
        ->check(CLI::IsMember({"text", "json", "csv"}));
    replay->add_option("--from", replayOptions.from, "first day replayed, YYYY-MM-DD");
    replay->add_option("--to", replayOptions.to, "last day replayed, YYYY-MM-DD");
    SideOptions replaySides;
    AddDecidingSideOption(replay, SIDE_AUDIT_ONLY, &replaySides);
    AddCodePage(replay, &codePage);

    if (arguments.size() > 1 && arguments[1].compare(0, 1, "-") != 0) {
        std::string names;
        bool known = false;
        for (const CLI::App* sub : app.get_subcommands([](CLI::App*) { return true; })) {
            known = known || sub->get_name() == arguments[1];
            names += (names.empty() ? "" : ", ") + sub->get_name();
        }
        if (!known)
            return command.Fail("unknown command '" + arguments[1] + "' (commands: " + names + ")");
    }
    // CLI11 takes the arguments last first, without the program's name.
    std::vector<std::string> rest(arguments.rbegin(), arguments.rend());
    if (!rest.empty())
        rest.pop_back();
    try {
        app.parse(rest);
    } catch (const CLI::ParseError& e) {
        std::ostringstream text, problem;
        int code = app.exit(e, text, problem);
        command.Print(text.str());
        if (code == 0)
            return GW_EXIT_OK;
        fprintf(err, "gwconfig: %s", problem.str().c_str());
        return GW_EXIT_BAD_INPUT;
    }

    ConfigSource source;
    std::string error;
    if (*show) {
        if (!SourceOf(showSource, &source, &error))
            return command.Fail(error);
        return command.Show(source, format, codePage);
    }
    if (*build)
        return command.Build(buildInput, buildOutput, codePage);
    if (*diff) {
        // Sources in the order given: each --registry and each file where it stands.
        std::vector<ConfigSource> sources;
        size_t nextFile = 0, nextComputer = 0, nextGeneration = 0;
        for (const CLI::Option* option : diff->parse_order()) {
            ConfigSource one;
            if (option == diffRegistryOption) {
                one.registry = true;
            } else if (option == diffFileOption && nextFile < diffFiles.size()) {
                one.path = diffFiles[nextFile++];
            } else if (option == diffGenerationOption && nextGeneration < diffGenerations.size()) {
                one.registry = true;
                one.generation = diffGenerations[nextGeneration++];
            } else if (option == diffComputerOption && nextComputer < diffComputers.size()) {
                one.registry = true;
                one.view = ViewOf(diffView);
                if (!ComputerOf(diffComputers[nextComputer++], &one.computer, &error))
                    return command.Fail(error);
            } else {
                continue;
            }
            sources.push_back(one);
        }
        if (sources.size() != 2)
            return command.Fail("diff compares two configurations: give two of a file, "
                                "--registry, --computer NAME and --generation N");
        // A generation is of the one server named, if any.
        for (ConfigSource& one : sources) {
            if (one.generation != 0 && diffComputers.size() == 1) {
                one.view = ViewOf(diffView);
                if (!ComputerOf(diffComputers[0], &one.computer, &error))
                    return command.Fail(error);
            }
        }
        return command.Diff(sources[0], sources[1], codePage);
    }
    if (*exportReg) {
        std::string computer;
        if (!exportComputer.empty() && !ComputerOf(exportComputer, &computer, &error))
            return command.Fail(error);
        return command.ExportReg(exportInput, computer, exportOutput, view, exportSides.Given(),
                                 exportGeneration);
    }
    if (*exportGpp) {
        if (!SourceOf(gppSource, &source, &error) ||
            !ExportGpp(source, gppOutput,
                       gppSource.view == "32" ? RegistryView::VIEW_32 : RegistryView::VIEW_64,
                       gppSides.Given(), &error))
            return command.Fail(error);
        return GW_EXIT_OK;
    }
    if (*apply) {
        std::string computer;
        if (!applyComputer.empty() && !ComputerOf(applyComputer, &computer, &error))
            return command.Fail(error);
        return command.Apply(applyInput, computer, ViewOf(applyView), applySides.Given());
    }
    if (*farm) {
        if (!SourceOf(farmSource, &farmOptions.reference, &error))
            return command.Fail(error);
        farmOptions.apply = farmOptions.apply || farmOptions.dryRun;
        farmOptions.view = ViewOf(farmSource.view);
        farmOptions.codePage = codePage;
        return RunFarmCommand(farmOptions, out, err);
    }
    if (*history || *rollback) {
        const std::string& given = *history ? historyComputer : rollbackComputer;
        if (historyRegistry && !given.empty())
            return command.Fail("give either --registry or --computer, not both");
        std::string computer;
        if (!given.empty() && !ComputerOf(given, &computer, &error))
            return command.Fail(error);
        if (*history)
            return RunHistoryCommand(computer, ViewOf(historyView), historyFormat, out, err);
        return RunRollbackCommand(rollbackNumber, computer, ViewOf(rollbackView), rollbackForce,
                                  out, err);
    }
    if (*report) {
        r.codePage = codePage;
        return RunReportCommand(r, out, err);
    }
    if (*replay) {
        replayOptions.codePage = codePage;
        replayOptions.auditOnlyGiven = replaySides.Given().has[SIDE_AUDIT_ONLY];
        replayOptions.auditOnly = replaySides.values.value[SIDE_AUDIT_ONLY];
        return RunReplayCommand(replayOptions, out, err);
    }
    if (!SourceOf(checkSource, &source, &error))
        return command.Fail(error);
    o.hasName = name->count() > 0;
    o.hasMac = mac->count() > 0;
    o.hasBuild = buildNumber->count() > 0;
    o.hasUser = user->count() > 0;
    o.hasAt = at->count() > 0;
    o.hasSessionsFromIp = fromIp->count() > 0;
    o.hasSessionsOfUser = ofUser->count() > 0;
    return command.Check(source, o, codePage);
}
