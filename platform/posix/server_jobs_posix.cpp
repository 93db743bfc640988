// One job after the other: without a registry each fails at once.
#include "platform/server_jobs.h"

bool RunServerJobs(std::vector<ServerJob>* jobs, const ServerJobLimits& limits,
                   ServerJobObserver* observer) {
    for (size_t i = 0; i < jobs->size(); ++i) {
        ServerJob& job = (*jobs)[i];
        job.error = limits.work != nullptr ? limits.work(job) : DoRegistryJob(job);
        if (observer != nullptr)
            observer->JobEnded(i);
    }
    return true;
}
