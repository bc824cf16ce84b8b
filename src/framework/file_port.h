// The file operations the settings need. Paths are UTF-8; the Win32 adapter hands
// them to the wide file functions.
#pragma once

#include <optional>
#include <string>

namespace fw {

class FilePort {
public:
    virtual ~FilePort() = default;
    // The whole file, or empty when it is missing, a folder, unreadable or too large.
    virtual std::optional<std::string> ReadAll(const std::string& path) = 0;
    // Replaces the file's content; false when it cannot be written.
    virtual bool WriteAll(const std::string& path, const std::string& bytes) = 0;
    // Opens the file for sequential reading and closes it again at once.
    virtual bool CanOpenForReading(const std::string& path) = 0;
    // The path's short (8.3) form; empty when the system has none for it.
    virtual std::optional<std::string> ShortPath(const std::string& path) = 0;
};

}  // namespace fw
