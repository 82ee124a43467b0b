#pragma once
// Runs a piece of a test in a forked child and brings back the text it
// reports, so that a limit set there (memory, user) or a crash stays in the
// child.

#include "core/Exception.h"

#include <exception>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace xtq::testing {

// `prepare` runs first in the child (false: the child ends with status 3);
// then `body`, whose text, or the class and message of the error it raised,
// is the result. A child that dies by a signal or ends otherwise than
// normally gives "killed by signal N" or "child failed with status N".
inline std::string InChild(const std::function<bool()>& prepare,
                           const std::function<std::string()>& body) {
    int channel[2];
    if (pipe(channel) != 0) return "no pipe";
    const pid_t child = fork();
    if (child < 0) return "no fork";
    if (child == 0) {
        close(channel[0]);
        if (!prepare()) _exit(3);
        std::string report;
        try {
            report = body();
        } catch (const Exception& e) {
            report = std::string(e.className()) + ": " + e.what();
        } catch (const std::exception& e) {
            report = std::string("unexpected ") + e.what();
        }
        const char* p = report.data();
        size_t left = report.size();
        while (left > 0) {
            const ssize_t n = write(channel[1], p, left);
            if (n <= 0) _exit(4);
            p += n;
            left -= static_cast<size_t>(n);
        }
        _exit(0);
    }
    close(channel[1]);
    std::string report;
    char buffer[4096];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        report.append(buffer, static_cast<size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return "child failed with status " + std::to_string(status);
    return report;
}

} // namespace xtq::testing
