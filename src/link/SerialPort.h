#pragma once
// TSerialPort: the program's receive-only link to the charger.
//
// COMn is /dev/ttyS<n-1>, unless the environment variable ZEPHYRAL_COM<n> names
// another device. The device runs raw at 9600 8N1; its previous settings are put
// back by Close. The tty itself buffers only a few KiB, so a reader thread drains
// it into a 128 KiB queue of our own: no byte is lost while the GUI thread is
// busy elsewhere (a dialog, a print job). Read() waits on that queue with the
// classic serial time-outs: 15 ms between bytes, 1 ms per byte plus 250 ms.
// Nothing is ever written to the port.
#include <cstddef>
#include <cstdint>
#include <memory>

#include "platform/SerialDevice.h"

class TLogFile;

class TSerialPort {
 public:
  TSerialPort();
  ~TSerialPort();
  TSerialPort(const TSerialPort&) = delete;
  TSerialPort& operator=(const TSerialPort&) = delete;

  // 0 when the device opened, -1 when it did not (missing, held, not a tty,
  // or a name that is not "COMn"); the kind is kept in LastOpenResult.
  int Open(const char* portName);
  // Restores the saved settings and closes (when open), then logs
  // "Fermeture: COMn" or "Pas ouvert: COMn". Does not change IsOpen; a second
  // Close only logs again.
  void Close(TLogFile& log);
  // Bytes that arrived (0..count); 0 on time-out, and at once when not open or
  // after Close.
  int Read(char* buffer, int count);
  // Bytes received and not read yet; 0 when not open.
  std::size_t Queued() const;

  bool IsOpen = false;
  // The port name as last passed to Open ("COM1".."COM6"), cut to 11
  // characters; used by the closing log line.
  char PortName[12] = {};
  // The Linux device that port name maps to (for messages and tests); empty
  // when the name maps to none.
  char DevicePath[256] = {};
  // How the last Open went: Opened, or why it failed. A name that maps to no
  // device counts as Missing, and so does a port never opened.
  SerialDevice::OpenResult LastOpenResult = SerialDevice::OpenResult::Missing;

  static constexpr int32_t InQueueKiB = 128;

 private:
  std::unique_ptr<SerialDevice> device_;
};
