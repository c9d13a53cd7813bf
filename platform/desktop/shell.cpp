#include "platform/desktop/shell.h"

#include <sys/stat.h>

#include <cctype>
#include <cstring>
#include <mutex>
#include <utility>

#include <QDesktopServices>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

#include "platform/desktop/ui_thread.h"

namespace {

constexpr std::intptr_t Opened = 33;

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

// The link that opens file, or why there is none.
std::intptr_t TargetUrl(const char* verb, const char* file, QUrl& url) {
    if (verb != nullptr && std::strcmp(verb, "open") != 0)
        return SE_ERR_NOASSOC;
    if (file == nullptr || *file == '\0')
        return SE_ERR_FNF;
    const QString name = QFile::decodeName(file);
    if (IsLink(file)) {
        url = QUrl(name);
        return 0;
    }
    struct stat status;
    if (stat(file, &status) != 0)
        return SE_ERR_FNF;
    url = QUrl::fromLocalFile(QFileInfo(name).absoluteFilePath());
    return 0;
}

std::function<bool(const std::string&)> TestOpener() {
    std::lock_guard lock(openerLock);
    return shellOpener;
}

std::intptr_t Answer(bool opened) {
    return opened ? Opened : SE_ERR_NOASSOC;
}

}  // namespace

std::intptr_t ShellExecuteA(HWND /*owner*/, const char* verb, const char* file,
                            const char* /*parameters*/, const char* /*directory*/,
                            int /*showCommand*/) {
    QUrl url;
    if (const std::intptr_t problem = TargetUrl(verb, file, url); problem != 0)
        return problem;
    if (const auto opener = TestOpener())
        return Answer(opener(url.toString().toStdString()));
    bool opened = false;
    RunOnUiThread([&] { opened = QDesktopServices::openUrl(url); });
    return Answer(opened);
}

void ShellOpenAndReport(QObject* context, const char* file,
                        std::function<void(std::intptr_t result)> done) {
    QUrl url;
    if (const std::intptr_t problem = TargetUrl("open", file, url); problem != 0) {
        done(problem);
        return;
    }
    if (const auto opener = TestOpener()) {
        done(Answer(opener(url.toString().toStdString())));
        return;
    }
    // Without xdg-open only Qt's own launch is left, which says whether it started something.
    const QString launcher = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    if (launcher.isEmpty()) {
        done(Answer(QDesktopServices::openUrl(url)));
        return;
    }
    // No parent: the viewer that xdg-open may wait for is not killed with a window.
    auto* process = new QProcess;
    process->setProgram(launcher);
    process->setArguments({QString::fromLatin1(url.toEncoded())});
    process->setStandardInputFile(QProcess::nullDevice());
    // Forwarded rather than piped: a viewer that outlives the program keeps somewhere to write.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    QObject* receiver = context != nullptr ? context : process;
    QObject::connect(process, &QProcess::finished, receiver,
                     [done](int exitCode, QProcess::ExitStatus status) {
                         done(Answer(status == QProcess::NormalExit && exitCode == 0));
                     });
    QObject::connect(process, &QProcess::errorOccurred, receiver,
                     [done](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             done(SE_ERR_NOASSOC);
                     });
    QObject::connect(process, &QProcess::finished, process, &QObject::deleteLater);
    QObject::connect(process, &QProcess::errorOccurred, process,
                     [process](QProcess::ProcessError error) {
                         if (error == QProcess::FailedToStart)
                             process->deleteLater();
                     });
    process->start();
}

void SetShellOpener(std::function<bool(const std::string& url)> opener) {
    std::lock_guard lock(openerLock);
    shellOpener = std::move(opener);
}
