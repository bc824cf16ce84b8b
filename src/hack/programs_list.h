// The user's XScreenSaver list of display modes: the `programs` resource of ~/.xscreensaver,
// with Fluttera's entry added or removed. Portable text rules; the command around them
// (list_main_posix.cpp) reads and writes the files.
//
// XScreenSaver's files are lines of `name: value`, `#` or `!` comments and blank lines; a
// line ending in a backslash goes on in the next one. The `programs` value is one entry per
// `\n` (the two characters), each a command with an optional `-` (disabled) and visual
// name (`GL:`) in front; xscreensaver-command -select numbers the entries from 1. A user's
// file holds the list that the settings wrote, or none (then the system's list is used).
#pragma once

#include <string>

namespace hack {

enum class ListOutcome {
    Changed,    // `text` is the new file
    Unchanged,  // the file already says so; nothing to write
    Refused,    // the file cannot be read safely; `message` says why and nothing changes
};

struct ListEdit {
    ListOutcome outcome = ListOutcome::Refused;
    std::string text;
    std::string message;
    int number = 0;  // the entry's place in the list, from 1, when it is there
    // The file would hold only the system's list, as AddFluttera writes it where there was
    // no file: removing the file undoes that.
    bool removeFile = false;
};

// The line added for the hack, in the columns the settings write.
extern const char kFlutteraEntry[];

// Adds the hack's entry at the end of the user's list, keeping every other byte. With no
// list in the file (or no file: `user` empty), the list added is the system's (the
// `*programs` resource of `systemDefaults`, XScreenSaver's app-defaults file) and the entry.
ListEdit AddFluttera(const std::string& user, const std::string& systemDefaults);

// Takes out the lines that hold only the hack's entry, as AddFluttera put it.
ListEdit RemoveFluttera(const std::string& user, const std::string& systemDefaults);

}  // namespace hack
