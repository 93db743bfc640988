// The message table as gatewell.dll carries it: exactly the events the library and the
// tools report, each with the inserts they pass (%1 onwards, without gaps), read from
// the RT_MESSAGETABLE resource of the built library.
#include <windows.h>

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "eventlog/event_text.h"

namespace {

// The highest insert number and every number used, of one message's text.
std::set<int> InsertNumbers(const std::wstring& text) {
    std::set<int> numbers;
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != L'%')
            continue;
        int number = 0;
        size_t j = i + 1;
        while (j < text.size() && text[j] >= L'0' && text[j] <= L'9')
            number = number * 10 + (text[j++] - L'0');
        if (j > i + 1)
            numbers.insert(number);
        i = j > i + 1 ? j - 1 : i + 1; // "%%", "%n", "%." are escapes
    }
    return numbers;
}

// Every message of the library's table, by id (texts stored as UTF-16).
std::map<uint32_t, std::wstring> ReadMessageTable(HMODULE module) {
    std::map<uint32_t, std::wstring> messages;
    HRSRC found =
        FindResourceW(module, MAKEINTRESOURCEW(1), reinterpret_cast<LPCWSTR>(RT_MESSAGETABLE));
    if (found == nullptr)
        return messages;
    const DWORD size = SizeofResource(module, found);
    const auto* base = static_cast<const BYTE*>(LockResource(LoadResource(module, found)));
    if (base == nullptr || size < sizeof(DWORD))
        return messages;
    const auto* data = reinterpret_cast<const MESSAGE_RESOURCE_DATA*>(base);
    for (DWORD b = 0; b < data->NumberOfBlocks; ++b) {
        const MESSAGE_RESOURCE_BLOCK& block = data->Blocks[b];
        DWORD offset = block.OffsetToEntries;
        for (DWORD id = block.LowId; id <= block.HighId && offset + 4 <= size; ++id) {
            const auto* entry = reinterpret_cast<const MESSAGE_RESOURCE_ENTRY*>(base + offset);
            EXPECT_EQ(entry->Flags, 1) << "message " << id << " is not stored in UTF-16";
            messages[id] = reinterpret_cast<const wchar_t*>(entry->Text);
            offset += entry->Length;
        }
    }
    return messages;
}

TEST(MessageTableTest, EveryEventHasItsMessageWithItsInserts) {
    HMODULE module = LoadLibraryExW(L"gatewell.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr) << GetLastError();
    const std::map<uint32_t, std::wstring> messages = ReadMessageTable(module);
    EXPECT_EQ(messages.size(), EVENT_DEFINITION_COUNT);
    for (const EventDefinition& event : EVENT_DEFINITIONS) {
        auto found = messages.find(event.id);
        ASSERT_NE(found, messages.end()) << "no message " << event.id;
        std::set<int> expected;
        for (size_t n = 1; n <= event.insertCount; ++n)
            expected.insert(static_cast<int>(n));
        EXPECT_EQ(InsertNumbers(found->second), expected) << "message " << event.id;
    }
    FreeLibrary(module);
}

} // namespace
