#include "gwconfig/json_import.h"

#include <cstring>
#include <iterator>
#include <set>

#include <nlohmann/json.hpp>

#include "compare/config_fields.h"
#include "compare/value_rules.h"
#include "config/side_settings.h"
#include "platform/codepage.h"

namespace {

// Problems beyond this many are counted, not listed.
const size_t MAX_ISSUES = 100;

// The line the parser has reached: every character it takes passes through a
// TrackingIterator. `tokenLine` is the line of the last character that was not blank,
// which is the end of the token the parser has just reported (a number is followed by
// at most one character of look-ahead, and a blank one does not count).
struct LineTracker {
    size_t line = 1;
    size_t tokenLine = 1;
};

class TrackingIterator {
public:
    using iterator_category = std::input_iterator_tag;
    using value_type = char;
    using difference_type = std::ptrdiff_t;
    using pointer = const char*;
    using reference = const char&;

    TrackingIterator(const char* position, LineTracker* tracker)
        : position_(position), tracker_(tracker) {}
    reference operator*() const { return *position_; }
    TrackingIterator& operator++() {
        const char c = *position_++;
        if (c == '\n')
            ++tracker_->line;
        else if (c != ' ' && c != '\t' && c != '\r')
            tracker_->tokenLine = tracker_->line;
        return *this;
    }
    TrackingIterator operator++(int) {
        TrackingIterator before = *this;
        ++*this;
        return before;
    }
    bool operator==(const TrackingIterator& other) const { return position_ == other.position_; }
    bool operator!=(const TrackingIterator& other) const { return position_ != other.position_; }

private:
    const char* position_;
    LineTracker* tracker_;
};

// A scalar JSON value as the handler sees it.
struct Value {
    enum Kind { NUL, BOOLEAN, INTEGER, FRACTION, TEXT } kind;
    int64_t integer = 0;
    bool tooLarge = false; // an integer beyond int64
    const std::string* text = nullptr;
};

const char* KindName(Value::Kind kind) {
    switch (kind) {
    case Value::NUL:
        return "null";
    case Value::BOOLEAN:
        return "true or false";
    case Value::INTEGER:
        return "a number";
    case Value::FRACTION:
        return "a number with a fraction";
    default:
        return "a text";
    }
}

// The code point of the UTF-8 sequence at `offset`, as U+XXXX.
std::string CodePointAt(const std::string& utf8, size_t offset) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(utf8.data()) + offset;
    size_t left = utf8.size() - offset;
    uint32_t c = left > 0 ? p[0] : 0;
    size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    if (length > 1 && length <= left) {
        c &= 0x7Fu >> length;
        for (size_t k = 1; k < length; ++k)
            c = c << 6 | (p[k] & 0x3Fu);
    }
    char text[16];
    snprintf(text, sizeof text, "U+%04X", static_cast<unsigned>(c));
    return text;
}

class ImportHandler : public nlohmann::json::json_sax_t {
public:
    ImportHandler(uint32_t codePage, FilterConfigRecord& record, const LineTracker& tracker,
                  std::vector<ImportIssue>* issues, std::vector<ImportIssue>* warnings,
                  BesideValues* beside)
        : codePage_(codePage), record_(record), tracker_(tracker), issues_(issues),
          warnings_(warnings), beside_(beside) {}

    // Problems and warnings beyond MAX_ISSUES each, not listed.
    size_t unlisted() const { return unlisted_; }
    size_t unlistedWarnings() const { return unlistedWarnings_; }

    bool null() override { return OnValue({Value::NUL}); }
    bool boolean(bool) override { return OnValue({Value::BOOLEAN}); }
    bool number_integer(number_integer_t value) override {
        Value v{Value::INTEGER};
        v.integer = value;
        return OnValue(v);
    }
    bool number_unsigned(number_unsigned_t value) override {
        Value v{Value::INTEGER};
        v.tooLarge = value > static_cast<number_unsigned_t>(INT64_MAX);
        v.integer = v.tooLarge ? INT64_MAX : static_cast<int64_t>(value);
        return OnValue(v);
    }
    bool number_float(number_float_t, const string_t&) override {
        return OnValue({Value::FRACTION});
    }
    bool string(string_t& text) override {
        Value v{Value::TEXT};
        v.text = &text;
        return OnValue(v);
    }
    bool binary(binary_t&) override { return OnValue({Value::NUL}); }

    bool start_object(std::size_t) override {
        if (skip_ > 0) {
            ++skip_;
            return true;
        }
        switch (level_) {
        case Level::OUTSIDE:
            level_ = Level::TOP;
            break;
        case Level::TOP:
            ComplainAboutStructure("an object");
            break;
        case Level::TABLE:
            StartRow();
            break;
        case Level::ROW:
            ComplainAboutStructure("an object");
            break;
        case Level::DONE:
            break;
        }
        return true;
    }

    bool end_object() override {
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        if (level_ == Level::ROW) {
            FinishRow();
            level_ = Level::TABLE;
        } else if (level_ == Level::TOP) {
            level_ = Level::DONE;
        }
        return true;
    }

    bool start_array(std::size_t) override {
        if (skip_ > 0) {
            ++skip_;
            return true;
        }
        if (level_ == Level::TOP && table_ != nullptr && !ignoreValue_) {
            level_ = Level::TABLE;
            rowNumber_ = 0;
            return true;
        }
        if (level_ == Level::TABLE) {
            ++rowNumber_;
            Issue(RowName(), "a row must be a JSON object of columns, not an array");
            skip_ = 1;
            return true;
        }
        ComplainAboutStructure("an array");
        return true;
    }

    bool end_array() override {
        if (skip_ > 0) {
            --skip_;
            return true;
        }
        if (level_ == Level::TABLE) {
            level_ = Level::TOP;
            table_ = nullptr;
        }
        return true;
    }

    bool key(string_t& name) override {
        if (skip_ > 0)
            return true;
        if (level_ == Level::TOP) {
            scalar_ = nullptr;
            table_ = nullptr;
            ignoreValue_ = false;
            sideNext_ = -1;
            if (!keysSeen_.insert(name).second) {
                Issue(name, "is given twice");
                ignoreValue_ = true;
                return true;
            }
            for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
                if (name == SIDE_SETTINGS[id].name) {
                    sideNext_ = id;
                    return true;
                }
            }
            scalar_ = FindScalarKey(name);
            if (scalar_ == nullptr)
                table_ = FindTableKey(name);
            if (scalar_ == nullptr && table_ == nullptr) {
                Issue(name, "is not a configuration key");
                ignoreValue_ = true;
            }
        } else if (level_ == Level::ROW) {
            int column = FindColumn(*table_, name);
            column_ = -1;
            if (column < 0) {
                Issue(RowName() + ", " + name, std::string("is not a column of ") + table_->name);
            } else if ((columnsSeen_ & (1u << column)) != 0) {
                Issue(RowName() + ", " + name, "is given twice");
            } else {
                columnsSeen_ |= 1u << column;
                column_ = column;
            }
        }
        return true;
    }

    bool parse_error(std::size_t, const std::string&,
                     const nlohmann::detail::exception& error) override {
        // "[json.exception.parse_error.101] parse error at line 3, column 5: ..."
        std::string what = error.what();
        size_t bracket = what.find("] ");
        if (what.compare(0, 1, "[") == 0 && bracket != std::string::npos)
            what.erase(0, bracket + 2);
        ImportIssue issue{0, "", what};
        issues_->push_back(issue);
        return false;
    }

private:
    enum class Level { OUTSIDE, TOP, TABLE, ROW, DONE };

    void Issue(const std::string& where, const std::string& what) {
        IssueAt(tracker_.tokenLine, where, what);
    }
    void IssueAt(size_t line, const std::string& where, const std::string& what) {
        if (issues_->size() >= MAX_ISSUES) {
            ++unlisted_;
            return;
        }
        issues_->push_back({line, where, what});
    }

    void Warning(const std::string& where, const std::string& what) {
        WarningAt(tracker_.tokenLine, where, what);
    }
    void WarningAt(size_t line, const std::string& where, const std::string& what) {
        if (warnings_ == nullptr || what.empty())
            return;
        if (warnings_->size() >= MAX_ISSUES) {
            ++unlistedWarnings_;
            return;
        }
        warnings_->push_back({line, where, what});
    }

    std::string RowName() const {
        return std::string(table_ != nullptr ? table_->name : "") + " row " +
               std::to_string(rowNumber_);
    }

    // A structure where a scalar, a table or a row was expected: reported, then skipped.
    void ComplainAboutStructure(const char* found) {
        if (level_ == Level::OUTSIDE) {
            Issue("", std::string("the configuration must be a JSON object, not ") + found);
        } else if (level_ == Level::TOP && !ignoreValue_) {
            if (sideNext_ >= 0)
                Issue(SIDE_SETTINGS[sideNext_].name,
                      std::string("expects an integer, not ") + found);
            else if (scalar_ != nullptr)
                Issue(scalar_->name, std::string("expects ") +
                                         (scalar_->text ? "a text" : "an integer") + ", not " +
                                         found);
            else if (table_ != nullptr)
                Issue(table_->name, std::string("expects an array of rows, not ") + found);
        } else if (level_ == Level::ROW && column_ >= 0) {
            const ConfigColumnKey& column = table_->columns[column_];
            Issue(RowName() + ", " + column.name, std::string("expects ") +
                                                      (column.text ? "a text" : "an integer") +
                                                      ", not " + found);
        }
        scalar_ = nullptr;
        if (level_ == Level::TOP)
            table_ = nullptr;
        ignoreValue_ = false;
        sideNext_ = -1;
        column_ = -1;
        skip_ = 1;
    }

    bool OnValue(const Value& value) {
        if (skip_ > 0)
            return true;
        switch (level_) {
        case Level::OUTSIDE:
            Issue("", std::string("the configuration must be a JSON object, not ") +
                          KindName(value.kind));
            level_ = Level::DONE;
            break;
        case Level::TOP:
            if (!ignoreValue_ && sideNext_ >= 0)
                AssignSideSetting(static_cast<SideSettingId>(sideNext_), value);
            else if (!ignoreValue_ && scalar_ != nullptr)
                Assign(scalar_->name, "", scalar_->name, scalar_->text, scalar_->size,
                       scalar_->field(record_), value);
            else if (!ignoreValue_ && table_ != nullptr)
                Issue(table_->name,
                      std::string("expects an array of rows, not ") + KindName(value.kind));
            scalar_ = nullptr;
            table_ = nullptr;
            ignoreValue_ = false;
            sideNext_ = -1;
            break;
        case Level::TABLE:
            ++rowNumber_;
            Issue(RowName(), std::string("a row must be a JSON object of columns, not ") +
                                 KindName(value.kind));
            break;
        case Level::ROW:
            if (column_ >= 0) {
                const ConfigColumnKey& column = table_->columns[column_];
                if (!Assign(RowName() + ", " + column.name, table_->name, column.name, column.text,
                            column.size,
                            table_->cell(record_, rowIndex_, static_cast<size_t>(column_)), value))
                    badColumns_ |= 1u << column_;
            }
            column_ = -1;
            break;
        case Level::DONE:
            break;
        }
        return true;
    }

    // A setting beside the configuration is a REG_DWORD: any value of one can be stored;
    // one the library reads otherwise than as it stands is a warning.
    void AssignSideSetting(SideSettingId id, const Value& value) {
        const char* name = SIDE_SETTINGS[id].name;
        if (value.kind != Value::INTEGER) {
            Issue(name, std::string("expects an integer, not ") + KindName(value.kind));
            return;
        }
        if (value.tooLarge || value.integer < 0 || value.integer > UINT32_MAX) {
            std::string shown = value.tooLarge ? "the number" : std::to_string(value.integer);
            Issue(name, shown + " is out of range: a stored " + name + " lies between 0 and " +
                            std::to_string(UINT32_MAX));
            return;
        }
        const uint32_t stored = static_cast<uint32_t>(value.integer);
        Warning(name, SideSettingOddValue(id, stored));
        if (beside_ != nullptr) {
            beside_->has[id] = true;
            beside_->value[id] = stored;
        }
    }

    // Checks a value for its field and stores it when it can be stored, with a warning
    // when the library reads it in a surprising way. False when it cannot be stored.
    bool Assign(const std::string& where, const char* table, const std::string& name, bool text,
                size_t size, void* field, const Value& value) {
        const char* expected = text ? "a text" : "an integer";
        if ((text && value.kind != Value::TEXT) || (!text && value.kind != Value::INTEGER)) {
            Issue(where, std::string("expects ") + expected + ", not " + KindName(value.kind));
            return false;
        }
        if (!text) {
            if (value.tooLarge || value.integer < INT32_MIN || value.integer > INT32_MAX) {
                std::string shown = value.tooLarge ? "the number" : std::to_string(value.integer);
                Issue(where, shown + " is out of range: a stored integer lies between " +
                                 std::to_string(INT32_MIN) + " and " + std::to_string(INT32_MAX));
                return false;
            }
            int32_t stored = static_cast<int32_t>(value.integer);
            memcpy(field, &stored, sizeof stored);
            Warning(where, IntValueNote(table, name, stored));
            return true;
        }
        const std::string& utf8 = *value.text;
        size_t nul = utf8.find('\0');
        if (nul != std::string::npos) {
            Issue(where, "a text cannot hold the character U+0000");
            return false;
        }
        std::string stored;
        size_t offset = 0;
        switch (Utf8ToStored(codePage_, utf8, &stored, &offset)) {
        case CODEPAGE_OK:
            break;
        case CODEPAGE_UNMAPPABLE:
            Issue(where, "the character " + CodePointAt(utf8, offset) +
                             " cannot be written in code page " + std::to_string(codePage_));
            return false;
        case CODEPAGE_BAD_UTF8:
            Issue(where, "the text is not well-formed UTF-8");
            return false;
        default:
            Issue(where, "code page " + std::to_string(codePage_) + " is not known here");
            return false;
        }
        if (stored.size() > size - 1) {
            Issue(where, "the text is " + std::to_string(stored.size()) +
                             " bytes long in code page " + std::to_string(codePage_) +
                             "; the field holds at most " + std::to_string(size - 1));
            return false;
        }
        const TextForm* form = TextFormOf(name);
        if (form != nullptr && !form->accepts(stored)) {
            Issue(where, JsonQuoted(utf8) + " is not " + form->description);
            return false;
        }
        CopyToField(static_cast<char*>(field), size, stored.c_str());
        Warning(where, TextValueNote(name, utf8));
        return true;
    }

    void StartRow() {
        ++rowNumber_;
        table_->appendRow(record_);
        rowIndex_ = table_->rowCount(record_) - 1;
        rowLine_ = tracker_.tokenLine;
        columnsSeen_ = 0;
        badColumns_ = 0;
        column_ = -1;
        level_ = Level::ROW;
    }

    void FinishRow() {
        for (size_t c = 0; c < table_->columnCount; ++c) {
            if ((columnsSeen_ & (1u << c)) == 0)
                IssueAt(rowLine_, RowName(),
                        std::string("has no ") + table_->columns[c].name +
                            " (every column must be given)");
        }
        const uint32_t allColumns = (1u << table_->columnCount) - 1;
        if (strcmp(table_->name, "R_IPADDRESS") == 0 && columnsSeen_ == allColumns &&
            badColumns_ == 0) {
            // A range whose end lies below its start matches no address at all.
            uint32_t from = 0, to = 0;
            ParseIpv4(CellText(FindColumn(*table_, "IPFROM")), &from);
            if (ParseIpv4(CellText(FindColumn(*table_, "IPTO")), &to) && (to >> 24) != 0 &&
                to < from)
                Warning(RowName(), "the range ends (IPTO) below where it starts (IPFROM): the "
                                   "library matches no address with it");
        }
    }

    std::string CellText(int column) {
        const size_t c = static_cast<size_t>(column);
        return FieldText(table_->cell(record_, rowIndex_, c), table_->columns[c].size);
    }

    const uint32_t codePage_;
    FilterConfigRecord& record_;
    const LineTracker& tracker_;
    std::vector<ImportIssue>* issues_;
    std::vector<ImportIssue>* warnings_;
    BesideValues* beside_;
    size_t unlisted_ = 0;
    size_t unlistedWarnings_ = 0;

    Level level_ = Level::OUTSIDE;
    int skip_ = 0; // depth inside a structure that is skipped whole
    const ConfigScalarKey* scalar_ = nullptr;
    const ConfigTableKey* table_ = nullptr;
    bool ignoreValue_ = false; // the value of an unknown or repeated key
    int sideNext_ = -1;        // the SideSettingId whose value comes next
    std::set<std::string> keysSeen_;
    int column_ = -1; // the column whose value comes next
    size_t rowNumber_ = 0;
    size_t rowIndex_ = 0;
    size_t rowLine_ = 0;
    uint32_t columnsSeen_ = 0;
    uint32_t badColumns_ = 0;
};

} // namespace

bool ImportJson(const std::string& text, uint32_t codePage, FilterConfigRecord& record,
                std::vector<ImportIssue>* issues, std::vector<ImportIssue>* warnings,
                BesideValues* beside) {
    issues->clear();
    if (warnings != nullptr)
        warnings->clear();
    if (beside != nullptr)
        *beside = BesideValues();
    LineTracker tracker;
    ImportHandler handler(codePage, record, tracker, issues, warnings, beside);
    TrackingIterator first(text.data(), &tracker), last(text.data() + text.size(), &tracker);
    nlohmann::json::sax_parse(first, last, &handler);
    if (handler.unlisted() > 0)
        issues->push_back(
            {0, "", std::to_string(handler.unlisted()) + " more problems not listed"});
    if (handler.unlistedWarnings() > 0)
        warnings->push_back(
            {0, "", std::to_string(handler.unlistedWarnings()) + " more warnings not listed"});
    return issues->empty();
}

std::string FormatImportIssue(const std::string& file, const ImportIssue& issue) {
    std::string out = file;
    if (issue.line > 0)
        out += ":" + std::to_string(issue.line);
    out += ": ";
    if (!issue.where.empty())
        out += issue.where + ": ";
    return out + issue.what;
}
