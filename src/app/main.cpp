// Entry: the application, the main window and its start-up, the message loop.
#include <QApplication>
#include <QMessageBox>
#include <clocale>
#include <exception>

#include "app/MainForm.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // QApplication took the whole locale from the environment; numbers in the
  // window, the log and the files keep the C locale's decimal point.
  std::setlocale(LC_NUMERIC, "C");
  try {
    MainForm = new TMainForm;
    MainForm->FormCreate();
    MainForm->show();
    app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, QString(), QString::fromUtf8(e.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, QString(), QString());
  }
  return 0;
}
