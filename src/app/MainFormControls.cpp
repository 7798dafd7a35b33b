// The curve and balancer controls inside their boxes.
#include "app/MainForm.h"

void TMainForm::CreateControls() {}
void TMainForm::SpiderEnable(bool) {}
void TMainForm::Graph2Enable(bool) {}
