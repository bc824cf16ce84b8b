// Text crosses here between UTF-8 and the UTF-16 of the wide functions.
//
// Reply buffers: the sizes the music module asks for are byte counts of an ANSI buffer.
// The wide call gets a buffer of as many UTF-16 units, which holds at least as much as
// the byte buffer would, and whatever the system does with a reply too long even for
// that (cut it or fail the command) is passed on as it is. The music module then cuts
// the UTF-8 text to the byte count less one, at a character boundary, so the cut is made
// in one place and is the same for every port.
#include "music/media_port_win32.h"

#include "framework/system_dll_win32.h"
#include "framework/text_win32.h"

#include <vector>

namespace music {

namespace {

// The text of a reply buffer up to its first NUL; the last unit counts as a NUL.
std::string ReplyText(const std::vector<wchar_t>& buffer) {
    std::wstring_view text(buffer.data(), buffer.size() - 1);
    return fw::win::Narrow(text.substr(0, text.find(L'\0')));
}

}  // namespace

Win32MediaPort::Win32MediaPort(const wchar_t* dll)
    : send_(fw::win::SystemFunction<decltype(send_)>(dll, "mciSendStringW")),
      errorString_(fw::win::SystemFunction<decltype(errorString_)>(dll, "mciGetErrorStringW")),
      deviceCount_(fw::win::SystemFunction<decltype(deviceCount_)>(dll, "waveOutGetNumDevs")),
      playSound_(fw::win::SystemFunction<decltype(playSound_)>(dll, "PlaySoundW")) {}

fw::MediaResult Win32MediaPort::Send(const std::string& command, uint32_t replyCapacity) {
    const std::wstring wide = fw::win::Widen(command);
    fw::MediaResult result;
    if (!send_) {
        result.code = MCIERR_CANNOT_LOAD_DRIVER;
        return result;
    }
    if (replyCapacity == 0) {
        result.code = static_cast<int32_t>(send_(wide.c_str(), nullptr, 0, nullptr));
        return result;
    }
    std::vector<wchar_t> buffer(replyCapacity, L'\0');
    result.code = static_cast<int32_t>(send_(wide.c_str(), buffer.data(), replyCapacity, nullptr));
    result.reply = ReplyText(buffer);
    return result;
}

std::optional<std::string> Win32MediaPort::ErrorText(int32_t code, uint32_t capacity) {
    std::vector<wchar_t> buffer(capacity > 0 ? capacity : 1, L'\0');
    if (!errorString_ || !errorString_(static_cast<MCIERROR>(code), buffer.data(), capacity)) return std::nullopt;
    return ReplyText(buffer);
}

int32_t Win32MediaPort::WaveOutDeviceCount() { return deviceCount_ ? static_cast<int32_t>(deviceCount_()) : 0; }

void Win32MediaPort::PlaySoundFile(const std::optional<std::string>& path, uint32_t flags) {
    if (!playSound_) return;
    const std::wstring wide = path ? fw::win::Widen(*path) : std::wstring();
    playSound_(path ? wide.c_str() : nullptr, nullptr, flags);
}

}  // namespace music
