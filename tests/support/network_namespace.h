#pragma once

// Moves the calling thread into a private network namespace with only the loopback device,
// up: servers on fixed ports (FTP on 21) then neither clash with the machine's nor reach
// anything outside. It needs root, or unprivileged user namespaces in a single-threaded
// process; it returns false (with the reason) when neither is possible, and the test should
// then skip. Only the calling thread moves, with every process and thread it starts
// afterwards: call it on the thread that then starts the servers and the code under test,
// and do not mix with servers started before.
//
//   std::string why;
//   if (!enterPrivateNetworkNamespace(&why)) GTEST_SKIP() << why;
//   FtpServer ftp(root.path(), {.port = 21});
#include <string>

namespace testsupport {

bool enterPrivateNetworkNamespace(std::string* why = nullptr);

// Inside that namespace only: gives its loopback device one more IPv4 address (e.g.
// "10.200.0.1"), which is no loopback address, as a server elsewhere would have; what the
// program treats differently for loopback (no proxy) then applies as it would out there.
bool addNamespaceAddress(const std::string& address, std::string* why = nullptr);

}  // namespace testsupport
