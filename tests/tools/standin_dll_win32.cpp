// A stand-in for a system DLL, for the end-to-end tests: copied beside the program under a
// system DLL's name, it must never be loaded. It does nothing, so a load shows only in
// Wine's loader trace.
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
