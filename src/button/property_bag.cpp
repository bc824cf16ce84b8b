#include "button/property_bag.h"

#include "framework/conversions.h"

#include <cmath>

namespace button {

namespace {

// The numeric value of an entry, when it has one.
std::optional<double> NumericValue(const BagValue& v) {
    if (auto b = std::get_if<bool>(&v)) return *b ? -1.0 : 0.0;
    if (auto i = std::get_if<int32_t>(&v)) return static_cast<double>(*i);
    if (auto d = std::get_if<double>(&v)) return *d;
    if (auto s = std::get_if<std::string>(&v)) return fw::ParseNumber(*s);
    return std::nullopt;
}

bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return fw::UpperAscii(a) == fw::UpperAscii(b);
}

}  // namespace

bool SameBagValue(const BagValue& a, const BagValue& b) {
    if (a.index() == b.index()) return a == b;
    if (std::holds_alternative<FontSpec>(a) || std::holds_alternative<FontSpec>(b)) return false;
    auto na = NumericValue(a);
    auto nb = NumericValue(b);
    return na && nb && *na == *nb;
}

std::optional<bool> BagBoolean(const BagValue& v) {
    if (auto s = std::get_if<std::string>(&v)) {
        if (EqualsIgnoringAsciiCase(*s, "True")) return true;
        if (EqualsIgnoringAsciiCase(*s, "False")) return false;
    }
    auto n = NumericValue(v);
    if (!n || std::isnan(*n)) return std::nullopt;
    return *n != 0.0;
}

std::optional<int64_t> BagInteger(const BagValue& v, int64_t min, int64_t max) {
    auto n = NumericValue(v);
    if (!n) return std::nullopt;
    auto r = fw::ToInt32(*n);  // every persisted number fits 32 bits
    if (!r || *r < min || *r > max) return std::nullopt;
    return *r;
}

std::optional<std::string> BagText(const BagValue& v) {
    if (auto s = std::get_if<std::string>(&v)) return *s;
    return std::nullopt;
}

std::optional<FontSpec> BagFont(const BagValue& v) {
    if (auto f = std::get_if<FontSpec>(&v)) return *f;
    return std::nullopt;
}

BagValue PropertyBag::Read(std::string_view key, const BagValue& defaultValue) const {
    const BagValue* v = Find(key);
    return v ? *v : defaultValue;
}

void PropertyBag::Write(std::string_view key, const BagValue& value, const BagValue& defaultValue) {
    if (SameBagValue(value, defaultValue)) {
        Remove(key);
    } else {
        Set(key, value);
    }
}

const BagValue* PropertyBag::Find(std::string_view key) const {
    auto it = entries_.find(key);
    return it == entries_.end() ? nullptr : &it->second;
}

void PropertyBag::Remove(std::string_view key) {
    auto it = entries_.find(key);
    if (it != entries_.end()) entries_.erase(it);
}

}  // namespace button
