#include "hack/programs_list.h"

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace hack {

const char kFlutteraEntry[] = "\t\t\t\tfluttera --root\t\t\t\t    \\n\\\n";

namespace {

// The entry as the last line of a list, which ends the value: no backslash after it.
const char kFlutteraLastEntry[] = "\t\t\t\tfluttera --root\t\t\t\t    \\n\n";

// The comment before a list that add copied from the system's, with a hash of that list as
// copied: XScreenSaver skips comments, and its settings drop them when they write the file
// (the list is the user's from then on).
const char kCopiedMark[] = "# fluttera-xscreensaver add copied XScreenSaver's list below; remove takes it out while it is so: ";

struct Line {
    size_t begin, end;  // end: past the line's '\n', or the end of the text
};

// A resource over the physical lines first..last (a backslash ends each line but the last,
// or the last as well when the file ends there).
struct Resource {
    std::string name;
    size_t first, last;
    size_t valueAt;  // where the value starts in the first line
};

struct Parsed {
    std::vector<Line> lines;
    std::vector<Resource> resources;
    std::string why;  // empty when the file reads as XScreenSaver's
};

bool Blank(char c) { return c == ' ' || c == '\t'; }
bool Space(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

std::string RightTrim(std::string s) {
    while (!s.empty() && Space(s.back())) s.pop_back();
    return s;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// XScreenSaver matches resource names ignoring case.
bool Named(const std::string& name, const std::string& want) {
    if (name.size() != want.size()) return false;
    for (size_t i = 0; i < name.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(name[i])) != want[i]) return false;
    return true;
}

std::string Content(const std::string& t, const Line& l) {
    size_t end = l.end;
    if (end > l.begin && t[end - 1] == '\n') --end;
    return t.substr(l.begin, end - l.begin);
}

// An odd number of backslashes at the end: the line goes on in the next one.
bool Continues(const std::string& content) {
    size_t n = 0;
    while (n < content.size() && content[content.size() - 1 - n] == '\\') ++n;
    return n % 2 == 1;
}

std::string WithoutBackslash(const std::string& content) {
    return Continues(content) ? content.substr(0, content.size() - 1) : content;
}

// strict: every line must be blank, a comment or `name: value`.
Parsed Parse(const std::string& t, bool strict) {
    Parsed p;
    for (size_t at = 0; at < t.size();) {
        const size_t nl = t.find('\n', at);
        const size_t end = nl == std::string::npos ? t.size() : nl + 1;
        p.lines.push_back({at, end});
        at = end;
    }
    for (size_t i = 0; i < p.lines.size();) {
        size_t j = i;
        while (Continues(Content(t, p.lines[j])) && j + 1 < p.lines.size()) ++j;
        const std::string first = Content(t, p.lines[i]);
        size_t k = 0;
        while (k < first.size() && Blank(first[k])) ++k;
        const bool note = k == first.size() || first[k] == '#' || first[k] == '!' || first[k] == ';';
        size_t n = k;
        while (n < first.size() && (std::isalnum(static_cast<unsigned char>(first[n])) ||
                                    first[n] == '_' || first[n] == '.' || first[n] == '*' || first[n] == '-'))
            ++n;
        size_t colon = n;
        while (colon < first.size() && Blank(first[colon])) ++colon;
        const bool resource = !note && n > k && colon < first.size() && first[colon] == ':';
        if (strict && p.why.empty() && !note && !resource)
            p.why = "line " + std::to_string(i + 1) + " is not XScreenSaver's \"name: value\" form";
        if (resource) p.resources.push_back({first.substr(k, n - k), i, j, colon + 1});
        i = j + 1;
    }
    if (strict && p.why.empty() && t.find('\0') != std::string::npos) p.why = "it holds NUL bytes";
    return p;
}

// The value of a resource as XScreenSaver reads it: its lines joined where they go on.
std::string Value(const std::string& t, const Parsed& p, const Resource& r, size_t upTo) {
    std::string v;
    for (size_t i = r.first; i < upTo; ++i) {
        const std::string c = WithoutBackslash(Content(t, p.lines[i]));
        v += i == r.first ? c.substr(r.valueAt) : c;
    }
    return v;
}

// The value's text so far ends an entry, or holds none yet.
bool EndsAnEntry(const std::string& value) {
    const std::string v = RightTrim(value);
    return v.find_first_not_of(" \t") == std::string::npos || EndsWith(v, "\\n");
}

// One entry as XScreenSaver reads it: [-] [visual:] ["name"] command.
struct Entry {
    std::string text;  // as written, blanks trimmed
    bool enabled = true, visual = false, named = false;
    std::vector<std::string> words;  // the command
};

Entry ReadEntry(const std::string& s) {
    Entry e;
    size_t k = 0;
    auto skip = [&] { while (k < s.size() && Space(s[k])) ++k; };
    skip();
    e.text = RightTrim(s.substr(k));
    if (k < s.size() && s[k] == '-') {
        e.enabled = false;
        ++k;
        skip();
    }
    size_t v = k;
    while (v < s.size() && s[v] != ':' && s[v] != '"' && !Space(s[v])) ++v;
    if (v < s.size() && s[v] == ':') {
        e.visual = true;
        k = v + 1;
        skip();
    }
    if (k < s.size() && s[k] == '"') {
        e.named = true;
        const size_t close = s.find('"', k + 1);
        k = close == std::string::npos ? s.size() : close + 1;
    }
    while (skip(), k < s.size()) {
        const size_t from = k;
        while (k < s.size() && !Space(s[k])) ++k;
        e.words.push_back(s.substr(from, k - from));
    }
    return e;
}

bool IsFluttera(const Entry& e) {
    if (e.words.empty()) return false;
    const std::string& w = e.words[0];
    const size_t slash = w.rfind('/');
    return (slash == std::string::npos ? w : w.substr(slash + 1)) == "fluttera";
}

// The entry add writes (the settings may have disabled it since).
bool IsAddsEntry(const Entry& e) {
    return !e.visual && !e.named && e.words == std::vector<std::string>{"fluttera", "--root"};
}

// The list's entries in xscreensaver-command -select's order (blank entries are no entries).
std::vector<Entry> Entries(const std::string& t, const Parsed& p, const Resource& r) {
    const std::string v = Value(t, p, r, r.last + 1);
    std::vector<Entry> list;
    for (size_t at = 0; at <= v.size();) {
        size_t end = v.find("\\n", at);
        if (end == std::string::npos) end = v.size();
        const Entry e = ReadEntry(v.substr(at, end - at));
        if (!e.text.empty()) list.push_back(e);
        at = end + 2;
    }
    return list;
}

// The place, from 1, of the first Fluttera entry that is enabled (or, with `disabled`, of
// any); 0 when there is none.
int Number(const std::vector<Entry>& list, bool disabled) {
    for (size_t i = 0; i < list.size(); ++i)
        if (IsFluttera(list[i]) && (list[i].enabled || disabled)) return static_cast<int>(i) + 1;
    return 0;
}

// The one `programs` resource of a user's file; refuses a file that cannot be read.
const Resource* UserList(const Parsed& p, ListEdit& e) {
    e.message = p.why;
    const Resource* list = nullptr;
    for (const Resource& r : p.resources) {
        if (!Named(r.name, "programs")) continue;
        if (list) e.message = "it holds two programs lists (lines " + std::to_string(list->first + 1) + " and " +
                              std::to_string(r.first + 1) + ")";
        list = &r;
    }
    if (!e.message.empty()) e.message = "~/.xscreensaver cannot be read as XScreenSaver's: " + e.message;
    return list;
}

// The entry added at the end of the list `r` of `t`.
ListEdit Insert(const std::string& t, const Parsed& p, const Resource& r) {
    ListEdit e;
    if (Continues(Content(t, p.lines[r.last]))) {
        // The list goes on to the end of the file, as the settings write it: one more line.
        if (!EndsAnEntry(Value(t, p, r, r.last + 1))) {
            e.message = "the programs list's last entry does not end in \\n";
            return e;
        }
        e.text = t + (t.back() == '\n' ? "" : "\n") + kFlutteraEntry;
    } else if (r.last > r.first) {
        if (!EndsAnEntry(Value(t, p, r, r.last))) {
            e.message = "the entry before the programs list's last line does not end in \\n";
            return e;
        }
        const size_t at = p.lines[r.last].begin;
        e.text = t.substr(0, at) + kFlutteraEntry + t.substr(at);
    } else {
        const Line& l = p.lines[r.first];
        const std::string c = Content(t, l);
        const std::string close = EndsAnEntry(c.substr(r.valueAt)) ? "" : "\\n";
        e.text = t.substr(0, l.begin) + c + close + "\\\n" + kFlutteraLastEntry + t.substr(l.end);
    }
    e.outcome = ListOutcome::Changed;
    return e;
}

// `t` without the lines of list `r` that hold only add's entry.
std::string Drop(const std::string& t, const Parsed& p, const Resource& r) {
    std::vector<bool> drop(p.lines.size(), false);
    for (size_t i = r.first + 1; i <= r.last; ++i) {
        const std::string c = RightTrim(WithoutBackslash(Content(t, p.lines[i])));
        drop[i] = EndsWith(c, "\\n") && c.find("\\n") == c.size() - 2 &&
                  IsAddsEntry(ReadEntry(c.substr(0, c.size() - 2))) && EndsAnEntry(Value(t, p, r, i));
    }
    size_t lastKept = r.last;
    while (drop[lastKept]) --lastKept;
    // Where the dropped last line ended the list, the new last line ends it: the backslash
    // that joined it to the entry goes. A list open to the end of the file stays open.
    const bool closeIt = lastKept != r.last && !Continues(Content(t, p.lines[r.last]));
    std::string out;
    for (size_t i = 0; i < p.lines.size(); ++i) {
        if (drop[i]) continue;
        std::string line = t.substr(p.lines[i].begin, p.lines[i].end - p.lines[i].begin);
        if (i == lastKept && closeIt) {
            const bool nl = line.back() == '\n';
            line = WithoutBackslash(Content(t, p.lines[i])) + (nl ? "\n" : "");
        }
        out += line;
    }
    return out;
}

// The system's list as a user's file holds it: `programs:` and the lines of its value.
bool SystemList(const std::string& defaults, std::string& block) {
    const Parsed p = Parse(defaults, false);
    for (const Resource& r : p.resources) {
        if (!Named(r.name, "*programs") && !Named(r.name, "programs")) continue;
        if (Continues(Content(defaults, p.lines[r.last]))) return false;
        block = defaults.substr(p.lines[r.first].begin, p.lines[r.last].end - p.lines[r.first].begin);
        block.erase(block.find(r.name), r.name.size() - 8);  // the "*" before "programs"
        if (block.back() != '\n') block += '\n';
        return true;
    }
    return false;
}

// The comment that marks a copied list, as it is while the list is `list` (FNV-1a).
std::string CopiedMark(const std::string& list) {
    uint64_t h = 14695981039346656037ull;
    for (const char c : list) h = (h ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(h));
    return kCopiedMark + std::string(hex);
}

}  // namespace

ListEdit AddFluttera(const std::string& user, const std::string& systemDefaults) {
    ListEdit e;
    const Parsed p = Parse(user, true);
    const Resource* list = UserList(p, e);
    if (!e.message.empty()) return e;
    if (list) {
        const std::vector<Entry> entries = Entries(user, p, *list);
        e.number = Number(entries, false);
        e.disabled = e.number == 0 && (e.number = Number(entries, true)) > 0;
        if (e.number > 0) {
            e.outcome = ListOutcome::Unchanged;
            return e;
        }
        e = Insert(user, p, *list);
    } else {
        std::string block;
        if (!SystemList(systemDefaults, block)) {
            e.message = "no programs list in XScreenSaver's defaults to start from";
            return e;
        }
        const Parsed b = Parse(block, false);
        e = Insert(block, b, b.resources.front());
        if (e.outcome != ListOutcome::Changed) return e;
        // The mark holds the list as remove will find it, the entry taken out again.
        const Parsed added = Parse(e.text, false);
        const std::string mark = CopiedMark(Drop(e.text, added, added.resources.front())) + "\n";
        if (!user.empty()) e.text = user + (user.back() == '\n' ? "\n" : "\n\n") + mark + e.text;
        else e.text = mark + e.text;
    }
    if (e.outcome == ListOutcome::Changed) {
        const Parsed q = Parse(e.text, true);
        e.number = Number(Entries(e.text, q, *UserList(q, e)), false);
    }
    return e;
}

ListEdit RemoveFluttera(const std::string& user, const std::string& systemDefaults) {
    ListEdit e;
    const Parsed p = Parse(user, true);
    const Resource* list = UserList(p, e);
    if (!e.message.empty()) return e;
    if (!list) {
        e.outcome = ListOutcome::Unchanged;
        return e;
    }
    std::string t = Drop(user, p, *list);
    const Parsed q = Parse(t, true);
    const Resource& r = *UserList(q, e);
    for (const Entry& entry : Entries(t, q, r)) {
        if (!IsFluttera(entry)) continue;
        if (IsAddsEntry(entry)) {
            e.message = "Fluttera's entry shares a line of the programs list with other text; "
                        "take it out with xscreensaver-settings or an editor";
            return e;
        }
        e.left += std::string(e.left.empty() ? "" : ", ") + "\"" + entry.text + "\"";
    }
    if (!e.left.empty()) e.left = "Fluttera entries that add did not write: " + e.left;
    // The list add copied goes with the entry while it is as copied; a list of an earlier
    // add, which left no mark, while it is the system's list now and ends the file.
    const size_t from = q.lines[r.first].begin, to = q.lines[r.last].end;
    const std::string listText = t.substr(from, to - from);
    const std::string above = r.first > 0 ? Content(t, q.lines[r.first - 1]) : "";
    std::string system;
    size_t start = std::string::npos;
    if (above == CopiedMark(listText)) start = q.lines[r.first - 1].begin;
    else if (to == t.size() && SystemList(systemDefaults, system) && listText == system &&
             (from == 0 || EndsWith(t.substr(0, from), "\n\n")))
        start = from;
    else if (above.compare(0, sizeof kCopiedMark - 1, kCopiedMark) == 0)
        e.left += std::string(e.left.empty() ? "" : "; ") +
                  "the programs list that add copied from XScreenSaver's defaults, changed since, which "
                  "XScreenSaver runs instead of its own";
    if (start != std::string::npos) {
        const size_t blank = start >= 2 && t.compare(start - 2, 2, "\n\n") == 0 ? 1 : 0;
        t = t.substr(0, start - blank) + t.substr(to);
        e.removeFile = t.empty();
    }
    e.outcome = t == user ? ListOutcome::Unchanged : ListOutcome::Changed;
    e.text = e.outcome == ListOutcome::Changed ? t : "";
    return e;
}

}  // namespace hack
