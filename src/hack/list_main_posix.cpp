// fluttera-xscreensaver: puts Fluttera into the calling user's XScreenSaver list (add) or
// takes it out (remove). The rules are programs_list.cpp's; this reads ~/.xscreensaver and
// XScreenSaver's defaults, and writes the new file beside the old and renames it into place,
// so a failure leaves the old file whole. Only a regular file of the caller's own (or a link
// to one) is read or changed: a device or a FIFO is never opened for writing nor waited on,
// and another user's file (HOME kept by sudo -E) would become the caller's.
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
    "          the list, every other line kept; with no list, XScreenSaver's default list and\n"
    "          Fluttera. Nothing changes when it is listed already; when it is listed but\n"
    "          disabled, it says so and leaves your choice as it is.\n"
    "  remove  take out the entry that add wrote (entries you wrote yourself stay, and are named),\n"
    "          and the default list add copied while it is as copied.\n"
    "  The new file is written beside the old and renamed into place, through a link to the\n"
    "  file it names. A file that is not XScreenSaver's, a list whose entries run together, a\n"
    "  ~/.xscreensaver that is not a regular file or is another user's, or one changed while the\n"
    "  command ran is left as it is, and the command ends with 1.\n";

// The system's defaults, where Debian's XScreenSaver and an upstream build keep them.
const char* const kDefaults[] = {"/etc/X11/app-defaults/XScreenSaver", "/usr/share/X11/app-defaults/XScreenSaver"};

std::string Error(const char* call) { return std::string(call) + ": " + std::strerror(errno); }

std::string UserName(uid_t uid) {
    const passwd* pw = getpwuid(uid);
    return pw ? std::string(pw->pw_name) : "uid " + std::to_string(uid);
}

std::string FolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// ~/.xscreensaver, and the file behind it as it was read.
struct Target {
    std::string shown;  // $HOME/.xscreensaver
    std::string path;   // the file read and replaced: `shown`, or the file its link names
    bool link = false;
    bool exists = false;
    struct stat st {};
};

// The whole file into `text` from a descriptor of a regular file; false with errno set.
bool ReadAll(int fd, std::string& text) {
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) text.append(buffer, static_cast<size_t>(n));
        else if (n == 0) return true;
        else if (errno != EINTR) return false;
    }
}

// Reads ~/.xscreensaver when it is there; false with `why` when it may not be read or changed.
bool Open(Target& f, std::string& text, std::string& why) {
    struct stat ls {};
    if (lstat(f.shown.c_str(), &ls) != 0) {
        if (errno != ENOENT) return why = "cannot read " + f.shown + " (" + Error("lstat") + ")", false;
        // A new file is its maker's: in another user's folder it would lock that user out.
        const std::string folder = FolderOf(f.shown);
        struct stat ds {};
        if (stat(folder.c_str(), &ds) != 0) return why = "cannot read " + folder + " (" + Error("stat") + ")", false;
        if (ds.st_uid != geteuid())
            return why = folder + " belongs to " + UserName(ds.st_uid) + ", not to you (" + UserName(geteuid()) +
                         "): run the command as that user, without sudo", false;
        f.path = f.shown;
        return true;
    }
    f.path = f.shown;
    if (S_ISLNK(ls.st_mode)) {
        // Another user's link would have the caller (root, HOME kept by sudo -E) rewrite a
        // file of the caller's that this user chose, anywhere.
        if (ls.st_uid != geteuid())
            return why = f.shown + " is a link that belongs to " + UserName(ls.st_uid) + ", not to you (" +
                         UserName(geteuid()) + "): run the command as that user, without sudo", false;
        char real[PATH_MAX];
        if (!realpath(f.shown.c_str(), real))
            return why = f.shown + " is a link to nothing that can be read (" + Error("realpath") + ")", false;
        f.path = real;
        f.link = true;
    }
    const std::string what = f.link ? f.shown + " is a link to " + f.path + ", which" : f.shown;
    // Looked at before it is opened: opening a device or a FIFO may do something of its own.
    struct stat ts {};
    if (stat(f.path.c_str(), &ts) != 0) return why = "cannot read " + f.path + " (" + Error("stat") + ")", false;
    if (!S_ISREG(ts.st_mode)) return why = what + " is not a regular file", false;
    const int fd = open(f.path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return why = "cannot read " + f.path + " (" + Error("open") + ")", false;
    std::string failed;
    if (fstat(fd, &f.st) != 0) failed = Error("fstat");
    else if (!S_ISREG(f.st.st_mode) || f.st.st_ino != ts.st_ino || f.st.st_dev != ts.st_dev) failed = "it was replaced";
    else if (!ReadAll(fd, text)) failed = Error("read");
    if (close(fd) != 0 && failed.empty()) failed = Error("close");
    if (!failed.empty()) return why = "cannot read " + f.path + " (" + failed + ")", false;
    if (f.st.st_uid != geteuid())
        return why = what + " belongs to " + UserName(f.st.st_uid) + ", not to you (" + UserName(geteuid()) +
                     "): run the command as that user, without sudo", false;
    f.exists = true;
    return true;
}

// ~/.xscreensaver is still the file read (or still missing): no other program saved it since.
bool StillAsRead(const Target& f, std::string& why) {
    struct stat now {};
    const bool there = stat(f.shown.c_str(), &now) == 0;
    const bool same = f.exists ? there && now.st_dev == f.st.st_dev && now.st_ino == f.st.st_ino &&
                                     now.st_size == f.st.st_size && now.st_mtim.tv_sec == f.st.st_mtim.tv_sec &&
                                     now.st_mtim.tv_nsec == f.st.st_mtim.tv_nsec
                               : !there && errno == ENOENT;
    if (!same) why = f.shown + " changed while the command read it (another program saved it); run it again";
    return same;
}

bool SyncFolder(const std::string& path, std::string& why) {
    const std::string folder = FolderOf(path);
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    std::string failed = fd < 0 ? Error("open") : fsync(fd) != 0 ? Error("fsync") : "";
    if (fd >= 0 && close(fd) != 0 && failed.empty()) failed = Error("close");
    if (!failed.empty()) why = path + " is in place, but its folder could not be flushed to the disk (" + failed + ")";
    return failed.empty();
}

// `text` written to a new file beside the file, with its mode (or `mode` for a new one),
// flushed to the disk and renamed over it (a new one linked in, so that a file made
// meanwhile is never replaced).
bool Replace(const Target& f, const std::string& text, mode_t mode, std::string& why) {
    std::string temp = f.path + ".fluttera-XXXXXX";
    const int fd = mkstemp(&temp[0]);
    if (fd < 0) return why = "cannot make a file beside " + f.path + " (" + Error("mkstemp") + "); it is left as it was", false;
    std::string failed;
    if (fchmod(fd, f.exists ? f.st.st_mode & 07777 : mode) != 0) failed = Error("fchmod");
    for (size_t done = 0; failed.empty() && done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n > 0) done += static_cast<size_t>(n);
        else if (n == 0 || errno != EINTR) failed = n == 0 ? "write: wrote nothing" : Error("write");
    }
    if (failed.empty() && fsync(fd) != 0) failed = Error("fsync");
    if (close(fd) != 0 && failed.empty()) failed = Error("close");
    bool placed = false;
    if (failed.empty() && StillAsRead(f, why)) {
        if (f.exists ? rename(temp.c_str(), f.path.c_str()) == 0 : link(temp.c_str(), f.path.c_str()) == 0)
            placed = true;
        else if (!f.exists && errno == EEXIST)
            why = f.shown + " was made while the command ran (another program saved it); run it again";
        else
            failed = Error(f.exists ? "rename" : "link");
    }
    if (!failed.empty()) why = "cannot write " + f.path + " (" + failed + "); it is left as it was";
    // Renamed, the temporary name is gone; linked, it is a second name of the new file.
    if (!(placed && f.exists) && unlink(temp.c_str()) != 0) {
        const std::string stays = "the temporary file " + temp + " stays (" + Error("unlink") + ")";
        why = placed ? f.path + " is in place, but " + stays : why + "; " + stays;
        return false;
    }
    return placed && SyncFolder(f.path, why);
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

// Prints `text`; a message that cannot be written fails the command, the change made or not.
int Tell(const std::string& text, FILE* to = stdout) {
    if (std::fputs(text.c_str(), to) == EOF || std::fflush(to) != 0)
        return Fail("cannot write the message (" + Error("write") + ")");
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string form = argc == 2 ? argv[1] : "";
    if (form == "-h" || form == "--help") return Tell(kUsage);
    if (form != "add" && form != "remove") {
        Tell(kUsage, stderr);
        return 1;
    }

    Target f;
    f.shown = HomeFile();
    std::string user, defaults, why;
    if (!Open(f, user, why)) return Fail(why + "; nothing changed");
    for (const char* d : kDefaults) {
        const int fd = open(d, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        const bool read = ReadAll(fd, defaults);
        close(fd);
        if (read) break;
        defaults.clear();
    }

    const hack::ListEdit e = form == "add" ? hack::AddFluttera(user, defaults) : hack::RemoveFluttera(user, defaults);
    if (e.outcome == hack::ListOutcome::Refused) {
        const bool noDefaults = form == "add" && defaults.empty();
        return Fail(e.message + (noDefaults ? " (is xscreensaver installed? its defaults are read from " +
                                                  std::string(kDefaults[0]) + ")" : "") +
                    "; " + f.shown + " is left as it was");
    }
    const std::string n = std::to_string(e.number);
    const std::string where = " (xscreensaver-command -select " + n + " runs it)";
    const std::string left = e.left.empty() ? "" : "Left as they are: " + e.left + ".\n";
    if (e.outcome == hack::ListOutcome::Unchanged) {
        if (form == "remove")
            return Tell("The entry that add writes is not in your XScreenSaver list (" + f.shown + "); nothing to do.\n" + left);
        if (e.disabled)
            return Tell("Fluttera is in your XScreenSaver list, but disabled: entry " + n + " (" + f.shown +
                        "). The command leaves that choice as it is: tick Fluttera in xscreensaver-settings, or "
                        "take the \"-\" off its entry, to have it run.\n");
        return Tell("Fluttera is in your XScreenSaver list already: entry " + n + where + ".\n");
    }
    if (e.removeFile && !f.link) {
        if (!StillAsRead(f, why)) return Fail(why + "; nothing changed");
        if (unlink(f.path.c_str()) != 0) return Fail("cannot remove " + f.path + " (" + Error("unlink") + ")");
        if (!SyncFolder(f.path, why)) return Fail(why);
        return Tell("Took Fluttera out: " + f.shown + " held nothing else, and is gone.\n");
    }
    // Where a link stands in for the file, the file it names gets the new text, also none.
    const mode_t umaskNow = umask(0);
    umask(umaskNow);
    if (!Replace(f, e.text, 0666 & ~umaskNow, why)) return Fail(why);
    if (form == "add")
        return Tell("Added Fluttera to your XScreenSaver list (" + f.shown + "): entry " + n + where +
                    ".\nxscreensaver-settings lists it as Fluttera; the running daemon reads the file again by itself.\n");
    return Tell("Took Fluttera out of your XScreenSaver list (" + f.path + (e.removeFile ? ", now empty" : "") + ").\n" + left);
}
