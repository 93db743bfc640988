// Values stored beside the configuration under its registry key, not in the blob, by
// SideSettingId (config/side_settings.h): each one given or not, and its value.
#pragma once

#include <cstdint>
#include <string>

#include "config/side_settings.h"

struct BesideValues {
    bool has[SIDE_SETTING_COUNT] = {};
    uint32_t value[SIDE_SETTING_COUNT] = {};
    bool Any() const {
        for (bool given : has)
            if (given)
                return true;
        return false;
    }
};

// Appends to a change summary what writing the values `given` changes beside the
// configuration where `stored` is stored (a value not stored reads as the library takes
// it when absent).
inline void AddBesideChanges(const BesideValues& stored, const BesideValues& given,
                             std::string* summary) {
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        if (given.has[id])
            AddSideSettingChange(static_cast<SideSettingId>(id),
                                 stored.has[id] ? stored.value[id] : SIDE_SETTINGS[id].absent,
                                 given.value[id], summary);
    }
}
