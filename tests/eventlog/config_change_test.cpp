// An apply measures its change against the configuration key's values as it read them
// once: "tsdata" and "datasize" taken as the library takes them.
#include <gtest/gtest.h>

#include "config/config_blob.h"
#include "config/config_mapping.h"
#include "config/container.h"
#include "config/persistence.h"
#include "eventlog/config_change.h"

namespace {

std::vector<RegistryValue> StoredPair(uint32_t declared) {
    uint8_t* blob = nullptr;
    size_t length = 0;
    EXPECT_EQ(0, EncodeConfigRecord(FilterConfig, REGISTRY_PARAM_ORDER, &blob, &length));
    CryptConfigBlob(blob, length);
    std::string data(reinterpret_cast<const char*>(blob), length);
    FreeBlob(blob);
    if (declared == 0)
        declared = static_cast<uint32_t>(length);
    const char size[4] = {static_cast<char>(declared), static_cast<char>(declared >> 8),
                          static_cast<char>(declared >> 16), static_cast<char>(declared >> 24)};
    return {{"EventLog", REGISTRY_DWORD, std::string("\1\0\0\0", 4)},
            {"TSDATA", REGISTRY_BINARY, data},
            {"datasize", REGISTRY_DWORD, std::string(size, 4)}};
}

} // namespace

TEST(StoredValuesChange, MeasuresAgainstThePairAndNothingReadableOtherwise) {
    ResetFilterConfig();
    FilterConfig.FLAG_IPADDRESS = 0;
    FilterConfig.SESSION_PER_IP = 1; // a stored 0 reads as 1
    const std::vector<RegistryValue> stored = StoredPair(0);
    EXPECT_EQ("no change", StoredValuesChange(stored, FilterConfig, 1252));
    FilterConfig.FLAG_IPADDRESS = 1;
    EXPECT_EQ("IP Address filter: switched on", StoredValuesChange(stored, FilterConfig, 1252));

    const std::string nothing = "no readable configuration was stored before";
    const uint32_t length = static_cast<uint32_t>(stored[1].data.size());
    EXPECT_EQ(nothing, StoredValuesChange(StoredPair(length - 1), FilterConfig, 1252));
    EXPECT_EQ(nothing, StoredValuesChange({stored[0], stored[1]}, FilterConfig, 1252));
    std::vector<RegistryValue> damaged = stored;
    damaged[1].data[damaged[1].data.size() / 2] ^= 0x5a;
    damaged[1].data.resize(damaged[1].data.size() / 2);
    EXPECT_EQ(nothing, StoredValuesChange(damaged, FilterConfig, 1252));
    EXPECT_EQ(nothing, StoredValuesChange({}, FilterConfig, 1252));
    ResetFilterConfig();
}
