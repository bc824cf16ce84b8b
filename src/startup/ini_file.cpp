#include "startup/ini_file.h"

#include "framework/codepage.h"

#include <vector>

namespace startup {
namespace {

bool IsSpace(unsigned char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A; }

std::string_view Trim(std::string_view s) {
    std::size_t b = 0, e = s.size();
    while (b < e && IsSpace(static_cast<unsigned char>(s[b]))) ++b;
    while (e > b && IsSpace(static_cast<unsigned char>(s[e - 1]))) --e;
    return s.substr(b, e - b);
}

unsigned char Fold(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

// ASCII case is ignored; the second byte of a double-byte character is compared as it
// is, since it may fall in the ASCII letter range.
bool SameName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        unsigned char x = static_cast<unsigned char>(a[i]);
        unsigned char y = static_cast<unsigned char>(b[i]);
        if (fw::IsCp932LeadByte(x) && i + 1 < a.size()) {
            if (x != y || a[i + 1] != b[i + 1]) return false;
            ++i;
            continue;
        }
        if (Fold(x) != Fold(y)) return false;
    }
    return true;
}

// One line of the file: where its text starts and ends, and where its line break ends.
struct Line {
    std::size_t begin, end, next;
};

std::vector<Line> SplitLines(std::string_view content) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < content.size()) {
        std::size_t nl = content.find('\n', pos);
        if (nl == std::string_view::npos) {
            lines.push_back({pos, content.size(), content.size()});
            break;
        }
        std::size_t end = nl;
        if (end > pos && content[end - 1] == '\r') --end;
        lines.push_back({pos, end, nl + 1});
        pos = nl + 1;
    }
    return lines;
}

// The section name of a header line, or false when the line is no header.
bool SectionName(std::string_view line, std::string_view& name) {
    std::string_view t = Trim(line);
    if (t.empty() || t.front() != '[') return false;
    std::size_t close = t.rfind(']');
    if (close == std::string_view::npos || close == 0) return false;
    name = Trim(t.substr(1, close - 1));
    return true;
}

// Splits an entry line into its key and value; false when it has no equals sign.
bool Entry(std::string_view line, std::string_view& key, std::string_view& value) {
    std::string_view t = Trim(line);
    std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) return false;
    key = Trim(t.substr(0, eq));
    value = Trim(t.substr(eq + 1));
    return true;
}

// Where the key's line and the section lie in the content.
struct Found {
    bool section = false;
    std::size_t sectionLast = 0;  // index of the section's last non-blank line
    bool key = false;
    std::size_t keyLine = 0;
};

Found Locate(std::string_view content, const std::vector<Line>& lines, std::string_view section,
             std::string_view key) {
    Found f;
    section = Trim(section);
    key = Trim(key);
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        std::string_view text = content.substr(lines[i].begin, lines[i].end - lines[i].begin);
        std::string_view name;
        if (SectionName(text, name)) {
            if (inside) break;  // only the first section of that name counts
            if (SameName(name, section)) {
                inside = true;
                f.section = true;
                f.sectionLast = i;
            }
            continue;
        }
        if (!inside) continue;
        if (!Trim(text).empty()) f.sectionLast = i;
        std::string_view k, v;
        if (!f.key && Entry(text, k, v) && SameName(k, key)) {
            f.key = true;
            f.keyLine = i;
        }
    }
    return f;
}

// Cuts at most max bytes without leaving half of a double-byte character.
std::string_view CutBytes(std::string_view s, std::size_t max) {
    if (s.size() <= max) return s;
    std::size_t i = 0;
    while (i < max) {
        std::size_t step = fw::IsCp932LeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1;
        if (i + step > max) break;
        i += step;
    }
    return s.substr(0, i);
}

}  // namespace

std::string IniRead(std::string_view content, std::string_view section, std::string_view key) {
    std::vector<Line> lines = SplitLines(content);
    Found f = Locate(content, lines, section, key);
    if (!f.key) return std::string();
    const Line& l = lines[f.keyLine];
    std::string_view k, value;
    Entry(content.substr(l.begin, l.end - l.begin), k, value);
    // One pair of enclosing quotes, double or single, is dropped.
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front())
        value = value.substr(1, value.size() - 2);
    return std::string(CutBytes(value, kIniValueMax));
}

std::string IniWrite(std::string_view content, std::string_view section, std::string_view key,
                     std::string_view value) {
    // A line break inside a value would split it into lines of its own and could plant
    // other keys in the file; the value ends where its first line ends.
    std::size_t br = value.find_first_of("\r\n");
    if (br != std::string_view::npos) value = value.substr(0, br);
    section = Trim(section);
    key = Trim(key);

    std::vector<Line> lines = SplitLines(content);
    Found f = Locate(content, lines, section, key);
    std::string out;
    out.reserve(content.size() + section.size() + key.size() + value.size() + 8);

    if (f.key) {
        // Replace the value in place; the key keeps its spelling and indentation.
        const Line& l = lines[f.keyLine];
        std::string_view text = content.substr(l.begin, l.end - l.begin);
        std::size_t indent = 0;
        while (indent < text.size() && IsSpace(static_cast<unsigned char>(text[indent]))) ++indent;
        std::string_view k, v;
        Entry(text, k, v);
        out.append(content.substr(0, l.begin + indent));
        out.append(k);
        out.push_back('=');
        out.append(value);
        out.append(content.substr(l.end));
        return out;
    }

    std::string entry;
    entry.append(key).append("=").append(value).append("\r\n");
    if (f.section) {
        // After the section's last entry, before any blank lines that close it.
        const Line& last = lines[f.sectionLast];
        out.append(content.substr(0, last.next));
        if (last.next == last.end) out.append("\r\n");  // the file ended without a line break
        out.append(entry);
        out.append(content.substr(last.next));
        return out;
    }

    out.append(content);
    if (!content.empty() && content.back() != '\n') out.append("\r\n");
    out.append("[").append(section).append("]\r\n");
    out.append(entry);
    return out;
}

}  // namespace startup
