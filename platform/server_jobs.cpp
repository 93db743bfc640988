#include "platform/server_jobs.h"

uint32_t DoRegistryJob(ServerJob& job) {
    if (job.write && job.readFirst)
        job.previousError = ReadRemoteConfigBlob(job.server, job.view, &job.previous);
    return job.write ? WriteRemoteConfigBlob(job.server, job.view, job.blob)
                     : ReadRemoteConfigBlob(job.server, job.view, &job.blob);
}
