// One job after the other: without a registry each fails at once.
#include "platform/server_jobs.h"

namespace {

uint32_t RegistryWork(ServerJob& job) {
    if (job.write && job.readFirst)
        job.previousError = ReadRemoteConfigBlob(job.server, job.view, &job.previous);
    return job.write ? WriteRemoteConfigBlob(job.server, job.view, job.blob)
                     : ReadRemoteConfigBlob(job.server, job.view, &job.blob);
}

} // namespace

bool RunServerJobs(std::vector<ServerJob>* jobs, const ServerJobLimits& limits,
                   ServerJobObserver* observer) {
    for (size_t i = 0; i < jobs->size(); ++i) {
        ServerJob& job = (*jobs)[i];
        job.error = limits.work != nullptr ? limits.work(job) : RegistryWork(job);
        if (observer != nullptr)
            observer->JobEnded(i);
    }
    return true;
}
