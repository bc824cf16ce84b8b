#include "framework/command_line.h"

namespace fw {

std::string ArgumentsOf(std::string_view cmd) {
    std::size_t pos = 0;
    if (!cmd.empty() && cmd[0] == '"') {
        std::size_t close = cmd.find('"', 1);
        pos = close == std::string_view::npos ? cmd.size() : close + 1;
    }
    while (pos < cmd.size() && cmd[pos] != ' ' && cmd[pos] != '\t') ++pos;
    while (pos < cmd.size() && (cmd[pos] == ' ' || cmd[pos] == '\t')) ++pos;
    return std::string(cmd.substr(pos));
}

std::string FolderOf(std::string_view path) {
    std::size_t sep = path.find_last_of("\\/");
    if (sep == std::string_view::npos) return std::string();
    std::string folder(path.substr(0, sep));
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // a drive root keeps its separator
    return folder;
}

}  // namespace fw
