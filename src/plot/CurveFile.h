#pragma once
// Curve files ("Exports/<pack>.txt"): a header line, then one line per
// sample with time, voltage, current, capacity and temperature as whole
// numbers, tab-separated, CR LF line ends.
#include <cstddef>
#include <cstdint>

class CurveStore;

namespace curvefile {

// Writes the curve file of the store, the voltage raised by voltageOffset
// (mV). The new file is written beside the old one and takes its place only
// once it is complete on disk, so that on any failure the old file stays as
// it was; a program killed meanwhile leaves nothing behind for good. A
// symbolic link is followed and stays. A file that this user may not open for
// writing, or that another running copy holds (a held flock), is not touched.
// A file that belongs to someone else, or whose folder takes no new name, is
// rewritten in place instead, as opening it for writing would: a replacement
// would hand it over to this user, or cannot be made. True when the whole
// file is written.
bool Export(const CurveStore& store, int32_t voltageOffset, const char* path);

// Receives the samples of an import.
class ImportSink {
 public:
  virtual ~ImportSink() = default;
  // Forget every sample: the import has opened its file.
  virtual void Reset() = 0;
  // One data line, in the order the curve control takes a sample; the
  // voltage already less the offset.
  virtual void AddSample(int32_t volt, int32_t capa, int32_t curr, int32_t temp) = 0;
};

// Reads the curve file into the sink. False when the file cannot be opened
// for reading (the sink is not touched); otherwise Reset once, then one
// AddSample per data line.
bool Import(const char* path, int32_t voltageOffset, ImportSink& sink);

// The line rules on bytes in memory, without the Reset. The first line is
// the header and is never read as data; a line counts once a CR ends it.
void ImportBytes(const char* data, size_t size, int32_t voltageOffset, ImportSink& sink);

}  // namespace curvefile
