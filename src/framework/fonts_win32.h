// Choosing an installed face for the Japanese interface. Asking the font mapper for a
// face it lacks can give a font without Latin letters, so the fallback is chosen here,
// from proportional faces known to hold both scripts.
#pragma once

#include <windows.h>

#include <string>

namespace fw::win {

// True when a font family of exactly that name is installed.
bool FontFaceInstalled(const std::wstring& face);

// The face itself when the system has it, else the first installed of the Japanese
// fallbacks, else `requested` (the mapper then chooses). Found once per face.
std::wstring ResolveFontFace(const std::wstring& requested);

}  // namespace fw::win
