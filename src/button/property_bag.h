// The per-instance store of named values that a host keeps for each Command button:
// read when the host loads the button, written when it saves the form that holds it.
// Each entry has a default; an entry equal to its default is left out on write and a
// missing entry reads as its default, so a bag holds only what differs.
#pragma once

#include "button/face_painter.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace button {

using BagValue = std::variant<bool, int32_t, double, std::string, FontSpec>;

// True when two values are the same for the bag: equal texts, equal fonts, or equal
// numbers (a Boolean counts as -1 or 0, a text that is a whole number counts as that number).
bool SameBagValue(const BagValue& a, const BagValue& b);

// Conversions from what a bag holds to the type of a property. Empty when the entry is of
// a type that cannot become the property's type, or its value does not fit.
std::optional<bool> BagBoolean(const BagValue& v);
std::optional<int64_t> BagInteger(const BagValue& v, int64_t min, int64_t max);
std::optional<std::string> BagText(const BagValue& v);
std::optional<FontSpec> BagFont(const BagValue& v);

class PropertyBag {
public:
    // Component side.
    BagValue Read(std::string_view key, const BagValue& defaultValue) const;
    void Write(std::string_view key, const BagValue& value, const BagValue& defaultValue);

    // Host side: what is stored.
    const BagValue* Find(std::string_view key) const;
    void Set(std::string_view key, BagValue value) { entries_[std::string(key)] = std::move(value); }
    void Remove(std::string_view key);
    std::size_t size() const { return entries_.size(); }

private:
    std::map<std::string, BagValue, std::less<>> entries_;
};

}  // namespace button
