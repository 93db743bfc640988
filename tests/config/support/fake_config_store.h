// An in-memory stand-in for the configuration store's platform seam: one registry
// key with its values, a set of files, scriptable failures, and a record of every
// message box and sleep. Tests reset it with ResetFakeStore().
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

enum FakeValueType : uint32_t { FAKE_REG_BINARY = 3, FAKE_REG_DWORD = 4 };

struct FakeRegistryValue {
    uint32_t type;
    std::vector<uint8_t> data;
};

struct ShownMessage {
    std::string text;
    std::string caption;
    uint32_t style;
};

struct FakeStore {
    // Registry.
    bool keyExists = false;
    bool openFails = false;   // the existing key cannot be opened
    bool createFails = false; // a missing key cannot be created
    std::map<std::string, FakeRegistryValue> values;
    std::set<std::string> failingWrites; // value names whose writes fail
    int keysOpened = 0;
    int keysClosed = 0;
    std::vector<std::string> writeLog; // value names in the order they were written

    // Files.
    std::map<std::string, std::vector<uint8_t>> files;
    std::set<std::string> uncreatableFiles;

    // Runs right after a value's size was queried (a writer racing the reader).
    std::function<void(const std::string&)> afterSizeQuery;

    // Each wait in milliseconds, and what happens during each (the n-th, from 1).
    std::vector<uint32_t> sleeps;
    std::function<void(int)> onSleep;

    // Message boxes shown through the hook installed by ResetFakeStore().
    std::vector<ShownMessage> messages;
};

FakeStore& Fake();

// Empties the fake and routes message boxes into Fake().messages.
void ResetFakeStore();

// Helpers for scripting registry contents.
void SetFakeBinary(const std::string& name, const std::vector<uint8_t>& data);
void SetFakeDword(const std::string& name, uint32_t value);
uint32_t FakeDword(const std::string& name); // fails the test when absent or not 4 bytes
