// The programs' log: one line per message in "<folder>/orvanta.log", with a
// UTC time stamp, the program, a category and a level. When the file would
// grow beyond its size limit it becomes "orvanta.log.1", the older ones move
// up to ".2" and ".3", and the oldest is dropped.
//
// An exhibit runs unattended for weeks, so the log must never stop it: any
// failure (a folder that cannot be made, an unwritable file, a full disk)
// makes the log go quiet and try again only after a long pause. Nothing here
// throws. Safe to use from several threads.
#pragma once

#include <chrono>
#include <cstddef>
#include <mutex>
#include <string>
#include <string_view>

class LogFile {
public:
    static constexpr std::size_t kMaxBytes = std::size_t(1) << 20;   // per file
    static constexpr int kOldFiles = 3;                              // orvanta.log.1 .. .3
    static constexpr std::chrono::minutes kRetryAfter{10};

    LogFile() = default;
    ~LogFile();
    LogFile(const LogFile&) = delete;
    LogFile& operator=(const LogFile&) = delete;

    // Starts logging into `folder` (made when missing) as `program`; closes
    // any file open before. `maxBytes` is the size limit of one file.
    void open(const std::string& folder, const std::string& program,
              std::size_t maxBytes = kMaxBytes) noexcept;
    void close() noexcept;

    // Appends "<time> <program>[<pid>] <category> <level>: <message>". Line
    // breaks in the message become spaces; very long messages are cut.
    void write(std::string_view category, std::string_view level,
               std::string_view message) noexcept;

    // True while nothing is written: never opened, closed, or after a failure.
    bool quiet() const noexcept;

    // "<folder>/orvanta.log".
    static std::string currentFile(const std::string& folder);

    // The end of the log in `folder`, at most `maxBytes`, starting at a whole
    // line: the newest file, preceded by the end of the one before it when the
    // newest is short. Empty when there is no log.
    static std::string readTail(const std::string& folder, std::size_t maxBytes = kMaxBytes);

private:
    bool openFile();   // with the mutex held
    void fail();       // with the mutex held
    bool rotate();     // with the mutex held

    mutable std::mutex mutex_;
    std::string folder_, path_, program_;
    std::size_t maxBytes_ = kMaxBytes;
    std::size_t size_ = 0;
    int fd_ = -1;
    bool opened_ = false;                               // open() called, close() not
    std::chrono::steady_clock::time_point retryAt_{};   // while failed: when to try again
    bool failed_ = false;
    std::string line_;   // reused for each line
};
