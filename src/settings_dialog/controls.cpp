#include "settings_dialog/controls.h"

#include <algorithm>

namespace dialog {

namespace {
bool Contains(const ControlSpec& c, int x, int y, uint32_t dpi) {
    const fw::LayoutRect r = ScaledRect(c, dpi);
    return x >= r.left && x < r.left + r.width && y >= r.top && y < r.top + r.height;
}
}  // namespace

bool TakesFocus(const ControlSpec& c) {
    if (c.tabIndex == kNoTab || (c.flags & kHidden)) return false;
    switch (c.kind) {
    case ControlKind::PictureBox:
    case ControlKind::Button:
    case ControlKind::ScrollBar:
    case ControlKind::ComboBox:
        return true;
    default:
        return false;
    }
}

std::vector<const ControlSpec*> TabStops() {
    std::vector<const ControlSpec*> stops;
    for (const ControlSpec& c : Controls())
        if (TakesFocus(c)) stops.push_back(&c);
    std::stable_sort(stops.begin(), stops.end(),
                     [](const ControlSpec* a, const ControlSpec* b) { return a->tabIndex < b->tabIndex; });
    return stops;
}

const ControlSpec* NextTabStop(const ControlSpec* from, bool forward,
                               const std::function<bool(const ControlSpec&)>& available) {
    const std::vector<const ControlSpec*> stops = TabStops();
    const int n = static_cast<int>(stops.size());
    if (n == 0) return nullptr;
    int at = -1;
    for (int i = 0; i < n; ++i)
        if (stops[i] == from) at = i;
    // Outside the stops, forward starts before the first and back after the last.
    if (at < 0) at = forward ? n - 1 : 0;
    for (int step = 1; step <= n; ++step) {
        const int i = ((at + (forward ? step : -step)) % n + n) % n;
        if (available(*stops[i])) return stops[i];
    }
    return nullptr;
}

bool IsWindowless(const ControlSpec& c) {
    return c.kind == ControlKind::Label || c.kind == ControlKind::Shape || c.kind == ControlKind::Image;
}

const ControlSpec* ClickableAt(ControlId parent, int x, int y, uint32_t dpi) {
    for (const ControlSpec& c : Controls())
        if (IsWindowless(c) && (c.flags & kClickable) && c.parentId == parent && Contains(c, x, y, dpi)) return &c;
    return nullptr;
}

bool HandCursorAt(ControlId parent, int x, int y, uint32_t dpi) {
    for (const ControlSpec& c : Controls())
        if (IsWindowless(c) && (c.flags & kHandCursor) && c.parentId == parent && Contains(c, x, y, dpi)) return true;
    return false;
}

const ControlSpec* ClickableAt(const char* parentName, int x, int y, uint32_t dpi) {
    const auto parent = ParentNamed(parentName);
    return parent ? ClickableAt(*parent, x, y, dpi) : nullptr;
}

bool HandCursorAt(const char* parentName, int x, int y, uint32_t dpi) {
    const auto parent = ParentNamed(parentName);
    return parent && HandCursorAt(*parent, x, y, dpi);
}

TextColour LabelTextColour(const ControlSpec& c) {
    if (c.flags & kBlackText) return TextColour::Black;
    if (c.flags & kWhiteText) return TextColour::White;
    if (c.flags & kWindowText) return TextColour::WindowText;
    return TextColour::ButtonText;
}

}  // namespace dialog
