// Scratch directories and byte-by-byte file writing for the seismology tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A fresh, empty directory that is removed with everything in it at the end.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void writeFile(const std::string& path, const std::string& bytes);

// Appends little-endian integers one byte at a time.
struct ByteWriter {
    std::string bytes;
    void u8(unsigned v) { bytes.push_back(static_cast<char>(v & 0xff)); }
    void u16(unsigned v) { u8(v); u8(v >> 8); }
    void s16(int v) { u16(static_cast<unsigned>(v) & 0xffff); }
    void u32(uint32_t v) { u16(v & 0xffff); u16(v >> 16); }
};
