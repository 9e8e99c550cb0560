#pragma once

#include <cerrno>
#include <fcntl.h>
#include <functional>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/wait.h>
#include <unistd.h>

// Runs `body` in a child process that sees `folder` as a small file system of its own: `prepare` puts
// files there, then the rest of it is filled to the last byte, then `body` runs and its answer becomes
// the child's exit status. Answers that status, or kNoFullDisk where this machine cannot make one
// (neither root nor user namespaces), so a test can say why it did not run.
constexpr int kNoFullDisk = 77;

inline int RunOnFullDisk(const std::string& folder, const std::function<void()>& prepare,
                         const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child < 0)
        return -1;
    if (child == 0) {
        if (unshare(CLONE_NEWNS) != 0 && unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            _exit(kNoFullDisk);
        if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k") != 0)
            _exit(kNoFullDisk);
        prepare();
        const int filler = open((folder + "/filler").c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
        char block[4096] = {};
        while (filler >= 0 && write(filler, block, sizeof block) > 0) {
        }
        while (filler >= 0 && write(filler, block, 1) > 0) {
        }
        if (filler >= 0)
            close(filler);
        _exit(body());
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
