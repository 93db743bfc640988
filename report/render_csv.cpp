// The lines themselves as CSV for spreadsheets and Import-Csv: UTF-8 with a byte-order
// mark, a header row, RFC 4180 quoting. A client chooses its own computer name, so a
// cell a spreadsheet would take for a formula is made plain text.
#include "report/logon_report.h"
#include "report/log_stream.h"
#include "report/shown_text.h"

namespace {

const char CSV_HEADER[] =
    "\xEF\xBB\xBFServer,Time,Computer name,Address,MAC address,WinStation,User,Session id,"
    "Decision,Code\r\n";

// Pieces of at least this size go to the writer.
const size_t CSV_PIECE = 1 << 20;

void Cell(std::string_view text, std::string* out) {
    bool formula = !text.empty() && (text[0] == '=' || text[0] == '+' || text[0] == '-' ||
                                     text[0] == '@' || text[0] == '\t' || text[0] == '\r');
    bool quote = formula || text.find_first_of(",\"\r\n") != std::string_view::npos;
    if (!quote) {
        out->append(text.data(), text.size());
        return;
    }
    *out += '"';
    if (formula)
        *out += '\''; // read as text, as a spreadsheet shows a leading apostrophe
    for (char c : text) {
        if (c == '"')
            *out += '"';
        *out += c;
    }
    *out += '"';
}

} // namespace

bool WriteReportCsv(const std::vector<ReportServer>& servers, const ReportPeriod& period,
                    uint32_t codePage, const std::function<bool(const std::string&)>& write,
                    uint64_t* readable, std::string* error) {
    *readable = 0;
    std::string piece = CSV_HEADER;
    bool stopped = false;
    for (const ReportServer& server : servers) {
        std::string serverCell;
        Cell(server.name, &serverCell);
        for (const std::string& log : server.logs) {
            auto row = [&](uint64_t, std::string_view text) {
                LogLine line;
                if (stopped || ParseLogLine(text, &line) != LINE_OK)
                    return;
                ++*readable;
                if (!period.Contains(line.day))
                    return;
                std::string& o = piece;
                o += serverCell;
                o += ',';
                Cell(line.timestamp, &o);
                o += ',';
                Cell(ShownText(codePage, line.computerName), &o);
                o += ',';
                Cell(ShownText(codePage, line.address), &o);
                o += ',';
                Cell(ShownText(codePage, line.mac), &o);
                o += ',';
                Cell(ShownText(codePage, line.winStation), &o);
                o += ',';
                Cell(ShownText(codePage, line.user), &o);
                o += ',';
                o += std::to_string(line.sessionId);
                o += line.rejected ? ",Rejected," : line.audited ? ",Audited," : ",Accepted,";
                if (line.reason != REASON_NONE)
                    o += Reason(line.reason).text;
                o += "\r\n";
                if (o.size() >= CSV_PIECE) {
                    stopped = !write(o);
                    o.clear();
                }
            };
            if (!ReadLogLines(log, row, error))
                return false;
            if (stopped) {
                *error = "the CSV could not be written";
                return false;
            }
        }
    }
    if (!write(piece)) {
        *error = "the CSV could not be written";
        return false;
    }
    return true;
}
