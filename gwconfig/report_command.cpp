#include "gwconfig/report_command.h"

#include <algorithm>

#include "gwconfig/commands.h"
#include "compare/config_fields.h"
#include "platform/codepage.h"
#include "platform/tool_files.h"
#include "report/logon_report.h"

namespace {

int Fail(FILE* err, const std::string& message) {
    fprintf(err, "gwconfig: %s\n", message.c_str());
    return GW_EXIT_BAD_INPUT;
}

std::string FileNameOf(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool EndsWithNoCase(const std::string& text, const std::string& end) {
    if (text.size() < end.size())
        return false;
    return std::equal(text.end() - end.size(), text.end(), end.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? a + 32 : a) == b; });
}

void AddLog(const std::string& name, const std::string& log, std::vector<ReportServer>* servers) {
    for (ReportServer& server : *servers) {
        if (server.name == name) {
            server.logs.push_back(log);
            return;
        }
    }
    servers->push_back({name, {log}});
}

} // namespace

int RunReportCommand(const ReportCommandOptions& o, FILE* out, FILE* err) {
    if (!CodePageKnown(o.codePage))
        return Fail(err,
                    "code page " + std::to_string(o.codePage) + " is not known on this system");
    std::vector<ReportServer> servers;
    for (const std::string& log : o.logs)
        AddLog(FileNameOf(log), log, &servers);
    for (const std::string& server : o.servers) {
        size_t eq = server.find('=');
        if (eq == std::string::npos || eq == 0 || eq + 1 == server.size())
            return Fail(err, "--server: \"" + server + "\" is not NAME=LOG");
        AddLog(server.substr(0, eq), server.substr(eq + 1), &servers);
    }
    if (servers.empty())
        return Fail(err, "give at least one logon log (LOG or --server NAME=LOG)");
    for (const std::string& warning : DropRepeatedLogs(&servers))
        fprintf(err, "gwconfig: warning: %s\n", warning.c_str());

    ReportPeriod period;
    if (!o.from.empty() && !(period.hasFrom = ParseDate(o.from, &period.fromDay)))
        return Fail(err, "--from: \"" + o.from + "\" is not a date YYYY-MM-DD");
    if (!o.to.empty() && !(period.hasTo = ParseDate(o.to, &period.toDay)))
        return Fail(err, "--to: \"" + o.to + "\" is not a date YYYY-MM-DD");
    if (period.hasFrom && period.hasTo && period.fromDay > period.toDay)
        return Fail(err, "--from " + o.from + " comes after --to " + o.to);

    std::string format = o.format;
    if (format.empty())
        format =
            EndsWithNoCase(o.output, ".html") || EndsWithNoCase(o.output, ".htm") ? "html" : "text";
    std::string error, document;
    if (format == "csv") {
        // In pieces, to standard output or to a file that is replaced only when complete.
        uint64_t readable = 0;
        bool ok = true;
        auto produce = [&](const ToolPieceWriter& write) {
            ok = WriteReportCsv(servers, period, o.codePage, write, &readable, &error);
            return ok && readable > 0;
        };
        if (o.output.empty()) {
            produce([out](const std::string& piece) {
                return fwrite(piece.data(), 1, piece.size(), out) == piece.size();
            });
        } else {
            std::string writeError;
            if (!ToolWriteFileStreamed(o.output, produce, &writeError) && !writeError.empty())
                return Fail(err, writeError);
        }
        if (!ok)
            return Fail(err, error);
        if (readable == 0)
            return Fail(err, "no line of the logs could be read");
        return GW_EXIT_OK;
    } else {
        LogonReport report;
        if (!BuildLogonReport(servers, period, &report, &error))
            return Fail(err, error);
        if (!ReportReadSomething(report))
            return Fail(err, "no line of the logs could be read (" +
                                 std::to_string(report.total.skipped) + " unreadable)");
        if (format == "json")
            document = RenderReportJson(report, o.codePage);
        else if (format == "html")
            document = RenderReportHtml(report, o.codePage);
        else
            document = RenderReportText(report, o.codePage);
    }
    if (o.output.empty()) {
        fwrite(document.data(), 1, document.size(), out);
        return GW_EXIT_OK;
    }
    if (!ToolWriteFileAtomic(o.output, document, &error))
        return Fail(err, error);
    return GW_EXIT_OK;
}
