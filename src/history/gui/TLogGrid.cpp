#include "history/gui/TLogGrid.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QTimer>
#include <algorithm>

#include "history/HistoryTexts.h"
#include "history/gui/LogCellDelegate.h"
#include "history/gui/LogTableModel.h"

TLogGrid::TLogGrid(QWidget* parent) : QTableView(parent) {
  delegate_ = new LogCellDelegate(this);
  setItemDelegate(delegate_);
  setSelectionMode(SingleSelection);
  setSelectionBehavior(SelectItems);
  setEditTriggers(DoubleClicked | EditKeyPressed | AnyKeyPressed);
  setTabKeyNavigation(true);
  horizontalHeader()->setDefaultAlignment(Qt::AlignCenter);
  horizontalHeader()->setHighlightSections(false);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setFixedWidth(12);
  verticalHeader()->setDefaultAlignment(Qt::AlignCenter);
}

void TLogGrid::SetLogModel(TLogTableModel* model) {
  model_ = model;
  setModel(model);
}

bool TLogGrid::HasTable() const { return model_ && !model_->tableName().isEmpty(); }

bool TLogGrid::EditorRefuses() const {
  auto* editor = qobject_cast<QLineEdit*>(delegate_->OpenEditor());
  return editor && state() == EditingState && !editor->hasAcceptableInput();
}

// Hands the open editor's text to the record and closes the editor; a text
// that the column refuses stays in its editor, and false says so.
bool TLogGrid::CommitEditor() {
  QWidget* editor = delegate_->OpenEditor();
  if (!editor || state() != EditingState) return true;
  if (EditorRefuses()) return false;
  commitData(editor);
  QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  return true;
}

bool TLogGrid::Refuse(const QSqlError& error, QSqlError* failure) {
  if (failure)
    *failure = error;
  else if (ReportError)
    ReportError(error);
  return false;
}

void TLogGrid::FetchAll() {
  while (model_->canFetchMore()) model_->fetchMore();
}

void TLogGrid::MoveTo(int row, int column) {
  if (model_->rowCount() == 0) return;
  row = std::clamp(row, 0, model_->rowCount() - 1);
  quiet_ = true;
  setCurrentIndex(model_->index(row, std::max(column, 0)));
  quiet_ = false;
}

bool TLogGrid::Post(QSqlError* failure) {
  if (cancelQueued_) Cancel();  // an Esc pressed before still drops what it dropped
  postQueued_ = false;
  if (!HasTable()) return true;
  if (!CommitEditor()) {
    const QString text = static_cast<QLineEdit*>(delegate_->OpenEditor())->text();
    return Refuse(QSqlError(QString::fromUtf8(history::Say(history::Said::NotAWholeNumber)).arg(text), QString(),
                            QSqlError::StatementError),
                  failure);
  }
  if (!model_->isDirty()) return true;
  int row = currentIndex().row();
  const int column = currentIndex().column();
  int inserted = model_->InsertedRow();
  if (inserted != -1 && !model_->InsertedRowTouched()) {
    // A new record that received nothing is dropped, as a data grid does.
    model_->revertRow(inserted);
    if (row > inserted) --row;
    inserted = -1;
    MoveTo(row, column);
    if (!model_->isDirty()) return true;
  }
  if (!model_->submitAll()) return Refuse(model_->lastError(), failure);
  FetchAll();
  // The table reads back in writing order: a new record now stands last.
  if (inserted != -1) {
    if (row == inserted)
      row = model_->rowCount() - 1;
    else if (row > inserted)
      --row;
  }
  MoveTo(row, column);
  return true;
}

void TLogGrid::Cancel() {
  cancelQueued_ = false;
  if (!HasTable()) return;
  if (QWidget* editor = delegate_->OpenEditor(); editor && state() == EditingState)
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  const int row = currentIndex().row(), column = currentIndex().column();
  const int inserted = model_->InsertedRow();
  model_->revertAll();
  MoveTo(inserted != -1 && row > inserted ? row - 1 : row, column);
}

bool TLogGrid::AddRecord(bool append) {
  if (!HasTable() || !Post()) return false;
  const int column = std::max(currentIndex().column(), 0);
  const int row = append || !currentIndex().isValid() ? model_->rowCount() : currentIndex().row();
  if (!model_->insertRow(row)) return false;
  MoveTo(row, column);
  return true;
}

bool TLogGrid::InsertRecord() { return AddRecord(false); }
bool TLogGrid::AppendRecord() { return AddRecord(true); }

bool TLogGrid::DeleteRecord() {
  if (!HasTable() || !currentIndex().isValid()) return false;
  const int row = currentIndex().row(), column = currentIndex().column();
  if (QWidget* editor = delegate_->OpenEditor(); editor && state() == EditingState)
    QTableView::closeEditor(editor, QAbstractItemDelegate::NoHint);
  if (row == model_->InsertedRow()) {
    model_->revertRow(row);
    MoveTo(row, column);
    return true;
  }
  // The record's own unwritten changes go with it; the deletion finds it by
  // the values it was read with.
  model_->revertAll();
  if (!model_->removeRow(row) || !model_->submitAll()) {
    const QSqlError error = model_->lastError();
    model_->revertAll();
    if (ReportError) ReportError(error);
    return false;
  }
  FetchAll();
  MoveTo(row, column);
  return true;
}

// A write or a drop that a cursor move or a closed editor asked for runs once
// the view has finished with its cursor, and in any case before the grid
// takes the user's next key or opens an editor: the write reloads the table,
// which would close an editor opened meanwhile and lose what was typed in it.
void TLogGrid::PostLater() { Queue(postQueued_); }
void TLogGrid::CancelLater() { Queue(cancelQueued_); }

void TLogGrid::Queue(bool& flag) {
  if (flag) return;
  flag = true;
  QTimer::singleShot(0, this, [this] { RunPending(); });
}

void TLogGrid::RunPending() {
  if (cancelQueued_) Cancel();
  if (postQueued_) Post();
}

bool TLogGrid::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  if (!(trigger & editTriggers()) || (!postQueued_ && !cancelQueued_)) return QTableView::edit(index, trigger, event);
  const bool onCurrent = index == currentIndex();
  const int row = index.row(), column = index.column();
  RunPending();
  return QTableView::edit(onCurrent ? currentIndex() : model_->index(row, column), trigger, event);
}

// The cursor does not leave a number that its column refuses, by mouse or by
// key; the user mends it or drops it with Esc.
bool TLogGrid::viewportEvent(QEvent* event) {
  const bool press = event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick;
  const bool drag = event->type() == QEvent::MouseMove && static_cast<QMouseEvent*>(event)->buttons() != Qt::NoButton;
  if ((press || drag) && EditorRefuses()) {
    delegate_->OpenEditor()->setFocus();
    return true;
  }
  return QTableView::viewportEvent(event);
}

void TLogGrid::keyPressEvent(QKeyEvent* event) {
  if (EditorRefuses()) return;
  RunPending();
  if (!HasTable()) return QTableView::keyPressEvent(event);
  const bool editing = state() == EditingState;
  const int rows = model_->rowCount();
  const int row = currentIndex().row();
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!editing) {
        Post();
        return;
      }
      break;
    case Qt::Key_Escape:
      if (!editing) {
        Cancel();
        return;
      }
      break;
    case Qt::Key_Insert:
      if (event->modifiers() == Qt::NoModifier) {
        InsertRecord();
        return;
      }
      break;
    case Qt::Key_Down:
      if (rows == 0 || row == rows - 1) {
        CommitEditor();
        const bool blankNew = row == model_->InsertedRow() && !model_->InsertedRowTouched();
        if (!blankNew) AppendRecord();
        return;
      }
      break;
    case Qt::Key_Delete:
      if (event->modifiers() & Qt::ControlModifier) {
        if (currentIndex().isValid() && (!ConfirmDelete || ConfirmDelete())) DeleteRecord();
        return;
      }
      break;
    default:
      // Typing into an empty log starts its first record.
      if (rows == 0 && !event->text().isEmpty() && event->text().at(0).isPrint()) AppendRecord();
      break;
  }
  QTableView::keyPressEvent(event);
}

void TLogGrid::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
  QTableView::currentChanged(current, previous);
  // Leaving a record writes it; the write reloads the table, which must not
  // happen while the view is still moving its cursor.
  if (!quiet_ && previous.isValid() && current.row() != previous.row()) PostLater();
}

void TLogGrid::closeEditor(QWidget* editor, QAbstractItemDelegate::EndEditHint hint) {
  // The focus leaving an editor takes nothing with it: a refused number stays.
  if (hint == QAbstractItemDelegate::NoHint && EditorRefuses()) return;
  QTableView::closeEditor(editor, hint);
  if (hint == QAbstractItemDelegate::SubmitModelCache)
    PostLater();
  else if (hint == QAbstractItemDelegate::RevertModelCache)
    CancelLater();
}
