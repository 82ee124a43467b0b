#include "formula/LargeStack.h"

#include <exception>
#include <pthread.h>
#include <system_error>

namespace xtq {
namespace {

constexpr size_t kStackBytes = size_t{512} << 20; // reserved, touched only as used

struct Job {
    const std::function<void()>* task;
    std::exception_ptr error;
};

void* Run(void* argument) {
    auto* job = static_cast<Job*>(argument);
    try {
        (*job->task)();
    } catch (...) {
        job->error = std::current_exception();
    }
    return nullptr;
}

} // namespace

void RunOnLargeStack(const std::function<void()>& task) {
    Job job{&task, nullptr};
    pthread_attr_t attributes;
    pthread_attr_init(&attributes);
    pthread_attr_setstacksize(&attributes, kStackBytes);
    pthread_t thread;
    const int started = pthread_create(&thread, &attributes, Run, &job);
    pthread_attr_destroy(&attributes);
    if (started != 0) {
        task(); // no thread to be had: run here
        return;
    }
    pthread_join(thread, nullptr);
    if (job.error) std::rethrow_exception(job.error);
}

} // namespace xtq
