#include "link/SerialPort.h"

#include <cstdio>
#include <cstring>

#include "link/LogFile.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

// Placeholder until the termios driver lands.
class SerialDevice {};
TSerialPort::TSerialPort() = default;
TSerialPort::~TSerialPort() = default;
int TSerialPort::Open(const char* portName) {
  std::snprintf(PortName, sizeof PortName, "%s", portName);
  IsOpen = false;
  return -1;
}
void TSerialPort::Close(TLogFile& log) {
  char text[128];
  std::snprintf(text, sizeof text, "%s: %s", UserTexts(IsOpen ? txt::Closing : txt::NotOpened), PortName);
  log.WriteLine(text, true);
}
int TSerialPort::Read(char*, int) { return 0; }
