#pragma once

// Running a piece of work on the user-interface thread from any thread.
#include <functional>

// Runs work on the thread of the widget application and returns when it is done: at once on
// that thread, otherwise through its event loop while the caller waits. Returns false, with
// nothing run, when the process has no widget application.
bool RunOnUiThread(const std::function<void()>& work);
