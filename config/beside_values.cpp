#include "config/beside_values.h"

#include <vector>

#include "platform/server_jobs.h"

namespace {

// The value named `name`, or -1 when it is none of the table's.
int SideSettingNamed(const std::string& name) {
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id)
        if (name == SIDE_SETTINGS[id].name)
            return id;
    return -1;
}

// The values of `names` whose read succeeded.
BesideValues Found(const std::vector<std::string>& names, const std::vector<uint32_t>& values,
                   const std::vector<uint32_t>& errors) {
    BesideValues found;
    for (size_t k = 0; k < names.size() && k < values.size() && k < errors.size(); ++k) {
        const int id = SideSettingNamed(names[k]);
        if (id < 0 || errors[k] != REMOTE_OK)
            continue;
        found.has[id] = true;
        found.value[id] = values[k];
    }
    return found;
}

uint32_t AsRead(const BesideValues& values, int id) {
    return values.has[id] ? values.value[id] : SIDE_SETTINGS[id].absent;
}

} // namespace

void AddBesideChanges(const BesideValues& stored, const BesideValues& given, std::string* summary) {
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        if (given.has[id])
            AddSideSettingChange(static_cast<SideSettingId>(id), AsRead(stored, id),
                                 given.value[id], summary);
    }
}

void AddBesideDifferences(const BesideValues& reference, const BesideValues& stored,
                          std::string* summary) {
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        if (reference.has[id])
            AddSideSettingChange(static_cast<SideSettingId>(id), reference.value[id],
                                 AsRead(stored, id), summary);
    }
}

void AskForBeside(const BesideValues& given, ServerJob* job) {
    for (int id = 0; id < SIDE_SETTING_COUNT; ++id) {
        if (!given.has[id])
            continue;
        job->dwordNames.push_back(SIDE_SETTINGS[id].name);
        job->dwordValues.push_back(given.value[id]);
    }
}

BesideValues BesideRead(const ServerJob& job) {
    return Found(job.dwordNames, job.dwordValues, job.dwordErrors);
}

BesideValues BesideReadFirst(const ServerJob& job) {
    return Found(job.dwordNames, job.previousDwordValues, job.previousDwordErrors);
}

BesideValues BesideWritten(const ServerJob& job) {
    return Found(job.dwordNames, job.dwordValues,
                 std::vector<uint32_t>(job.dwordValues.size(), REMOTE_OK));
}

uint32_t BesideWriteError(const ServerJob& job, std::string* name) {
    for (size_t k = 0; k < job.dwordErrors.size() && k < job.dwordNames.size(); ++k) {
        if (job.dwordErrors[k] != REMOTE_OK) {
            *name = job.dwordNames[k];
            return job.dwordErrors[k];
        }
    }
    return REMOTE_OK;
}

void LeaveOutWhatConsoleKeepsAbsent(ServerJob* job) {
    for (size_t k = job->dwordNames.size(); k-- > 0;) {
        const int id = SideSettingNamed(job->dwordNames[k]);
        const bool stored =
            k < job->previousDwordErrors.size() && job->previousDwordErrors[k] == REMOTE_OK;
        if (id < 0 || k >= job->dwordValues.size() ||
            ConsoleWritesSideSetting(static_cast<SideSettingId>(id), stored, job->dwordValues[k]))
            continue;
        job->dwordNames.erase(job->dwordNames.begin() + k);
        job->dwordValues.erase(job->dwordValues.begin() + k);
        if (k < job->previousDwordValues.size())
            job->previousDwordValues.erase(job->previousDwordValues.begin() + k);
        if (k < job->previousDwordErrors.size())
            job->previousDwordErrors.erase(job->previousDwordErrors.begin() + k);
    }
}
