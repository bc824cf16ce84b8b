#include "framework/adapters_win32.h"

#include "framework/window_win32.h"

namespace fw::win {

namespace {
// Larger settings files than this are not read (and so never rewritten).
constexpr LONGLONG kMaxFileBytes = 64LL * 1024 * 1024;
}

fw::FileError Files::Read(const std::string& path, std::string& bytes) {
    HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (f == INVALID_HANDLE_VALUE) return GetLastError();
    fw::FileError error = fw::kFileDone;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(f, &size)) {
        error = GetLastError();
    } else if (size.QuadPart > kMaxFileBytes) {
        error = fw::kErrorFileTooLarge;
    } else {
        bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
        DWORD got = 0;
        if (!bytes.empty() && !ReadFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr))
            error = GetLastError();
        else if (!bytes.empty() && got != bytes.size())
            error = ERROR_HANDLE_EOF;  // it shrank while being read
    }
    CloseHandle(f);
    return error;
}

fw::FileError Files::WriteNew(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return GetLastError();
    fw::FileError error = fw::kFileDone;
    DWORD written = 0;
    if (!bytes.empty() && !WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr))
        error = GetLastError();  // NOLINT(bugprone-branch-clone): each failing step reports its own error
    else if (written != bytes.size())
        error = ERROR_WRITE_FAULT;
    else if (!FlushFileBuffers(f))
        error = GetLastError();
    if (!CloseHandle(f) && error == fw::kFileDone) error = GetLastError();
    return error;
}

fw::FileError Files::Replace(const std::string& from, const std::string& to, const std::string& backup) {
    const std::wstring source = Widen(from), target = Widen(to);
    // The new file takes the old one's attributes before it takes its place: ReplaceFileW
    // keeps them on Windows, Wine's does not.
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & kKept))
        SetFileAttributesW(source.c_str(), attributes & kKept);
    if (ReplaceFileW(target.c_str(), source.c_str(), Widen(backup).c_str(), 0, nullptr, nullptr))
        return fw::kFileDone;
    return GetLastError();
}

fw::FileError Files::Move(const std::string& from, const std::string& to) {
    if (MoveFileExW(Widen(from).c_str(), Widen(to).c_str(), MOVEFILE_WRITE_THROUGH))
        return fw::kFileDone;
    return GetLastError();
}

fw::FileError Files::WriteInPlace(const std::string& path, const std::string& bytes) {
    HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f == INVALID_HANDLE_VALUE) return GetLastError();
    fw::FileError error = fw::kFileDone;
    LARGE_INTEGER size{}, end{}, start{};
    end.QuadPart = static_cast<LONGLONG>(bytes.size());
    DWORD written = 0;
    // Room first: growing the file fails on a full disk before a byte of it is changed.
    if (!GetFileSizeEx(f, &size) ||
        (end.QuadPart > size.QuadPart && (!SetFilePointerEx(f, end, nullptr, FILE_BEGIN) || !SetEndOfFile(f))))
        error = GetLastError();  // NOLINT(bugprone-branch-clone): each failing step reports its own error
    else if (!SetFilePointerEx(f, start, nullptr, FILE_BEGIN) ||
             (!bytes.empty() && !WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr)))
        error = GetLastError();
    else if (written != bytes.size())
        error = ERROR_WRITE_FAULT;
    else if (!SetEndOfFile(f) || !FlushFileBuffers(f))
        error = GetLastError();
    if (!CloseHandle(f) && error == fw::kFileDone) error = GetLastError();
    return error;
}

fw::FileError Files::Remove(const std::string& path) {
    return DeleteFileW(Widen(path).c_str()) ? fw::kFileDone : GetLastError();
}

fw::FileError Files::Find(const std::string& path) {
    return GetFileAttributesW(Widen(path).c_str()) != INVALID_FILE_ATTRIBUTES ? fw::kFileDone : GetLastError();
}

bool Files::IsFolder(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Files::IsReadOnly(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(Widen(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool Files::CanOpenForReading(const std::string& path) {
    HANDLE f = CreateFileW(Widen(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (f == INVALID_HANDLE_VALUE) return false;
    CloseHandle(f);
    return true;
}

std::optional<std::string> Files::ShortPath(const std::string& path) {
    const std::wstring wide = Widen(path);
    const DWORD size = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (size == 0) return std::nullopt;
    std::wstring out(size, L'\0');
    const DWORD got = GetShortPathNameW(wide.c_str(), out.data(), size);
    if (got == 0 || got >= size) return std::nullopt;
    out.resize(got);
    return Narrow(out);
}

namespace {
std::string UserLocaleText(LCTYPE item) {
    wchar_t text[16] = {};
    if (GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, item, text, 16) <= 0) return std::string();
    return Narrow(text);
}
}  // namespace

std::string Locale::DecimalSeparator() { return UserLocaleText(LOCALE_SDECIMAL); }
std::string Locale::GroupSeparator() { return UserLocaleText(LOCALE_STHOUSAND); }

int32_t SystemHooks::ShowCursor(int32_t show) { return ::ShowCursor(show); }

void SystemHooks::SetSystemParameter(uint32_t action, uint32_t uiParam, uint32_t flags) {
    ::SystemParametersInfoW(action, uiParam, nullptr, flags);
}

void SystemHooks::DrawAnimatedRects(WindowId window, int32_t kind, const Rect& from, const Rect& to) {
    RECT a{from.left, from.top, from.right, from.bottom};
    RECT b{to.left, to.top, to.right, to.bottom};
    ::DrawAnimatedRects(ToHwnd(window), kind, &a, &b);
}

std::optional<Rect> SystemHooks::GetWindowRect(WindowId window) {
    RECT r{};
    if (!::GetWindowRect(ToHwnd(window), &r)) return std::nullopt;
    return Rect{r.left, r.top, r.right, r.bottom};
}

std::optional<Point> SystemHooks::GetCursorPos() {
    POINT p{};
    if (!::GetCursorPos(&p)) return std::nullopt;
    return Point{p.x, p.y};
}

}  // namespace fw::win
