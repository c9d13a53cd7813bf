#pragma once

// Services of the application object that every layer uses: its name, its message box and
// its main window, which owns every box.
#include <string>

#include "platform/win_types.h"

// The executable's file name without directory and extension; derived once, at start-up.
const std::string& ApplicationName();
// Sets the name from an executable path ("/opt/x/Corvanite.EXE" gives "Corvanite").
void SetApplicationNameFromPath(const std::string& executablePath);
std::string ApplicationNameFromPath(const std::string& executablePath);

// A box captioned with ApplicationName, owned by the main window; a style that names no
// icon gets the exclamation icon.
int ApplicationMessageBox(const std::string& text, UINT style);

// The main window is only kept here, never looked at: whoever makes a window the main window
// clears it, or calls ForgetMainWindow when the window is destroyed.
void SetMainWindow(DesktopWindow* window);
void ForgetMainWindow(DesktopWindow* gone);
DesktopWindow* MainWindow();
