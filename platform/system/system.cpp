#include "platform/system/system.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <strings.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>
#include <string>

namespace sys {

namespace {

std::atomic<ClockSource> gClockSource{nullptr};
std::atomic<bool> gThreadStartsFail{false};
char gProgramDir[kMaxPathBytes];
bool gProgramDirOverride = false;
volatile sig_atomic_t gStopSignal = 0;
bool gStopHandlersInstalled = false;
constexpr int kStopSignals[] = {SIGINT, SIGTERM};

void OnStopSignal(int) {
    gStopSignal = 1;
}

void SetSignalHandler(int number, void (*handler)(int)) {
    struct sigaction action {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
}

uint32_t RealTimeMs() {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    uint64_t ms =
        static_cast<uint64_t>(ts.tv_sec) * 1000u + static_cast<uint64_t>(ts.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

struct ThreadStart {
    void (*entry)(void*);
    void* arg;
};

void* ThreadMain(void* p) {
    ThreadStart start = *static_cast<ThreadStart*>(p);
    delete static_cast<ThreadStart*>(p);
    start.entry(start.arg);
    return nullptr;
}

bool Exists(const std::string& path) {
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

// Looks for name in folder without regard to case; on success appends the real name.
bool MatchComponent(const std::string& folder, const std::string& name, std::string* out) {
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return false;
    bool found = false;
    while (dirent* e = readdir(dir)) {
        if (strcasecmp(e->d_name, name.c_str()) == 0) {
            *out = e->d_name;
            found = true;
            // An exact match wins over other spellings.
            if (name == e->d_name) break;
        }
    }
    closedir(dir);
    return found;
}

bool Resolve(const char* path, std::string* real) {
    if (!path || !*path) return false;
    if (Exists(path)) {
        *real = path;
        return true;
    }
    std::string p(path);
    for (char& c : p) {
        if (c == '\\') c = '/';
    }
    if (Exists(p)) {
        *real = p;
        return true;
    }
    std::string result;
    size_t pos = 0;
    if (!p.empty() && p[0] == '/') {
        result = "/";
        pos = 1;
    }
    while (pos <= p.size()) {
        size_t next = p.find('/', pos);
        if (next == std::string::npos) next = p.size();
        std::string comp = p.substr(pos, next - pos);
        pos = next + 1;
        if (comp.empty() || comp == ".") continue;
        if (comp == "..") {
            result += result.empty() || result.back() == '/' ? ".." : "/..";
            continue;
        }
        std::string match;
        std::string folder = result;
        if (!MatchComponent(folder, comp, &match)) return false;
        if (!result.empty() && result.back() != '/') result += '/';
        result += match;
    }
    if (!Exists(result)) return false;
    *real = result;
    return true;
}

}  // namespace

uint32_t TimeMs() {
    ClockSource source = gClockSource.load(std::memory_order_acquire);
    return source ? source() : RealTimeMs();
}

void SetClockSource(ClockSource source) {
    gClockSource.store(source, std::memory_order_release);
}

std::mutex& DeviceStartLock() {
    static std::mutex lock;
    return lock;
}

void SleepMs(uint32_t ms) {
    timespec ts{static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

void SetThreadStartsFail(bool fail) {
    gThreadStartsFail.store(fail);
}

bool StartThread(void (*entry)(void*), void* arg) {
    if (gThreadStartsFail.load()) return false;
    auto* start = new ThreadStart{entry, arg};
    pthread_attr_t attr;
    pthread_attr_init(&attr);
    pthread_attr_setdetachstate(&attr, PTHREAD_CREATE_DETACHED);
    pthread_t thread;
    int rc = pthread_create(&thread, &attr, ThreadMain, start);
    pthread_attr_destroy(&attr);
    if (rc != 0) {
        delete start;
        return false;
    }
    return true;
}

void InstallStopSignalHandlers() {
    gStopHandlersInstalled = true;
    for (int number : kStopSignals) SetSignalHandler(number, OnStopSignal);
}

void RemoveStopSignalHandlers() {
    gStopHandlersInstalled = false;
    gStopSignal = 0;
    for (int number : kStopSignals) SetSignalHandler(number, SIG_DFL);
}

void RestoreStopSignalHandlers() {
    if (!gStopHandlersInstalled) return;
    for (int number : kStopSignals) {
        struct sigaction now {};
        if (sigaction(number, nullptr, &now) == 0 && now.sa_handler == SIG_DFL) {
            SetSignalHandler(number, OnStopSignal);
        }
    }
}

bool TakeStopSignal() {
    bool stop = gStopSignal != 0;
    gStopSignal = 0;
    return stop;
}

const char* ProgramDirectory() {
    if (!gProgramDirOverride) {
        char buf[sizeof gProgramDir];
        ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
        // A full buffer may hold a cut path: the folder is then not known.
        if (n <= 0 || static_cast<size_t>(n) >= sizeof buf - 1) {
            std::strcpy(gProgramDir, "./");
        } else {
            buf[n] = 0;
            char* slash = std::strrchr(buf, '/');
            if (slash) slash[1] = 0;
            std::strcpy(gProgramDir, buf);
        }
    }
    return gProgramDir;
}

void SetProgramDirectory(const char* folder) {
    if (!folder) {
        gProgramDirOverride = false;
        return;
    }
    std::snprintf(gProgramDir, sizeof gProgramDir, "%s", folder);
    size_t n = std::strlen(gProgramDir);
    if (n == 0 || gProgramDir[n - 1] != '/') {
        if (n + 1 < sizeof gProgramDir) {
            gProgramDir[n] = '/';
            gProgramDir[n + 1] = 0;
        }
    }
    gProgramDirOverride = true;
}

FILE* OpenDataFile(const char* path, const char* mode) {
    if (!path) return nullptr;
    bool writing = std::strpbrk(mode, "wa+") != nullptr;
    if (writing) return std::fopen(path, mode);
    std::string real;
    if (!Resolve(path, &real)) return nullptr;
    // Opened without waiting, so that a pipe in the file's place does not hold the reader up
    // before it is refused below.
    int fd = ::open(real.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return nullptr;
    // Only a regular file has the length its readers take: a folder reads as endless, a pipe
    // or a device as no length at all.
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = ENOENT;
        return nullptr;
    }
    int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0) ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    FILE* file = ::fdopen(fd, mode);
    if (!file) ::close(fd);
    return file;
}

bool ResolveDataPath(const char* path, char* out, size_t outSize) {
    std::string real;
    struct stat st;
    if (!Resolve(path, &real) || real.size() + 1 > outSize) return false;
    if (::stat(real.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    std::memcpy(out, real.c_str(), real.size() + 1);
    return true;
}

long FileLength(FILE* file) {
    if (!file) return -1;
    long pos = std::ftell(file);
    if (pos < 0 || std::fseek(file, 0, SEEK_END) != 0) return -1;
    long len = std::ftell(file);
    std::fseek(file, pos, SEEK_SET);
    return len;
}

DataFileRead ReadWholeDataFile(const char* path, size_t maxBytes, DataFileBytes* out) {
    *out = DataFileBytes{};
    FILE* file = OpenDataFile(path, "rb");
    if (!file) return DataFileRead::Missing;
    long length = FileLength(file);
    DataFileRead result = DataFileRead::Read;
    if (length < 0) {
        result = DataFileRead::Unreadable;
    } else if (static_cast<unsigned long>(length) > maxBytes) {
        result = DataFileRead::TooLarge;
    } else if (length > 0) {
        // Taken without throwing: a file the memory cannot hold is one that cannot be read.
        auto size = static_cast<size_t>(length);
        out->data.reset(new (std::nothrow) uint8_t[size]);
        if (!out->data || std::fread(out->data.get(), 1, size, file) != size) {
            result = DataFileRead::Unreadable;
        } else {
            out->size = size;
        }
    }
    std::fclose(file);
    if (result != DataFileRead::Read) *out = DataFileBytes{};
    return result;
}

}  // namespace sys
