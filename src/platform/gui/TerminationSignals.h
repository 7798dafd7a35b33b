#pragma once
// SIGTERM (the system shutting down), SIGHUP (the terminal that started the
// program going away) and SIGINT (Ctrl-C) end the program as the close box of
// its main window does, so that what the closing writes, or asks about, is not
// lost to a signal.
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <csignal>

class TTerminationSignals : public QObject {
  Q_OBJECT
 public:
  // Takes the three signals from here on, except those the program was
  // started with ignored (nohup, a shell's background job). The first signal
  // closes the window once the event loop runs, and once no box waits for an
  // answer; later ones do nothing. One instance at a time.
  explicit TTerminationSignals(QWidget* window);
  // Gives the signals back the actions they had.
  ~TTerminationSignals() override;

 private:
  void Arrived();
  void Close();

  QPointer<QWidget> window_;
  bool closing_ = false;
  QTimer boxAnswered_;
  struct sigaction previous_[3] = {};
};
