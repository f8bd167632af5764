#include "fileio/UserInstallation.h"

#include "fileio/FileSystem.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool holdsSettings(const std::string& dir) { return fileExists(joinPath(dir, "OV.INI")); }

// Copies `from` into a fresh folder beside `to` and renames it into place,
// so that an interrupted or failed copy never leaves a half installation
// that a later start would take for a whole one.
std::string copyInstallation(const fs::path& from, const fs::path& to) {
    std::error_code ec;
    fs::create_directories(to.parent_path(), ec);
    if (ec) return "cannot create " + to.parent_path().string() + ": " + ec.message();
    const fs::path staging = to.string() + ".new-" + std::to_string(::getpid());
    fs::remove_all(staging, ec);
    fs::copy(from, staging, fs::copy_options::recursive, ec);
    if (!ec) {
        // Shipped files are read-only; the user's copy must be editable.
        for (auto it = fs::recursive_directory_iterator(staging, ec);
             !ec && it != fs::recursive_directory_iterator(); it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write,
                            fs::perm_options::add, ec);
    }
    if (!ec) fs::rename(staging, to, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove_all(staging, ignored);
        // Another program started at the same moment may have won the race.
        if (holdsSettings(to.string())) return {};
        return "cannot copy " + from.string() + " to " + to.string() + ": " + ec.message();
    }
    return {};
}

}   // namespace

InstallationChoice chooseInstallation(const std::string& startDir, const std::string& dataHome,
                                      const std::string& shippedDemo) {
    InstallationChoice choice;
    if (holdsSettings(startDir)) return choice;
    if (dataHome.empty() || shippedDemo.empty() || !holdsSettings(shippedDemo)) return choice;
    const fs::path own = fs::path(dataHome) / "orvanta";
    std::error_code ec;
    if (fs::exists(own, ec)) {
        // Whatever is there is the user's: used as it is, never replaced.
        choice.directory = own.string();
        return choice;
    }
    choice.error = copyInstallation(shippedDemo, own);
    if (choice.error.empty()) {
        choice.directory = own.string();
        choice.created = true;
    }
    return choice;
}

std::string userDataHome() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/') return xdg;
    const char* home = std::getenv("HOME");
    if (home && home[0] == '/') return std::string(home) + "/.local/share";
    return {};
}

std::string shippedDemoDirectory() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    const fs::path demo = exe.parent_path().parent_path() / "share" / "orvanta" / "demo";
    return fs::is_directory(demo, ec) ? demo.lexically_normal().string() : std::string();
}

InstallationChoice enterInstallation() {
    std::error_code ec;
    const std::string here = fs::current_path(ec).string();
    InstallationChoice choice = chooseInstallation(ec ? "." : here, userDataHome(),
                                                   shippedDemoDirectory());
    if (!choice.directory.empty()) {
        fs::current_path(choice.directory, ec);
        if (ec) {
            choice.error = "cannot enter " + choice.directory + ": " + ec.message();
            choice.directory.clear();
        }
    }
    return choice;
}
