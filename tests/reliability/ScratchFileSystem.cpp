#include "ScratchFileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr const char* kFiller = ".filler";

// Writes `chunk` bytes at a time until the disk refuses; true when it did
// refuse with "no space".
bool writeUntilFull(int fd, std::size_t chunk) {
    std::vector<char> zeros(chunk, '\x5a');
    for (;;) {
        const ssize_t n = ::write(fd, zeros.data(), zeros.size());
        if (n > 0) continue;
        if (n < 0 && errno == EINTR) continue;
        return n < 0 && errno == ENOSPC;
    }
}

}  // namespace

void isolateMounts() {
    if (::unshare(CLONE_NEWNS) != 0) return;
    // Mounts made from now on stay in this namespace.
    ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);
}

ScratchFileSystem::ScratchFileSystem(std::size_t bytes) {
    const char* tmp = std::getenv("TMPDIR");
    std::string tmpl = std::string(tmp && *tmp ? tmp : "/tmp") + "/ov-reliability.XXXXXX";
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    if (::mkdtemp(name.data()) == nullptr) {
        reason_ = std::string("mkdtemp: ") + std::strerror(errno);
        return;
    }
    base_ = name.data();
    dir_ = base_ + "/fs";
    if (::mkdir(dir_.c_str(), 0700) != 0) {
        reason_ = std::string("mkdir: ") + std::strerror(errno);
        return;
    }
    options_ = "size=" + std::to_string(bytes) + ",mode=0700";
    if (::mount("tmpfs", dir_.c_str(), "tmpfs", MS_NOSUID | MS_NODEV, options_.c_str()) != 0) {
        reason_ = std::string("mount tmpfs: ") + std::strerror(errno);
        return;
    }
    mounted_ = true;
}

ScratchFileSystem::~ScratchFileSystem() {
    if (mounted_ && ::umount2(dir_.c_str(), 0) != 0) ::umount2(dir_.c_str(), MNT_DETACH);
    if (!mounted_ && !dir_.empty()) {
        // Nothing was mounted: whatever a fallback wrote lies in the plain folder.
        for (const std::string& n : names()) ::unlink((dir_ + "/" + n).c_str());
        ::unlink((dir_ + "/" + kFiller).c_str());
    }
    if (!dir_.empty()) ::rmdir(dir_.c_str());
    if (!base_.empty()) ::rmdir(base_.c_str());
}

bool ScratchFileSystem::setReadOnly(bool readOnly) {
    if (!mounted_) return false;
    unsigned long flags = MS_REMOUNT | MS_NOSUID | MS_NODEV | (readOnly ? MS_RDONLY : 0);
    return ::mount("tmpfs", dir_.c_str(), "tmpfs", flags, options_.c_str()) == 0;
}

bool ScratchFileSystem::fill(std::size_t spare) {
    if (!mounted_) return false;
    const std::string sparePath = dir_ + "/.spare";
    if (spare != 0) {
        const int fd = ::open(sparePath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fd < 0) return false;
        const std::string bytes(spare, 's');
        const bool ok = ::write(fd, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
        ::close(fd);
        if (!ok) return false;
    }
    const int fd = ::open((dir_ + "/" + kFiller).c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (fd < 0) return false;
    // Whole pages first, then byte by byte into the last page.
    const bool full = writeUntilFull(fd, 4096) && writeUntilFull(fd, 1);
    ::close(fd);
    if (spare != 0) ::unlink(sparePath.c_str());
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

CurrentDirectory::CurrentDirectory(const std::string& dir) {
    std::vector<char> buffer(4096);
    if (::getcwd(buffer.data(), buffer.size()) != nullptr) old_ = buffer.data();
    if (::chdir(dir.c_str()) != 0) old_.clear();
}

CurrentDirectory::~CurrentDirectory() {
    if (!old_.empty() && ::chdir(old_.c_str()) != 0) {
        // The old directory is gone; the root at least is never on a scratch mount.
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
