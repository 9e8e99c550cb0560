// Replies from an instrument, as they come over the line, through the master's checks, the instrument
// link, a read and a write of the settings, and the command line's report in JSON and text.
//
// The input is a series of pieces, a length byte and then that many bytes; each request the master sends
// is answered with the next piece through a real pseudo-terminal. A piece shorter than the reply the
// master awaits ends the line (the peer closes), so a read never waits out its time-out.
#include "cli/command_result.h"
#include "cli/instrument_session.h"
#include "cli/render.h"

#include <algorithm>
#include <cstdlib>
#include <fcntl.h>
#include <sstream>
#include <unistd.h>

namespace {

struct Feed
{
    const std::uint8_t* data;
    std::size_t size;
    std::size_t at = 0;
    int peer = -1;

    void Hangup()
    {
        if (peer >= 0)
            ::close(peer);
        peer = -1;
    }
};

int ExpectedReply(const FrameEvent& request)
{
    if (request.length >= 6 && request.bytes[1] == 0x03)
        return 5 + 2 * (request.bytes[4] << 8 | request.bytes[5]);
    return 8;
}

void Answer(void* context, const FrameEvent& event)
{
    auto* feed = static_cast<Feed*>(context);
    if (event.direction != FrameEvent::Direction::Sent || feed->peer < 0)
        return;
    if (feed->at >= feed->size) {
        feed->Hangup();
        return;
    }
    const std::size_t length = std::min<std::size_t>(feed->data[feed->at++], feed->size - feed->at);
    if (length > 0 && ::write(feed->peer, feed->data + feed->at, length) != static_cast<ssize_t>(length))
        std::abort();
    feed->at += length;
    if (length < static_cast<std::size_t>(ExpectedReply(event)))
        feed->Hangup();
}

std::string Report(const cli::CommandResult& result)
{
    std::ostringstream out;
    std::ostringstream err;
    cli::Render(result, true, out, err);
    cli::Render(result, false, out, err);
    return out.str();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Feed feed{data, size};
    feed.peer = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    char name[128] = {};
    if (feed.peer < 0 || ::grantpt(feed.peer) != 0 || ::unlockpt(feed.peer) != 0 ||
        ::ptsname_r(feed.peer, name, sizeof name) != 0)
        std::abort();

    cli::InstrumentSession session;
    cli::LinkOptions options;
    options.device = name;
    options.readTimeoutMs = 20;
    if (!session.Open(options).Ok())
        std::abort();
    session.Link().Master().SetFrameObserver(&Answer, &feed);
    session.Link().Master().SetQuietAfterNoise(std::chrono::milliseconds(0));

    cli::CommandResult result("read");
    cli::Identification id;
    result.outcome = session.Identify(id);
    if (result.outcome.Ok() || id.cardCode != 0)
        result.identity = id;
    if (result.outcome.Ok() && id.card != nullptr) {
        cli::SettingsRead& read = result.read.emplace();
        result.outcome = session.ReadSettings(*id.card, id.cardCode, read.settings, read.failed);
        Report(result);

        // Write back what was read: the write report and its read-back go through the same replies.
        cli::CommandResult write("apply");
        write.identity = id;
        write.read = read;
        cli::SettingsWrite& settings = write.write.emplace();
        settings.before = settings.after = read.settings;
        settings.checked = true;
        write.outcome = session.WriteSettings(*id.card, id.cardCode, read.settings, settings.report);
        Report(write);
    } else {
        Report(result);
    }
    feed.Hangup();
    return 0;
}
