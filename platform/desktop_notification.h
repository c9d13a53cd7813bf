#pragma once

// A notification on the desktop through the freedesktop notification service on the session
// bus (org.freedesktop.Notifications), without a toolkit: for programs with no window, such
// as one started by a timer. The bus is the one DBUS_SESSION_BUS_ADDRESS names, else the
// user's $XDG_RUNTIME_DIR/bus; none is ever started.
#include <string>

struct DesktopNotification {
    std::string appName;
    std::string iconName;
    std::string summary;
    std::string body;
    bool urgent = false;
};

// Whether the service took the notification. False, with why in problem, when there is no
// session bus, no notification service on it, or it did not answer within a few seconds.
bool ShowDesktopNotification(const DesktopNotification& notification, std::string& problem);
