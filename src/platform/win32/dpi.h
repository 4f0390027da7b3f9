#pragma once
// Dots per inch of monitors and windows. The process is per-monitor aware
// (its manifest), but the program also runs where the calls for that are
// missing (Windows 7: system DPI only; 8.1: no dialog or frame scaling), so
// each newer call is looked up at run time here, with the system DPI where a
// call is missing.

#include <windows.h>

namespace rc::win32::dpi {

// The DPI everything is drawn at on a system that knows no other: the screen's.
int OfSystem();
// A monitor's own (effective) DPI.
int OfMonitor(HMONITOR monitor);
// The DPI a top-level window is drawn at now: its monitor's.
int OfWindow(HWND window);
// The primary monitor's DPI.
int OfPrimary();

// The outer rectangle of a window of that style whose client area is `rect`,
// with the frame and caption as they are drawn at `dpi`.
void AdjustWindowRect(RECT& rect, DWORD style, DWORD ex_style, int dpi);

// The dialog manager's own rescaling of a dialog on a DPI change switched off:
// the dialog places its controls itself, at its monitor's DPI.
void KeepDialogLayout(HWND dialog);

}  // namespace rc::win32::dpi
