// Entry: the application, the main window and its start-up, the message loop.
#include <QApplication>
#include <QMessageBox>
#include <clocale>
#include <exception>
#include <memory>

#include "app/MainForm.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // QApplication took the whole locale from the environment; numbers in the
  // window, the log and the files keep the C locale's decimal point.
  std::setlocale(LC_NUMERIC, "C");
  // The main window lives until the message loop has ended: the controls and
  // the other windows reach it through MainForm for as long as they run. It
  // goes before the application object, which its widgets need to the end.
  std::unique_ptr<TMainForm> form;
  try {
    form = std::make_unique<TMainForm>();
    MainForm = form.get();
    MainForm->FormCreate();
    MainForm->show();
    app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, QString(), QString::fromUtf8(e.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, QString(), QString());
  }
  MainForm = nullptr;
  return 0;
}
