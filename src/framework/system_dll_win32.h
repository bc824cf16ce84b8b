// DLLs from the system folder only. A saver is often opened from Downloads, beside whatever
// else was downloaded there; a file of a system DLL's name lying beside it, or in the folder
// it was started from, must never run inside it. So the program imports only DLLs that
// Windows always takes from the system (its KnownDLLs), and what it needs of any other DLL
// it looks up here.
#pragma once

#include <windows.h>

namespace fw::win {

// Limits every later DLL load of the process to the system folder and drops the current
// folder from the search. The first thing the program does.
void RestrictDllSearch();

// The system DLL of that name (no path), loaded from the system folder alone; null when it
// cannot be had there. It stays loaded for the rest of the process.
HMODULE SystemDll(const wchar_t* name);

// A function of a system DLL, or null when the DLL or the function cannot be had; a caller
// then behaves as when the call fails.
template <typename Fn>
Fn SystemFunction(const wchar_t* dll, const char* name) {
    HMODULE module = SystemDll(dll);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace fw::win
