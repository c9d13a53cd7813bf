#include "tests/support/network_namespace.h"

#include <cerrno>
#include <cstring>
#include <fstream>

#include <arpa/inet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace testsupport {
namespace {

bool fail(std::string* why, const std::string& what) {
    if (why) {
        *why = what + ": " + std::strerror(errno);
    }
    return false;
}

bool writeText(const std::string& path, const std::string& text) {
    std::ofstream out(path);
    out << text;
    out.flush();
    return static_cast<bool>(out);
}

bool bringLoopbackUp(std::string* why) {
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return fail(why, "socket");
    }
    ifreq request{};
    std::strncpy(request.ifr_name, "lo", IFNAMSIZ - 1);
    bool ok = ::ioctl(fd, SIOCGIFFLAGS, &request) == 0;
    if (ok) {
        request.ifr_flags = static_cast<short>(request.ifr_flags | IFF_UP | IFF_RUNNING);
        ok = ::ioctl(fd, SIOCSIFFLAGS, &request) == 0;
    }
    ::close(fd);
    return ok || fail(why, "bringing lo up");
}

}  // namespace

bool enterPrivateNetworkNamespace(std::string* why) {
    if (::unshare(CLONE_NEWNET) != 0) {
        // Without root: a user namespace in which this user is root, then the network one.
        const uid_t uid = ::getuid();
        const gid_t gid = ::getgid();
        if (::unshare(CLONE_NEWUSER | CLONE_NEWNET) != 0) {
            return fail(why, "unshare of the network namespace");
        }
        writeText("/proc/self/setgroups", "deny");
        if (!writeText("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1\n") ||
            !writeText("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1\n")) {
            return fail(why, "user namespace mapping");
        }
    }
    return bringLoopbackUp(why);
}

bool addNamespaceAddress(const std::string& address, std::string* why) {
    static int aliases = 0;
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        return fail(why, "socket");
    }
    // Each address an alias of lo of its own, with a host mask: it names this one address.
    ifreq request{};
    const std::string alias = "lo:" + std::to_string(++aliases);
    std::strncpy(request.ifr_name, alias.c_str(), IFNAMSIZ - 1);
    auto* in = reinterpret_cast<sockaddr_in*>(&request.ifr_addr);
    in->sin_family = AF_INET;
    bool ok = ::inet_pton(AF_INET, address.c_str(), &in->sin_addr) == 1 &&
              ::ioctl(fd, SIOCSIFADDR, &request) == 0;
    if (ok) {
        in->sin_addr.s_addr = INADDR_BROADCAST;
        ok = ::ioctl(fd, SIOCSIFNETMASK, &request) == 0;
    }
    ::close(fd);
    return ok || fail(why, "adding " + address);
}

}  // namespace testsupport
