#include "tests/support/own_display.h"

#include <cstdio>

#include <time.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <string>

namespace vqtest {

namespace {

// The X server program found on the search path, or "" when there is none.
std::string FindServer() {
    const char* path = std::getenv("PATH");
    std::string folders = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos) end = folders.size();
        std::string candidate = folders.substr(start, end - start) + "/Xvfb";
        if (end > start && access(candidate.c_str(), X_OK) == 0) return candidate;
        start = end + 1;
    }
    return "";
}

// Starts the server; returns its display number, or -1.
int StartServer() {
    const std::string server = FindServer();
    if (server.empty()) return -1;
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return -1;
    const std::string fd = std::to_string(fds[1]);
    const pid_t parent = getpid();
    const pid_t child = fork();
    if (child < 0) {
        close(fds[0]);
        close(fds[1]);
        return -1;
    }
    if (child == 0) {
        // The server ends with the test process, even one that crashes or is killed, and
        // cleans up its lock and socket files as it goes.
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != parent) _exit(1);
        // It never holds the test's output open (the test runner waits for that).
        int null = open("/dev/null", O_RDWR);
        if (null >= 0) {
            dup2(null, 0);
            dup2(null, 1);
            dup2(null, 2);
        }
        fcntl(fds[1], F_SETFD, 0);  // the one descriptor the server writes its number to
        // No auto-repeat ("-r"): the server adds no presses of its own to a key whose
        // sender a loaded machine keeps from letting go of it in time.
        execl(server.c_str(), "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1920x1080x24",
              "-nolisten", "tcp", "-r", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The server writes its display number, and a newline, once it takes connections.
    std::string line;
    char c;
    for (;;) {
        ssize_t n = read(fds[0], &c, 1);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0 || c == '\n') break;
        line += c;
    }
    close(fds[0]);
    char* end = nullptr;
    long number = std::strtol(line.c_str(), &end, 10);
    if (line.empty() || *end != '\0' || number < 0) {
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        return -1;
    }
    return static_cast<int>(number);
}

}  // namespace

bool UseOwnDisplay() {
    static const bool started = [] {
        int number = StartServer();
        if (number < 0) return false;
        setenv("DISPLAY", (":" + std::to_string(number)).c_str(), 1);
        setenv("GDK_BACKEND", "x11", 1);  // never a desktop's Wayland session
        return true;
    }();
    return started;
}

std::string ShellOutput(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

double NowSeconds() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace vqtest
