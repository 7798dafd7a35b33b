#include "link/ChargerMonitor.h"

#include "link/LookSink.h"
#include "plot/CurveSink.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

ChargerMonitor::ChargerMonitor() : reader_(texts_), decoder_(texts_, resistance_, memories_) {}

void ChargerMonitor::Connect(ByteSource* port, TLogFile* log, LookSink* looks) {
  reader_.Port = port;
  reader_.LogFile = log;
  reader_.Looks = looks;
  looks_ = looks;
}

void ChargerMonitor::SetControls(CurveSink* graph1, CurveSink* graph2, CellSink* spider) {
  reader_.Graph1 = graph1;
  decoder_.Graph[0] = graph1;
  decoder_.Graph[1] = graph2;
  decoder_.Spider = spider;
}

bool ChargerMonitor::TimerEvent() {
  switch (reader_.ReadFrame()) {
    case FrameReader::Result::Nothing: return false;
    case FrameReader::Result::BadFrame: return true;
    case FrameReader::Result::GoodFrame: break;
  }
  decoder_.DecodeFrame(reader_.FrameBuffer, reader_.Generation);
  return true;
}

void ChargerMonitor::Redemarrer1Click() {
  texts_.PanelLoaderCaption = UserTexts(txt::ChargerData);
  texts_.EditInputVoltage.clear();
  texts_.EditTemperature.clear();
  texts_.EditCycle.clear();
  texts_.EditOperatingMode1.clear();
  texts_.EditOperatingMode2.clear();
  if (looks_) looks_->Zephyral3Enabling();
  reader_.Restart();
}

void ChargerMonitor::RAZClick() {
  for (OutputResistance& r : resistance_) r.Reset();
  for (CurveSink* g : decoder_.Graph)
    if (g) g->Clear();
  texts_.StatusBar.clear();
}

void ChargerMonitor::Effacer1Click() { memories_.Clear(texts_); }

void ChargerMonitor::EraseOutput(int n) {
  resistance_[n - 1].Reset();
  if (CurveSink* g = decoder_.Graph[n - 1]) g->Clear();
}
