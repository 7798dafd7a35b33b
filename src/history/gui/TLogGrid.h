#pragma once
// The maintenance-log grid behaves as a data-aware grid: typing edits a cell;
// Enter, or moving to another record, writes the record; Esc cancels the
// record's changes; Insert adds a record before the current one, Down on the
// last record adds one after it; Ctrl+Delete deletes the current record once
// the user confirms. A record that receives no value is dropped, not written.
// A number that its column cannot hold stays in its cell's editor, and the
// cursor stays with it, until the user mends it or drops it with Esc.
#include <QSqlError>
#include <QTableView>
#include <functional>

class LogCellDelegate;
class TLogTableModel;

class TLogGrid : public QTableView {
  Q_OBJECT
 public:
  explicit TLogGrid(QWidget* parent = nullptr);
  void SetLogModel(TLogTableModel* model);

  // Writes the changes of the current record, an edit still open in a cell
  // included. False when the table refused them; they stay pending then, and
  // the reason goes to failure when given, else to ReportError.
  bool Post(QSqlError* failure = nullptr);
  // Drops the changes of the current record (a new record disappears).
  void Cancel();
  bool InsertRecord();
  bool AppendRecord();
  // Deletes the current record without asking.
  bool DeleteRecord();
  // Ctrl+Delete's question; true deletes. Replaceable so that tests can answer.
  std::function<bool()> ConfirmDelete;
  // Reports a table error (the window shows it in a message box).
  std::function<void(const QSqlError&)> ReportError;

 protected:
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  bool viewportEvent(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
  void closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) override;

 private:
  bool HasTable() const;
  bool EditorRefuses() const;
  bool CommitEditor();
  bool Refuse(const QSqlError& error, QSqlError* failure);
  bool AddRecord(bool append);
  void FetchAll();
  void MoveTo(int row, int column);
  void PostLater();
  void CancelLater();
  void Queue(bool& flag);
  void RunPending();

  TLogTableModel* model_ = nullptr;
  LogCellDelegate* delegate_ = nullptr;
  bool quiet_ = false;        // the cursor is being placed by program
  bool postQueued_ = false;
  bool cancelQueued_ = false;
};
