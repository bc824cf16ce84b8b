#include "hack/programs_list.h"

#include <cctype>
#include <vector>

namespace hack {

const char kFlutteraEntry[] = "\t\t\t\tfluttera --root\t\t\t\t    \\n\\\n";

namespace {

// The entry as the last line of a list, which ends the value: no backslash after it.
const char kFlutteraLastEntry[] = "\t\t\t\tfluttera --root\t\t\t\t    \\n\n";

struct Line {
    size_t begin, end;  // end: past the line's '\n', or the end of the text
};

// A resource over the physical lines first..last (a backslash ends each line but the last).
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

std::string RightTrim(std::string s) {
    while (!s.empty() && (Blank(s.back()) || s.back() == '\r')) s.pop_back();
    return s;
}

bool EndsWith(const std::string& s, const std::string& tail) {
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
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

// strict: every line must be blank, a comment or `name: value`, and the last must not go on.
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
        const bool note = k == first.size() || first[k] == '#' || first[k] == '!';
        size_t n = k;
        while (n < first.size() && (std::isalnum(static_cast<unsigned char>(first[n])) ||
                                    first[n] == '_' || first[n] == '.' || first[n] == '*' || first[n] == '-'))
            ++n;
        size_t colon = n;
        while (colon < first.size() && Blank(first[colon])) ++colon;
        const bool resource = !note && n > k && colon < first.size() && first[colon] == ':';
        const std::string name = resource ? first.substr(k, n - k) : "";
        if (strict && p.why.empty()) {
            const std::string where = "line " + std::to_string(i + 1);
            if (Continues(Content(t, p.lines[j])))
                p.why = name == "programs" ? "the programs list has no end: its last line, line " +
                                                 std::to_string(j + 1) + ", ends in a backslash"
                                           : where + " goes on past the end of the file";
            else if (!note && !resource)
                p.why = where + " is not XScreenSaver's \"name: value\" form";
        }
        if (resource) p.resources.push_back({name, i, j, colon + 1});
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
    size_t k = 0;
    while (k < v.size() && Blank(v[k])) ++k;
    return k == v.size() || EndsWith(v, "\\n");
}

// One entry of the list: [-] [visual:] command. True when the command is the hack's.
bool IsFluttera(const std::string& entry) {
    size_t k = 0;
    auto skip = [&] { while (k < entry.size() && (Blank(entry[k]) || entry[k] == '\r')) ++k; };
    skip();
    if (k < entry.size() && entry[k] == '-') ++k;
    skip();
    auto word = [&] {
        const size_t from = k;
        while (k < entry.size() && !Blank(entry[k])) ++k;
        return entry.substr(from, k - from);
    };
    std::string w = word();
    if (EndsWith(w, ":")) {
        skip();
        w = word();
    }
    const size_t slash = w.rfind('/');
    return (slash == std::string::npos ? w : w.substr(slash + 1)) == "fluttera";
}

// The hack's place in the list, from 1, as xscreensaver-command -select counts (blank
// entries are no entries); 0 when it is not there.
int Number(const std::string& t, const Parsed& p, const Resource& r) {
    const std::string v = Value(t, p, r, r.last + 1);
    int n = 0;
    for (size_t at = 0; at <= v.size();) {
        size_t end = v.find("\\n", at);
        if (end == std::string::npos) end = v.size();
        const std::string entry = v.substr(at, end - at);
        if (RightTrim(entry).find_first_not_of(" \t") != std::string::npos) {
            ++n;
            if (IsFluttera(entry)) return n;
        }
        at = end + 2;
    }
    return 0;
}

// The one `programs` resource of a user's file; refuses a file that cannot be read.
const Resource* UserList(const Parsed& p, ListEdit& e) {
    e.message = p.why;
    const Resource* list = nullptr;
    for (const Resource& r : p.resources) {
        if (r.name != "programs") continue;
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
    if (r.last > r.first) {
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

// The system's list as a user's file holds it: `programs:` and the lines of its value.
bool SystemList(const std::string& defaults, std::string& block) {
    const Parsed p = Parse(defaults, false);
    for (const Resource& r : p.resources) {
        if (r.name != "*programs" && r.name != "programs") continue;
        if (Continues(Content(defaults, p.lines[r.last]))) return false;
        block = defaults.substr(p.lines[r.first].begin, p.lines[r.last].end - p.lines[r.first].begin);
        block.erase(block.find(r.name), r.name.size() - 8);  // the "*" before "programs"
        if (block.back() != '\n') block += '\n';
        return true;
    }
    return false;
}

}  // namespace

ListEdit AddFluttera(const std::string& user, const std::string& systemDefaults) {
    ListEdit e;
    const Parsed p = Parse(user, true);
    const Resource* list = UserList(p, e);
    if (!e.message.empty()) return e;
    if (list) {
        if ((e.number = Number(user, p, *list)) > 0) {
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
        if (!user.empty()) e.text = user + (user.back() == '\n' ? "\n" : "\n\n") + e.text;
    }
    if (e.outcome == ListOutcome::Changed) {
        const Parsed q = Parse(e.text, true);
        e.number = Number(e.text, q, *UserList(q, e));
    }
    return e;
}

ListEdit RemoveFluttera(const std::string& user, const std::string& systemDefaults) {
    ListEdit e;
    const Parsed p = Parse(user, true);
    const Resource* list = UserList(p, e);
    if (!e.message.empty()) return e;
    if (!list || Number(user, p, *list) == 0) {
        e.outcome = ListOutcome::Unchanged;
        return e;
    }
    std::vector<bool> drop(p.lines.size(), false);
    for (size_t i = list->first + 1; i <= list->last; ++i) {
        const std::string c = RightTrim(WithoutBackslash(Content(user, p.lines[i])));
        drop[i] = EndsWith(c, "\\n") && c.find("\\n") == c.size() - 2 && IsFluttera(c.substr(0, c.size() - 2)) &&
                  EndsAnEntry(Value(user, p, *list, i));
    }
    size_t lastKept = list->last;
    while (drop[lastKept]) --lastKept;
    for (size_t i = 0; i < p.lines.size(); ++i) {
        if (drop[i]) continue;
        std::string line = user.substr(p.lines[i].begin, p.lines[i].end - p.lines[i].begin);
        // The list's new last line ends it: the backslash that joined it to the entry goes.
        if (i == lastKept && lastKept != list->last) {
            const bool nl = !line.empty() && line.back() == '\n';
            line = WithoutBackslash(Content(user, p.lines[i])) + (nl ? "\n" : "");
        }
        e.text += line;
    }
    const Parsed q = Parse(e.text, true);
    if (Number(e.text, q, *UserList(q, e)) > 0) {
        e.text.clear();
        e.message = "Fluttera's entry shares a line of the programs list with other text; "
                    "take it out with xscreensaver-settings or an editor";
        return e;
    }
    // The list AddFluttera brought where the file had none goes with the entry.
    std::string block;
    if (SystemList(systemDefaults, block)) {
        e.removeFile = e.text == block;
        if (EndsWith(e.text, "\n\n" + block)) e.text.erase(e.text.size() - block.size() - 1);
    }
    e.outcome = ListOutcome::Changed;
    return e;
}

}  // namespace hack
