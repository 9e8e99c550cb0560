#include "monitor/frame_export.h"

#include "host/local_time.h"
#include "monitor/frame_decoding.h"

#include <cstdio>
#include <ctime>

namespace monitor {

namespace {

double Seconds(std::chrono::nanoseconds t)
{
    return std::chrono::duration<double>(t).count();
}

double Milliseconds(std::chrono::nanoseconds t)
{
    return std::chrono::duration<double, std::milli>(t).count();
}

std::string Format(double value, int decimals)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

// A CSV field, quoted when it holds a separator, a quote or a line break.
std::string CsvField(const std::string& text)
{
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        return text;
    }
    std::string quoted = "\"";
    for (const char c : text) {
        quoted += c;
        if (c == '"') {
            quoted += '"';
        }
    }
    return quoted + "\"";
}

void PutLe16(std::string& out, std::uint16_t value)
{
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>(value >> 8);
}

void PutLe32(std::string& out, std::uint32_t value)
{
    PutLe16(out, static_cast<std::uint16_t>(value & 0xFFFF));
    PutLe16(out, static_cast<std::uint16_t>(value >> 16));
}

std::string LocalTime(std::chrono::system_clock::time_point when)
{
    return FormatLocalTime(std::chrono::system_clock::to_time_t(when));
}

} // namespace

ExportFormat FormatForPath(std::string_view path)
{
    const auto dot = path.rfind('.');
    const auto slash = path.rfind('/');
    if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) {
        return ExportFormat::Text;
    }
    std::string extension;
    for (const char c : path.substr(dot + 1)) {
        extension += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    }
    if (extension == "csv") {
        return ExportFormat::Csv;
    }
    if (extension == "pcap" || extension == "cap") {
        return ExportFormat::Pcap;
    }
    return ExportFormat::Text;
}

std::string TextLine(const FrameRecord& record, Clock::time_point start)
{
    char head[64];
    std::snprintf(head, sizeof head, "+%.6f s  %-12s  %s  ", Seconds(record.time - start), AttemptText(record).c_str(),
                  DirectionText(record));
    std::string line = head;
    line += record.bytes.empty() ? "(nothing)" : Hex(record.bytes);
    line += "  " + OutcomeText(record) + "  " + Meaning(record);
    line += "  [gap " + Format(Milliseconds(record.gap), 3) + " ms, wire " + Format(Milliseconds(WireTime(record)), 3) +
            " ms]";
    return line;
}

std::string CountersText(const Counters& c)
{
    const auto n = [](std::uint64_t value, const char* what) { return std::to_string(value) + " " + what; };
    return n(c.transactions, "transactions, ") + n(c.attempts, "attempts, ") + n(c.retries, "retries, ") +
           n(c.timeouts, "time-outs, ") + n(c.badCrcs, "bad CRCs, ") + n(c.exceptions, "exceptions, ") +
           n(c.wrongSlaves, "from a wrong slave, ") + n(c.shortReplies, "short, ") +
           n(c.otherReplies, "answering another request; ") + n(c.bytesSent, "bytes sent, ") +
           n(c.bytesReceived, "received");
}

std::string ToText(const FrameLog& log)
{
    std::string text = "Meshgate2 line monitor, 57600 baud 8E1, from " + LocalTime(log.WallStart()) + "\n";
    if (log.Dropped() > 0) {
        text += "(" + std::to_string(log.Dropped()) + " older frames no longer held)\n";
    }
    for (std::size_t i = 0; i < log.Size(); ++i) {
        text += TextLine(log.At(i), log.Start()) + "\n";
    }
    return text + CountersText(log.Count()) + "\n";
}

std::string ToCsv(const FrameLog& log)
{
    std::string text = "number,time_s,gap_ms,wire_ms,transaction,attempt,direction,bytes,hex,outcome,meaning\r\n";
    for (std::size_t i = 0; i < log.Size(); ++i) {
        const FrameRecord& r = log.At(i);
        text += std::to_string(r.number) + "," + Format(Seconds(r.time - log.Start()), 6) + "," +
                Format(Milliseconds(r.gap), 3) + "," + Format(Milliseconds(WireTime(r)), 3) + "," +
                std::to_string(r.transaction) + "," + std::to_string(r.attempt) + "," + DirectionText(r) + "," +
                std::to_string(r.bytes.size()) + "," + Hex(r.bytes) + "," + CsvField(OutcomeText(r)) + "," +
                CsvField(Meaning(r)) + "\r\n";
    }
    return text;
}

std::string ToPcap(const FrameLog& log)
{
    std::string out;
    PutLe32(out, kPcapMagic);
    PutLe16(out, 2); // version 2.4
    PutLe16(out, 4);
    PutLe32(out, 0);     // time zone: timestamps are UTC
    PutLe32(out, 0);     // accuracy
    PutLe32(out, 65535); // snapshot length
    PutLe32(out, kLinkTypeUser0);
    for (std::size_t i = 0; i < log.Size(); ++i) {
        const FrameRecord& r = log.At(i);
        if (r.bytes.empty()) {
            continue;
        }
        const auto wall =
            log.WallStart() + std::chrono::duration_cast<std::chrono::system_clock::duration>(r.time - log.Start());
        const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(wall.time_since_epoch()).count();
        PutLe32(out, static_cast<std::uint32_t>(micros / 1'000'000));
        PutLe32(out, static_cast<std::uint32_t>(micros % 1'000'000));
        PutLe32(out, static_cast<std::uint32_t>(r.bytes.size()));
        PutLe32(out, static_cast<std::uint32_t>(r.bytes.size()));
        out.append(reinterpret_cast<const char*>(r.bytes.data()), r.bytes.size());
    }
    return out;
}

std::string Export(const FrameLog& log, ExportFormat format)
{
    switch (format) {
    case ExportFormat::Csv:
        return ToCsv(log);
    case ExportFormat::Pcap:
        return ToPcap(log);
    case ExportFormat::Text:
        break;
    }
    return ToText(log);
}

file_io::Result SaveExport(const FrameLog& log, ExportFormat format, const std::string& path)
{
    return file_io::WriteFileAtomically(path, Export(log, format));
}

} // namespace monitor
