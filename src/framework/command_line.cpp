#include "framework/command_line.h"

namespace fw {

std::string ArgumentsOf(std::string_view commandLine) {
    std::size_t pos = 0;
    if (!commandLine.empty() && commandLine[0] == '"') {
        std::size_t close = commandLine.find('"', 1);
        pos = close == std::string_view::npos ? commandLine.size() : close + 1;
    }
    while (pos < commandLine.size() && commandLine[pos] != ' ' && commandLine[pos] != '\t') ++pos;
    while (pos < commandLine.size() && (commandLine[pos] == ' ' || commandLine[pos] == '\t')) ++pos;
    return std::string(commandLine.substr(pos));
}

std::string FolderOf(std::string_view path) {
    std::size_t sep = path.find_last_of("\\/");
    if (sep == std::string_view::npos) return std::string();
    std::string folder(path.substr(0, sep));
    if (folder.size() == 2 && folder[1] == ':') folder += '\\';  // a drive root keeps its separator
    return folder;
}

}  // namespace fw
