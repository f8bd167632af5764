// A small file system of its own for tests that need a full disk or a
// read-only one: a tmpfs mounted on a fresh directory, unmounted again when
// the object goes (also when a test fails half-way). Mounting needs the
// super-user; elsewhere mounted() is false, reason() says why, and the
// directory is a plain one.
#pragma once

#include <sys/resource.h>

#include <cstddef>
#include <string>
#include <vector>

class ScratchFileSystem {
public:
    explicit ScratchFileSystem(std::size_t bytes = 256 * 1024);
    ~ScratchFileSystem();
    ScratchFileSystem(const ScratchFileSystem&) = delete;
    ScratchFileSystem& operator=(const ScratchFileSystem&) = delete;

    bool mounted() const { return mounted_; }
    const std::string& reason() const { return reason_; }
    const std::string& path() const { return dir_; }
    std::string operator/(const std::string& name) const { return dir_ + "/" + name; }
    bool setReadOnly(bool readOnly);   // remounts
    // Takes every free byte but `spare` with a filler file; release() gives the room back.
    bool fill(std::size_t spare);
    void release();
    std::vector<std::string> names() const;   // sorted, without the filler

private:
    std::string base_, dir_, options_, reason_;
    bool mounted_ = false;
};

// How a test makes the scratch folder refuse a save. Without a tmpfs a full
// disk is stood in for by a file-size limit on this process (only while
// broken), a read-only disk by a folder without write permission (which does
// not bind the super-user: then possible() is false).
enum class Trouble { FullDisk, PartlyFull, ReadOnly, SizeLimit };

class Breaker {
public:
    Breaker(ScratchFileSystem& fs, Trouble trouble) : fs_(fs), trouble_(trouble) {}
    ~Breaker() { mend(); }
    bool possible() const;
    bool breakIt();
    bool mend();

private:
    bool limited() const { return trouble_ == Trouble::SizeLimit || (!fs_.mounted() && trouble_ == Trouble::FullDisk); }
    ScratchFileSystem& fs_;
    Trouble trouble_;
    bool broken_ = false;
    rlimit oldLimit_{};
    void (*oldHandler_)(int) = nullptr;
};

// Moves the process into a mount namespace of its own when it may, so that
// no mount made by a test outlives the test process, even one that crashes.
void isolateMounts();

// Changes the current directory and changes it back at the end of the scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir);
    ~CurrentDirectory();

private:
    std::string old_;
};

std::string readBytes(const std::string& path);
bool writeBytes(const std::string& path, const std::string& bytes);
