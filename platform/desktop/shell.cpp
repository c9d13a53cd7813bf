#include "platform/desktop/shell.h"

#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <mutex>
#include <utility>

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include "platform/desktop/ui_thread.h"

namespace {

std::mutex openerLock;
std::function<bool(const std::string&)> shellOpener;

// A link names its scheme ("mailto:", "http:"); anything else is a path.
bool IsLink(const std::string& file) {
    const std::string::size_type colon = file.find(':');
    if (colon == std::string::npos || colon < 2 ||
        !std::isalpha(static_cast<unsigned char>(file[0])))
        return false;
    for (std::string::size_type i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(file[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.')
            return false;
    }
    return true;
}

}  // namespace

std::intptr_t ShellExecuteA(HWND /*owner*/, const char* verb, const char* file,
                            const char* /*parameters*/, const char* /*directory*/,
                            int /*showCommand*/) {
    if (verb != nullptr && std::strcmp(verb, "open") != 0)
        return SE_ERR_NOASSOC;
    if (file == nullptr || *file == '\0')
        return SE_ERR_FNF;

    QUrl url;
    const QString name = QFile::decodeName(file);
    if (IsLink(file)) {
        url = QUrl(name);
    } else {
        struct stat status;
        if (stat(file, &status) != 0)
            return SE_ERR_FNF;
        url = QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath());
    }

    std::function<bool(const std::string&)> opener;
    {
        std::lock_guard lock(openerLock);
        opener = shellOpener;
    }
    bool opened = false;
    if (opener)
        opened = opener(url.toString().toStdString());
    else
        RunOnUiThread([&] { opened = QDesktopServices::openUrl(url); });
    return opened ? 33 : SE_ERR_NOASSOC;
}

void SetShellOpener(std::function<bool(const std::string& url)> opener) {
    std::lock_guard lock(openerLock);
    shellOpener = std::move(opener);
}
