// fluttera-xscreensaver: puts Fluttera into the calling user's XScreenSaver list (add) or
// takes it out (remove). The rules are programs_list.cpp's; this reads ~/.xscreensaver and
// XScreenSaver's defaults, and writes the new file beside the old and renames it into place,
// so a failure leaves the old file whole.
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hack/programs_list.h"

namespace {

const char kUsage[] =
    "usage: fluttera-xscreensaver add | remove\n"
    "  add     put Fluttera into your XScreenSaver list (~/.xscreensaver): one entry at the end of\n"
    "          the list, every other line kept; with no such file, XScreenSaver's default list and\n"
    "          Fluttera. Nothing changes when it is listed already.\n"
    "  remove  take that entry out again (a file that add made holds nothing else, and goes).\n"
    "  The new file is written beside the old and renamed into place; a file that is not\n"
    "  XScreenSaver's, or a list without an end, is left as it is and the command ends with 1.\n";

// The system's defaults, where Debian's XScreenSaver and an upstream build keep them.
const char* const kDefaults[] = {"/etc/X11/app-defaults/XScreenSaver", "/usr/share/X11/app-defaults/XScreenSaver"};

// The whole file into `text`; false with errno set when it cannot be read.
bool ReadFile(const std::string& path, std::string& text) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0) text.append(buffer, static_cast<size_t>(n));
    const int err = errno;
    close(fd);
    errno = err;
    return n == 0;
}

// `text` written to a new file beside `path`, with `path`'s mode (or `mode` for a new
// one), flushed to the disk and renamed over `path`.
bool Replace(const std::string& path, const std::string& text, mode_t mode, std::string& why) {
    std::string temp = path + ".fluttera-XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) {
        why = "cannot make a file beside " + path + ": " + std::strerror(errno);
        return false;
    }
    size_t done = 0;
    bool ok = fchmod(fd, mode) == 0;
    while (ok && done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        ok = n > 0 || (n < 0 && errno == EINTR);
        if (n > 0) done += static_cast<size_t>(n);
    }
    ok = ok && fsync(fd) == 0;
    const int err = errno;
    ok = close(fd) == 0 && ok;
    if (ok && rename(temp.c_str(), path.c_str()) == 0) return true;
    why = "cannot write " + path + ": " + std::strerror(ok ? errno : err);
    unlink(temp.c_str());
    return false;
}

std::string HomeFile() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) {
        const passwd* pw = getpwuid(getuid());
        home = pw ? pw->pw_dir : "";
    }
    return std::string(home) + "/.xscreensaver";
}

int Fail(const std::string& why) {
    std::fprintf(stderr, "fluttera-xscreensaver: %s\n", why.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string form = argc == 2 ? argv[1] : "";
    if (form == "-h" || form == "--help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (form != "add" && form != "remove") {
        std::fputs(kUsage, stderr);
        return 1;
    }
    // A file that is a link to another is changed where it lies; the link stays.
    std::string path = HomeFile();
    char real[PATH_MAX];
    if (realpath(path.c_str(), real)) path = real;

    std::string user, defaults;
    struct stat st {};
    const bool exists = stat(path.c_str(), &st) == 0;
    if (exists && !ReadFile(path, user)) return Fail("cannot read " + path + ": " + std::strerror(errno));
    if (!exists && errno != ENOENT) return Fail("cannot read " + path + ": " + std::strerror(errno));
    for (const char* d : kDefaults)
        if (ReadFile(d, defaults)) break;

    const hack::ListEdit e = form == "add" ? hack::AddFluttera(user, defaults) : hack::RemoveFluttera(user, defaults);
    if (e.outcome == hack::ListOutcome::Refused) {
        const bool noDefaults = form == "add" && defaults.empty();
        return Fail(e.message + (noDefaults ? " (is xscreensaver installed? its defaults are read from " +
                                                  std::string(kDefaults[0]) + ")" : "") +
                    "; " + path + " is left as it was");
    }
    const std::string where = " (xscreensaver-command -select " + std::to_string(e.number) + " runs it)";
    if (e.outcome == hack::ListOutcome::Unchanged) {
        if (form == "add") std::printf("Fluttera is in your XScreenSaver list already: entry %d%s.\n", e.number, where.c_str());
        else std::printf("Fluttera is not in your XScreenSaver list (%s); nothing to do.\n", path.c_str());
        return 0;
    }
    std::string why;
    if (e.removeFile) {
        if (unlink(path.c_str()) != 0) return Fail("cannot remove " + path + ": " + std::strerror(errno));
        std::printf("Took Fluttera out: %s held nothing else, and is gone.\n", path.c_str());
        return 0;
    }
    const mode_t umaskNow = umask(0);
    umask(umaskNow);
    if (!Replace(path, e.text, exists ? st.st_mode & 07777 : 0666 & ~umaskNow, why)) return Fail(why);
    if (form == "add")
        std::printf("Added Fluttera to your XScreenSaver list (%s): entry %d%s.\n"
                    "xscreensaver-settings lists it as Fluttera; the running daemon reads the file again by itself.\n",
                    path.c_str(), e.number, where.c_str());
    else
        std::printf("Took Fluttera out of your XScreenSaver list (%s).\n", path.c_str());
    return 0;
}
