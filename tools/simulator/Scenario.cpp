#include "Scenario.h"

#include "charger/ChargerLayout.h"

#include <algorithm>

namespace sim {

namespace {

// Pause: generation 2 only, the charge phase goes on at zero current.
enum class Stage { Stop, Rest, Pause, Load, End };

struct Segment {
  Stage stage;
  int frames;
};

// Output 1 takes 1 A and output 2 0.5 A under load. A charger pauses the
// current for a moment from time to time to read the pack at rest; below
// 50 mA (output 2: 6 mA) the monitor takes the frame as a rest frame.
constexpr int kLoad1Ma = 1000, kRest1Ma = 25;
constexpr int kLoad2Ma = 500, kRest2Ma = 3;
// Four cells of 20 mOhm on output 1; a two-cell pack on output 2.
constexpr int kCellMilliOhm = 20;
constexpr int kCellCount = 4;
constexpr int kCellSpread[kCellCount] = {0, 14, -9, 6};
constexpr int kPack2MilliOhm = 120;
// Each compressed frame stands for a few minutes of charge.
constexpr int kCapacity1StepMah = 60, kCapacity2StepMah = 30;
static_assert(kCellMilliOhm * kCellCount / 1000.0 == kGen3Resistance1);
static_assert(kPack2MilliOhm / 1000.0 == kGen3Resistance2);

// The monitor spends the first three frames on its synchronisation: the lead-in
// is long enough for it to show the charger stopped before the charge.
const Segment kGen3Charge[] = {
    {Stage::Stop, 4}, {Stage::Load, 6}, {Stage::Rest, 2}, {Stage::Load, 12},
    {Stage::Rest, 2}, {Stage::Load, 12}, {Stage::End, 6},
};

// The pause in the charge gives a fresh rest voltage, so the frame after it
// shows the pack resistance alone; later frames add the voltage the charge
// put in since.
const Segment kGen2Cycle[] = {
    {Stage::Rest, 5}, {Stage::Load, 7}, {Stage::Pause, 1}, {Stage::Load, 7}, {Stage::End, 3},  // charge
    {Stage::Load, 12}, {Stage::End, 4},                                                        // discharge
};
constexpr int kGen2LoadMa = 1000, kGen2PackMilliOhm = 80, kGen2StepMah = 100;
constexpr int kGen2ChargeMah = 14 * kGen2StepMah, kGen2DischargeMah = 12 * kGen2StepMah;
static_assert(kGen2PackMilliOhm / 1000.0 == kGen2Resistance);

int Gen3LoadFrames() {
  int n = 0;
  for (const auto& s : kGen3Charge)
    if (s.stage == Stage::Load) n += s.frames;
  return n;
}

}  // namespace

std::vector<Gen3Values> Gen3ChargeTimeline() {
  const int full1 = Gen3LoadFrames() * kCapacity1StepMah;
  const int full2 = Gen3LoadFrames() * kCapacity2StepMah;
  std::vector<Gen3Values> frames;
  int capacity1 = 0, capacity2 = 0, loaded = 0;
  for (const auto& seg : kGen3Charge) {
    for (int i = 0; i < seg.frames; ++i) {
      Gen3Values v;
      v.supply = 13800;
      v.algorithm1 = 1;  // Normal: the end is a delta peak
      v.cycle = 1;
      v.probe = 1;
      v.mode2 = 1;
      int current1 = 0, current2 = 0;
      switch (seg.stage) {
        case Stage::Stop:
        case Stage::Pause:
          v.state1 = v.state2 = 0;
          break;
        case Stage::Rest:
          v.state1 = v.state2 = 1;
          current1 = kRest1Ma;
          current2 = kRest2Ma;
          break;
        case Stage::Load:
          v.state1 = v.state2 = 1;
          current1 = kLoad1Ma;
          current2 = kLoad2Ma;
          capacity1 += kCapacity1StepMah;
          capacity2 += kCapacity2StepMah;
          ++loaded;
          break;
        case Stage::End:
          v.state1 = v.state2 = 5;
          break;
      }
      // Rest voltage climbs with the charge put in; the current adds I*R.
      const int cellRest = 4020 + capacity1 * 110 / full1;
      int voltage1 = 0;
      for (int k = 0; k < kCellCount; ++k) {
        v.cells[k] = cellRest + kCellSpread[k] + current1 * kCellMilliOhm / 1000;
        voltage1 += v.cells[k];
      }
      v.current1 = current1;
      v.voltage1 = voltage1;
      v.capacity1 = capacity1;
      v.current2 = current2;
      v.voltage2 = 7900 + capacity2 * 300 / full2 + current2 * kPack2MilliOhm / 1000;
      v.capacity2 = capacity2;
      v.temperatureTenths = 215 + 2 * loaded;
      frames.push_back(v);
    }
  }
  return frames;
}

std::vector<Gen2Values> Gen2CycleTimeline() {
  std::vector<Gen2Values> frames;
  int capacity = 0;
  bool charged = false;      // the first end closes the charge
  bool discharging = false;
  for (const auto& seg : kGen2Cycle) {
    for (int i = 0; i < seg.frames; ++i) {
      if (seg.stage == Stage::Load && charged && !discharging) {
        discharging = true;
        capacity = 0;  // a discharge counts afresh
      }
      // The rest voltage follows the charge already in the pack.
      const int restVoltage = discharging ? 8400 - capacity * 1200 / kGen2DischargeMah
                                          : 7800 + capacity * 600 / kGen2ChargeMah;
      Gen2Values v;
      v.mode = 0x32;  // Charge->Décharge
      v.cycle = 1;
      v.supply = 12000;
      v.voltage = restVoltage;
      v.capacity = capacity;
      switch (seg.stage) {
        case Stage::Stop:
        case Stage::Rest:
          v.phase = 1;
          break;
        case Stage::Pause:
          v.phase = 2;
          break;
        case Stage::Load:
          v.phase = discharging ? 3 : 2;
          v.currentTenths = kGen2LoadMa * 10;
          // The voltage stands above the rest voltage while charging and
          // below it while discharging.
          v.voltage += (discharging ? -1 : 1) * kGen2LoadMa * kGen2PackMilliOhm / 1000;
          capacity += kGen2StepMah;
          v.capacity = capacity;
          break;
        case Stage::End:
          v.phase = 8;
          charged = true;
          break;
      }
      frames.push_back(v);
    }
  }
  return frames;
}

std::string SpoilFrame(const std::string& frame) {
  std::string f = frame;
  constexpr size_t kVoltage1 = charger::gen3::kVoltage1;
  // Inside the generation-2 frame, where no start byte may stand.
  constexpr size_t kGen2Spoilt = charger::gen2::kCurrent + 1;
  if (f.size() == charger::kGen3FrameLength) {
    // The first digit of output 1's voltage: a decoder that skipped the
    // checksum would show a voltage far off.
    static const std::string kDigits = "0123456789ABCDEF";
    size_t d = kDigits.find(f[kVoltage1]);
    f[kVoltage1] = kDigits[d == std::string::npos ? 0 : (d + 1) % 16];
  } else if (f.size() > kGen2Spoilt) {
    f[kGen2Spoilt] = static_cast<char>(charger::kStartByte);
  }
  return f;
}

std::string NoiseBytes(int64_t n) {
  // splitmix64: any fixed, well-mixed sequence will do.
  auto mix = [](uint64_t x) {
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
  };
  uint64_t h = mix(static_cast<uint64_t>(n));
  const int count = 1 + static_cast<int>(h % 8);
  std::string out;
  for (int i = 0; i < count; ++i) {
    h = mix(h);
    unsigned char b = static_cast<unsigned char>(h & 0xFF);
    if (b == charger::kStartByte || b == charger::kEndByte || b == '<' || b == '>') b ^= 0x40;
    out.push_back(static_cast<char>(b));
  }
  return out;
}

FrameSequence::FrameSequence(const Options& options) : options_(options) {
  switch (options.scenario) {
    case ScenarioKind::Fixed:
      generation_ = options.generation;
      break;
    case ScenarioKind::Gen3Charge:
      generation_ = 3;
      gen3_ = Gen3ChargeTimeline();
      break;
    case ScenarioKind::Gen2Cycle:
      generation_ = 2;
      gen2_ = Gen2CycleTimeline();
      break;
  }
}

size_t FrameSequence::TimelineLength() const {
  return generation_ == 2 ? gen2_.size() : gen3_.size();
}

std::string FrameSequence::CleanFrame(int64_t n) const {
  auto pick = [n](const auto& timeline) {
    const int64_t last = static_cast<int64_t>(timeline.size()) - 1;
    return timeline[static_cast<size_t>(std::clamp<int64_t>(n - 1, 0, last))];
  };
  if (generation_ == 2) return BuildGen2Frame(gen2_.empty() ? options_.gen2 : pick(gen2_));
  return BuildGen3Frame(gen3_.empty() ? options_.gen3 : pick(gen3_));
}

Slot FrameSequence::Make(int64_t n) const {
  Slot slot;
  std::string frame = CleanFrame(n);
  if (options_.badEvery > 0 && n % options_.badEvery == 0) frame = SpoilFrame(frame);
  if (options_.cutEvery > 0 && n % options_.cutEvery == 0) {
    frame.resize(frame.size() / 2);
    slot.cut = true;
  }
  if (options_.noise) slot.bytes = NoiseBytes(n);
  slot.bytes += frame;
  return slot;
}

}  // namespace sim
