// Opening the two kinds of GPS connection as non-blocking descriptors.
#pragma once

#include <string>

#include "ports/serial_port.h"

namespace mw {

struct OpenedDescriptor {
    int fd = -1;
    SerialOpenResult result = SerialOpenResult::Failed;
    // Why it failed, when not opened: an errno text or a reason of our own.
    std::string reason;
};

// Where other programs leave their UUCP-style "LCK..ttyUSB0" lock files.
inline constexpr const char* kSerialLockFolder = "/run/lock";

// Opens a serial device for the receiver: exclusive (an flock, and
// TIOCEXCL where the device allows it), raw, 8N1, no flow control, VMIN 1,
// DTR and RTS raised. Busy when another program holds the device or a live
// process owns a lock file for it in `lockFolder`. Settings a pseudo-terminal
// refuses are ignored; a descriptor that is no terminal at all (a FIFO) is
// read as it is. `baud` must be one of the rates in kBaudRates.
OpenedDescriptor OpenSerialDevice(const std::string& path, int baud,
                                  const std::string& lockFolder = kSerialLockFolder);

// Connects to gpsd and asks for its raw NMEA stream
// (?WATCH={"enable":true,"nmea":true}). Failed when nothing answers within
// two seconds.
OpenedDescriptor ConnectGpsd(const std::string& host, int port);

}  // namespace mw
