// The file operations the settings need. Paths are UTF-8; the Win32 adapter hands
// them to the wide file functions. Failures come back as the system's error numbers
// (Win32's GetLastError values), so the caller can tell the user why.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace fw {

// 0 when the operation was done, otherwise the system's error number.
using FileError = uint32_t;

// The error numbers the program tells apart.
inline constexpr FileError kFileDone = 0;
inline constexpr FileError kErrorFileNotFound = 2;
inline constexpr FileError kErrorPathNotFound = 3;
inline constexpr FileError kErrorAccessDenied = 5;
inline constexpr FileError kErrorWriteProtect = 19;
inline constexpr FileError kErrorSharingViolation = 32;
inline constexpr FileError kErrorLockViolation = 33;
inline constexpr FileError kErrorHandleDiskFull = 39;
inline constexpr FileError kErrorDiskFull = 112;
inline constexpr FileError kErrorUnableToRemoveReplaced = 1175;
inline constexpr FileError kErrorUnableToMoveReplacement = 1176;
inline constexpr FileError kErrorUnableToMoveReplacement2 = 1177;
inline constexpr FileError kErrorAlreadyExists = 183;
inline constexpr FileError kErrorFileTooLarge = 223;

class FilePort {
public:
    virtual ~FilePort() = default;
    // The whole file into bytes. Missing: 2 or 3; a folder: 5; held by another program
    // without sharing: 32; larger than a settings file can be: 223.
    virtual FileError Read(const std::string& path, std::string& bytes) = 0;
    // Makes the file anew with exactly these bytes and flushes them to the disk. After a
    // failure part of it may be left behind.
    virtual FileError WriteNew(const std::string& path, const std::string& bytes) = 0;
    // Puts the file `from` in the place of `to` in one step, the old `to` going to `backup`.
    // `to` keeps what is its own (its attributes, its access rights, its creation time).
    // Missing `to`: 2. After 1175 or 1176 both files keep their names; after 1177 the old
    // file is under `backup` and `from` under its own name; after any other error no name
    // has changed.
    virtual FileError Replace(const std::string& from, const std::string& to, const std::string& backup) = 0;
    // Renames `from` to `to`, written through. Never over an existing `to`: 183.
    virtual FileError Move(const std::string& from, const std::string& to) = 0;
    // Writes the bytes over an existing file, in its place, and flushes them. Room for them
    // is made first, so a full disk leaves the file as it was. Missing: 2 or 3.
    virtual FileError WriteInPlace(const std::string& path, const std::string& bytes) = 0;
    virtual FileError Remove(const std::string& path) = 0;
    // 0 when there is a file or folder of that name; 2 when there is known to be none (3
    // when its folder is missing too); any other error when the system cannot tell.
    virtual FileError Find(const std::string& path) = 0;
    // True when there is a folder of that name.
    virtual bool IsFolder(const std::string& path) = 0;
    // True when the file carries the read-only attribute.
    virtual bool IsReadOnly(const std::string& path) = 0;
    // Opens the file for sequential reading and closes it again at once.
    virtual bool CanOpenForReading(const std::string& path) = 0;
    // The path's short (8.3) form; empty when the system has none for it.
    virtual std::optional<std::string> ShortPath(const std::string& path) = 0;

    // The whole file, or empty when it is missing, a folder, unreadable or too large.
    std::optional<std::string> ReadAll(const std::string& path) {
        std::string bytes;
        if (Read(path, bytes) != kFileDone) return std::nullopt;
        return bytes;
    }
};

}  // namespace fw
