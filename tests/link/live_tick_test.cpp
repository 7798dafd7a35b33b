// The timer tick against a real port: a device that streams text without a
// pause must not hold the window, and a charger that follows is read as ever.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>

#include "FrameBuilder.h"
#include "link/ByteSource.h"
#include "link/ChargerMonitor.h"
#include "link/LogFile.h"
#include "link/SerialPort.h"
#include "platform/PtyPair.h"

namespace {

struct PortSource : ByteSource {
  TSerialPort& port;
  explicit PortSource(TSerialPort& p) : port(p) {}
  int Read(char* buffer, int count) override { return port.Read(buffer, count); }
};

// How the receive trace shows a byte of plain text.
std::string AsTrace(const std::string& text) {
  std::string shown;
  for (unsigned char c : text) shown += c == 0x0D ? '>' : (c >= 0x22 && c <= 0x7F) ? static_cast<char>(c) : '-';
  return shown;
}

TEST(LiveTick, AStreamWithoutFramesLetsEachTickEndAndLosesNoByte) {
  PtyPair pty;
  ASSERT_TRUE(pty.Ok());
  ScopedEnv env("ZEPHYRAL_COM6", pty.Name);
  TempDir dir;
  TLogFile log;
  log.Open(dir.File("z").c_str());
  TSerialPort port;
  ASSERT_EQ(port.Open("COM6"), 0);
  PortSource source(port);
  ChargerMonitor monitor;
  monitor.Connect(&source, &log, nullptr);

  // A GPS receiver's sentences at the line's pace (about a byte a millisecond)
  // for three seconds: no start byte ever comes.
  const std::string sentence = "$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n";
  std::atomic<bool> streamEnded{false};
  std::thread device([&] {
    for (int k = 0; k < 40; ++k) {
      pty.Send(sentence);
      std::this_thread::sleep_for(std::chrono::milliseconds(sentence.size()));
    }
    streamEnded = true;
  });
  int32_t firstTickIndex = 0;
  for (int tick = 0; tick < 3; ++tick) {
    EXPECT_FALSE(monitor.TimerEvent());
    EXPECT_FALSE(streamEnded) << "tick " << tick << " lasted as long as the stream";
    if (tick == 0) firstTickIndex = monitor.Reader().TraceIndex;
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the window's turn
  }
  device.join();
  // Each tick went on where the last one stopped: the trace holds the
  // stream's first bytes in order.
  EXPECT_GT(firstTickIndex, 0);
  EXPECT_LT(firstTickIndex, 511);
  ASSERT_EQ(monitor.Reader().TraceIndex, 511);
  std::string stream;
  for (int k = 0; k < 8; ++k) stream += sentence;
  EXPECT_EQ(std::string(monitor.Reader().ReceiveTrace, 511), AsTrace(stream).substr(0, 511));
  EXPECT_FALSE(monitor.Reader().Synchronised);
  while (port.Queued() > 0) monitor.TimerEvent();

  // "Changer le chargeur", then a charger: identified from its own frames.
  monitor.Redemarrer1Click();
  const std::string frame = sim::BuildGen3Frame(sim::Gen3Values{});
  pty.Send(frame + frame + frame + frame);
  EXPECT_TRUE(monitor.TimerEvent());
  EXPECT_EQ(monitor.Reader().Generation, 3);
  const std::string status = "<-" + frame.substr(1, 100) + ">";
  EXPECT_EQ(monitor.Texts().StatusBar, status);
  port.Close(log);
  log.Close();
  std::ifstream in(dir.File("z-1.log"), std::ios::binary);
  const std::string written((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_NE(written.find(" Frame Analysed\r\n"), std::string::npos);
  EXPECT_NE(written.find(" " + status + "\r\n"), std::string::npos);
}

}  // namespace
