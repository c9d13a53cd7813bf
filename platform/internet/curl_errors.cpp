#include "platform/internet/curl_errors.h"

#include <cstring>

#include "platform/internet/wininet.h"
#include "platform/last_error.h"

DWORD internetErrorFromCurl(CURLcode code, const char* detail, bool afterRedirect) {
    switch (code) {
        case CURLE_OK:
            return ERROR_SUCCESS;
        case CURLE_UNSUPPORTED_PROTOCOL:
            // A redirect to a scheme we do not follow is the redirect's failure.
            return afterRedirect ? ERROR_HTTP_REDIRECT_FAILED : ERROR_INTERNET_UNRECOGNIZED_SCHEME;
        case CURLE_URL_MALFORMAT:
            return ERROR_INTERNET_INVALID_URL;
        case CURLE_COULDNT_RESOLVE_PROXY:
        case CURLE_COULDNT_RESOLVE_HOST:
            return ERROR_INTERNET_NAME_NOT_RESOLVED;
        case CURLE_COULDNT_CONNECT:
        case CURLE_FTP_CANT_GET_HOST:
            return ERROR_INTERNET_CANNOT_CONNECT;
        case CURLE_OPERATION_TIMEDOUT:
        case CURLE_FTP_ACCEPT_TIMEOUT:
            return ERROR_INTERNET_TIMEOUT;
        case CURLE_LOGIN_DENIED:
            return ERROR_INTERNET_LOGIN_FAILURE;
        case CURLE_REMOTE_ACCESS_DENIED:
        case CURLE_FTP_COULDNT_RETR_FILE:
        case CURLE_REMOTE_FILE_NOT_FOUND:
        case CURLE_FTP_PORT_FAILED:
        case CURLE_FTP_COULDNT_SET_TYPE:
        case CURLE_FTP_COULDNT_USE_REST:
        case CURLE_QUOTE_ERROR:
        case CURLE_RANGE_ERROR:
        case CURLE_UPLOAD_FAILED:
        case CURLE_FTP_ACCEPT_FAILED:
            // The server refused: its reply (InternetGetLastResponseInfoA) tells why.
            return ERROR_INTERNET_EXTENDED_ERROR;
        case CURLE_PARTIAL_FILE:
        case CURLE_SEND_ERROR:
        case CURLE_RECV_ERROR:
            return ERROR_INTERNET_CONNECTION_ABORTED;
        case CURLE_TOO_MANY_REDIRECTS:
            return ERROR_HTTP_REDIRECT_FAILED;
        case CURLE_GOT_NOTHING:
        case CURLE_WEIRD_SERVER_REPLY:
        case CURLE_FTP_WEIRD_PASV_REPLY:
        case CURLE_FTP_WEIRD_227_FORMAT:
        case CURLE_HTTP2:
        case CURLE_HTTP2_STREAM:
        case CURLE_BAD_CONTENT_ENCODING:
            return ERROR_HTTP_INVALID_SERVER_RESPONSE;
        case CURLE_PEER_FAILED_VERIFICATION:
            return detail && std::strstr(detail, "subject name")
                       ? ERROR_INTERNET_SEC_CERT_CN_INVALID
                       : ERROR_INTERNET_INVALID_CA;
        case CURLE_SSL_CACERT_BADFILE:
            return ERROR_INTERNET_INVALID_CA;
        case CURLE_SSL_CONNECT_ERROR:
        case CURLE_SSL_CERTPROBLEM:
        case CURLE_SSL_CIPHER:
        case CURLE_USE_SSL_FAILED:
        case CURLE_SSL_SHUTDOWN_FAILED:
            return ERROR_INTERNET_SECURITY_CHANNEL_ERROR;
        case CURLE_OUT_OF_MEMORY:
            return ERROR_NOT_ENOUGH_MEMORY;
        case CURLE_ABORTED_BY_CALLBACK:
            return ERROR_INTERNET_OPERATION_CANCELLED;
        default:
            return ERROR_INTERNET_INTERNAL_ERROR;
    }
}
