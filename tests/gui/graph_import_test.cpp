// A curve file imported into the curve control: the samples, the scales as
// live samples would grow them, the full-curve message, the final repaint.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

#include "TempDir.h"
#include "plot/GraphHost.h"
#include "plot/gui/TGraph.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {

class ImportHost : public GraphHost {
 public:
  std::string status;
  int32_t ProbePresent() const override { return 1; }
  int32_t Fahrenheit() const override { return 0; }
  void SetStatusText(const char* text) override { status = text; }
};

struct Row {
  int32_t volt, capa, curr, temp;  // as the control takes them
};

Row RowOf(int32_t k) { return {800 + k % 4000, k / 10, 1500 + k % 3000, 20 + k % 70}; }

// A header, then `lines` data lines; the t column counts from 1000.
std::string WriteCurve(const char* name, int32_t lines) {
  std::string text = "  t  \t  V  \t  I  \t  C  \t  T  \r\n";
  for (int32_t k = 0; k < lines; ++k) {
    const Row r = RowOf(k);
    text += std::to_string(1000 + k) + "\t" + std::to_string(r.volt + 3000) + "\t" +
            std::to_string(r.curr) + "\t" + std::to_string(r.capa) + "\t" +
            std::to_string(r.temp) + "\r\n";
  }
  std::ofstream(name, std::ios::binary) << text;
  return name;
}

std::unique_ptr<TGraph> NewGraph(GraphHost* host) {
  auto g = std::make_unique<TGraph>(nullptr, host);
  g->resize(705, 193);
  g->Paint();
  return g;
}

TEST(GraphImport, SamplesAndScalesAsLiveThenOneRepaint) {
  TempWorkDir wd;
  ImportHost host;
  const int32_t lines = 5000;
  const std::string path = WriteCurve("c.txt", lines);
  auto imported = NewGraph(&host), live = NewGraph(&host);
  imported->AddSample(1, 1, 1, 1);
  ASSERT_FALSE(imported->FullRedrawPending());

  ASSERT_TRUE(imported->ImportFile(path.c_str(), 3000));
  for (int32_t k = 0; k < lines; ++k) {
    const Row r = RowOf(k);
    live->AddSample(r.volt, r.capa, r.curr, r.temp);
  }
  ASSERT_EQ(imported->Count, lines);
  for (int32_t k : {0, 1, 2999, lines - 1}) {
    const Row r = RowOf(k);
    EXPECT_EQ(imported->Time[k], k);
    EXPECT_EQ(imported->Volt[k], r.volt);
    EXPECT_EQ(imported->Capa[k], r.capa);
    EXPECT_EQ(imported->Curr[k], r.curr);
    EXPECT_EQ(imported->Temp[k], r.temp);
  }
  EXPECT_EQ(imported->ScaleX, live->ScaleX);
  EXPECT_EQ(imported->ScaleVolt, live->ScaleVolt);
  EXPECT_EQ(imported->ScaleCapa, live->ScaleCapa);
  EXPECT_EQ(imported->ScaleCurr, live->ScaleCurr);
  EXPECT_EQ(imported->ScaleTemp, live->ScaleTemp);
  EXPECT_TRUE(imported->FullRedrawPending());
  EXPECT_EQ(host.status, "");
}

TEST(GraphImport, FullCurveRefusesTheRestAndTellsTheHost) {
  TempWorkDir wd;
  ImportHost host;
  const std::string path = WriteCurve("full.txt", curve::kCapacity + 2);
  auto g = NewGraph(&host);
  ASSERT_TRUE(g->ImportFile(path.c_str(), 3000));
  EXPECT_EQ(g->Count, curve::kCapacity);
  EXPECT_EQ(g->Volt[curve::kCapacity - 1], RowOf(curve::kCapacity - 1).volt);
  EXPECT_EQ(host.status, UserTexts(txt::TooManySamples));
  EXPECT_TRUE(g->FullRedrawPending());
}

TEST(GraphImport, MissingFileLeavesTheCurveAndItsPicture) {
  TempWorkDir wd;
  ImportHost host;
  auto g = NewGraph(&host);
  g->AddSample(100, 1, 1, 20);
  g->AddSample(200, 2, 2, 21);
  EXPECT_FALSE(g->ImportFile("missing.txt", 3000));
  EXPECT_EQ(g->Count, 2);
  EXPECT_EQ(g->Volt[1], 200);
  EXPECT_FALSE(g->FullRedrawPending());
  EXPECT_EQ(host.status, "");
}

}  // namespace
