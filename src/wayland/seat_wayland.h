// One seat's keyboard, pointer and touch screen, reported as the input events the saver's
// rules judge (output_rules.h). The pointer's cursor is hidden over the saver's surfaces.
#pragma once

#include <wayland-client.h>

#include <cstdint>
#include <functional>

#include "wayland/output_rules.h"

namespace wayland {

class Seat {
public:
    Seat(wl_seat* seat, uint32_t registryName, std::function<void(InputEvent)> onInput);
    ~Seat();
    Seat(const Seat&) = delete;
    Seat& operator=(const Seat&) = delete;

    uint32_t registryName() const { return registryName_; }

private:
    static void OnCapabilities(void* data, wl_seat*, uint32_t caps);
    static void OnName(void*, wl_seat*, const char*) {}
    void Report(InputEvent e) { onInput_(e); }

    static void OnKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t);
    static void OnKeyEnter(void* data, wl_keyboard*, uint32_t, wl_surface*, wl_array*);
    static void OnKeyLeave(void*, wl_keyboard*, uint32_t, wl_surface*) {}
    static void OnKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state);
    static void OnModifiers(void*, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t, uint32_t) {}
    static void OnRepeatInfo(void*, wl_keyboard*, int32_t, int32_t) {}

    static void OnPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t);
    static void OnPointerLeave(void*, wl_pointer*, uint32_t, wl_surface*) {}
    static void OnMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t);
    static void OnButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state);
    static void OnAxis(void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t);

    static void OnTouchDown(void* data, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t);

    static const wl_seat_listener kSeatListener;
    static const wl_keyboard_listener kKeyboardListener;
    static const wl_pointer_listener kPointerListener;
    static const wl_touch_listener kTouchListener;

    wl_seat* seat_;
    uint32_t registryName_;
    std::function<void(InputEvent)> onInput_;
    wl_keyboard* keyboard_ = nullptr;
    wl_pointer* pointer_ = nullptr;
    wl_touch* touch_ = nullptr;
    bool described_ = false;     // the first capabilities arrived (what the seat had at the start)
    bool newKeyboard_ = false;   // its keyboard came after the start
};

}  // namespace wayland
