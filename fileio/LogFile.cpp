#include "fileio/LogFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t kMaxMessage = 8192;
constexpr const char* kFileName = "orvanta.log";

std::string numbered(const std::string& path, int n) {
    return n == 0 ? path : path + "." + std::to_string(n);
}

// Writes all of `data`; false on any error (a full disk among them).
bool writeAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t done = ::write(fd, data, size);
        if (done < 0 && errno == EINTR) continue;
        if (done <= 0) return false;
        data += done;
        size -= static_cast<std::size_t>(done);
    }
    return true;
}

// The last `maxBytes` of a regular file, or less; empty when unreadable.
std::string fileTail(const std::string& path, std::size_t maxBytes) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return {};
    std::string out;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
        const auto size = static_cast<std::size_t>(st.st_size);
        const std::size_t want = std::min(size, maxBytes);
        out.resize(want);
        std::size_t got = 0;
        while (got < want) {
            const ssize_t n = ::pread(fd, out.data() + got, want - got,
                                      static_cast<off_t>(size - want + got));
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            got += static_cast<std::size_t>(n);
        }
        out.resize(got);
        // A cut-off first line is dropped.
        if (want < size) {
            const std::size_t nl = out.find('\n');
            out.erase(0, nl == std::string::npos ? out.size() : nl + 1);
        }
    }
    ::close(fd);
    return out;
}

}   // namespace

LogFile::~LogFile() { close(); }

std::string LogFile::currentFile(const std::string& folder) {
    return folder.empty() ? std::string(kFileName) : folder + "/" + kFileName;
}

void LogFile::open(const std::string& folder, const std::string& program,
                   std::size_t maxBytes) noexcept {
    std::lock_guard lock(mutex_);
    try {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
        folder_ = folder;
        program_ = program;
        path_ = currentFile(folder);
        maxBytes_ = std::max<std::size_t>(maxBytes, 256);
        line_.reserve(512);
        opened_ = true;
        failed_ = false;
        openFile();
    } catch (...) {
        fail();
    }
}

void LogFile::close() noexcept {
    std::lock_guard lock(mutex_);
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    opened_ = false;
}

bool LogFile::quiet() const noexcept {
    std::lock_guard lock(mutex_);
    return !opened_ || fd_ < 0;
}

void LogFile::fail() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    failed_ = true;
    retryAt_ = std::chrono::steady_clock::now() + kRetryAfter;
}

bool LogFile::openFile() {
    std::error_code ec;
    if (!folder_.empty()) std::filesystem::create_directories(folder_, ec);
    // Non-blocking, so that a pipe put in the file's place cannot hold the
    // program; only a regular file is written.
    const int fd = ::open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK,
                          0644);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (fd >= 0) ::close(fd);
        fail();
        return false;
    }
    fd_ = fd;
    size_ = static_cast<std::size_t>(st.st_size);
    failed_ = false;
    return true;
}

bool LogFile::rotate() {
    ::close(fd_);
    fd_ = -1;
    // The oldest is replaced by the rename onto it.
    for (int n = kOldFiles; n >= 1; --n)
        ::rename(numbered(path_, n - 1).c_str(), numbered(path_, n).c_str());
    return openFile();
}

void LogFile::write(std::string_view category, std::string_view level,
                    std::string_view message) noexcept {
    std::lock_guard lock(mutex_);
    if (!opened_) return;
    try {
        if (fd_ < 0) {
            if (!failed_ || std::chrono::steady_clock::now() < retryAt_) return;
            if (!openFile()) return;
        }
        const auto now = std::chrono::system_clock::now();
        const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
        const auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count()
            % 1000;
        std::tm utc{};
        gmtime_r(&seconds, &utc);
        char stamp[96];   // room for any year the formats can give
        std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02d %02d:%02d:%02d.%03dZ ",
                      utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min,
                      utc.tm_sec, static_cast<int>(ms));
        line_.assign(stamp);
        line_ += program_;
        line_ += '[';
        line_ += std::to_string(::getpid());
        line_ += "] ";
        line_ += category;
        line_ += ' ';
        line_ += level;
        line_ += ": ";
        const std::size_t start = line_.size();
        line_ += message.substr(0, kMaxMessage);
        for (std::size_t i = start; i < line_.size(); ++i)
            if (line_[i] == '\n' || line_[i] == '\r') line_[i] = ' ';
        line_ += '\n';

        // Another program of the installation may have rotated the file, or
        // someone removed it: write to the file that now has the name. (Two
        // calls per line; the log is written on events, never per tick.)
        struct stat named {
        }, open{};
        if (::stat(path_.c_str(), &named) != 0 || ::fstat(fd_, &open) != 0
            || named.st_ino != open.st_ino || named.st_dev != open.st_dev) {
            ::close(fd_);
            fd_ = -1;
            if (!openFile()) return;
        } else {
            size_ = static_cast<std::size_t>(open.st_size);   // others may have written too
        }
        if (size_ > 0 && size_ + line_.size() > maxBytes_ && !rotate()) return;
        if (line_.size() > maxBytes_) {   // a line alone over the limit is cut
            line_.resize(maxBytes_ - 1);
            line_ += '\n';
        }
        if (!writeAll(fd_, line_.data(), line_.size())) {
            fail();
            return;
        }
        size_ += line_.size();
    } catch (...) {
        fail();
    }
}

std::string LogFile::readTail(const std::string& folder, std::size_t maxBytes) {
    try {
        const std::string path = currentFile(folder);
        std::string text = fileTail(path, maxBytes);
        if (text.size() < maxBytes / 2)
            text = fileTail(numbered(path, 1), maxBytes - text.size()) + text;
        return text;
    } catch (...) {
        return {};
    }
}
