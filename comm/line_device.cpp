#include "comm/line_device.h"

std::unique_ptr<LineDevice> MakeLineDevice(const std::string&)
{
    return MakeLocalDevice();
}
