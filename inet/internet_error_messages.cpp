#include "inet/internet_error_messages.h"

#include "platform/internet/wininet.h"
#include "platform/last_error.h"

namespace {

struct Message {
    DWORD error;
    const char* text;
};

// Texts of the platform's message tables, for the numbers this system produces or passes on.
constexpr Message messages[] = {
    {ERROR_SUCCESS, "The operation completed successfully."},
    {ERROR_FILE_NOT_FOUND, "The system cannot find the file specified."},
    {ERROR_ACCESS_DENIED, "Access is denied."},
    {ERROR_INVALID_HANDLE, "The handle is invalid."},
    {ERROR_NOT_ENOUGH_MEMORY, "Not enough memory resources are available to process this command."},
    {ERROR_NO_MORE_FILES, "There are no more files."},
    {ERROR_INVALID_PARAMETER, "The parameter is incorrect."},
    {ERROR_INSUFFICIENT_BUFFER, "The data area passed to a system call is too small."},
    {ERROR_ALREADY_EXISTS, "Cannot create a file when that file already exists."},
    {ERROR_NOT_SUPPORTED, "The request is not supported."},
    {ERROR_ARITHMETIC_OVERFLOW, "Arithmetic result exceeded 32 bits."},
    {ERROR_INTERNET_OUT_OF_HANDLES, "No more Internet handles can be allocated"},
    {ERROR_INTERNET_TIMEOUT, "The operation timed out"},
    {ERROR_INTERNET_EXTENDED_ERROR, "The server returned extended information"},
    {ERROR_INTERNET_INTERNAL_ERROR, "An internal error occurred in the Internet extensions"},
    {ERROR_INTERNET_INVALID_URL, "The URL is invalid"},
    {ERROR_INTERNET_UNRECOGNIZED_SCHEME, "The URL does not use a recognized protocol"},
    {ERROR_INTERNET_NAME_NOT_RESOLVED, "The server name or address could not be resolved"},
    {ERROR_INTERNET_PROTOCOL_NOT_FOUND, "A protocol with the required capabilities was not found"},
    {ERROR_INTERNET_INVALID_OPTION, "The option is invalid"},
    {12010, "The length is incorrect for the option type"},
    {12011, "The option value cannot be set"},
    {12012, "Internet client support has been shut down"},
    {12013, "The user name was not allowed"},
    {12014, "The password was not allowed"},
    {ERROR_INTERNET_LOGIN_FAILURE, "The login request was denied"},
    {ERROR_INTERNET_INVALID_OPERATION, "The requested operation is invalid"},
    {ERROR_INTERNET_OPERATION_CANCELLED, "The operation has been canceled"},
    {ERROR_INTERNET_INCORRECT_HANDLE_TYPE,
     "The supplied handle is the wrong type for the requested operation"},
    {ERROR_INTERNET_INCORRECT_HANDLE_STATE,
     "The handle is in the wrong state for the requested operation"},
    {12028, "The requested item could not be located"},
    {ERROR_INTERNET_CANNOT_CONNECT, "A connection with the server could not be established"},
    {ERROR_INTERNET_CONNECTION_ABORTED, "The connection with the server was terminated abnormally"},
    {ERROR_INTERNET_CONNECTION_RESET, "The connection with the server was reset"},
    {12037, "The date in the certificate is invalid or has expired"},
    {ERROR_INTERNET_SEC_CERT_CN_INVALID,
     "The host name in the certificate is invalid or does not match"},
    {ERROR_INTERNET_INVALID_CA, "The certificate authority is invalid or incorrect"},
    {ERROR_FTP_TRANSFER_IN_PROGRESS, "There is already an FTP request in progress on this session"},
    {ERROR_FTP_DROPPED, "The FTP session was terminated"},
    {ERROR_HTTP_HEADER_NOT_FOUND, "The requested header was not found"},
    {ERROR_HTTP_INVALID_SERVER_RESPONSE, "The server returned an invalid or unrecognized response"},
    {ERROR_HTTP_INVALID_HEADER, "The supplied HTTP header is invalid"},
    {ERROR_HTTP_REDIRECT_FAILED, "The HTTP redirect request failed"},
    {ERROR_INTERNET_SECURITY_CHANNEL_ERROR, "An error occurred in the secure channel support"},
};

}  // namespace

const char* InternetErrorMessage(DWORD error) {
    for (const Message& message : messages) {
        if (message.error == error) {
            return message.text;
        }
    }
    return nullptr;
}
