// A stand-in for the mpr.dll of the NT family, for one end-to-end test: it has no
// PwdChangePasswordA, so "/A" takes the no-folder notice route. Its one export only shows
// that the file is this stand-in.
#include <windows.h>

extern "C" __declspec(dllexport) DWORD WINAPI GlimmerMprStandIn() { return 1; }
