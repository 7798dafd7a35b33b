#include "link/ChargerMonitor.h"

// Placeholder until frame decoding lands.
int32_t ChargerMonitor::Field2(int pos) const {
  return Hexa2Dec(S.FrameBuffer[pos]) * 16 + Hexa2Dec(S.FrameBuffer[pos + 1]);
}
int32_t ChargerMonitor::Field4(int pos) const {
  return Hexa2Dec(S.FrameBuffer[pos]) * 4096 + Hexa2Dec(S.FrameBuffer[pos + 1]) * 256 +
         Hexa2Dec(S.FrameBuffer[pos + 2]) * 16 + Hexa2Dec(S.FrameBuffer[pos + 3]);
}
void ChargerMonitor::DecodeFrame() {}
