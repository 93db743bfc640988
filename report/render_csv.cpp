// The lines themselves as CSV for spreadsheets and Import-Csv: UTF-8 with a byte-order
// mark, a header row, RFC 4180 quoting. A client chooses its own computer name, so a
// cell a spreadsheet would take for a formula is made plain text.
#include "report/logon_report.h"
#include "report/byte_scan.h"
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

// The bytes a cell takes as they stand, and ShownText leaves as they are: printable
// ASCII but the comma and the quote.
struct PlainBytes {
    bool plain[256];
    PlainBytes() {
        for (int c = 0; c < 256; ++c)
            plain[c] = c >= 0x20 && c < 0x7F && c != ',' && c != '"';
    }
};
const PlainBytes PLAIN;

// A log text as its cell: most texts go in as they stand, the others through ShownText
// and quoting.
void TextCell(uint32_t codePage, std::string_view text, std::string* out) {
    bool plain =
        text.empty() || (text[0] != '=' && text[0] != '+' && text[0] != '-' && text[0] != '@');
    for (size_t k = 0; plain && k < text.size(); ++k)
        plain = PLAIN.plain[static_cast<unsigned char>(text[k])];
    if (plain)
        out->append(text.data(), text.size());
    else
        Cell(ShownText(codePage, text), out);
}

// True when the line, without its last comma, is its own CSV row: plain ASCII without a
// quote, no comma in a name, no cell that a spreadsheet would take for a formula, and a
// session id written as the row writes it (no leading zero). Most lines are.
bool AsItStands(std::string_view text, const LogLine& line) {
    if (!PlainAscii(text) || line.computerName.find(',') != std::string_view::npos)
        return false;
    for (std::string_view cell :
         {line.computerName, line.address, line.mac, line.winStation, line.user}) {
        if (!cell.empty() && (cell[0] == '=' || cell[0] == '+' || cell[0] == '-' || cell[0] == '@'))
            return false;
    }
    const char* id = line.user.data() + line.user.size() + 1; // the field after the user
    return id[0] != '0' || id[1] == ',';
}

} // namespace

bool WriteReportCsv(const std::vector<ReportServer>& servers, const ReportPeriod& period,
                    uint32_t codePage, const std::function<bool(const std::string&)>& write,
                    uint64_t* readable, std::string* error) {
    *readable = 0;
    std::string piece = CSV_HEADER;
    piece.reserve(CSV_PIECE + 4096); // a piece is written when it reaches CSV_PIECE
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
                if (AsItStands(text, line)) {
                    o += serverCell;
                    o += ',';
                    o.append(text.data(), text.size() - 1);
                    o += "\r\n";
                    if (o.size() >= CSV_PIECE) {
                        stopped = !write(o);
                        o.clear();
                    }
                    return;
                }
                o += serverCell;
                o += ',';
                o.append(line.timestamp.data(), line.timestamp.size()); // digits, '-', ':', ' '
                o += ',';
                TextCell(codePage, line.computerName, &o);
                o += ',';
                TextCell(codePage, line.address, &o);
                o += ',';
                TextCell(codePage, line.mac, &o);
                o += ',';
                TextCell(codePage, line.winStation, &o);
                o += ',';
                TextCell(codePage, line.user, &o);
                o += ',';
                char id[12];
                char* end = id + sizeof id;
                char* digit = end;
                uint32_t value = line.sessionId;
                do {
                    *--digit = static_cast<char>('0' + value % 10);
                    value /= 10;
                } while (value != 0);
                o.append(digit, static_cast<size_t>(end - digit));
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
