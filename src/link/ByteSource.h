#pragma once
// Where the charger's bytes come from: the serial port in the program, a
// script in the tests.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Bytes that arrived (0..count) within the port's time-outs.
  virtual int Read(char* buffer, int count) = 0;
};
