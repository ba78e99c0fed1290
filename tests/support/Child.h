#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <functional>
#include <string>

// What a forked child made of `work`: its answer (through a pipe), its wait status and id. For
// what must not reach this process: resource limits, a dropped user, GLib's once-per-process
// reading of the environment. The child ends by exit(), so LeakSanitizer checks it too.
struct ChildRun {
    std::string answer;
    int status = -1;
    pid_t pid = -1;
    bool ended() const { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }
};

inline ChildRun inChild(const std::function<std::string()>& work) {
    ChildRun run;
    int fds[2];
    if (pipe(fds) != 0) return run;
    run.pid = fork();
    if (run.pid == 0) {
        close(fds[0]);
        const std::string answer = work();
        const auto size = static_cast<ssize_t>(answer.size());
        std::exit(write(fds[1], answer.data(), answer.size()) == size ? 0 : 1);
    }
    close(fds[1]);
    char buf[4096];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) run.answer.append(buf, n);
    close(fds[0]);
    waitpid(run.pid, &run.status, 0);
    return run;
}
