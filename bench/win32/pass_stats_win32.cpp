#include "pass_stats_win32.h"

#include "saver/display_power_win32.h"
#include "saver/present_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "framework/window_win32.h"

namespace bench {

namespace {

// The system time with the best resolution the system has (the precise form from Windows 8).
uint64_t PreciseNow() {
    using Fn = void(WINAPI*)(FILETIME*);
    static const Fn precise =
        reinterpret_cast<Fn>(reinterpret_cast<void*>(
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "GetSystemTimePreciseAsFileTime")));
    FILETIME t;
    if (precise) precise(&t);
    else GetSystemTimeAsFileTime(&t);
    return (uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime;
}

double MsSinceProcessStart() {
    FILETIME created, exited, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user)) return -1;
    const uint64_t start = (uint64_t{created.dwHighDateTime} << 32) | created.dwLowDateTime;
    return static_cast<double>(PreciseNow() - start) / 10000.0;
}

// Tells the saver window the console's display went off, as the system would (Wine never
// does): the same message, through the window's own procedure.
void SendDisplayOff() {
    union {
        POWERBROADCAST_SETTING setting;
        unsigned char bytes[sizeof(POWERBROADCAST_SETTING) + sizeof(DWORD)];
    } message{};
    message.setting.PowerSetting = saver::kConsoleDisplayState;
    message.setting.DataLength = sizeof(DWORD);  // the state, 0: off
    SendMessageW(FindWindowW(L"FlutteraSaver", nullptr), WM_POWERBROADCAST, PBT_POWERSETTINGCHANGE,
                 reinterpret_cast<LPARAM>(&message.setting));
}

}  // namespace

void PassStats::Mark(const char* name) {
    if (markCount_ < 8) marks_[markCount_++] = Point{name, MsSinceProcessStart()};
}

bool PassStats::Starting(petals::Compositor& compositor) {
    Mark("loop");
    compositor_ = &compositor;
    const char* mode = std::getenv("FLUTTERA_PRESENT");
    if (mode && std::strcmp(mode, "region") == 0) {
        regionMode_ = true;
        mode_ = "region";
    } else if (mode && std::strcmp(mode, "whole") == 0) {
        whole_ = true;
        mode_ = "whole";
    } else if (mode && std::strcmp(mode, "rects") == 0) {
        rectsMode_ = true;  // every rectangle presented, sent on as one box
        mode_ = "rects";
    }
    if (const char* cost = std::getenv("FLUTTERA_GROUP_COST")) groupCost_ = std::atoll(cost);
    if (const char* cost = std::getenv("FLUTTERA_RECT_COST")) compositor.SetRectCost(std::atoll(cost));
    const char* paced = std::getenv("FLUTTERA_PACED");
    paced_ = paced && std::strcmp(paced, "1") == 0;
    if (const char* off = std::getenv("FLUTTERA_DISPLAY_OFF_AFTER")) offAfter_ = std::strtoul(off, nullptr, 10);
    firstPass_ = GetTickCount();
    return paced_;
}

bool PassStats::Present(HDC to, HDC from, const std::vector<petals::PixelRect>& rects) {
    // What Wine sends the X server: the box around each group (around all, ungrouped).
    if (regionMode_ || rectsMode_ || whole_) {
        petals::PixelRect box{};
        for (const petals::PixelRect& r : rects) box = petals::Union(box, r);
        sent_ += static_cast<double>(box.Area());
        groups_ += 1;
        if (regionMode_) region_.Present(to, from, rects);
        else saver::PresentRects(to, from, rects);
        return true;
    }
    grouped_.Group(rects, groupCost_);
    for (const petals::PixelRect& b : grouped_.boxes()) sent_ += static_cast<double>(b.Area());
    groups_ += static_cast<double>(grouped_.boxes().size());
    saver::PresentGrouped(to, from, grouped_);
    return true;
}

void PassStats::Passed(petals::Compositor& compositor, const std::vector<petals::PixelRect>& presented) {
    if (passes_++ == 0) firstPassMs_ = MsSinceProcessStart();
    rects_ += static_cast<double>(presented.size());
    for (const petals::PixelRect& r : presented) pixels_ += static_cast<double>(r.Area());
    // The old design: the whole snapshot copied and the whole buffer presented every pass.
    if (whole_) compositor.InvalidateAll();
    if (passes_ == offAfter_) SendDisplayOff();
}

void PassStats::Ending(std::size_t rows) {
    std::wstring path = fw::win::Widen(fw::win::ProgramFolder()) + L"\\pass_stats.txt";
    HANDLE f = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    const double n = passes_ ? static_cast<double>(passes_) : 1.0;
    char text[512];
    int len = std::snprintf(text, sizeof text,
                            "%lu %lu %d\r\n"
                            "first_pass_ms %.1f\r\n"
                            "present %s rect_cost %lld paced %d display_off_after %lu\r\n"
                            "rects_per_pass %.1f pixels_per_pass %.0f groups_per_pass %.1f sent_per_pass %.0f"
                            " group_cost %lld\r\n",
                            passes_, GetTickCount() - firstPass_, static_cast<int>(rows), firstPassMs_, mode_,
                            static_cast<long long>(compositor_ ? compositor_->rectCost() : 0), paced_ ? 1 : 0, offAfter_,
                            rects_ / n, pixels_ / n, groups_ / n, sent_ / n, static_cast<long long>(groupCost_));
    // Where the start's time went: ms since the process was created at each point.
    if (len > 0 && len < static_cast<int>(sizeof text)) len += std::snprintf(text + len, sizeof text - len, "start_ms");
    for (int i = 0; i < markCount_ && len > 0 && len < static_cast<int>(sizeof text); ++i)
        len += std::snprintf(text + len, sizeof text - len, " %s %.1f", marks_[i].name, marks_[i].ms);
    if (len > 0 && len < static_cast<int>(sizeof text) - 2) len += std::snprintf(text + len, sizeof text - len, "\r\n");
    DWORD written = 0;
    if (len > 0) WriteFile(f, text, static_cast<DWORD>(std::min<int>(len, sizeof text - 1)), &written, nullptr);
    CloseHandle(f);
}

}  // namespace bench
