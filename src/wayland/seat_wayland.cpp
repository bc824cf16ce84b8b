#include "wayland/seat_wayland.h"

#include <unistd.h>

#include <utility>

namespace wayland {
namespace {

// Pointer events that need no answer (frames of events, axis details).
void PointerFrame(void*, wl_pointer*) {}
void AxisSource(void*, wl_pointer*, uint32_t) {}
void AxisStop(void*, wl_pointer*, uint32_t, uint32_t) {}
void AxisDiscrete(void*, wl_pointer*, uint32_t, int32_t) {}
void AxisValue120(void*, wl_pointer*, uint32_t, int32_t) {}

void TouchUp(void*, wl_touch*, uint32_t, uint32_t, int32_t) {}
void TouchMotion(void*, wl_touch*, uint32_t, int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchFrame(void*, wl_touch*) {}
void TouchCancel(void*, wl_touch*) {}
void TouchShape(void*, wl_touch*, int32_t, wl_fixed_t, wl_fixed_t) {}
void TouchOrientation(void*, wl_touch*, int32_t, wl_fixed_t) {}

// Release requests came in later versions; before them the objects are only destroyed.
void Release(wl_keyboard* k) {
    if (wl_keyboard_get_version(k) >= WL_KEYBOARD_RELEASE_SINCE_VERSION) wl_keyboard_release(k);
    else wl_keyboard_destroy(k);
}
void Release(wl_pointer* p) {
    if (wl_pointer_get_version(p) >= WL_POINTER_RELEASE_SINCE_VERSION) wl_pointer_release(p);
    else wl_pointer_destroy(p);
}
void Release(wl_touch* t) {
    if (wl_touch_get_version(t) >= WL_TOUCH_RELEASE_SINCE_VERSION) wl_touch_release(t);
    else wl_touch_destroy(t);
}

}  // namespace

const wl_seat_listener Seat::kSeatListener = {&Seat::OnCapabilities, &Seat::OnName};
const wl_keyboard_listener Seat::kKeyboardListener = {&Seat::OnKeymap,    &Seat::OnKeyEnter,  &Seat::OnKeyLeave,
                                                      &Seat::OnKey,       &Seat::OnModifiers, &Seat::OnRepeatInfo};
const wl_pointer_listener Seat::kPointerListener = {&Seat::OnPointerEnter, &Seat::OnPointerLeave, &Seat::OnMotion,
                                                    &Seat::OnButton,       &Seat::OnAxis,         &PointerFrame,
                                                    &AxisSource,           &AxisStop,             &AxisDiscrete,
                                                    &AxisValue120};
const wl_touch_listener Seat::kTouchListener = {&Seat::OnTouchDown, &TouchUp,     &TouchMotion,     &TouchFrame,
                                                &TouchCancel,       &TouchShape,  &TouchOrientation};

Seat::Seat(wl_seat* seat, uint32_t registryName, std::function<void(InputEvent)> onInput)
    : seat_(seat), registryName_(registryName), onInput_(std::move(onInput)) {
    wl_seat_add_listener(seat_, &kSeatListener, this);
}

Seat::~Seat() {
    if (keyboard_) Release(keyboard_);
    if (pointer_) Release(pointer_);
    if (touch_) Release(touch_);
    if (wl_seat_get_version(seat_) >= WL_SEAT_RELEASE_SINCE_VERSION) wl_seat_release(seat_);
    else wl_seat_destroy(seat_);
}

void Seat::OnCapabilities(void* data, wl_seat*, uint32_t caps) {
    auto* self = static_cast<Seat*>(data);
    const bool keyboard = (caps & WL_SEAT_CAPABILITY_KEYBOARD) != 0;
    const bool pointer = (caps & WL_SEAT_CAPABILITY_POINTER) != 0;
    const bool touch = (caps & WL_SEAT_CAPABILITY_TOUCH) != 0;
    if (keyboard && !self->keyboard_) {
        self->newKeyboard_ = self->described_;
        self->keyboard_ = wl_seat_get_keyboard(self->seat_);
        wl_keyboard_add_listener(self->keyboard_, &kKeyboardListener, self);
    } else if (!keyboard && self->keyboard_) {
        Release(self->keyboard_);
        self->keyboard_ = nullptr;
    }
    if (pointer && !self->pointer_) {
        self->pointer_ = wl_seat_get_pointer(self->seat_);
        wl_pointer_add_listener(self->pointer_, &kPointerListener, self);
    } else if (!pointer && self->pointer_) {
        Release(self->pointer_);
        self->pointer_ = nullptr;
    }
    if (touch && !self->touch_) {
        self->touch_ = wl_seat_get_touch(self->seat_);
        wl_touch_add_listener(self->touch_, &kTouchListener, self);
    } else if (!touch && self->touch_) {
        Release(self->touch_);
        self->touch_ = nullptr;
    }
    self->described_ = true;
}

// The keys are told apart by nothing but being pressed: the keymap is not needed.
void Seat::OnKeymap(void*, wl_keyboard*, uint32_t, int32_t fd, uint32_t) { close(fd); }

void Seat::OnKeyEnter(void* data, wl_keyboard*, uint32_t, wl_surface*, wl_array* keys) {
    auto* self = static_cast<Seat*>(data);
    const bool held = keys && keys->size > 0;
    self->Report(held && self->newKeyboard_ ? InputEvent::KeysHeldOnNewKeyboard : InputEvent::KeyboardEnter);
}

void Seat::OnKey(void* data, wl_keyboard*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    static_cast<Seat*>(data)->Report(state == WL_KEYBOARD_KEY_STATE_PRESSED ? InputEvent::KeyPressed
                                                                            : InputEvent::KeyReleased);
}

void Seat::OnPointerEnter(void* data, wl_pointer* pointer, uint32_t serial, wl_surface*, wl_fixed_t, wl_fixed_t) {
    wl_pointer_set_cursor(pointer, serial, nullptr, 0, 0);  // no cursor over the petals
    static_cast<Seat*>(data)->Report(InputEvent::PointerEnter);
}

void Seat::OnMotion(void* data, wl_pointer*, uint32_t, wl_fixed_t, wl_fixed_t) {
    static_cast<Seat*>(data)->Report(InputEvent::PointerMotion);
}

void Seat::OnButton(void* data, wl_pointer*, uint32_t, uint32_t, uint32_t, uint32_t state) {
    static_cast<Seat*>(data)->Report(state == WL_POINTER_BUTTON_STATE_PRESSED ? InputEvent::ButtonPressed
                                                                              : InputEvent::ButtonReleased);
}

void Seat::OnAxis(void* data, wl_pointer*, uint32_t, uint32_t, wl_fixed_t) {
    static_cast<Seat*>(data)->Report(InputEvent::Scroll);
}

void Seat::OnTouchDown(void* data, wl_touch*, uint32_t, uint32_t, wl_surface*, int32_t, wl_fixed_t, wl_fixed_t) {
    static_cast<Seat*>(data)->Report(InputEvent::Touch);
}

}  // namespace wayland
