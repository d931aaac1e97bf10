// The write barrier on Linux: the process's file size limit (RLIMIT_FSIZE).
#include <signal.h>
#include <sys/resource.h>

#include "tests/support_lib/write_barrier.h"

namespace testing_support {

WriteBarrier::WriteBarrier(const std::string& /*path*/, uint64_t offset) : offset_(offset) {
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) != 0) {
        return;
    }
    previous_limit_ = limit.rlim_cur;
    // Past the limit a write fails with EFBIG only when SIGXFSZ does not
    // end the process first.
    previous_signal_ = signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(offset);
    active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
}

WriteBarrier::~WriteBarrier() {
    struct rlimit limit;
    if (active_ && getrlimit(RLIMIT_FSIZE, &limit) == 0) {
        limit.rlim_cur = static_cast<rlim_t>(previous_limit_);
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    signal(SIGXFSZ, previous_signal_);
}

}  // namespace testing_support
