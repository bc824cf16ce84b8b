// Recording fakes of the ports, shared by the unit tests.
#pragma once

#include "framework/file_port.h"
#include "framework/ports.h"

#include <map>
#include <set>
#include <string>
#include <vector>

namespace fakes {

// Files in memory. Folders, files held by another program and failures of the system
// can be declared; they answer with the system's error numbers.
class Files : public fw::FilePort {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> folders;
    std::set<std::string> unreadable;  // exists, but another program holds it without sharing
    std::set<std::string> readOnly;    // carries the read-only attribute
    std::map<std::string, fw::FileError> writeErrors;    // making this file fails half-way
    std::map<std::string, fw::FileError> replaceErrors;  // putting a file in this one's place fails, as documented
    std::map<std::string, fw::FileError> moveErrors;     // renaming this file fails, changing nothing
    std::map<std::string, fw::FileError> inPlaceErrors;  // writing over this file fails, changing nothing
    std::map<std::string, fw::FileError> findErrors;     // the system cannot tell whether it is there
    std::map<std::string, std::string> shortPaths;
    int writes = 0;  // files made whole

    fw::FileError Read(const std::string& path, std::string& bytes) override {
        if (folders.count(path)) return fw::kErrorAccessDenied;
        if (unreadable.count(path)) return fw::kErrorSharingViolation;
        auto it = files.find(path);
        if (it == files.end()) return fw::kErrorFileNotFound;
        bytes = it->second;
        return fw::kFileDone;
    }
    fw::FileError WriteNew(const std::string& path, const std::string& bytes) override {
        if (folders.count(path) || readOnly.count(path)) return fw::kErrorAccessDenied;
        if (unreadable.count(path)) return fw::kErrorSharingViolation;
        auto error = writeErrors.find(path);
        if (error != writeErrors.end()) {
            files[path] = bytes.substr(0, bytes.size() / 2);  // what reached the disk
            return error->second;
        }
        files[path] = bytes;
        ++writes;
        return fw::kFileDone;
    }
    fw::FileError Replace(const std::string& from, const std::string& to, const std::string& backup) override {
        if (!files.count(from) || !files.count(to)) return fw::kErrorFileNotFound;
        auto error = replaceErrors.find(to);
        if (error != replaceErrors.end()) {
            if (error->second == fw::kErrorUnableToMoveReplacement2) Rename(to, backup);
            return error->second;
        }
        if (folders.count(to) || readOnly.count(to) || unreadable.count(to)) return fw::kErrorAccessDenied;
        if (folders.count(backup)) return fw::kErrorAccessDenied;  // as Wine answers; no name changes
        Rename(to, backup);
        Rename(from, to);
        return fw::kFileDone;
    }
    fw::FileError Move(const std::string& from, const std::string& to) override {
        auto error = moveErrors.find(from);
        if (error != moveErrors.end()) return error->second;
        if (Find(from) != fw::kFileDone) return fw::kErrorFileNotFound;
        if (Find(to) != fw::kErrorFileNotFound) return fw::kErrorAlreadyExists;
        if (folders.erase(from)) {  // a folder is renamed as a file is
            folders.insert(to);
            return fw::kFileDone;
        }
        Rename(from, to);
        return fw::kFileDone;
    }
    fw::FileError WriteInPlace(const std::string& path, const std::string& bytes) override {
        if (!files.count(path)) return fw::kErrorFileNotFound;
        if (folders.count(path) || readOnly.count(path)) return fw::kErrorAccessDenied;
        if (unreadable.count(path)) return fw::kErrorSharingViolation;
        auto error = inPlaceErrors.find(path);
        if (error != inPlaceErrors.end()) return error->second;
        files[path] = bytes;
        ++writes;
        return fw::kFileDone;
    }
    fw::FileError Remove(const std::string& path) override {
        if (readOnly.count(path) || folders.count(path)) return fw::kErrorAccessDenied;
        return files.erase(path) ? fw::kFileDone : fw::kErrorFileNotFound;
    }
    fw::FileError Find(const std::string& path) override {
        auto error = findErrors.find(path);
        if (error != findErrors.end()) return error->second;
        return files.count(path) || folders.count(path) ? fw::kFileDone : fw::kErrorFileNotFound;
    }
    bool IsFolder(const std::string& path) override { return folders.count(path) > 0; }
    bool IsReadOnly(const std::string& path) override { return readOnly.count(path) > 0; }
    bool CanOpenForReading(const std::string& path) override {
        return files.count(path) && !unreadable.count(path) && !folders.count(path);
    }
    std::optional<std::string> ShortPath(const std::string& path) override {
        auto it = shortPaths.find(path);
        if (it == shortPaths.end()) return std::nullopt;
        return it->second;
    }

private:
    void Rename(const std::string& from, const std::string& to) {
        files[to] = files[from];
        files.erase(from);
    }
};

// Records every system call in order as text, and answers from scripted values.
class Hooks : public fw::SystemHooksPort {
public:
    std::vector<std::string> calls;
    int32_t cursorCount = 0;
    std::optional<fw::Rect> windowRect = fw::Rect{100, 50, 565, 270};
    std::optional<fw::Point> cursor = fw::Point{800, 600};

    int32_t ShowCursor(int32_t show) override {
        cursorCount += show ? 1 : -1;
        calls.push_back("ShowCursor(" + std::to_string(show) + ")=" + std::to_string(cursorCount));
        return cursorCount;
    }
    void SetSystemParameter(uint32_t action, uint32_t uiParam, uint32_t flags) override {
        calls.push_back("SPI(" + std::to_string(action) + "," + std::to_string(static_cast<int32_t>(uiParam)) +
                        "," + std::to_string(flags) + ")");
    }
    void DrawAnimatedRects(fw::WindowId w, int32_t kind, const fw::Rect& from, const fw::Rect& to) override {
        calls.push_back("DrawAnimatedRects(" + std::to_string(w) + "," + std::to_string(kind) + "," + R(from) +
                        "," + R(to) + ")");
    }
    std::optional<fw::Rect> GetWindowRect(fw::WindowId) override { return windowRect; }
    std::optional<fw::Point> GetCursorPos() override { return cursor; }

    static std::string R(const fw::Rect& r) {
        return "[" + std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) + " " +
               std::to_string(r.bottom) + "]";
    }
};

}  // namespace fakes
