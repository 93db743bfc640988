#include "platform/server_jobs.h"

namespace {

// The values beside the blob, once the server has answered for it.
void DoDwords(ServerJob& job) {
    job.dwordValues.resize(job.dwordNames.size());
    job.dwordErrors.assign(job.dwordNames.size(), REMOTE_OK);
    for (size_t k = 0; k < job.dwordNames.size(); ++k)
        job.dwordErrors[k] =
            job.write ? WriteRemoteConfigDword(job.server, job.view, job.dwordNames[k].c_str(),
                                               job.dwordValues[k])
                      : ReadRemoteConfigDword(job.server, job.view, job.dwordNames[k].c_str(),
                                              &job.dwordValues[k]);
}

} // namespace

void ReadBeforeWrite(ServerJob& job) {
    job.previousError = ReadRemoteConfigBlob(job.server, job.view, &job.previous);
    job.previousDwordValues.assign(job.dwordNames.size(), 0);
    job.previousDwordErrors.assign(job.dwordNames.size(), REMOTE_OK);
    for (size_t k = 0; k < job.dwordNames.size(); ++k)
        job.previousDwordErrors[k] = ReadRemoteConfigDword(
            job.server, job.view, job.dwordNames[k].c_str(), &job.previousDwordValues[k]);
}

uint32_t DoRegistryJob(ServerJob& job) {
    if (job.write && job.readFirst)
        ReadBeforeWrite(job);
    const uint32_t result = job.write ? WriteRemoteConfigBlob(job.server, job.view, job.blob)
                                      : ReadRemoteConfigBlob(job.server, job.view, &job.blob);
    if (!job.dwordNames.empty() &&
        (result == REMOTE_OK || (!job.write && result == REMOTE_NO_CONFIGURATION)))
        DoDwords(job);
    return result;
}
