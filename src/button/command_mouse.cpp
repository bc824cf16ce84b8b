// The Command button under the mouse and the keyboard focus. FaceState says whether the
// pointer is over the button and whether it has the focus; the pressed look is drawn
// but is not a state. Every handler does nothing while the button is disabled, and each
// handler's tests run in order, later ones seeing the state the earlier ones left.
#include "button/command.h"

namespace button {

void Command::OnMouseMove(int16_t /*button*/, int16_t /*shift*/) {
    if (!fields_.enabled) return;
    if (fields_.faceState == kStateNormal) {
        fields_.faceState = kStateHighLight;
        DrawFace(FacePicture::HighLight);
    }
    // A press dragged off and brought back keeps the focused look until released.
    if (fields_.faceState == kStateSelected && !fields_.mouseHeld) {
        fields_.faceState = kStateHighLightSelect;
        DrawFace(FacePicture::HighLightSelect);
    }
}

void Command::OnMouseDown(int16_t button, int16_t /*shift*/) {
    if (!fields_.enabled) return;
    if (button == kLeftButton) {
        fields_.mouseHeld = true;
        DrawFace(FacePicture::Pressed);
    }
}

void Command::OnMouseUp(int16_t button, int16_t /*shift*/) {
    if (!fields_.enabled) return;
    if (button == kLeftButton) {
        fields_.mouseHeld = false;
        if (fields_.faceState == kStateHighLight) DrawFace(FacePicture::Normal);
        if (fields_.faceState == kStateHighLightSelect) DrawFace(FacePicture::HighLightSelect);
    }
    // Selected means the press was dragged off the button and the watch has seen it go.
    // Raising Click is the last thing done: the host may destroy the button in it.
    if (fields_.faceState != kStateSelected) site_.RaiseClick();
}

void Command::OnFocusGained() {
    if (!fields_.enabled) return;
    if (fields_.faceState != kStateHighLight) {
        fields_.faceState = kStateSelected;
        DrawFace(FacePicture::Selected);
    }
    if (fields_.faceState == kStateHighLight) {
        fields_.faceState = kStateHighLightSelect;
        DrawFace(FacePicture::Pressed);
    }
}

void Command::OnFocusLost() {
    if (!fields_.enabled) return;
    if (fields_.faceState != kStateNormal) {
        fields_.faceState = kStateNormal;
        DrawFace(FacePicture::Normal);
    }
}

void Command::PointerLeft() {
    if (!fields_.enabled) return;
    if (fields_.faceState == kStateHighLight) {
        fields_.faceState = kStateNormal;
        DrawFace(FacePicture::Normal);
    }
    if (fields_.faceState == kStateHighLightSelect) {
        fields_.faceState = kStateSelected;
        DrawFace(FacePicture::Selected);
    }
}

bool PointerIsAway(std::optional<fw::WindowId> underPointer, fw::WindowId own, std::optional<fw::WindowId> host) {
    // Without a position there is no window under the pointer, so it is not over the button.
    if (!underPointer) return true;
    if (host && *underPointer == *host) return true;
    return *underPointer != own;
}

void Command::OnPointerWatchTick(std::optional<fw::WindowId> underPointer, fw::WindowId own,
                                 std::optional<fw::WindowId> host) {
    if (!watch_.enabled) return;  // the watch starts with Initialize
    if (PointerIsAway(underPointer, own, host)) PointerLeft();
}

}  // namespace button
