#include "framework/codepage.h"

#include <iconv.h>

#include <cerrno>

namespace fw {
namespace {
// Converts with iconv, putting '?' in place of what cannot be converted.
std::string Convert(const char* to, const char* from, std::string_view in, size_t unitLen) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
    std::string out;
    out.resize(in.size() * 3 + 8);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            size_t used = static_cast<size_t>(dst - out.data());
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
            continue;
        }
        // Invalid or incomplete input: emit '?' and skip one unit.
        if (dstLeft == 0) {
            size_t used = static_cast<size_t>(dst - out.data());
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        }
        *dst++ = '?';
        --dstLeft;
        size_t skip = unitLen;
        if (unitLen == 0) {  // UTF-8 input: skip one whole character
            unsigned char c = static_cast<unsigned char>(*src);
            skip = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        }
        if (skip > srcLeft) skip = srcLeft;
        src += skip;
        srcLeft -= skip;
    }
    iconv_close(cd);
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
}
}  // namespace

std::string Utf8ToCp932(std::string_view utf8) { return Convert("CP932", "UTF-8", utf8, 0); }

std::string Cp932ToUtf8(std::string_view sjis) {
    // A lead byte with a bad trail is dropped alone, so the trail byte is read again.
    return Convert("UTF-8", "CP932", sjis, 1);
}

}  // namespace fw
