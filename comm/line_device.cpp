#include "comm/line_device.h"

#include "comm/network_line.h"
#include "host/port_map.h"

std::unique_ptr<LineDevice> MakeLineDevice(const std::string& name)
{
    return ports::IsNetworkName(name) ? MakeNetworkDevice() : MakeLocalDevice();
}
