#include "framework/file_exception.h"

#include <cerrno>
#include <cstring>

bool CFileException::GetErrorMessage(char* text, UINT maxChars, UINT* helpContext) const {
    if (helpContext != nullptr) {
        *helpContext = 0;
    }
    if (text == nullptr || maxChars == 0) {
        return false;
    }
    std::string message;
    if (m_lOsError > 0) {
        message = std::strerror(static_cast<int>(m_lOsError));
    } else {
        switch (m_cause) {
            case sharingViolation:
                message = "The file is in use by another writer";
                break;
            case endOfFile:
                message = "Unexpected end of file";
                break;
            case none:
                break;
            default:
                message = "File error";
                break;
        }
    }
    if (!message.empty() && !m_strFileName.empty()) {
        message = m_strFileName + ": " + message;
    }
    std::size_t n = std::min<std::size_t>(message.size(), maxChars - 1);
    std::memcpy(text, message.data(), n);
    text[n] = '\0';
    return !message.empty();
}

int CFileException::OsErrorToException(long osError) {
    switch (osError) {
        case 0:
            return none;
        case ENOENT:
            return fileNotFound;
        case ENOTDIR:
        case ENAMETOOLONG:
        case ELOOP:
            return badPath;
        case EMFILE:
        case ENFILE:
            return tooManyOpenFiles;
        case EACCES:
        case EPERM:
        case EROFS:
        case EISDIR:
        case ETXTBSY:
            return accessDenied;
        case EBADF:
            return invalidFile;
        case EBUSY:
            return removeCurrentDir;
        case ESPIPE:
        case EINVAL:
            return badSeek;
        case EIO:
            return hardIO;
        case EWOULDBLOCK:
            return sharingViolation;
        case ENOLCK:
        case EDEADLK:
            return lockViolation;
        case ENOSPC:
        case EDQUOT:
        case EFBIG:
            return diskFull;
        default:
            return genericException;
    }
}

void CFileException::ThrowOsError(long osError, const std::string& fileName) {
    throw new CFileException(OsErrorToException(osError), osError, fileName);
}

void CFileException::Throw(int cause, long osError, const std::string& fileName) {
    throw new CFileException(cause, osError, fileName);
}
