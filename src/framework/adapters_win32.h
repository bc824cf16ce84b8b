// The Win32 adapters of the framework's ports: thin forwarders to the system.
#pragma once

#include "framework/file_port.h"
#include "framework/ports.h"

#include <windows.h>

namespace fw::win {

class Files final : public fw::FilePort {
public:
    fw::FileError Read(const std::string& path, std::string& bytes) override;
    fw::FileError WriteNew(const std::string& path, const std::string& bytes) override;
    fw::FileError Replace(const std::string& from, const std::string& to, const std::string& backup) override;
    fw::FileError Move(const std::string& from, const std::string& to) override;
    fw::FileError WriteInPlace(const std::string& path, const std::string& bytes) override;
    fw::FileError Remove(const std::string& path) override;
    fw::FileError Find(const std::string& path) override;
    bool IsFolder(const std::string& path) override;
    bool IsReadOnly(const std::string& path) override;
    bool CanOpenForReading(const std::string& path) override;
    std::optional<std::string> ShortPath(const std::string& path) override;
};

class SystemHooks final : public fw::SystemHooksPort {
public:
    int32_t ShowCursor(int32_t show) override;
    void SetSystemParameter(uint32_t action, uint32_t uiParam, uint32_t flags) override;
    void DrawAnimatedRects(WindowId window, int32_t kind, const Rect& from, const Rect& to) override;
    std::optional<Rect> GetWindowRect(WindowId window) override;
    std::optional<Point> GetCursorPos() override;
};

// The user's decimal and group separators (GetLocaleInfoEx).
class Locale final : public fw::LocalePort {
public:
    std::string DecimalSeparator() override;
    std::string GroupSeparator() override;
};

inline HWND ToHwnd(WindowId id) {
    // Window handles carry 32 significant bits and are sign-extended on 64-bit Windows.
    return reinterpret_cast<HWND>(static_cast<intptr_t>(static_cast<int32_t>(static_cast<uint32_t>(id))));
}
inline WindowId FromHwnd(HWND h) {
    return static_cast<WindowId>(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(h)));
}

}  // namespace fw::win
