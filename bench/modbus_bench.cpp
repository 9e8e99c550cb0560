// Modbus transactions against the simulated instrument over a pseudo-terminal, timed beside the time
// the same frames would take on the real 57600 baud 8E1 line.
#include "cards/parameter_order.h"
#include "cards/registers.h"
#include "comm/card_transfer.h"
#include "comm/instrument_link.h"
#include "comm/modbus_master.h"
#include "monitor/frame_log.h"
#include "sim/simulator.h"
#include "tests/support/ser2net.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>

namespace {

enum class Kind
{
    ReadOne,      // one parameter register
    ReadIdentity, // the 12-register identification record
    ReadModel,    // the 18-register model block
    WriteOne,     // one parameter register
    WriteIpBlock, // the 6-register IP block
};

struct Transaction
{
    bool write;
    cards::Parameter parameter;
};

Transaction Describe(Kind kind)
{
    switch (kind) {
    case Kind::ReadOne:
        return {false, cards::kNodeAddress};
    case Kind::ReadIdentity:
        return {false, cards::kIdentification};
    case Kind::ReadModel:
        return {false, cards::kModelBlock};
    case Kind::WriteOne:
        return {true, cards::kNodeAddress};
    case Kind::WriteIpBlock:
        return {true, cards::kIpBlock};
    }
    return {false, cards::kNodeAddress};
}

void Transactions(benchmark::State& state)
{
    const auto kind = static_cast<Kind>(state.range(0));
    const bool wireTiming = state.range(1) != 0;
    const bool logged = state.range(2) != 0;
    const Transaction t = Describe(kind);

    sim::Config config;
    config.wireTiming = wireTiming;
    sim::Simulator instrument(config);
    if (!instrument.Start()) {
        state.SkipWithError(instrument.Error().c_str());
        return;
    }
    ModbusMaster master;
    master.SetDevicePath(instrument.DevicePath());
    master.SetReadTimeout(400);
    if (master.Open() != 1) {
        state.SkipWithError("cannot open the simulator's device");
        return;
    }

    // The line monitor's recording: the frame log as the master's observer, with a listener as the window has.
    monitor::FrameLog log;
    std::uint64_t heard = 0;
    if (logged) {
        log.Attach(master);
        log.SetListener([](void* context, const monitor::FrameRecord&) { ++*static_cast<std::uint64_t*>(context); },
                        &heard);
    }

    std::uint8_t data[2 * 125] = {};
    const std::uint16_t registers = t.parameter.registers;
    if (t.write)
        master.ReadHoldingRegisters(0xFF, registers, t.parameter.start, data); // write back what is there

    int failures = 0;
    for (auto _ : state) {
        const int result = t.write ? master.WriteMultipleRegisters(0xFF, registers, t.parameter.start, data)
                                   : master.ReadHoldingRegisters(0xFF, registers, t.parameter.start, data);
        if (result != ResultOk)
            ++failures;
        benchmark::DoNotOptimize(data);
    }

    const int requestBytes = t.write ? 9 + 2 * registers : 8;
    const int replyBytes = t.write ? 8 : 5 + 2 * registers;
    const double wireUs =
        std::chrono::duration<double, std::micro>(sim::kCharTime * (requestBytes + replyBytes)).count();
    state.counters["request_B"] = requestBytes;
    state.counters["reply_B"] = replyBytes;
    state.counters["wire_us"] = wireUs; // the physical lower bound of the same frames
    state.counters["failures"] = failures;
    state.counters["frames_logged"] = static_cast<double>(heard);
    state.SetLabel(std::string(wireTiming ? "wire timing" : "no wire timing") + (logged ? ", frame log" : ""));
}

void Arguments(benchmark::internal::Benchmark* b)
{
    // The frame log's cost shows best without wire timing, where the transaction is the program's own work.
    for (int wire = 0; wire <= 1; ++wire)
        for (int logged = 0; logged <= 1 - wire; ++logged)
            for (Kind k : {Kind::ReadOne, Kind::ReadIdentity, Kind::ReadModel, Kind::WriteOne, Kind::WriteIpBlock})
                b->Args({static_cast<int>(k), wire, logged});
    b->ArgNames({"kind", "wire", "log"});
    b->UseRealTime(); // the time goes to waiting on the line, not to this thread's CPU
    b->Unit(benchmark::kMicrosecond);
}

// kind: 0 read 1 register, 1 read identification (12), 2 read model block (18), 3 write 1 register,
// 4 write IP block (6); wire: 1 when the simulator delays replies as the real line would; log: 1 with the
// frame log recording every frame (the line monitor).
BENCHMARK(Transactions)->Apply(Arguments);

// What the frame log adds to each frame, alone: the copy of a 29-byte reply (the identification record's)
// into a log that is full, as the window's is after 10,000 frames, so each record also drops the oldest.
void FrameLogRecord(benchmark::State& state)
{
    monitor::FrameLog log;
    std::uint8_t frame[29] = {0xFF, 0x03, 0x18, 0x10, 0x30, 0x05};
    std::uint64_t heard = 0;
    log.SetListener([](void* context, const monitor::FrameRecord&) { ++*static_cast<std::uint64_t*>(context); },
                    &heard);
    const FrameEvent event{FrameEvent::Direction::Received, frame, sizeof frame, ResultOk, 1, 1};
    for (std::size_t i = 0; i < monitor::FrameLog::kWindowCapacity; ++i)
        log.Record(event);
    for (auto _ : state)
        log.Record(event);
    benchmark::DoNotOptimize(heard);
}
BENCHMARK(FrameLogRecord);

// The CRC alone, over the largest frame the buffers take.
void Crc16(benchmark::State& state)
{
    std::uint8_t frame[ModbusMaster::kBufferSize];
    for (int i = 0; i < ModbusMaster::kBufferSize; ++i)
        frame[i] = static_cast<std::uint8_t>(i * 7);
    for (auto _ : state)
        benchmark::DoNotOptimize(ModbusMaster::Crc16(ModbusMaster::kBufferSize - 2, frame));
    state.SetBytesProcessed(state.iterations() * (ModbusMaster::kBufferSize - 2));
}
BENCHMARK(Crc16);

} // namespace

BENCHMARK_MAIN();

// The identification read (12 registers) over the three kinds of line: the simulator's pseudo-terminal
// opened directly, and the same pseudo-terminal behind ser2net on loopback, raw and RFC 2217. What a
// network line adds is the server's own holding of bytes plus the socket's path.
void LineKinds(benchmark::State& state)
{
    const int line = static_cast<int>(state.range(0));
    sim::Config config;
    config.wireTiming = state.range(1) != 0;
    sim::Simulator instrument(config);
    if (!instrument.Start()) {
        state.SkipWithError(instrument.Error().c_str());
        return;
    }
    Ser2net server;
    Ser2net::Options options;
    options.rfc2217Settings = "57600e81";
    if (line != 0 && !server.Start(instrument.DevicePath(), options)) {
        state.SkipWithError(server.Error().c_str());
        return;
    }
    ModbusMaster master;
    master.SetDevicePath(line == 0 ? instrument.DevicePath() : line == 1 ? server.RawName() : server.Rfc2217Name());
    master.SetReadTimeout(400);
    if (master.Open() != 1) {
        state.SkipWithError("cannot open the line");
        return;
    }
    std::uint8_t data[2 * 12] = {};
    int failures = 0;
    for (auto _ : state) {
        if (master.ReadHoldingRegisters(0xFF, 12, cards::kIdentification.start, data) != ResultOk)
            ++failures;
        benchmark::DoNotOptimize(data);
    }
    state.counters["failures"] = failures;
    state.SetLabel(std::string(line == 0   ? "pseudo-terminal"
                               : line == 1 ? "ser2net tcp://"
                                           : "ser2net rfc2217://") +
                   (config.wireTiming ? ", wire timing" : ""));
}

// line: 0 the pseudo-terminal, 1 ser2net raw TCP, 2 ser2net RFC 2217; wire: 1 with the line's timing.
BENCHMARK(LineKinds)
    ->ArgsProduct({{0, 1, 2}, {0, 1}})
    ->ArgNames({"line", "wire"})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);

// A card's settings read as both front ends read them: a DeviceNet card's three parameters, plain or as a
// checked sequence (InstrumentLink::ReadInTurn), whose closing identification read is what knowing that
// every reply answered its own request costs, on the pseudo-terminal and behind ser2net's raw TCP.
void SettingsRead(benchmark::State& state)
{
    const int line = static_cast<int>(state.range(0));
    const bool checked = state.range(1) != 0;
    sim::Config config;
    config.cardCode = 2;
    config.wireTiming = true;
    sim::Simulator instrument(config);
    if (!instrument.Start()) {
        state.SkipWithError(instrument.Error().c_str());
        return;
    }
    Ser2net server;
    if (line != 0 && !server.Start(instrument.DevicePath(), {})) {
        state.SkipWithError(server.Error().c_str());
        return;
    }
    InstrumentLink link;
    if (link.OpenDevice(line == 0 ? instrument.DevicePath() : server.RawName()) != 1) {
        state.SkipWithError("cannot open the line");
        return;
    }
    const auto order = cards::ReadOrder(cards::Bus::DeviceNet);
    const auto readAll = [&] {
        cards::CardSettings settings;
        int ok = 1;
        for (const cards::Parameter& p : order)
            ok &= ReadParameter(link, p, settings);
        return ok;
    };
    int failures = 0;
    for (auto _ : state) {
        TurnCheck turn;
        const int ok = checked ? link.ReadInTurn(readAll, turn) : readAll();
        if (ok != 1 || (checked && !turn.inTurn))
            ++failures;
    }
    // The frames of the plain read: three 8-byte requests, three 7-byte replies.
    state.counters["wire_us"] =
        std::chrono::duration<double, std::micro>(sim::kCharTime * (3 * (8 + 7) + (checked ? 8 + 29 : 0))).count();
    state.counters["failures"] = failures;
    state.SetLabel(std::string(line == 0 ? "pseudo-terminal" : "ser2net tcp://") + (checked ? ", checked" : ", plain"));
}

// line: 0 the pseudo-terminal, 1 ser2net raw TCP; checked: 1 as a checked sequence. Always wire-timed.
BENCHMARK(SettingsRead)
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->ArgNames({"line", "checked"})
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
