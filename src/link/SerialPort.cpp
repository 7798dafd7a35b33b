#include "link/SerialPort.h"

#include <cstdio>

#include "link/LogFile.h"
#include "platform/SerialDevice.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {
// 15 ms between bytes; in all, 1 ms per byte asked for plus 250 ms.
constexpr SerialDevice::ReadTimeouts kReadTimeouts{15, 1, 250};
}  // namespace

TSerialPort::TSerialPort() = default;
TSerialPort::~TSerialPort() = default;

int TSerialPort::Open(const char* portName) {
  // A port still open is let go first: our own lock would refuse it otherwise.
  if (device_) device_->Close();
  IsOpen = false;
  LastOpenResult = SerialDevice::OpenResult::Missing;
  std::snprintf(PortName, sizeof PortName, "%.*s", static_cast<int>(sizeof PortName - 1),
                portName != nullptr ? portName : "");
  if (!SerialDevice::PathForPort(PortName, DevicePath, sizeof DevicePath)) return -1;
  if (!device_) device_ = std::make_unique<SerialDevice>(static_cast<std::size_t>(InQueueKiB) * 1024);
  LastOpenResult = device_->Open(DevicePath);
  if (LastOpenResult != SerialDevice::OpenResult::Opened) return -1;
  IsOpen = true;
  return 0;
}

void TSerialPort::Close(TLogFile& log) {
  if (device_) device_->Close();
  char text[128];
  std::snprintf(text, sizeof text, "%s: %s", UserTexts(IsOpen ? txt::Closing : txt::NotOpened),
                PortName);
  log.WriteLine(text, true);
}

int TSerialPort::Read(char* buffer, int count) {
  if (!IsOpen || !device_) return 0;
  return device_->Read(buffer, count, kReadTimeouts);
}

std::size_t TSerialPort::Queued() const { return device_ ? device_->Queued() : 0; }
