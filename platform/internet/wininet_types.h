#pragma once

// The types, constants and error numbers of the Internet client calls, with the platform's
// names.
#include <cstdint>

#include "platform/last_error.h"
#include "platform/win_types.h"

using HINTERNET = void*;
using INTERNET_PORT = std::uint16_t;
using INTERNET_SCHEME = int;

// Access types of InternetOpenA.
constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0;
constexpr DWORD INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_OPEN_TYPE_PROXY = 3;

// Request flags.
constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000;
constexpr DWORD INTERNET_FLAG_ASYNC = 0x10000000;
constexpr DWORD INTERNET_FLAG_PASSIVE = 0x08000000;
constexpr DWORD INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000;
constexpr DWORD INTERNET_FLAG_TRANSFER_ASCII = 0x00000001;
constexpr DWORD INTERNET_FLAG_TRANSFER_BINARY = 0x00000002;
constexpr DWORD FTP_TRANSFER_TYPE_ASCII = 0x00000001;
constexpr DWORD FTP_TRANSFER_TYPE_BINARY = 0x00000002;

constexpr DWORD INTERNET_SERVICE_FTP = 1;
constexpr DWORD INTERNET_SERVICE_GOPHER = 2;
constexpr DWORD INTERNET_SERVICE_HTTP = 3;
constexpr INTERNET_PORT INTERNET_DEFAULT_FTP_PORT = 21;
constexpr INTERNET_PORT INTERNET_DEFAULT_HTTP_PORT = 80;
constexpr INTERNET_PORT INTERNET_INVALID_PORT_NUMBER = 0;

constexpr DWORD GENERIC_READ = 0x80000000;
constexpr DWORD GENERIC_WRITE = 0x40000000;

// Canonicalisation flags.
constexpr DWORD ICU_NO_ENCODE = 0x20000000;
constexpr DWORD ICU_DECODE = 0x10000000;
constexpr DWORD ICU_NO_META = 0x08000000;
constexpr DWORD ICU_ENCODE_SPACES_ONLY = 0x04000000;
constexpr DWORD ICU_BROWSER_MODE = 0x02000000;
constexpr DWORD ICU_ENCODE_PERCENT = 0x00001000;
// Splitting flags.
constexpr DWORD ICU_ESCAPE = 0x80000000;
constexpr DWORD ICU_USERNAME = 0x40000000;

constexpr DWORD INTERNET_MAX_URL_LENGTH = 2084;

// Scheme numbers reported by InternetCrackUrlA.
constexpr INTERNET_SCHEME INTERNET_SCHEME_PARTIAL = -2;
constexpr INTERNET_SCHEME INTERNET_SCHEME_UNKNOWN = -1;
constexpr INTERNET_SCHEME INTERNET_SCHEME_DEFAULT = 0;
constexpr INTERNET_SCHEME INTERNET_SCHEME_FTP = 1;
constexpr INTERNET_SCHEME INTERNET_SCHEME_GOPHER = 2;
constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTP = 3;
constexpr INTERNET_SCHEME INTERNET_SCHEME_HTTPS = 4;
constexpr INTERNET_SCHEME INTERNET_SCHEME_FILE = 5;
constexpr INTERNET_SCHEME INTERNET_SCHEME_NEWS = 6;
constexpr INTERNET_SCHEME INTERNET_SCHEME_MAILTO = 7;
constexpr INTERNET_SCHEME INTERNET_SCHEME_SOCKS = 8;
constexpr INTERNET_SCHEME INTERNET_SCHEME_JAVASCRIPT = 9;
constexpr INTERNET_SCHEME INTERNET_SCHEME_VBSCRIPT = 10;
constexpr INTERNET_SCHEME INTERNET_SCHEME_RES = 11;

struct URL_COMPONENTSA {
    DWORD dwStructSize;
    char* lpszScheme;
    DWORD dwSchemeLength;
    INTERNET_SCHEME nScheme;
    char* lpszHostName;
    DWORD dwHostNameLength;
    INTERNET_PORT nPort;
    char* lpszUserName;
    DWORD dwUserNameLength;
    char* lpszPassword;
    DWORD dwPasswordLength;
    char* lpszUrlPath;
    DWORD dwUrlPathLength;
    char* lpszExtraInfo;
    DWORD dwExtraInfoLength;
};

// Options. The two time-outs are DWORD milliseconds (0 or 0xFFFFFFFF: none); set on a
// session they hold for what is opened through it afterwards. Given a null handle,
// InternetSetOptionA and InternetQueryOptionA set and give the process-wide defaults that new
// sessions start from (60 s to connect, 30 s without data), e.g. for tests that shorten them.
// The receive time-out is kept to the millisecond once the server has begun to answer; before
// that it counts in whole seconds, rounded up.
constexpr DWORD INTERNET_OPTION_CONNECT_TIMEOUT = 2;
constexpr DWORD INTERNET_OPTION_RECEIVE_TIMEOUT = 6;
constexpr DWORD INTERNET_OPTION_HANDLE_TYPE = 9;
// On a request handle: the URL its data comes from, after the redirects followed,
// NUL-terminated; the length given back leaves out the NUL.
constexpr DWORD INTERNET_OPTION_URL = 34;
// Options of this stand-in's own, numbered far above the platform's. All are queried only.
// The server's address as connected, on a request handle (an HTTP request or an FTP file):
// "192.0.2.7:80", "[2001:db8::7]:21", NUL-terminated; the length given back leaves out the NUL.
// ERROR_INTERNET_INCORRECT_HANDLE_STATE until the file's transfer has connected.
constexpr DWORD INTERNET_OPTION_PEER_ADDRESS = 0x43560001;
// With a null handle: the transfer library's own text for the calling thread's last failed
// transfer ("Could not resolve host: nosuch.invalid"), NUL-terminated; empty when the last
// transfer did not fail. Each new transfer clears it.
constexpr DWORD INTERNET_OPTION_TRANSFER_ERROR_TEXT = 0x43560002;
// On a request handle: where the time of its connection went, as the transfer library timed
// it (INTERNET_CONNECTION_TIMINGS). ERROR_INTERNET_INCORRECT_HANDLE_STATE once it is closed.
constexpr DWORD INTERNET_OPTION_CONNECTION_TIMINGS = 0x43560007;

// Microseconds from the start of the request to the end of each step; -1 for a step not
// reached. tlsDone is 0 for a connection without TLS.
struct INTERNET_CONNECTION_TIMINGS {
    std::int64_t nameLookupDone = -1;
    std::int64_t connectDone = -1;
    std::int64_t tlsDone = -1;
    std::int64_t firstByte = -1;
};
// With a null handle, of the same transfer: the system's reason its connection failed (an
// errno value, DWORD, 0 for none); the proxy it went through ("host:port", NUL-terminated,
// empty when it went direct); the proxy's HTTP status refusing it a tunnel (DWORD, 0 for none).
constexpr DWORD INTERNET_OPTION_TRANSFER_SYSTEM_ERROR = 0x43560004;
constexpr DWORD INTERNET_OPTION_TRANSFER_PROXY = 0x43560005;
constexpr DWORD INTERNET_OPTION_TRANSFER_PROXY_STATUS = 0x43560006;
// On a request handle whose transfer has connected: a new descriptor (an int, close-on-exec)
// of the socket its data arrives on, for reading the connection's state from the kernel
// (TCP_INFO) on any thread while the transfer runs. The caller closes it; the connection lives
// on until both are closed. ERROR_INTERNET_INCORRECT_HANDLE_STATE before it has connected.
constexpr DWORD INTERNET_OPTION_DATA_SOCKET = 0x43560003;

// Handle types reported for INTERNET_OPTION_HANDLE_TYPE.
constexpr DWORD INTERNET_HANDLE_TYPE_INTERNET = 1;
constexpr DWORD INTERNET_HANDLE_TYPE_CONNECT_FTP = 2;
constexpr DWORD INTERNET_HANDLE_TYPE_CONNECT_GOPHER = 3;
constexpr DWORD INTERNET_HANDLE_TYPE_CONNECT_HTTP = 4;
constexpr DWORD INTERNET_HANDLE_TYPE_FTP_FIND = 5;
constexpr DWORD INTERNET_HANDLE_TYPE_FTP_FIND_HTML = 6;
constexpr DWORD INTERNET_HANDLE_TYPE_FTP_FILE = 7;
constexpr DWORD INTERNET_HANDLE_TYPE_FTP_FILE_HTML = 8;
constexpr DWORD INTERNET_HANDLE_TYPE_GOPHER_FIND = 9;
constexpr DWORD INTERNET_HANDLE_TYPE_GOPHER_FIND_HTML = 10;
constexpr DWORD INTERNET_HANDLE_TYPE_GOPHER_FILE = 11;
constexpr DWORD INTERNET_HANDLE_TYPE_GOPHER_FILE_HTML = 12;
constexpr DWORD INTERNET_HANDLE_TYPE_HTTP_REQUEST = 13;
constexpr DWORD INTERNET_HANDLE_TYPE_FILE_REQUEST = 14;

// HttpQueryInfoA levels and modifiers.
constexpr DWORD HTTP_QUERY_CONTENT_TYPE = 1;
constexpr DWORD HTTP_QUERY_CONTENT_LENGTH = 5;
constexpr DWORD HTTP_QUERY_DATE = 9;
constexpr DWORD HTTP_QUERY_LAST_MODIFIED = 11;
constexpr DWORD HTTP_QUERY_VERSION = 18;
constexpr DWORD HTTP_QUERY_STATUS_CODE = 19;
constexpr DWORD HTTP_QUERY_STATUS_TEXT = 20;
constexpr DWORD HTTP_QUERY_RAW_HEADERS_CRLF = 22;
constexpr DWORD HTTP_QUERY_LOCATION = 33;
constexpr DWORD HTTP_QUERY_SERVER = 37;
constexpr DWORD HTTP_QUERY_FLAG_NUMBER = 0x20000000;
// A 64-bit number in an 8-byte buffer: the form that carries lengths past 4 GiB.
constexpr DWORD HTTP_QUERY_FLAG_NUMBER64 = 0x08000000;
constexpr DWORD HTTP_QUERY_MODIFIER_FLAGS_MASK = 0xF8000000;
constexpr DWORD HTTP_QUERY_HEADER_MASK = 0x0000FFFF;

// A number that does not fit the 32 bits asked for (a Content-Length past 4 GiB).
constexpr DWORD ERROR_ARITHMETIC_OVERFLOW = 534;
constexpr DWORD ERROR_NOT_SUPPORTED = 50;

// Internet error numbers.
constexpr DWORD INTERNET_ERROR_BASE = 12000;
constexpr DWORD ERROR_INTERNET_OUT_OF_HANDLES = 12001;
constexpr DWORD ERROR_INTERNET_TIMEOUT = 12002;
constexpr DWORD ERROR_INTERNET_EXTENDED_ERROR = 12003;
constexpr DWORD ERROR_INTERNET_INTERNAL_ERROR = 12004;
constexpr DWORD ERROR_INTERNET_INVALID_URL = 12005;
constexpr DWORD ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
constexpr DWORD ERROR_INTERNET_PROTOCOL_NOT_FOUND = 12008;
constexpr DWORD ERROR_INTERNET_INVALID_OPTION = 12009;
constexpr DWORD ERROR_INTERNET_INVALID_OPERATION = 12016;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_TYPE = 12018;
constexpr DWORD ERROR_INTERNET_OPERATION_CANCELLED = 12017;
constexpr DWORD ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
constexpr DWORD ERROR_INTERNET_LOGIN_FAILURE = 12015;
constexpr DWORD ERROR_INTERNET_CANNOT_CONNECT = 12029;
constexpr DWORD ERROR_INTERNET_CONNECTION_ABORTED = 12030;
constexpr DWORD ERROR_INTERNET_CONNECTION_RESET = 12031;
constexpr DWORD ERROR_INTERNET_SEC_CERT_CN_INVALID = 12038;
constexpr DWORD ERROR_INTERNET_INVALID_CA = 12045;
constexpr DWORD ERROR_HTTP_HEADER_NOT_FOUND = 12150;
constexpr DWORD ERROR_HTTP_INVALID_HEADER = 12153;
constexpr DWORD ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
constexpr DWORD ERROR_HTTP_REDIRECT_FAILED = 12156;
constexpr DWORD ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;
constexpr DWORD ERROR_FTP_TRANSFER_IN_PROGRESS = 12110;
constexpr DWORD ERROR_FTP_DROPPED = 12111;

// Status callbacks. The callback is kept per handle and handed back when replaced; no
// notifications are sent, since every call completes before it returns.
using INTERNET_STATUS_CALLBACK = void (*)(HINTERNET handle, DWORD_PTR context, DWORD status,
                                          void* statusInformation, DWORD statusInformationLength);
inline const INTERNET_STATUS_CALLBACK INTERNET_INVALID_STATUS_CALLBACK =
    reinterpret_cast<INTERNET_STATUS_CALLBACK>(static_cast<std::intptr_t>(-1));
