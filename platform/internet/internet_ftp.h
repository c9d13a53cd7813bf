#pragma once

// FTP: a logged-in connection, its files, their sizes and the server's last reply.
#include "platform/internet/wininet_types.h"

// FTP. InternetConnectA serves INTERNET_SERVICE_FTP only; it logs in at once (anonymous when
// no user name is given; port 0 means 21) and fails when the server refuses the login, whose
// reply InternetGetLastResponseInfoA then gives. Transfers are passive. One file at a time
// may be open on a connection.
HINTERNET InternetConnectA(HINTERNET session, const char* serverName, INTERNET_PORT serverPort,
                           const char* userName, const char* password, DWORD service, DWORD flags,
                           DWORD_PTR context);
HINTERNET FtpOpenFileA(HINTERNET connection, const char* fileName, DWORD access, DWORD flags,
                       DWORD_PTR context);
// The size the server gives (SIZE); 0xFFFFFFFF with a last error other than 0 when it
// cannot tell.
DWORD FtpGetFileSize(HINTERNET file, DWORD* fileSizeHigh);

// The last reply of an FTP server to the calling thread: *error gets its three-digit code;
// the lines of a multi-line reply are joined by CR LF. Too small a buffer: false, error 122,
// *bufferLength the size needed with the terminating NUL.
BOOL InternetGetLastResponseInfoA(DWORD* error, char* buffer, DWORD* bufferLength);
