#pragma once
// THistoriqueForm: the maintenance-log window. One pack's log at a time, shown
// in a grid the user edits; every showing opens the pack's log file, every
// hiding writes what is pending and closes it.
#include <QMainWindow>
#include <QSqlError>
#include <exception>
#include <functional>
#include <string>

class QAction;
class QMenu;
class TLogGrid;
class TLogTableModel;

// The database engine could not be started: the program cannot go on.
class EDatabaseEngineError : public std::exception {
 public:
  explicit EDatabaseEngineError(unsigned code);
  const char* what() const noexcept override { return message_.c_str(); }
  unsigned Code() const { return code_; }

 private:
  unsigned code_;
  std::string message_;
};

class THistoriqueForm : public QMainWindow {
  Q_OBJECT
 public:
  // Builds the window hidden and connects the "Historique" database; throws
  // EDatabaseEngineError when the driver cannot be had.
  explicit THistoriqueForm(QWidget* owner = nullptr, const char* driverName = "QSQLITE");
  ~THistoriqueForm() override;

  void FormCreate();
  void FormShow();
  void FormHide();
  void Sortie1Click();

  // What the maintenance-log buttons of the main window do: hides the window
  // (writing the log shown so far), takes the pack name, shows the window on
  // that pack's log.
  void OpenLog(const std::string& packName);

  // Quitting writes the log shown. A record that the table will not take is
  // the user's to try again or to leave; it is never dropped unasked.
  void WriteBeforeQuit();
  // Quitting's question about such a record, with the reason; true tries
  // again. Replaceable so that tests can answer.
  std::function<bool(const QSqlError&)> RetryWriting;

  // The table and the database are open.
  bool TableOpen = false;
  // The pack whose log is shown: the bytes of its file's name, which the
  // caption shows decoded.
  std::string HistoryPackName;

  QMenu* Syet1 = nullptr;
  QAction* Sortie1 = nullptr;
  TLogGrid* DBGrid1 = nullptr;
  TLogTableModel* Records = nullptr;

 protected:
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;

 private:
  bool OpenTable();
  bool CloseTable();
  void Report(const QSqlError& error);
};

// The program's global pointer to its maintenance-log window.
extern THistoriqueForm* HistoriqueForm;
