// One job after the other: without a registry each fails at once.
#include "platform/server_jobs.h"

bool RunServerJobs(std::vector<ServerJob>* jobs, const ServerJobLimits&,
                   ServerJobObserver* observer) {
    for (size_t i = 0; i < jobs->size(); ++i) {
        ServerJob& job = (*jobs)[i];
        if (job.write && job.readFirst)
            job.previousError = ReadRemoteConfigBlob(job.server, job.view, &job.previous);
        job.error = job.write ? WriteRemoteConfigBlob(job.server, job.view, job.blob)
                              : ReadRemoteConfigBlob(job.server, job.view, &job.blob);
        if (observer != nullptr)
            observer->JobEnded(i);
    }
    return true;
}
