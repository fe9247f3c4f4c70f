// Operating-system services: the millisecond clock, threads, the stop signals, the
// program's folder and the opening of data files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <mutex>
#include <span>

namespace sys {

// Milliseconds of the monotonic clock (CLOCK_MONOTONIC), as a 32-bit value that wraps
// about every 49.7 days.
// Differences of two readings are correct across the wrap when taken in unsigned arithmetic.
uint32_t TimeMs();

// Replaces the clock for tests (nullptr restores the real one).
using ClockSource = uint32_t (*)();
void SetClockSource(ClockSource source);

void SleepMs(uint32_t ms);

// Starts a detached thread running entry(arg). Returns false when no thread could be made.
bool StartThread(void (*entry)(void*), void* arg);
// Tests: makes every StartThread fail (true) or work again (false).
void SetThreadStartsFail(bool fail);

// Held while the sound output or the controllers start or stop: the library behind them
// does not start its parts safely from two threads at once, and the sound output may start
// on a thread of its own.
std::mutex& DeviceStartLock();

// SIGINT and SIGTERM: from InstallStopSignalHandlers on, either one only raises a flag, so
// that a stop asked for at any moment, also before the main window exists, ends the program
// through its normal shut-down. The main window takes the signals over while it exists.
void InstallStopSignalHandlers();
// Back to the signals' default action (tests).
void RemoveStopSignalHandlers();
// Puts the handlers back where a window left the default action behind (nothing unless
// InstallStopSignalHandlers was called).
void RestoreStopSignalHandlers();
// Whether a stop signal arrived since the last call; clears the flag.
bool TakeStopSignal();

// The longest path the system opens, with its terminating zero (PATH_MAX).
constexpr size_t kMaxPathBytes = 4096;

// The folder of the running executable, with a trailing '/'; the whole path, or "./" when
// it cannot be known.
const char* ProgramDirectory();
// Overrides the program folder (tests, the headless harness); nullptr restores it.
void SetProgramDirectory(const char* folder);

// Opens a data file by a path relative to the current folder, as the game's data names
// it. When the exact path does not exist, '\' is read as '/' and each path component is
// matched without regard to letter case. mode is an fopen mode; writing modes open the
// path as given. For reading only a regular file opens: a folder, a pipe or a device in the
// file's place is no file (nullptr, as for a missing one).
FILE* OpenDataFile(const char* path, const char* mode);

// Finds the file OpenDataFile would open; writes its real path into out. False when there
// is no such regular file (or out is too small).
bool ResolveDataPath(const char* path, char* out, size_t outSize);

// Length of an open file in bytes, the read position kept; -1 on failure.
long FileLength(FILE* file);

// A whole data file held in memory.
struct DataFileBytes {
    std::unique_ptr<uint8_t[]> data;
    size_t size = 0;
    std::span<const uint8_t> Bytes() const { return {data.get(), size}; }
};

// What became of reading a whole data file.
enum class DataFileRead : uint8_t {
    Read,
    Missing,     // no such regular file (OpenDataFile)
    TooLarge,    // longer than its reader can use
    Unreadable,  // no memory for it, or its bytes could not be read
};

// Reads a whole data file, opened as OpenDataFile opens it, when it is at most maxBytes long:
// the most its reader can use. Anything but Read leaves *out empty.
DataFileRead ReadWholeDataFile(const char* path, size_t maxBytes, DataFileBytes* out);

}  // namespace sys
