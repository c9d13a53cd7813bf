#pragma once

// Whether the program can hope for a display before the toolkit is asked for one: without
// one the toolkit ends the process with an abort of its own.
#include <string>

// True when the environment chooses the toolkit's platform itself (QT_QPA_PLATFORM) or names
// an X11 (DISPLAY) or Wayland (WAYLAND_DISPLAY) display.
bool DisplayNamed();

// The one line that says there is none, and what to use instead.
std::string NoDisplayLine(const std::string& programName);
