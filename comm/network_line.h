#pragma once

#include "comm/line_device.h"
#include "host/port_map.h"

#include <chrono>
#include <memory>

// A serial device server on the network as a LineDevice: raw RTU bytes over TCP, or Telnet with the COM port
// control option (RFC 2217). The same time-outs, purges and results as a local port; a connection that
// breaks fails the read under way, and the next request connects again.
namespace network_line {

// How long connecting may take, and each stage of the RFC 2217 set-up.
constexpr std::chrono::milliseconds kConnectTimeout{3000};
constexpr std::chrono::milliseconds kNegotiationTimeout{3000};
// After a reconnection failed, requests fail at once for this long: a search over a dead server then costs
// one connect time-out, not one for each of its 21 attempts.
constexpr std::chrono::milliseconds kReconnectPause{1000};

} // namespace network_line

std::unique_ptr<LineDevice> MakeNetworkDevice();
