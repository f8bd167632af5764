// A small file system of its own for tests that need a full disk or a
// read-only one: a tmpfs mounted on a fresh directory, unmounted again when
// the object goes (also when a test fails half-way). Mounting needs the
// super-user; elsewhere mounted() is false and reason() says why.
#pragma once

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

    // Remounts read-only or writable again.
    bool setReadOnly(bool readOnly);

    // Takes every free byte but `spare` (0: the disk is full) with a filler
    // file; release() gives the room back.
    bool fill(std::size_t spare = 0);
    void release();

    // The names in the directory, sorted, without the filler.
    std::vector<std::string> names() const;

private:
    std::string base_;
    std::string dir_;
    std::string options_;
    std::string reason_;
    bool mounted_ = false;
};

// Moves the process into a mount namespace of its own when it may, so that
// no mount made by a test outlives the test process, even one that crashes.
void isolateMounts();

// Changes the current directory and changes it back at the end of the scope.
class CurrentDirectory {
public:
    explicit CurrentDirectory(const std::string& dir);
    ~CurrentDirectory();
    CurrentDirectory(const CurrentDirectory&) = delete;
    CurrentDirectory& operator=(const CurrentDirectory&) = delete;

private:
    std::string old_;
};

std::string readBytes(const std::string& path);
bool writeBytes(const std::string& path, const std::string& bytes);
