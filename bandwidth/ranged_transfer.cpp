#include "bandwidth/ranged_transfer.h"

#include "bandwidth/rate_sampler.h"
#include "platform/internet/ranged_download.h"

RangedTransferResult RunRangedTransfer(const RangedTransfer& transfer, TestMeasurement& measurement,
                                       RateSampler& sampler) {
    RangedDownloadRequest request;
    request.url = transfer.url;
    request.length = transfer.length;
    request.connections = transfer.connections;
    request.fd = transfer.destination;
    request.flags = transfer.flags;
    request.socketOpened = transfer.socketOpened;

    // The count starts again at 0 when a server that serves no ranges sends the file again
    // on one connection; what arrived before still arrived, so the samples go on from it.
    std::uint64_t before = 0;
    std::uint64_t last = 0;
    const auto progress = [&](std::uint64_t bytes) {
        if (bytes < last) {
            before += last;
        }
        last = bytes;
        const std::chrono::nanoseconds now = transfer.sinceOpenAsked();
        if (bytes > 0 && !measurement.firstByte) {
            measurement.firstByte = now;
        }
        sampler.note(now, before + bytes);
        measurement.bytes = bytes;
        return transfer.progress(bytes);
    };
    const RangedDownloadResult done = InternetDownloadRanges(transfer.session, request, progress);
    const std::chrono::nanoseconds end = transfer.sinceOpenAsked();
    measurement.lastRead = end;
    sampler.finish(end, before + last);
    measurement.connectionsUsed = done.connectionsUsed;
    measurement.rangesRefused = done.rangesRefused;
    measurement.connections.clear();
    for (const ConnectionShare& share : done.shares) {
        measurement.connections.push_back(
            {share.bytes, std::chrono::duration<double>(share.active).count()});
    }

    RangedTransferResult result;
    switch (done.outcome) {
        case RangedDownloadResult::Outcome::Finished:
            result.ending = RangedTransferResult::Ending::Finished;
            measurement.bytes = transfer.length;
            break;
        case RangedDownloadResult::Outcome::Stopped:
            result.ending = RangedTransferResult::Ending::Stopped;
            break;
        case RangedDownloadResult::Outcome::WriteFailed:
            result.ending = RangedTransferResult::Ending::WriteFailed;
            result.writeError = done.writeError;
            break;
        case RangedDownloadResult::Outcome::Failed:
            result.ending = RangedTransferResult::Ending::Failed;
            result.cause = done.cause;
            break;
    }
    return result;
}
