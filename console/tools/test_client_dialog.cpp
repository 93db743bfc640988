#include "console/tools/test_client_dialog.h"

#include <cstdio>
#include <memory>

#include "compare/config_fields.h"
#include "compare/value_rules.h"
#include "console/res/resource.h"
#include "engine/own_session_facts.h"
#include "explain/decision_text.h"
#include "explain/decision_words.h"
#include "platform/codepage.h"
#include "platform/message_box.h"
#include "platform/win32/text_win32.h"

namespace {

const uint32_t SESSION_COUNT_LIMIT = 10000;

// The field's words where gwconfig names its options: "is not given (Computer name)".
const MissingFactWords FIELD_WORDS = {{
    "",
    "is not given (Client address)",
    "is not given (Computer name)",
    "is not given (MAC address)",
    "is not given (Client build)",
    "is not given (User name)",
    "is not given (Sessions from address)",
    "is not given (Sessions of user)",
}};

// A whole decimal number within [low, high].
bool ReadNumber(const std::string& text, uint32_t low, uint32_t high, uint32_t* value) {
    if (text.empty() || text.size() > 10)
        return false;
    uint64_t number = 0;
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
        number = number * 10 + static_cast<uint64_t>(c - '0');
    }
    if (number < low || number > high)
        return false;
    *value = static_cast<uint32_t>(number);
    return true;
}

std::string AddressText(uint32_t address) {
    char text[32];
    snprintf(text, sizeof text, "%u.%u.%u.%u", address >> 24, address >> 16 & 0xFF,
             address >> 8 & 0xFF, address & 0xFF);
    return text;
}

// The edit control wants CR LF between lines.
std::string WithCrLf(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 32);
    for (char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

} // namespace

PageKind PageOfFilter(FilterId filter) {
    switch (filter) {
    case FILTER_COMPUTERNAME:
        return PageKind::ComputerName;
    case FILTER_MACADDRESS:
        return PageKind::MacAddress;
    case FILTER_TIME:
        return PageKind::Time;
    case FILTER_VERSION:
        return PageKind::ClientVersion;
    case FILTER_SESSIONCOUNT_IP:
        return PageKind::SessionPerIp;
    case FILTER_SESSIONCOUNT_USER:
        return PageKind::SessionPerUser;
    default:
        return PageKind::IpAddress;
    }
}

TestClientDialog::TestClientDialog(const FilterConfigRecord& config, uint32_t auditMask)
    : ModalDialog(IDD_TEST_CLIENT), config_(config), auditMask_(auditMask) {}

bool TestClientDialog::OnInitDialog() {
    // The own session, read the way the library reads it.
    OwnSessionFacts facts;
    DescribedSession own;
    DescribeSession(config_, facts, &own);
    if (own.hasAddress)
        SetDlgItemTextA(hwnd(), IDC_TEST_ADDRESS, AddressText(own.address).c_str());
    if (own.hasName)
        SetDlgItemTextA(hwnd(), IDC_TEST_NAME, own.name.c_str());
    if (own.hasMac) {
        char mac[24];
        FormatMacText(own.mac, mac, sizeof mac);
        SetDlgItemTextA(hwnd(), IDC_TEST_MAC, mac);
    }
    if (own.hasBuild)
        SetDlgItemTextA(hwnd(), IDC_TEST_BUILD, std::to_string(own.build).c_str());
    if (own.hasUser)
        SetDlgItemTextA(hwnd(), IDC_TEST_USER, own.user.c_str());
    CheckDlgButton(hwnd(), IDC_TEST_ADMINISTRATOR, own.administrator ? BST_CHECKED : BST_UNCHECKED);
    FillNow(own.at);
    // The own session is one of those counted: a count of 0 means the sessions could
    // not be read, and the field stays empty.
    if (own.hasSessionsFromIp && own.sessionsFromIp > 0)
        SetDlgItemTextA(hwnd(), IDC_TEST_FROM_ADDRESS, std::to_string(own.sessionsFromIp).c_str());
    if (own.hasSessionsOfUser && own.sessionsOfUser > 0)
        SetDlgItemTextA(hwnd(), IDC_TEST_OF_USER, std::to_string(own.sessionsOfUser).c_str());
    SendDlgItemMessageA(hwnd(), IDC_TEST_NAME, EM_LIMITTEXT, FACT_NAME_SIZE - 1, 0);
    SendDlgItemMessageA(hwnd(), IDC_TEST_USER, EM_LIMITTEXT, FACT_NAME_SIZE - 1, 0);
    EnableWindow(GetDlgItem(hwnd(), IDC_TEST_SHOW_ENTRY), FALSE);
    return ModalDialog::OnInitDialog();
}

void TestClientDialog::FillNow(const LocalDateTime& now) {
    filledTime_ = CheckTimeText(now);
    SetDlgItemTextA(hwnd(), IDC_TEST_TIME, filledTime_.c_str());
}

bool TestClientDialog::OnCommand(UINT id, UINT code, HWND) {
    if (id == IDC_TEST_RUN && code == BN_CLICKED) {
        RunTest();
        return true;
    }
    if (id == IDC_TEST_SHOW_ENTRY && code == BN_CLICKED && place_.onPage) {
        EndDialog(IDC_TEST_SHOW_ENTRY);
        return true;
    }
    return false;
}

std::string TestClientDialog::FieldText(int id) const {
    char text[256] = {};
    GetDlgItemTextA(hwnd(), id, text, sizeof text);
    std::string value = text;
    // Spaces around a value are not part of it.
    const size_t first = value.find_first_not_of(" \t");
    if (first == std::string::npos)
        return "";
    return value.substr(first, value.find_last_not_of(" \t") - first + 1);
}

bool TestClientDialog::Refuse(int id, const std::string& message) {
    ShowMessageBox(StoredToUtf8(SystemAnsiCodePage(), message).c_str(), nullptr,
                   BOX_OK | BOX_ICONWARNING);
    SetFocus(GetDlgItem(hwnd(), id));
    return false;
}

bool TestClientDialog::ReadFields(DescribedSession* s, bool* atGiven) {
    const std::string address = FieldText(IDC_TEST_ADDRESS);
    s->hasAddress = !address.empty();
    if (s->hasAddress && !ParseIpv4(address, &s->address))
        return Refuse(IDC_TEST_ADDRESS,
                      "Client address: \"" + address + "\" is not an IPv4 address a.b.c.d");
    s->name = FieldText(IDC_TEST_NAME);
    s->hasName = !s->name.empty();
    const std::string mac = FieldText(IDC_TEST_MAC);
    s->hasMac = !mac.empty();
    if (s->hasMac && !ParseMac(mac, s->mac, true))
        return Refuse(IDC_TEST_MAC,
                      "MAC address: \"" + mac + "\" is not a MAC address HH-HH-HH-HH-HH-HH");
    const std::string build = FieldText(IDC_TEST_BUILD);
    s->hasBuild = !build.empty();
    if (s->hasBuild && !ReadNumber(build, 0, 0xFFFFFFFFu, &s->build))
        return Refuse(IDC_TEST_BUILD, "Client build: \"" + build + "\" is not a build number");
    s->user = FieldText(IDC_TEST_USER);
    s->hasUser = !s->user.empty();
    s->administrator =
        s->hasUser && IsDlgButtonChecked(hwnd(), IDC_TEST_ADMINISTRATOR) == BST_CHECKED;
    // The date and time the dialog wrote, left as it was, stands for now as well.
    const std::string at = FieldText(IDC_TEST_TIME);
    *atGiven = !at.empty() && at != filledTime_;
    if (*atGiven && !ParseCheckTime(at, &s->at))
        return Refuse(IDC_TEST_TIME,
                      "Date and time: \"" + at + "\" is not a date and time YYYY-MM-DD HH:MM:SS");
    if (!*atGiven)
        GetLocalDateTime(&s->at);
    const struct {
        int id;
        const char* label;
        bool* has;
        uint32_t* count;
    } counts[] = {
        {IDC_TEST_FROM_ADDRESS, "Sessions from address", &s->hasSessionsFromIp, &s->sessionsFromIp},
        {IDC_TEST_OF_USER, "Sessions of user", &s->hasSessionsOfUser, &s->sessionsOfUser},
    };
    for (const auto& field : counts) {
        const std::string text = FieldText(field.id);
        *field.has = !text.empty();
        if (*field.has && !ReadNumber(text, 1, SESSION_COUNT_LIMIT, field.count))
            return Refuse(field.id, std::string(field.label) + ": \"" + text +
                                        "\" is not a number from 1 to 10000");
    }
    return true;
}

void TestClientDialog::RunTest() {
    DescribedSession session;
    bool atGiven = true;
    if (!ReadFields(&session, &atGiven))
        return;
    if (!atGiven)
        FillNow(session.at);
    DescribedFacts facts(session);
    std::unique_ptr<SessionDecision> decision(new SessionDecision());
    DecideSession(config_, facts, decision.get(), auditMask_);
    ExplainOptions options;
    options.codePage = SystemAnsiCodePage();
    options.atGiven = atGiven;
    options.missing = &FIELD_WORDS;
    const DecisionWords words = DecisionWordsOf(config_, *decision, options.codePage);
    std::string report = words.verdict + "\n" + words.entry + "\n";
    if (!words.change.empty())
        report += words.change + "\n";
    report += "\nDetails\n";
    ExplainDecision(config_, session, *decision, options, &report);
    SetDlgItemTextW(hwnd(), IDC_TEST_RESULT, WidenUtf8(WithCrLf(report).c_str()).c_str());
    place_ = PlaceOfDecision(*decision);
    EnableWindow(GetDlgItem(hwnd(), IDC_TEST_SHOW_ENTRY), place_.onPage ? TRUE : FALSE);
}
