// Opens a pack's maintenance log, writes one record as the grid's Enter does,
// says "posted", then waits to be killed.
#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "history/gui/LogTableModel.h"
#include "history/gui/THistoriqueForm.h"
#include "history/gui/TLogGrid.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 1);
  QApplication app(argc, argv);
  if (argc < 2) return 2;
  THistoriqueForm form;
  form.OpenLog(argv[1]);
  if (!form.TableOpen || !form.DBGrid1->AppendRecord()) return 3;
  const int row = form.Records->rowCount() - 1;
  form.Records->setData(form.Records->index(row, 0), "01/06/24");
  form.Records->setData(form.Records->index(row, 1), "1800");
  form.Records->setData(form.Records->index(row, 3), "25");
  if (!form.DBGrid1->Post()) return 4;
  std::printf("posted\n");
  std::fflush(stdout);
  return app.exec();
}
