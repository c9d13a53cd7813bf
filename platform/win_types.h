#pragma once

// The few integer types of the desktop platform that the rest of the code is written in.
#include <cstdint>

using DWORD = std::uint32_t;
using UINT = std::uint32_t;
using BOOL = int;
using BYTE = std::uint8_t;
using DWORD_PTR = std::uintptr_t;
// Wide enough for a 64-bit byte count: the download-started notification carries one.
using WPARAM = std::uint64_t;
using LPARAM = std::int64_t;
// A window is known by the number its registration handed out; 0 is no window.
using HWND = std::uintptr_t;
// A window of the desktop (a Qt widget), below the desktop layer: only handed on, never looked
// into; platform/desktop/desktop_window.h turns a widget into one and back.
struct DesktopWindow;

#ifndef TRUE
#define TRUE 1
#define FALSE 0
#endif
