// How the dialog's controls behave as a whole, from the control table: which take the
// focus and in what order Tab walks them, which are drawn by their parent (labels,
// shapes, images) and which of those a click or the pointer lands on, and the colour
// a label's text takes.
#pragma once

#include "settings_dialog/layout.h"

#include <functional>
#include <vector>

namespace dialog {

// A control with a window of its own that can hold the focus: a visible picture box, a
// button, the scroll bar or the track list. Labels and images take no focus.
bool TakesFocus(const ControlSpec& c);

// The controls that take the focus, by tab index.
std::vector<const ControlSpec*> TabStops();

// The stop that Tab (forward) or Shift+Tab (back) moves to from `from`, passing over
// stops that `available` rejects (a control not created, hidden or disabled) and
// wrapping at either end. From nullptr (focus outside the stops) forward gives the first
// available stop and back the last. nullptr when no stop is available.
const ControlSpec* NextTabStop(const ControlSpec* from, bool forward,
                               const std::function<bool(const ControlSpec&)>& available);

// Labels, shapes and images have no window: their parent draws them and finds them
// under the mouse.
bool IsWindowless(const ControlSpec& c);

// The clickable windowless control of `parent` at (x, y) in the parent's client
// coordinates (pixels of a screen of `dpi`, where the controls stand scaled), or nullptr.
const ControlSpec* ClickableAt(ControlId parent, int x, int y, uint32_t dpi = fw::kLayoutDpi);

// True when the pointer over (x, y) of `parent` takes the pointing hand.
bool HandCursorAt(ControlId parent, int x, int y, uint32_t dpi = fw::kLayoutDpi);

// The same, with the parent given by its designer's name (nullptr: the form).
const ControlSpec* ClickableAt(const char* parentName, int x, int y, uint32_t dpi = fw::kLayoutDpi);
bool HandCursorAt(const char* parentName, int x, int y, uint32_t dpi = fw::kLayoutDpi);

enum class TextColour { ButtonText, Black, White, WindowText };
// The colour of a label's text: the system button-text colour unless the table says.
TextColour LabelTextColour(const ControlSpec& c);

}  // namespace dialog
