#include "host/open_error.h"

#include "host/port_map.h"

#include <cctype>

namespace {

// A serial device server's failures, the same on every platform.
OpenError DescribeNetworkError(int error, const std::string& detail)
{
    const std::string said = detail.empty() ? std::string() : " (" + detail + ")";
    switch (error) {
    case kOpenErrorBadNetworkName:
        return {"this is no network address the program can use",
                "write tcp://HOST:PORT or rfc2217://HOST:PORT, an IPv6 address in brackets: rfc2217://[fd00::7]:4001"};
    case kOpenErrorHostUnknown:
        return {"the host name does not resolve" + said, "check the name, or give the server's IP address"};
    case kOpenErrorRefused:
        return {"nothing listens on that port (connection refused)",
                "check the port number and that the device server is switched on"};
    case kOpenErrorNoAnswer:
        return {"the device server does not answer (time-out)",
                "check the address, a firewall between here and there, and the network cable"};
    case kOpenErrorUnreachable:
        return {"the network has no route to that address", "check the address and this computer's network"};
    case kOpenErrorPortHeld:
        return {"the device server's port is held by another client" + said,
                "close the other program, or let the server drop a stale connection ('kickolduser' in ser2net)"};
    case kOpenErrorClosed:
        return {"the device server closed the connection while it was being set up" + said,
                "check that this is the port of the server's serial line, and the server's configuration for it"};
    case kOpenErrorNoRfc2217:
        return {"the device server does not speak RFC 2217 (no answer to the COM port option)",
                "set the server's port to RFC 2217 mode, or use tcp://HOST:PORT with the server set to 57600 8E1"};
    case kOpenErrorRfc2217Refused:
        return {"the device server refuses RFC 2217 on this port (it answered DONT to the COM port option)",
                "use tcp://HOST:PORT with the server's port set to 57600 8E1, or set the server's port to RFC 2217 "
                "mode"};
    case kOpenErrorSettingsRefused:
        return {"the device server would not set 57600 baud, 8 data bits, even parity, 1 stop bit" + said,
                "check that its serial port supports these settings"};
    default:
        return {};
    }
}

} // namespace

OpenError DescribeOpenError(int error, const std::string& device, const std::string& detail)
{
    if (device.empty()) {
        // An assignment may stand in a file that is not read: then that file, not the port, is the fault.
        if (std::string problem = ports::AssignmentProblem(); !problem.empty())
            return {"no device stands behind this port number (" + std::move(problem) + ")",
                    "make the file smaller or readable (or remove it), then assign the port again"};
        return {"no device stands behind this port number",
                "assign one (the port's 'Assign Port...', or 'meshgate2-cli assign COMn DEVICE')"};
    }
    if (OpenError network = DescribeNetworkError(error, detail); !network.reason.empty())
        return network;
    return DescribePlatformError(error, device);
}

std::string ExplainOpenFailure(const std::string& port, const std::string& device, int error, const std::string& detail)
{
    const OpenError why = DescribeOpenError(error, device, detail);
    std::string text = port.empty() ? device : port + (device.empty() ? std::string() : " (" + device + ")");
    text += ": " + why.reason + ".";
    if (!why.remedy.empty()) {
        std::string remedy = why.remedy;
        remedy[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(remedy[0])));
        text += " " + remedy + ".";
    }
    return text;
}
