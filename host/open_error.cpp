#include "host/open_error.h"

#include <cctype>

OpenError DescribeOpenError(int error, const std::string& device)
{
    if (device.empty())
        return {"no device stands behind this port number",
                "assign one (the port's 'Assign Port...', or 'meshgate2-cli assign COMn DEVICE')"};
    return DescribePlatformError(error, device);
}

std::string ExplainOpenFailure(const std::string& port, const std::string& device, int error)
{
    const OpenError why = DescribeOpenError(error, device);
    std::string text = port.empty() ? device : port + (device.empty() ? std::string() : " (" + device + ")");
    text += ": " + why.reason + ".";
    if (!why.remedy.empty()) {
        std::string remedy = why.remedy;
        remedy[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(remedy[0])));
        text += " " + remedy + ".";
    }
    return text;
}
