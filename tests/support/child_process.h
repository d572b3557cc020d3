// Runs code in a child process, for libraries that may crash on what a test hands them (pxlib).
#pragma once
#include <sys/wait.h>
#include <unistd.h>

#include <optional>
#include <string>

namespace vts::test {

// What fn returned, sent back from a child process; nothing when the child crashed.
template <typename Fn>
std::optional<std::string> inChild(Fn fn) {
    int fds[2];
    if (pipe(fds) != 0) return std::nullopt;
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        const std::string out = fn();
        for (std::size_t done = 0; done < out.size();) {
            const ssize_t n = write(fds[1], out.data() + done, out.size() - done);
            if (n <= 0) break;
            done += static_cast<std::size_t>(n);
        }
        _exit(0);
    }
    close(fds[1]);
    std::string out;
    char buf[65536];
    for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;) out.append(buf, static_cast<std::size_t>(n));
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
    return out;
}

}  // namespace vts::test
