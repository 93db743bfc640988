// Shared by the configuration store's Wine tests: message boxes recorded instead of
// shown, and a fresh FilterConfig for every test.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "config/config_model.h"
#include "platform/message_box.h"

struct RecordedBox {
    std::string text;
    std::string caption;
};

inline std::vector<RecordedBox>& RecordedBoxes() {
    static std::vector<RecordedBox> boxes;
    return boxes;
}

inline int RecordBox(const char* text, const char* caption, uint32_t) {
    RecordedBoxes().push_back({text, caption != nullptr ? caption : ""});
    return ANSWER_OK;
}

class WineStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        RecordedBoxes().clear();
        SetMessageBoxHook(RecordBox);
        ResetFilterConfig();
    }
    void TearDown() override {
        SetMessageBoxHook(nullptr);
        ResetFilterConfig();
    }
    static void ExpectOnlyBox(const char* text) {
        ASSERT_EQ(1u, RecordedBoxes().size());
        EXPECT_EQ(text, RecordedBoxes()[0].text);
    }
};
