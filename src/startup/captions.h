// The captions of the program's three windows. The single-instance guard looks for the
// saver's and the dialog's by these texts, and so do the end-to-end tests and the
// benchmarks (tests/fluttera_test/captions.py reads them from this file): each is written here only.
#pragma once

namespace startup {

inline constexpr const char* kSaverCaption = "Vellora_Main";
inline constexpr const char* kDialogCaption = "Flutteraの設定";
inline constexpr const char* kPreviewCaption = "Preview Window";

}  // namespace startup
