#include "platform/desktop_notification.h"

#include <cstdint>
#include <cstdlib>
#include <memory>

#include <dbus/dbus.h>
#include <sys/stat.h>

namespace {

constexpr int kReplyTimeoutMs = 3000;
// The urgency hint's values.
constexpr unsigned char kNormal = 1;
constexpr unsigned char kCritical = 2;

struct ConnectionClose {
    void operator()(DBusConnection* connection) const {
        dbus_connection_close(connection);
        dbus_connection_unref(connection);
    }
};
struct MessageUnref {
    void operator()(DBusMessage* message) const { dbus_message_unref(message); }
};
using Connection = std::unique_ptr<DBusConnection, ConnectionClose>;
using Message = std::unique_ptr<DBusMessage, MessageUnref>;

class Error {
public:
    Error() { dbus_error_init(&error_); }
    ~Error() { dbus_error_free(&error_); }
    Error(const Error&) = delete;
    Error& operator=(const Error&) = delete;
    DBusError* get() { return &error_; }
    std::string text() const {
        return dbus_error_is_set(&error_) && error_.message != nullptr ? error_.message
                                                                       : "no reason given";
    }

private:
    DBusError error_;
};

// The session bus's address, as libdbus would find it but without ever autolaunching a bus:
// a timer's service has no display to start one for.
std::string SessionBusAddress() {
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
        address != nullptr && *address != '\0') {
        return address;
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime == nullptr || *runtime == '\0') {
        return {};
    }
    const std::string socket = std::string(runtime) + "/bus";
    struct stat status {};
    if (::stat(socket.c_str(), &status) != 0 || !S_ISSOCK(status.st_mode)) {
        return {};
    }
    // The path is the user's own; no character in it needs escaping but these.
    std::string escaped;
    for (const char c : socket) {
        if (c == ',' || c == ';' || c == '=' || c == '%' || c == ' ') {
            static constexpr char kHex[] = "0123456789abcdef";
            escaped += '%';
            escaped += kHex[static_cast<unsigned char>(c) >> 4];
            escaped += kHex[static_cast<unsigned char>(c) & 0xF];
        } else {
            escaped += c;
        }
    }
    return "unix:path=" + escaped;
}

bool AppendString(DBusMessageIter& iter, const std::string& text) {
    const char* value = text.c_str();
    return dbus_message_iter_append_basic(&iter, DBUS_TYPE_STRING, &value);
}

// Notify(app_name s, replaces_id u, app_icon s, summary s, body s, actions as,
// hints a{sv}, expire_timeout i)
Message NotifyCall(const DesktopNotification& notification) {
    Message message(dbus_message_new_method_call("org.freedesktop.Notifications",
                                                 "/org/freedesktop/Notifications",
                                                 "org.freedesktop.Notifications", "Notify"));
    if (!message) {
        return message;
    }
    DBusMessageIter args;
    dbus_message_iter_init_append(message.get(), &args);
    const dbus_uint32_t replaces = 0;
    const dbus_int32_t expire = -1;  // the server's default
    bool ok = AppendString(args, notification.appName) &&
              dbus_message_iter_append_basic(&args, DBUS_TYPE_UINT32, &replaces) &&
              AppendString(args, notification.iconName) &&
              AppendString(args, notification.summary) && AppendString(args, notification.body);
    DBusMessageIter actions;
    ok = ok && dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "s", &actions) &&
         dbus_message_iter_close_container(&args, &actions);
    DBusMessageIter hints;
    DBusMessageIter entry;
    DBusMessageIter variant;
    const char* urgencyKey = "urgency";
    const unsigned char urgency = notification.urgent ? kCritical : kNormal;
    ok = ok && dbus_message_iter_open_container(&args, DBUS_TYPE_ARRAY, "{sv}", &hints) &&
         dbus_message_iter_open_container(&hints, DBUS_TYPE_DICT_ENTRY, nullptr, &entry) &&
         dbus_message_iter_append_basic(&entry, DBUS_TYPE_STRING, &urgencyKey) &&
         dbus_message_iter_open_container(&entry, DBUS_TYPE_VARIANT, "y", &variant) &&
         dbus_message_iter_append_basic(&variant, DBUS_TYPE_BYTE, &urgency) &&
         dbus_message_iter_close_container(&entry, &variant) &&
         dbus_message_iter_close_container(&hints, &entry) &&
         dbus_message_iter_close_container(&args, &hints) &&
         dbus_message_iter_append_basic(&args, DBUS_TYPE_INT32, &expire);
    if (!ok) {
        message.reset();
    }
    return message;
}

}  // namespace

bool ShowDesktopNotification(const DesktopNotification& notification, std::string& problem) {
    const std::string address = SessionBusAddress();
    if (address.empty()) {
        problem = "there is no session bus (DBUS_SESSION_BUS_ADDRESS is not set)";
        return false;
    }
    Error error;
    // A private connection: closed again here, whoever else in the process uses the bus.
    Connection connection(dbus_connection_open_private(address.c_str(), error.get()));
    if (!connection) {
        problem = "the session bus cannot be reached: " + error.text();
        return false;
    }
    dbus_connection_set_exit_on_disconnect(connection.get(), FALSE);
    if (!dbus_bus_register(connection.get(), error.get())) {
        problem = "the session bus refused the connection: " + error.text();
        return false;
    }
    const Message call = NotifyCall(notification);
    if (!call) {
        problem = "out of memory";
        return false;
    }
    const Message reply(dbus_connection_send_with_reply_and_block(connection.get(), call.get(),
                                                                  kReplyTimeoutMs, error.get()));
    if (!reply) {
        problem = "the notification service did not take it: " + error.text();
        return false;
    }
    return true;
}
