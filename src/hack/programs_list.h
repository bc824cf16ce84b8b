// The user's XScreenSaver list of display modes: the `programs` resource of ~/.xscreensaver,
// with Fluttera's entry added or removed. Portable text rules; the command around them
// (list_main_posix.cpp) reads and writes the files.
//
// XScreenSaver's files are lines of `name: value` (the name in any case), `#`, `!` or `;`
// comments and blank lines; a line ending in a backslash goes on in the next one, and the
// end of the file ends the last. The `programs` value is one entry per `\n` (the two
// characters), each `[-] [visual:] ["name"] command`: `-` disables it, and
// xscreensaver-command -select numbers the entries from 1. A user's file holds the list
// that the settings wrote, or none (then the system's list is used).
#pragma once

#include <string>

namespace hack {

enum class ListOutcome {
    Changed,    // `text` is the new file
    Unchanged,  // the file already says so, or holds nothing to take out; nothing to write
    Refused,    // the file cannot be read safely; `message` says why and nothing changes
};

struct ListEdit {
    ListOutcome outcome = ListOutcome::Refused;
    std::string text;
    std::string message;
    int number = 0;         // the first Fluttera entry's place in the list, from 1, when there is one
    bool disabled = false;  // add: Fluttera is listed, but only disabled
    // remove: what stays that add did not write: Fluttera entries of another form, and a
    // list add copied from the system's that has been changed since. Empty when nothing.
    std::string left;
    // The file would hold nothing: add wrote it where there was none.
    bool removeFile = false;
};

// The line added for the hack, in the columns the settings write.
extern const char kFlutteraEntry[];

// Adds the hack's entry at the end of the user's list, keeping every other byte. With no
// list in the file (or no file: `user` empty), the list added is the system's (the
// `*programs` resource of `systemDefaults`, XScreenSaver's app-defaults file) and the entry,
// after a comment that lets RemoveFluttera know that list as long as it stays as copied.
// A Fluttera entry of any form (also disabled) leaves the file as it is.
ListEdit AddFluttera(const std::string& user, const std::string& systemDefaults);

// Takes out the lines that hold only the entry AddFluttera writes (also disabled), and the
// list it copied while that list is unchanged; says what else stays.
ListEdit RemoveFluttera(const std::string& user, const std::string& systemDefaults);

}  // namespace hack
