#include "compare/config_diff.h"

#include <algorithm>
#include <cstring>
#include <map>
#include <vector>

#include "compare/config_fields.h"

namespace {

// Beyond this many differing rows in one table the shortest edit script costs too much
// memory; rows are then matched by content alone, without regard to their order.
const int MAX_EDIT_DISTANCE = 2000;

enum class Op { KEEP, REMOVE, ADD };

// Rows `first` to `end` of a table as comparable texts.
std::vector<std::string> RowKeys(FilterConfigRecord& record, const ConfigTableKey& table,
                                 size_t first, size_t end) {
    std::vector<std::string> keys(end - first);
    for (size_t r = first; r < end; ++r) {
        std::string& key = keys[r - first];
        for (size_t c = 0; c < table.columnCount; ++c) {
            const void* field = table.cell(record, r, c);
            key += table.columns[c].text ? FieldText(field, table.columns[c].size)
                                         : std::to_string(FieldInt(field));
            key += '\0';
        }
    }
    return keys;
}

// True when row `ra` of a and row `rb` of b have the same comparable text, found
// without making it: a large table mostly differs in a few rows, if any.
bool SameRow(FilterConfigRecord& a, size_t ra, FilterConfigRecord& b, size_t rb,
             const ConfigTableKey& table) {
    for (size_t c = 0; c < table.columnCount; ++c) {
        const void* fieldA = table.cell(a, ra, c);
        const void* fieldB = table.cell(b, rb, c);
        if (!table.columns[c].text) {
            if (FieldInt(fieldA) != FieldInt(fieldB))
                return false;
            continue;
        }
        const size_t size = table.columns[c].size;
        const size_t length = strnlen(static_cast<const char*>(fieldA), size);
        if (length != strnlen(static_cast<const char*>(fieldB), size) ||
            memcmp(fieldA, fieldB, length) != 0)
            return false;
    }
    return true;
}

// The shortest edit script turning a into b (Myers' algorithm), or false when it
// needs more than MAX_EDIT_DISTANCE steps.
bool ShortestEdit(const std::vector<std::string>& a, const std::vector<std::string>& b,
                  std::vector<Op>* ops) {
    const int n = static_cast<int>(a.size()), m = static_cast<int>(b.size());
    const int limit = std::min(n + m, MAX_EDIT_DISTANCE);
    std::vector<int> v(2 * static_cast<size_t>(limit) + 3, 0);
    const int offset = limit + 1;
    std::vector<std::vector<int>> trace;
    for (int d = 0; d <= limit; ++d) {
        trace.emplace_back(v.begin() + (offset - d), v.begin() + (offset + d + 1));
        for (int k = -d; k <= d; k += 2) {
            int x = (k == -d || (k != d && v[offset + k - 1] < v[offset + k + 1]))
                        ? v[offset + k + 1]
                        : v[offset + k - 1] + 1;
            int y = x - k;
            while (x < n && y < m && a[x] == b[y]) {
                ++x;
                ++y;
            }
            v[offset + k] = x;
            if (x >= n && y >= m) {
                // Walk back through the saved diagonals.
                int bx = n, by = m;
                for (int step = d; step > 0; --step) {
                    const std::vector<int>& before = trace[step]; // v as it was at step start
                    auto at = [&](int kk) { return before[kk + step]; };
                    int kk = bx - by;
                    bool down = kk == -step || (kk != step && at(kk - 1) < at(kk + 1));
                    int previousK = down ? kk + 1 : kk - 1;
                    int previousX = at(previousK);
                    int previousY = previousX - previousK;
                    while (bx > previousX + (down ? 0 : 1) && by > previousY + (down ? 1 : 0)) {
                        ops->push_back(Op::KEEP);
                        --bx;
                        --by;
                    }
                    ops->push_back(down ? Op::ADD : Op::REMOVE);
                    bx = previousX;
                    by = previousY;
                }
                while (bx > 0 && by > 0) {
                    ops->push_back(Op::KEEP);
                    --bx;
                    --by;
                }
                std::reverse(ops->begin(), ops->end());
                return true;
            }
        }
    }
    return false;
}

// Rows matched by content without regard to order: each row of a pairs with an equal
// row of b not yet taken. The indices of the rows left over on either side.
void MatchByContent(const std::vector<std::string>& a, const std::vector<std::string>& b,
                    std::vector<size_t>* removed, std::vector<size_t>* added) {
    std::map<std::string, int> unmatched;
    for (const std::string& row : b)
        ++unmatched[row];
    for (size_t r = 0; r < a.size(); ++r) {
        auto found = unmatched.find(a[r]);
        if (found != unmatched.end() && found->second > 0)
            --found->second;
        else
            removed->push_back(r);
    }
    for (size_t r = b.size(); r-- > 0;) {
        auto found = unmatched.find(b[r]);
        if (found != unmatched.end() && found->second > 0) {
            --found->second; // the last copies of a row are the ones left over
            added->push_back(r);
        }
    }
    std::reverse(added->begin(), added->end());
}

class TableDiff {
public:
    TableDiff(FilterConfigRecord& a, FilterConfigRecord& b, const ConfigTableKey& table,
              uint32_t codePage, std::string* out, std::vector<ConfigDifference>* differences)
        : a_(a), b_(b), table_(table), codePage_(codePage), out_(out), differences_(differences) {}

    size_t Run() {
        // Rows equal at both ends are set aside first.
        const size_t countA = table_.rowCount(a_), countB = table_.rowCount(b_);
        size_t head = 0;
        while (head < countA && head < countB && SameRow(a_, head, b_, head, table_))
            ++head;
        size_t tail = 0;
        while (tail + head < countA && tail + head < countB &&
               SameRow(a_, countA - 1 - tail, b_, countB - 1 - tail, table_))
            ++tail;
        if (head == countA && head == countB)
            return 0;
        std::vector<std::string> midA = RowKeys(a_, table_, head, countA - tail);
        std::vector<std::string> midB = RowKeys(b_, table_, head, countB - tail);
        std::vector<size_t> removed, added;
        std::vector<Op> ops;
        if (!ShortestEdit(midA, midB, &ops)) {
            MatchByContent(midA, midB, &removed, &added);
            for (size_t& row : removed)
                row += head;
            for (size_t& row : added)
                row += head;
            Flush(&removed, &added, false);
            if (count_ == 0) { // the same rows, and the order decides which row matches first
                *out_ += "~ " + std::string(table_.name) + ": the same rows in another order\n";
                Count(ConfigDifference::ROWS_REORDERED);
            }
            return count_;
        }
        // Walk the script; removals and additions between two kept rows form a group.
        size_t ia = head, ib = head;
        for (Op op : ops) {
            if (op == Op::KEEP) {
                Flush(&removed, &added, true);
                ++ia;
                ++ib;
            } else if (op == Op::REMOVE) {
                removed.push_back(ia++);
            } else {
                added.push_back(ib++);
            }
        }
        Flush(&removed, &added, true);
        return count_;
    }

private:
    // In a group of removed and added rows, a removed row and an added one with the
    // same first column (the address, name or user the row is about) are one changed
    // row (when `pair`); the others stay removed and added.
    void Flush(std::vector<size_t>* removed, std::vector<size_t>* added, bool pair) {
        std::vector<bool> removedPaired(removed->size()), addedPaired(added->size());
        size_t next = 0; // pairs keep the order of both sides
        for (size_t i = 0; pair && i < removed->size(); ++i) {
            for (size_t k = next; k < added->size(); ++k) {
                if (Cell(a_, (*removed)[i], 0) == Cell(b_, (*added)[k], 0)) {
                    Changed((*removed)[i], (*added)[k]);
                    removedPaired[i] = addedPaired[k] = true;
                    next = k + 1;
                    break;
                }
            }
        }
        for (size_t i = 0; i < removed->size(); ++i) {
            if (!removedPaired[i])
                Line("- ", (*removed)[i], RowJson(a_, table_, (*removed)[i], codePage_),
                     ConfigDifference::ROW_REMOVED);
        }
        for (size_t k = 0; k < added->size(); ++k) {
            if (!addedPaired[k])
                Line("+ ", (*added)[k], RowJson(b_, table_, (*added)[k], codePage_),
                     ConfigDifference::ROW_ADDED);
        }
        removed->clear();
        added->clear();
    }

    std::string Cell(FilterConfigRecord& record, size_t row, size_t c) {
        return CellJson(record, table_, row, c, codePage_);
    }

    void Changed(size_t rowA, size_t rowB) {
        std::string text = "~ " + std::string(table_.name) + " row " + std::to_string(rowA + 1);
        if (rowB != rowA)
            text += " -> " + std::to_string(rowB + 1);
        text += ":";
        const char* separator = " ";
        for (size_t c = 0; c < table_.columnCount; ++c) {
            std::string before = Cell(a_, rowA, c), after = Cell(b_, rowB, c);
            if (before != after) {
                text +=
                    separator + std::string(table_.columns[c].name) + " " + before + " -> " + after;
                separator = ", ";
            }
        }
        *out_ += text + "\n";
        Count(ConfigDifference::ROW_CHANGED);
    }

    void Line(const char* mark, size_t row, const std::string& json, ConfigDifference::Kind kind) {
        *out_ += mark + std::string(table_.name) + " row " + std::to_string(row + 1) + ": " + json +
                 "\n";
        Count(kind);
    }

    void Count(ConfigDifference::Kind kind) {
        if (differences_)
            differences_->push_back({kind, table_.name});
        ++count_;
    }

    FilterConfigRecord& a_;
    FilterConfigRecord& b_;
    const ConfigTableKey& table_;
    const uint32_t codePage_;
    std::string* out_;
    std::vector<ConfigDifference>* differences_;
    size_t count_ = 0;
};

} // namespace

size_t DiffConfigs(FilterConfigRecord& a, FilterConfigRecord& b, uint32_t codePage,
                   std::string* out, std::vector<ConfigDifference>* differences) {
    const ConfigKeys& keys = AllConfigKeys();
    size_t count = 0;
    for (size_t k = 0; k < keys.scalarCount; ++k) {
        const ConfigScalarKey& key = keys.scalars[k];
        const void* fieldA = key.field(a);
        const void* fieldB = key.field(b);
        std::string before, after;
        if (key.text) {
            before = FieldText(fieldA, key.size);
            after = FieldText(fieldB, key.size);
            if (before == after)
                continue;
            before = JsonQuoted(StoredToUtf8(codePage, before));
            after = JsonQuoted(StoredToUtf8(codePage, after));
        } else {
            if (FieldInt(fieldA) == FieldInt(fieldB))
                continue;
            before = std::to_string(FieldInt(fieldA));
            after = std::to_string(FieldInt(fieldB));
        }
        *out += "~ " + std::string(key.name) + ": " + before + " -> " + after + "\n";
        if (differences)
            differences->push_back({ConfigDifference::VALUE, key.name});
        ++count;
    }
    for (size_t t = 0; t < keys.tableCount; ++t)
        count += TableDiff(a, b, keys.tables[t], codePage, out, differences).Run();
    return count;
}
