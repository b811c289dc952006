#pragma once
// Runs part of a test in a forked child whose files may not grow beyond a
// limit, so that writes fail half-way (EFBIG) in the test's own folder; the
// test process keeps its own limits whatever the code under test does.

#include <csignal>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

class TFileSizeLimit {
public:
    // The child's exit status, which is what body returned (0..255); -1 when
    // the child could not run or did not end normally.
    static int inChild(rlim_t bytes, const std::function<int()>& body)
    {
        const pid_t child = ::fork();
        if (child == 0) {
            // Past the limit a write fails instead of ending the process.
            std::signal(SIGXFSZ, SIG_IGN);
            rlimit limit{};
            if (::getrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(255);
            limit.rlim_cur = bytes;
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(255);
            ::_exit(body());
        }
        int status = 0;
        if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status))
            return -1;
        return WEXITSTATUS(status);
    }
};
