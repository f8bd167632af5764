#include "fileio/FileSystem.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool equalsNoCase(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (x >= 'a' && x <= 'z') x = static_cast<unsigned char>(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z') y = static_cast<unsigned char>(y - 'a' + 'A');
        if (x != y) return false;
    }
    return true;
}

bool exists(const std::string& path) {
    std::error_code ec;
    return fs::exists(fs::path(path), ec);
}

// Splits "a/b//c" into its non-empty components.
std::vector<std::string> components(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t slash = path.find('/', start);
        if (slash == std::string::npos) slash = path.size();
        if (slash > start) parts.push_back(path.substr(start, slash - start));
        start = slash + 1;
    }
    return parts;
}

bool writeAll(int fd, const std::string& content) {
    const char* p = content.data();
    std::size_t left = content.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) return false;
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

}   // namespace

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty() || (!name.empty() && (name[0] == '/' || name[0] == '\\'))) return name;
    if (folder.back() == '/' || folder.back() == '\\') return folder + name;
    return folder + "/" + name;
}

std::string normalizeSeparators(const std::string& path) {
    std::string out = path;
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

std::string resolvePath(const std::string& path) {
    const std::string normal = normalizeSeparators(path);
    if (normal.empty() || exists(normal)) return normal;

    const std::vector<std::string> parts = components(normal);
    std::string current = normal[0] == '/' ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        std::string candidate = current.empty() ? part
                                                : (current.back() == '/' ? current + part
                                                                         : current + "/" + part);
        if (part == "." || part == ".." || exists(candidate)) {
            current = candidate;
            continue;
        }
        // Look for the component without regard to case; the first match in
        // name order wins so the choice does not depend on the listing order.
        std::vector<std::string> names;
        std::string found;
        if (listDirectory(current.empty() ? "." : current, names)) {
            std::sort(names.begin(), names.end());
            for (const std::string& n : names) {
                if (equalsNoCase(n, part)) {
                    found = n;
                    break;
                }
            }
        }
        if (found.empty()) {
            // Keep what was resolved and the rest as given, so that a file
            // created at this path lands in the existing folders.
            for (std::size_t j = i; j < parts.size(); ++j) {
                if (!current.empty() && current.back() != '/') current += '/';
                current += parts[j];
            }
            if (!normal.empty() && normal.back() == '/') current += '/';
            return current;
        }
        current = current.empty()
                      ? found
                      : (current.back() == '/' ? current + found : current + "/" + found);
    }
    return current.empty() ? normal : current;
}

bool fileExists(const std::string& path) {
    std::error_code ec;
    return fs::is_regular_file(fs::path(resolvePath(path)), ec);
}

bool listDirectory(const std::string& dir, std::vector<std::string>& names) {
    names.clear();
    std::error_code ec;
    fs::directory_iterator it(fs::path(dir.empty() ? std::string(".") : dir), ec);
    if (ec) return false;
    for (fs::directory_iterator end; it != end; it.increment(ec)) {
        if (ec) return false;
        names.push_back(it->path().filename().string());
    }
    return !ec;
}

bool readWholeFile(const std::string& path, std::string& out, std::size_t maxBytes) {
    out.clear();
    if (path.empty()) return false;
    const std::string resolved = resolvePath(path);
    std::error_code ec;
    if (!fs::is_regular_file(fs::path(resolved), ec)) return false;
    std::FILE* f = std::fopen(resolved.c_str(), "rb");
    if (!f) return false;
    bool ok = true;
    struct stat st {};
    if (::fstat(fileno(f), &st) == 0 && st.st_size > 0) {
        if (static_cast<unsigned long long>(st.st_size) > maxBytes) {
            std::fclose(f);
            return false;
        }
        out.resize(static_cast<std::size_t>(st.st_size));
        std::size_t got = std::fread(out.data(), 1, out.size(), f);
        out.resize(got);
    }
    // Whatever is left (a file that grew, or one without a known size).
    char buffer[65536];
    for (;;) {
        std::size_t n = std::fread(buffer, 1, sizeof buffer, f);
        if (n == 0) break;
        if (out.size() + n > maxBytes) {
            ok = false;
            break;
        }
        out.append(buffer, n);
    }
    if (std::ferror(f)) ok = false;
    std::fclose(f);
    if (!ok) out.clear();
    return ok;
}

bool writeFileAtomically(const std::string& path, const std::string& content) {
    if (path.empty()) return false;
    const std::string target = resolvePath(path);
    if (target.empty() || target.back() == '/') return false;
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos
                                ? std::string(".")
                                : (slash == 0 ? std::string("/") : target.substr(0, slash));
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);

    std::string tmpl = joinPath(dir, "." + base + ".XXXXXX");
    std::vector<char> name(tmpl.begin(), tmpl.end());
    name.push_back('\0');
    int fd = ::mkstemp(name.data());
    if (fd < 0) return false;
    const std::string tmp(name.data());

    // Keep the permissions of the file being replaced; a new file gets the
    // usual ones.
    struct stat old {};
    mode_t mode;
    if (::stat(target.c_str(), &old) == 0) {
        mode = old.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    ::fchmod(fd, mode);

    bool ok = writeAll(fd, content) && ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) ok = false;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    // Make the rename itself durable; a failure here does not undo the write.
    int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
    return true;
}
