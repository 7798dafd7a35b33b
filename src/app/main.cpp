// Entry: the application, its three windows and the main window's start-up,
// the message loop.
#include <QApplication>
#include <QMessageBox>
#include <clocale>
#include <exception>
#include <memory>

#include "app/MainForm.h"
#include "history/gui/THistoriqueForm.h"
#include "monitor/gui/ProgramArt.h"
#include "monitor/gui/TAide.h"
#include "platform/gui/TerminationSignals.h"
#include "platform/gui/WidgetLook.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // QApplication took the whole locale from the environment; numbers in the
  // window, the log and the files keep the C locale's decimal point.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setWindowIcon(ProgramIcon());
  // Menus, hints and message boxes too: the system's default font is
  // whichever face fontconfig prefers on this desktop.
  QApplication::setFont(look::Font("MS Sans Serif", false));
  // The windows live until the message loop has ended: the controls and the
  // other windows reach the main window through MainForm for as long as they
  // run. They go in the reverse order, the maintenance log first (it writes
  // an edit still open), and all before the application object, which their
  // widgets need to the end. The signals that end the program are taken from
  // before the port opens until the windows have gone, so that none kills the
  // program while the port runs with our settings or a window is going.
  std::unique_ptr<TTerminationSignals> endSignals;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TAide> about;
  std::unique_ptr<THistoriqueForm> history;
  try {
    form = std::make_unique<TMainForm>();
    MainForm = form.get();
    // The start-up opens the port and sets it raw. A signal from here on
    // waits until the message loop runs, then closes the main window as its
    // close box does; one during a start-up error box ends nothing, and the
    // box's answer ends the program.
    endSignals = std::make_unique<TTerminationSignals>(MainForm);
    MainForm->FormCreate();
    about = std::make_unique<TAide>(MainForm);
    Aide = about.get();
    // A database engine that cannot start ends the program here, before the
    // main window shows.
    history = std::make_unique<THistoriqueForm>();
    HistoriqueForm = history.get();
    // The main window closing is the program quitting: the maintenance log
    // writes what is pending, and asks about a record it cannot write, while
    // the message loop still runs and before the other windows are closed.
    QObject::connect(&app, &QGuiApplication::lastWindowClosed, HistoriqueForm, &THistoriqueForm::WriteBeforeQuit);
    MainForm->show();
    app.exec();
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, QString(), QString::fromUtf8(e.what()));
  } catch (...) {
    QMessageBox::critical(nullptr, QString(), QString());
  }
  HistoriqueForm = nullptr;
  history.reset();
  Aide = nullptr;
  about.reset();
  MainForm = nullptr;
  return 0;
}
