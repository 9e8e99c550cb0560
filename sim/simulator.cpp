#include "sim/simulator.h"

#include "cards/encoding.h"
#include "cards/parameters.h"
#include "comm/modbus_frame.h"
#include "comm/modbus_master.h"
#include "comm/termios_line_posix.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

using modbus::kExceptionFlag;
using modbus::kReadHoldingRegisters;
using modbus::kWriteMultipleRegisters;
constexpr int kReadRequestLength = static_cast<int>(modbus::kReadRequestLength);
constexpr int kWriteHeaderLength = static_cast<int>(modbus::kWriteHeaderLength);
constexpr int kShortReplyDrop = 5; // a 25-byte reply arrives as 20
// While no one holds the device open the master side reports a hang-up; look again this often.
constexpr auto kHangupRetry = std::chrono::milliseconds(2);
constexpr std::size_t kMaxPending = 512;

// The instrument's own packing, written out here on purpose rather than taken from cards/: the
// simulator is the check that cards/ encodes registers the way the instrument stores them.
void PutLittle16(std::uint8_t* at, std::uint16_t value)
{
    at[0] = static_cast<std::uint8_t>(value & 0xFF);
    at[1] = static_cast<std::uint8_t>(value >> 8);
}

void PutLittle32(std::uint8_t* at, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

void AppendCrc(std::vector<std::uint8_t>& frame)
{
    const std::uint16_t crc = ModbusMaster::Crc16(static_cast<std::uint16_t>(frame.size()), frame.data());
    frame.push_back(static_cast<std::uint8_t>(crc & 0xFF));
    frame.push_back(static_cast<std::uint8_t>(crc >> 8));
}

bool CrcValid(const std::uint8_t* frame, int length)
{
    if (length < 4)
        return false;
    const std::uint16_t crc = ModbusMaster::Crc16(static_cast<std::uint16_t>(length - 2), frame);
    return frame[length - 2] == (crc & 0xFF) && frame[length - 1] == (crc >> 8);
}

// A master's frame is complete once its length is known and has arrived; a silence of 3.5 characters
// (kFrameGap) also ends it, so the slave finds its footing again after noise.
// Length of the master frame that starts the pending bytes: 0 while not yet known, -1 for a function
// this slave does not know (its end is found by the silence after it).
int ExpectedLength(const std::vector<std::uint8_t>& pending)
{
    if (pending.size() < 2)
        return 0;
    if (pending[1] == kReadHoldingRegisters)
        return kReadRequestLength;
    if (pending[1] == kWriteMultipleRegisters)
        return pending.size() < kWriteHeaderLength ? 0 : kWriteHeaderLength + pending[6] + 2;
    return -1;
}

std::uint16_t Big16(const std::uint8_t* at)
{
    return static_cast<std::uint16_t>(at[0] << 8 | at[1]);
}

bool MakeRaw(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0 || !MakeLineSettings(tio))
        return false;
    tio.c_cflag &= ~static_cast<tcflag_t>(PARENB); // a pseudo-terminal has no parity to set
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

void CloseFd(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

// The identification record as it would be with another card: the echo and firmware text stay.
void ChangeCard(std::span<std::uint8_t, cards::kIdentificationBytes> record, std::uint16_t cardCode)
{
    const auto decoded = cards::DecodeIdentification(record);
    cards::EncodeIdentification(cardCode, decoded->firmware, record);
}

} // namespace

Simulator::Simulator(Config c) : config(std::move(c))
{
    // Every block of the parameter table, answering only at its own start and length; settings take writes.
    for (const cards::ParameterInfo& row : cards::ParameterTable())
        parameterSlots.push_back(Slot{row.parameter.start, row.parameter.registers, row.IsSetting(), row.kind, {}});

    // The slots just made: each is there, so the search ends on it.
    auto made = [this](cards::Parameter p) -> Slot& {
        return *std::find_if(parameterSlots.begin(), parameterSlots.end(),
                             [&p](const Slot& s) { return s.start == p.start; });
    };
    // The probe block's content is not interpreted by anyone; give it something recognisable.
    Slot& probe = made(cards::kProbe);
    for (std::size_t i = 0; i < probe.bytes.size(); ++i)
        probe.bytes[i] = static_cast<std::uint8_t>(i);

    cards::EncodeIdentification(config.cardCode, config.firmwareText,
                                std::span(made(cards::kIdentification).bytes).first<cards::kIdentificationBytes>());

    PutLittle16(made(cards::kNodeAddress).bytes.data(), config.nodeAddress);
    PutLittle16(made(cards::kBaudCode).bytes.data(), config.baudCode);
    PutLittle16(made(cards::kExchangeChoice).bytes.data(), config.exchangeChoice);
    PutLittle16(made(cards::kAddressMode).bytes.data(), config.addressMode);
    std::uint8_t* ip = made(cards::kIpBlock).bytes.data();
    PutLittle32(ip, config.ip);
    PutLittle32(ip + 4, config.mask);
    PutLittle32(ip + 8, config.gateway);

    cards::EncodeModelText(config.modelText,
                           std::span(made(cards::kModelBlock).bytes).first<cards::kModelBlockBytes>());
}

Simulator::~Simulator()
{
    Stop();
}

Simulator::Slot* Simulator::FindSlot(std::uint16_t start)
{
    for (Slot& s : parameterSlots)
        if (s.start == start)
            return &s;
    return nullptr;
}

const Simulator::Slot* Simulator::FindSlot(std::uint16_t start) const
{
    for (const Slot& s : parameterSlots)
        if (s.start == start)
            return &s;
    return nullptr;
}

bool Simulator::Start()
{
    if (Running())
        return true;
    error.clear();
    auto fail = [this](const std::string& what) {
        error = what + ": " + std::strerror(errno);
        CloseFd(master);
        CloseFd(wakeRead);
        CloseFd(wakeWrite);
        return false;
    };

    master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0)
        return fail("cannot create a pseudo-terminal");
    char name[128] = {};
    if (grantpt(master) != 0 || unlockpt(master) != 0 || ptsname_r(master, name, sizeof name) != 0)
        return fail("cannot unlock the pseudo-terminal");
    devicePath = name;
    if (fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) != 0)
        return fail("cannot make the pseudo-terminal non-blocking");

    // Raw from the start, so nothing is echoed before the configurator sets the line up itself.
    const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        return fail("cannot open " + devicePath);
    const bool raw = MakeRaw(slave);
    ::close(slave);
    if (!raw)
        return fail("cannot set up " + devicePath);

    int pipeFds[2];
    if (pipe2(pipeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return fail("cannot create a pipe");
    wakeRead = pipeFds[0];
    wakeWrite = pipeFds[1];

    if (!config.linkPath.empty()) {
        struct stat info = {};
        // Replace a stale link from an earlier run, but never a real file, nor a link to a device that is
        // still there (another simulator's, or a port someone is using).
        if (lstat(config.linkPath.c_str(), &info) == 0) {
            struct stat target = {};
            if (!S_ISLNK(info.st_mode)) {
                errno = EEXIST;
                return fail("will not replace " + config.linkPath);
            }
            if (::stat(config.linkPath.c_str(), &target) == 0) {
                errno = EBUSY;
                return fail("will not take over " + config.linkPath + ", which leads to a device that is there");
            }
            ::unlink(config.linkPath.c_str());
        }
        if (::symlink(devicePath.c_str(), config.linkPath.c_str()) != 0)
            return fail("cannot link " + config.linkPath);
        linkMade = config.linkPath;
    }

    thread = std::thread([this] { Serve(); });
    return true;
}

void Simulator::Stop()
{
    if (thread.joinable()) {
        const std::uint8_t stop = 1;
        while (::write(wakeWrite, &stop, 1) < 0 && errno == EINTR) {
        }
        thread.join();
    }
    CloseFd(master);
    CloseFd(wakeRead);
    CloseFd(wakeWrite);
    if (!linkMade.empty()) {
        // Only our own link: someone may have put something else there meanwhile.
        char target[256] = {};
        const ssize_t n = ::readlink(linkMade.c_str(), target, sizeof target - 1);
        if (n > 0 && devicePath == std::string(target, static_cast<std::size_t>(n)))
            ::unlink(linkMade.c_str());
        linkMade.clear();
    }
}

const std::string& Simulator::DevicePath() const
{
    return devicePath;
}

const std::string& Simulator::Error() const
{
    return error;
}

void Simulator::SetFaults(const Faults& faults)
{
    std::lock_guard lock(mutex);
    config.faults = faults;
    failedSoFar = 0;
    identificationReads = 0;
    repliesSent = 0;
}

void Simulator::SetFrameLogger(FrameLogger logger, void* context)
{
    std::lock_guard lock(mutex);
    frameLogger = logger;
    frameContext = context;
}

std::vector<std::vector<std::uint8_t>> Simulator::Requests() const
{
    std::lock_guard lock(mutex);
    return {requests.begin(), requests.end()};
}

void Simulator::ClearRequests()
{
    std::lock_guard lock(mutex);
    requests.clear();
}

std::uint16_t Simulator::Parameter(std::uint16_t start) const
{
    std::lock_guard lock(mutex);
    const Slot* s = FindSlot(start);
    return s == nullptr ? 0 : static_cast<std::uint16_t>(s->bytes[0] | s->bytes[1] << 8);
}

void Simulator::SetParameter(std::uint16_t start, std::uint16_t value)
{
    std::lock_guard lock(mutex);
    if (Slot* s = FindSlot(start); s != nullptr)
        PutLittle16(s->bytes.data(), value);
}

std::array<std::uint8_t, 12> Simulator::IpBlock() const
{
    std::lock_guard lock(mutex);
    std::array<std::uint8_t, 12> bytes{};
    if (const Slot* s = FindSlot(cards::kIpBlock.start); s != nullptr)
        std::copy_n(s->bytes.begin(), bytes.size(), bytes.begin());
    return bytes;
}

void Simulator::SetIpBlock(const std::array<std::uint8_t, 12>& bytes)
{
    std::lock_guard lock(mutex);
    if (Slot* s = FindSlot(cards::kIpBlock.start); s != nullptr)
        std::copy(bytes.begin(), bytes.end(), s->bytes.begin());
}

std::vector<std::uint8_t> Simulator::Block(std::uint16_t start) const
{
    std::lock_guard lock(mutex);
    const Slot* s = FindSlot(start);
    if (s == nullptr)
        return {};
    return {s->bytes.begin(), s->bytes.begin() + 2 * s->registers};
}

bool Simulator::SetBlock(std::uint16_t start, const std::vector<std::uint8_t>& bytes)
{
    std::lock_guard lock(mutex);
    Slot* s = FindSlot(start);
    if (s == nullptr || bytes.size() != 2u * s->registers)
        return false;
    std::copy(bytes.begin(), bytes.end(), s->bytes.begin());
    return true;
}

std::vector<std::uint8_t> Simulator::Answer(const std::uint8_t* request, int length)
{
    std::lock_guard lock(mutex);
    // Noise and frames for other slaves get no answer, as on a real line.
    if (!CrcValid(request, length) || request[0] != config.slaveAddress)
        return {};
    const Faults& faults = config.faults;
    if (faults.silent)
        return {};
    if (failedSoFar < faults.failFirst) {
        ++failedSoFar;
        return {};
    }

    const std::uint8_t function = request[1];
    std::vector<std::uint8_t> reply{request[0], function};
    auto exception = [&](std::uint8_t code) {
        reply = {request[0], static_cast<std::uint8_t>(function | kExceptionFlag), code};
    };

    if (faults.exceptionReply) {
        exception(kSlaveDeviceFailure);
    } else if (function == kReadHoldingRegisters) {
        if (length != kReadRequestLength) {
            exception(kIllegalDataValue);
            return Finish(std::move(reply), faults);
        }
        const std::uint16_t start = Big16(request + 2);
        const std::uint16_t count = Big16(request + 4);
        const Slot* s = FindSlot(start);
        if (s == nullptr || s->registers != count)
            exception(kIllegalDataAddress);
        else if (faults.failReadOf == start)
            exception(kSlaveDeviceFailure);
        else {
            reply.push_back(static_cast<std::uint8_t>(2 * count));
            const std::size_t data = reply.size();
            reply.insert(reply.end(), s->bytes.begin(), s->bytes.begin() + 2 * count);
            if (s->kind == cards::BlockKind::Identification && faults.cardChangesAfter > 0 &&
                ++identificationReads > faults.cardChangesAfter)
                ChangeCard(std::span(reply).subspan(data).first<cards::kIdentificationBytes>(), faults.laterCardCode);
        }
    } else if (function == kWriteMultipleRegisters) {
        if (length < kWriteHeaderLength + 2) {
            exception(kIllegalDataValue);
            return Finish(std::move(reply), faults);
        }
        const std::uint16_t start = Big16(request + 2);
        const std::uint16_t count = Big16(request + 4);
        Slot* s = FindSlot(start);
        if (request[6] != 2 * count || length != kWriteHeaderLength + 2 * count + 2)
            exception(kIllegalDataValue);
        else if (s == nullptr || !s->writable || s->registers != count)
            exception(kIllegalDataAddress);
        else if (faults.failWriteTo == start)
            exception(kSlaveDeviceFailure);
        else {
            if (!faults.ignoreWrites)
                std::copy_n(request + kWriteHeaderLength, 2 * count, s->bytes.begin());
            if (faults.loseWriteReplies)
                return {};
            reply.insert(reply.end(), request + 2, request + 6);
        }
    } else {
        exception(kIllegalFunction);
    }
    return Finish(std::move(reply), faults);
}

std::vector<std::uint8_t> Simulator::Finish(std::vector<std::uint8_t> reply, const Faults& faults)
{
    if (faults.wrongSlave)
        reply[0] = static_cast<std::uint8_t>(reply[0] ^ 0x01);
    AppendCrc(reply);
    if (faults.badCrc) {
        reply[reply.size() - 2] = static_cast<std::uint8_t>(~reply[reply.size() - 2]);
        reply[reply.size() - 1] = static_cast<std::uint8_t>(~reply[reply.size() - 1]);
    }
    if (faults.shortReply)
        reply.resize(reply.size() - std::min<std::size_t>(kShortReplyDrop, reply.size() - 1));
    return reply;
}

bool Simulator::SleepUntil(Clock::time_point deadline)
{
    for (;;) {
        SendCopiesDue();
        const auto now = Clock::now();
        if (now >= deadline)
            return true;
        pollfd pfd{wakeRead, POLLIN, 0};
        const timespec ts = ToTimespec(std::min(deadline, NextCopyDue()) - now);
        const int ready = ppoll(&pfd, 1, &ts, nullptr);
        if (ready > 0)
            return false;
    }
}

Clock::time_point Simulator::NextCopyDue() const
{
    auto next = Clock::time_point::max();
    for (const auto& copy : copies)
        next = std::min(next, copy.first);
    return next;
}

void Simulator::SendCopiesDue()
{
    const auto now = Clock::now();
    for (std::size_t i = 0; i < copies.size();) {
        if (copies[i].first > now) {
            ++i;
            continue;
        }
        const std::vector<std::uint8_t> frame = std::move(copies[i].second);
        copies.erase(copies.begin() + static_cast<std::ptrdiff_t>(i));
        SendFrame(frame);
    }
}

void Simulator::SendFrame(const std::vector<std::uint8_t>& frame)
{
    std::size_t sent = 0;
    while (sent < frame.size()) {
        const ssize_t n = ::write(master, frame.data() + sent, frame.size() - sent);
        if (n > 0)
            sent += static_cast<std::size_t>(n);
        else if (n < 0 && errno != EINTR && errno != EAGAIN)
            return; // the configurator closed the port meanwhile
        else if (n < 0 && errno == EAGAIN) {
            pollfd pfd{wakeRead, POLLIN, 0};
            const timespec ts = ToTimespec(kHangupRetry);
            if (ppoll(&pfd, 1, &ts, nullptr) > 0)
                return;
        }
    }
    FrameLogger logger = nullptr;
    void* context = nullptr;
    {
        std::lock_guard lock(mutex);
        logger = frameLogger;
        context = frameContext;
    }
    if (logger != nullptr)
        logger(context, false, frame.data(), static_cast<int>(frame.size()));
}

void Simulator::HandleFrame(const std::uint8_t* frame, int length, Clock::time_point arrival)
{
    FrameLogger logger = nullptr;
    void* context = nullptr;
    std::chrono::milliseconds delay{0};
    bool wireTiming = false;
    std::chrono::microseconds turnaround{0};
    bool repeat = false;
    std::chrono::microseconds repeatDelay{0};
    {
        std::lock_guard lock(mutex);
        if (requests.size() == kRequestLogSize)
            requests.pop_front(); // a simulator may serve for days
        requests.emplace_back(frame, frame + length);
        logger = frameLogger;
        context = frameContext;
        delay = config.faults.delay;
        wireTiming = config.wireTiming;
        turnaround = config.turnaround;
    }
    if (logger != nullptr)
        logger(context, true, frame, length);

    const std::vector<std::uint8_t> reply = Answer(frame, length);
    if (reply.empty())
        return;
    {
        std::lock_guard lock(mutex);
        ++repliesSent;
        repeat = config.faults.repeatEvery || repliesSent == config.faults.repeatReply;
        repeatDelay = config.faults.repeatDelay;
    }

    // On a line, the reply's last byte arrives after the request and the reply have both crossed it.
    auto due = arrival + delay;
    if (wireTiming)
        due += std::chrono::duration_cast<Clock::duration>(kCharTime * (length + static_cast<int>(reply.size()))) +
               turnaround;
    if (!SleepUntil(due))
        return;
    SendFrame(reply);
    // On a wire-timed line the copy, too, takes its line time after the original's end.
    if (repeat)
        copies.emplace_back(
            Clock::now() + repeatDelay +
                (wireTiming ? std::chrono::duration_cast<Clock::duration>(kCharTime * static_cast<int>(reply.size()))
                            : Clock::duration::zero()),
            reply);
}

void Simulator::Serve()
{
    std::vector<std::uint8_t> pending;
    pending.reserve(kMaxPending);
    Clock::time_point lastByte{};
    Clock::time_point frameStart{};
    std::uint8_t chunk[256];

    for (;;) {
        SendCopiesDue();
        pollfd pfds[2] = {{wakeRead, POLLIN, 0}, {master, POLLIN, 0}};
        Clock::duration waitFor = Clock::duration::max();
        if (!pending.empty())
            waitFor = kFrameGap;
        if (!copies.empty())
            waitFor = std::min(waitFor, NextCopyDue() - Clock::now());
        const bool waitForever = waitFor == Clock::duration::max();
        timespec wait = ToTimespec(waitForever ? Clock::duration::zero() : waitFor);
        const int ready = ppoll(pfds, 2, waitForever ? nullptr : &wait, nullptr);
        if (ready < 0 && errno != EINTR)
            return;
        if (pfds[0].revents != 0)
            return;
        if (ready == 0 && (pending.empty() || Clock::now() - lastByte < kFrameGap))
            continue; // a copy is due, not yet the silence that ends a frame

        if (ready == 0) {
            // Silence after an incomplete or unknown frame: take what came as one frame and start afresh.
            HandleFrame(pending.data(), static_cast<int>(pending.size()), frameStart);
            pending.clear();
            continue;
        }

        bool gotBytes = false;
        if (pfds[1].revents & POLLIN) {
            for (;;) {
                const ssize_t n = ::read(master, chunk, sizeof chunk);
                if (n <= 0)
                    break;
                const auto now = Clock::now();
                if (!pending.empty() && now - lastByte > kFrameGap) {
                    HandleFrame(pending.data(), static_cast<int>(pending.size()), frameStart);
                    pending.clear();
                }
                if (pending.empty())
                    frameStart = now;
                lastByte = now;
                gotBytes = true;
                const std::size_t room = kMaxPending - pending.size();
                pending.insert(pending.end(), chunk, chunk + std::min<std::size_t>(room, static_cast<std::size_t>(n)));
            }
        } else if (pfds[1].revents & (POLLHUP | POLLERR)) {
            // Nobody has the device open: bytes of a half-sent frame are gone with them.
            pending.clear();
            if (!SleepUntil(Clock::now() + kHangupRetry))
                return;
            continue;
        }
        if (!gotBytes)
            continue;

        for (;;) {
            const int need = ExpectedLength(pending);
            if (need <= 0 || pending.size() < static_cast<std::size_t>(need))
                break;
            HandleFrame(pending.data(), need, frameStart);
            pending.erase(pending.begin(), pending.begin() + need);
            frameStart = lastByte;
        }
        if (pending.size() >= kMaxPending)
            pending.clear(); // noise that never formed a frame
    }
}

} // namespace sim
