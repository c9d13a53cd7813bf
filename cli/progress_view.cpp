#include "cli/progress_view.h"

#include <sys/ioctl.h>
#include <unistd.h>

namespace {

constexpr auto kRedrawInterval = std::chrono::milliseconds(100);
constexpr auto kPlainLineInterval = std::chrono::seconds(5);
constexpr int kDefaultColumns = 80;

int TerminalColumns(std::FILE* out) {
    winsize size{};
    if (::ioctl(::fileno(out), TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
        return size.ws_col;
    }
    return kDefaultColumns;
}

}  // namespace

ProgressView::ProgressView(std::FILE* out, bool enabled, bool terminal)
    : out_(out),
      enabled_(enabled),
      terminal_(terminal),
      throttle_(terminal ? std::chrono::duration_cast<Clock::duration>(kRedrawInterval)
                         : std::chrono::duration_cast<Clock::duration>(kPlainLineInterval)) {}

void ProgressView::connecting(const std::string& url) {
    write("Testing " + url + "\nConnecting...\n");
}

void ProgressView::started(std::uint64_t notifiedLength, Clock::time_point at) {
    started_ = true;
    contentLength_ = KnownContentLength(notifiedLength);
    meter_.add(at, 0);
    if (terminal_) {
        draw();
    } else {
        write("Downloading...\n");
    }
    // The first plain line comes one interval after the start.
    throttle_.due(at);
}

void ProgressView::progress(std::uint64_t blocks, Clock::time_point at) {
    bytes_ = BytesOfBlocks(blocks, contentLength_);
    meter_.add(at, bytes_);
    changed_ = true;
}

void ProgressView::tick(Clock::time_point now) {
    if (started_ && changed_ && throttle_.due(now)) {
        draw();
    }
}

void ProgressView::finished(std::optional<std::uint64_t> bytes, std::optional<double> averageRate) {
    if (!started_) {
        return;
    }
    if (bytes) {
        bytes_ = *bytes;
        finalRate_ = averageRate;
        changed_ = true;
    }
    if (changed_ || terminal_) {
        draw();
    }
    if (terminal_) {
        write("\n");
    }
}

LiveFigures ProgressView::figures() const {
    return LiveFigures{bytes_, contentLength_, finalRate_ ? finalRate_ : meter_.bytesPerSecond()};
}

void ProgressView::draw() {
    changed_ = false;
    if (terminal_) {
        // One column short of the width: writing the last column would wrap on some terminals.
        write("\r" + FormatProgressBar(figures(), TerminalColumns(out_) - 1));
    } else {
        write(FormatProgressLine(figures()) + "\n");
    }
}

void ProgressView::write(const std::string& text) {
    if (!enabled_) {
        return;
    }
    std::fwrite(text.data(), 1, text.size(), out_);
    std::fflush(out_);
}
