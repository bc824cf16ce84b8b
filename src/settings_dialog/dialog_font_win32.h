// The dialog's font, the designer's font of the form (button::DesignFont); on
// a system without that face, the first installed proportional Japanese face of a
// fixed list. Asking the font mapper for a missing face can give a font without Latin
// letters, so the choice is made here.
#pragma once

#include "framework/fonts_win32.h"

#include <windows.h>

#include <string>

namespace dialog {

using fw::win::FontFaceInstalled;

// The face the dialog uses, found once.
const std::wstring& DialogFontFace();

// A new font of the dialog's face and size, at `dpi` (0: the system's); the caller
// deletes it.
HFONT CreateDialogFont(bool underline, uint32_t dpi = 0);

}  // namespace dialog
