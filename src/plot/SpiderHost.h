#pragma once
// What the balancer control writes in the main window: the caption of the
// cell count label `TCells` (at each paint) and the caption of the view button
// `PanelDataGraph` (at each view switch: "N" under the radial graph, "G" under
// the numeric list).
class SpiderHost {
 public:
  virtual ~SpiderHost() = default;
  virtual void SetCellsCaption(const char* text) = 0;
  virtual void SetDataGraphCaption(const char* text) = 0;
};
