#pragma once

// The platform's message box. Callable from any thread. What shows the box is installed by
// the program: the desktop's boxes (platform/desktop/qt_message_box.h) in the dialog, lines
// on standard error in the command line. Without one, no box is shown and MessageBoxA
// returns 0 with the last error ERROR_INVALID_HANDLE.
#include <functional>
#include <string>

#include "platform/win_types.h"

// The boxes the program shows: OK, or Yes and No (Yes the default), with the stop or the
// exclamation icon or none.
constexpr UINT MB_OK = 0x00000000;
constexpr UINT MB_YESNO = 0x00000004;
constexpr UINT MB_TYPEMASK = 0x0000000F;
constexpr UINT MB_ICONHAND = 0x00000010;
constexpr UINT MB_ICONSTOP = MB_ICONHAND;
constexpr UINT MB_ICONEXCLAMATION = 0x00000030;
constexpr UINT MB_ICONMASK = 0x000000F0;

constexpr int IDOK = 1;
constexpr int IDYES = 6;
constexpr int IDNO = 7;

// Shows a box owned by owner (none when null) and returns the button pressed. The owner is
// only passed on; this layer never looks at it.
int MessageBoxA(DesktopWindow* owner, const std::string& text, const std::string& caption,
                UINT style);

// What a box was asked to show; handed to the answerer that tests install.
struct MessageBoxCall {
    DesktopWindow* owner;
    std::string text;
    std::string caption;
    UINT style;
};

// What shows the boxes of the process; called on the thread that asked for the box, it
// returns the button pressed (0 when no box could be shown).
void SetMessageBoxPresenter(std::function<int(const MessageBoxCall&)> presenter);

// Tests install an answerer so that no box is ever really shown: it takes the place of the
// presenter while installed. An empty function gives the presenter back its place.
void SetMessageBoxAnswerer(std::function<int(const MessageBoxCall&)> answerer);
