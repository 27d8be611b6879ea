// Runs a command and returns when it and every program it started have ended,
// with the command's own exit status. The demo's stand-in site lives exactly
// that long: Vendaro restarts itself and starts Emailer and the installer,
// each detached, and a program hands over by starting the next and ending.
//
// As the session's child subreaper, this process becomes the parent of every
// descendant whose own parent ends, so no hand-over can slip past it.
//
// Usage: demosession command [arguments...]

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: demosession command [arguments...]\n");
        return 2;
    }
    if (prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) {
        std::fprintf(stderr, "demosession: cannot follow the programs the demo starts: %s\n", std::strerror(errno));
        return 2;
    }
    const pid_t command = fork();
    if (command < 0) {
        std::fprintf(stderr, "demosession: cannot start %s: %s\n", argv[1], std::strerror(errno));
        return 2;
    }
    if (command == 0) {
        execvp(argv[1], argv + 1);
        std::fprintf(stderr, "demosession: cannot start %s: %s\n", argv[1], std::strerror(errno));
        _exit(127);
    }
    int result = 0;
    for (;;) {
        int status = 0;
        const pid_t ended = waitpid(-1, &status, 0);
        if (ended < 0) {
            if (errno == EINTR) continue;
            break;  // ECHILD: nothing of the session runs any more
        }
        if (ended == command) result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    return result;
}
