#pragma once

#include "host/file_io.h"
#include "monitor/frame_log.h"

#include <string>
#include <string_view>

// The frame log written out: a line of text per frame (the command line's trace and the text export),
// CSV for a spreadsheet, and a classic pcap file (link type USER0, 147, one record per frame sent or
// received, microsecond timestamps) that Wireshark and tshark decode as Modbus RTU given
//   -o 'uat:user_dlts:"User 0 (DLT=147)","mbrtu","0","","0",""'
// A time-out put nothing on the line, so it has no record in a capture; its wait shows in the time
// before the next frame.
namespace monitor {

enum class ExportFormat
{
    Text,
    Csv,
    Pcap
};

// By the file name's extension: ".csv" CSV, ".pcap" or ".cap" pcap, anything else text.
ExportFormat FormatForPath(std::string_view path);

// "+0.012345 s  #12 retry 1  RX  FF 03 ...  ok  slave 255: ...  [gap 1.234 ms, wire 5.539 ms]", the
// time counted from `start`.
std::string TextLine(const FrameRecord& record, Clock::time_point start);

// "12 transactions, 15 attempts, 3 retries, 2 time-outs, ...; 120 bytes sent, 340 received".
std::string CountersText(const Counters& counters);

std::string ToText(const FrameLog& log);
std::string ToCsv(const FrameLog& log);
std::string ToPcap(const FrameLog& log);
std::string Export(const FrameLog& log, ExportFormat format);

// Written whole or not at all.
file_io::Result SaveExport(const FrameLog& log, ExportFormat format, const std::string& path);

// pcap facts, for readers of the file.
constexpr std::uint32_t kPcapMagic = 0xA1B2C3D4; // microsecond timestamps
constexpr std::uint32_t kLinkTypeUser0 = 147;
constexpr std::size_t kPcapHeaderBytes = 24;
constexpr std::size_t kPcapRecordHeaderBytes = 16;

} // namespace monitor
