// Why a port did not open on Windows: the system's error code in words. Windows does not say which program
// holds a port.
#include "host/open_error.h"
#include "host/utf16_win32.h"

#include <windows.h>

OpenError DescribePlatformError(int error, const std::string&)
{
    switch (static_cast<DWORD>(error)) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_DEV_NOT_EXIST:
    case ERROR_DEVICE_NOT_CONNECTED:
    case ERROR_BAD_UNIT:
        return {"there is no such port, or its USB adapter is not plugged in (or was unplugged)",
                "plug the adapter in, or choose another port ('meshgate2-cli ports' lists them)"};
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_BUSY:
        return {"in use by another program, or access is denied",
                "close the program that holds the port (a terminal, another configurator), or choose another port"};
    case ERROR_NOT_SUPPORTED:
    case ERROR_INVALID_FUNCTION:
    case ERROR_INVALID_HANDLE:
    case ERROR_INVALID_PARAMETER:
    case ERROR_INVALID_NAME:
        return {"this is not a serial port", "choose the serial port the instrument is wired to"};
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY:
        return {"the port's driver reports a failure (an unplugged or faulty adapter)",
                "plug the adapter in again, or choose another port"};
    default:
        break;
    }
    return {utf16::SystemMessage(static_cast<DWORD>(error)), {}};
}

std::string AccessProblem(const std::string&)
{
    // Windows grants serial ports to every user; whether one is free shows only when it is opened.
    return {};
}
