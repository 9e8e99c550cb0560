#pragma once

#include <termios.h>

// The instrument's line on top of whatever the driver reported: 57600 baud, 8 data bits, even parity,
// one stop bit, raw, no flow control, no hang-up on close, reads that never wait by themselves
// (VMIN = VTIME = 0). A byte with a parity error is kept (INPCK without IGNPAR/PARMRK), so the frame
// keeps its length and its CRC fails, rather than the frame silently shrinking. False if the speed
// cannot be set.
bool MakeLineSettings(termios& tio);
