#pragma once

// The message boxes of the desktop: QMessageBox, shown on the user-interface thread whichever
// thread asks (the asking thread waits for the answer), modal to the whole application while
// the event loop goes on delivering posted messages.
#include "platform/message_box.h"

// Shows the box; 0 with ERROR_INVALID_HANDLE when the process has no widget application.
int ShowQtMessageBox(const MessageBoxCall& call);

// Makes ShowQtMessageBox the presenter of every box of the process.
void UseQtMessageBoxes();
