#include "ScratchFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kFiller = ".filler";

// Writes `chunk` bytes at a time until the disk refuses; true when it refused for want of space.
bool writeUntilFull(int fd, std::size_t chunk) {
    const std::vector<char> bytes(chunk, '\x5a');
    for (;;) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n > 0 || (n < 0 && errno == EINTR)) continue;
        return n < 0 && errno == ENOSPC;
    }
}

}  // namespace

void isolateMounts() {
    // Mounts made from now on stay in this namespace.
    if (::unshare(CLONE_NEWNS) == 0) ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
}

ScratchFileSystem::ScratchFileSystem(std::size_t bytes) {
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp && *tmp ? tmp : "/tmp") + "/ov-reliability.XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
        reason_ = std::string("mkdtemp: ") + std::strerror(errno);
        return;
    }
    base_ = name;
    dir_ = base_ + "/fs";
    options_ = "size=" + std::to_string(bytes) + ",mode=0700";
    if (::mkdir(dir_.c_str(), 0700) != 0)
        reason_ = std::string("mkdir: ") + std::strerror(errno);
    else if (::mount("tmpfs", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options_.c_str()) != 0)
        reason_ = std::string("mount tmpfs: ") + std::strerror(errno);
    else
        mounted_ = true;
}

ScratchFileSystem::~ScratchFileSystem() {
    if (mounted_ && ::umount2(dir_.c_str(), 0) != 0) ::umount2(dir_.c_str(), MNT_DETACH);
    if (!mounted_ && !dir_.empty()) {   // whatever a test wrote lies in the plain folder
        ::chmod(dir_.c_str(), 0700);
        for (const std::string& n : names()) ::unlink((dir_ + "/" + n).c_str());
        ::unlink((dir_ + "/" + kFiller).c_str());
    }
    if (!dir_.empty()) ::rmdir(dir_.c_str());
    if (!base_.empty()) ::rmdir(base_.c_str());
}

bool ScratchFileSystem::setReadOnly(bool readOnly) {
    const unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
    return mounted_ && ::mount("tmpfs", dir_.c_str(), "tmpfs", flags, options_.c_str()) == 0;
}

bool ScratchFileSystem::fill(std::size_t spare) {
    const std::string sparePath = dir_ + "/.spare";
    if (!mounted_ || (spare != 0 && !writeBytes(sparePath, std::string(spare, 's')))) return false;
    const int fd = ::open((dir_ + "/" + kFiller).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) return false;
    // Whole pages first, then byte by byte into the last page.
    const bool full = writeUntilFull(fd, 4096) && writeUntilFull(fd, 1);
    ::close(fd);
    ::unlink(sparePath.c_str());
    return full;
}

void ScratchFileSystem::release() { ::unlink((dir_ + "/" + kFiller).c_str()); }

std::vector<std::string> ScratchFileSystem::names() const {
    std::vector<std::string> out;
    DIR* d = ::opendir(dir_.c_str());
    if (d == nullptr) return out;
    while (const dirent* e = ::readdir(d)) {
        const std::string n = e->d_name;
        if (n != "." && n != ".." && n != kFiller) out.push_back(n);
    }
    ::closedir(d);
    std::sort(out.begin(), out.end());
    return out;
}

bool Breaker::possible() const {
    return fs_.mounted() || limited() || (trouble_ == Trouble::ReadOnly && ::geteuid() != 0);
}

bool Breaker::breakIt() {
    broken_ = true;
    if (limited()) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        ::getrlimit(RLIMIT_FSIZE, &oldLimit_);
        rlimit limit = oldLimit_;
        limit.rlim_cur = 100;
        return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    if (trouble_ == Trouble::ReadOnly)
        return fs_.mounted() ? fs_.setReadOnly(true) : ::chmod(fs_.path().c_str(), 0500) == 0;
    return fs_.fill(trouble_ == Trouble::PartlyFull ? 4096 : 0);
}

bool Breaker::mend() {
    if (!broken_) return true;
    broken_ = false;
    if (limited()) {
        const bool ok = ::setrlimit(RLIMIT_FSIZE, &oldLimit_) == 0;
        std::signal(SIGXFSZ, oldHandler_);
        return ok;
    }
    if (trouble_ == Trouble::ReadOnly)
        return fs_.mounted() ? fs_.setReadOnly(false) : ::chmod(fs_.path().c_str(), 0700) == 0;
    fs_.release();
    return true;
}

CurrentDirectory::CurrentDirectory(const std::string& dir) {
    std::vector<char> buffer(4096);
    if (::getcwd(buffer.data(), buffer.size()) != nullptr && ::chdir(dir.c_str()) == 0) old_ = buffer.data();
}

CurrentDirectory::~CurrentDirectory() {
    // When the old directory is gone, the root at least is never on a scratch mount.
    if (!old_.empty() && ::chdir(old_.c_str()) != 0) {
        [[maybe_unused]] const int ignored = ::chdir("/");
    }
}

std::string readBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

bool writeBytes(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    out.close();
    return static_cast<bool>(out);
}
