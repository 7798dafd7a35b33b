#include "history/gui/LogTableModel.h"

#include <QSqlError>
#include <QSqlQuery>

#include "history/HistoryLog.h"
#include "history/HistoryTexts.h"

namespace {
QSqlError Refusal(history::Said what) {
  return QSqlError(QString::fromUtf8(history::Say(what)), QString(), QSqlError::StatementError);
}
}  // namespace

TLogTableModel::TLogTableModel(QObject* parent, const QSqlDatabase& db) : QSqlTableModel(parent, db) {
  setEditStrategy(OnManualSubmit);
}

bool TLogTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (role != Qt::EditRole || !index.isValid()) return QSqlTableModel::setData(index, value, role);
  QVariant stored;
  if (index.column() == history::kDateColumn) {
    if (value.isNull() || value.toString().isEmpty()) {
      stored = QVariant(QMetaType::fromType<QString>());
    } else {
      const QString text = value.toString();
      if (text.toUcs4().size() > history::kDateMaxChars) return false;
      stored = text;
    }
  } else {
    int32_t n = 0;
    const QByteArray text = value.isNull() ? QByteArray() : value.toString().toUtf8();
    switch (history::ParseNumber(std::string_view(text.constData(), text.size()), &n)) {
      case history::NumberText::Empty: stored = QVariant(QMetaType::fromType<int>()); break;
      case history::NumberText::Whole: stored = int(n); break;
      case history::NumberText::Refused: return false;
    }
  }
  Remember(index.row());
  if (!QSqlTableModel::setData(index, stored, role)) return false;
  if (index.row() == inserted_) insertedTouched_ = true;
  return true;
}

QVariant TLogTableModel::data(const QModelIndex& index, int role) const {
  if (role == Qt::TextAlignmentRole) return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  return QSqlTableModel::data(index, role);
}

QVariant TLogTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
  // The row header only marks a record being added, as a data grid's indicator does.
  if (orientation == Qt::Vertical && role == Qt::DisplayRole)
    return section == inserted_ ? QStringLiteral("*") : QString();
  if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < history::kFieldCount)
    return Titles[section];
  return QSqlTableModel::headerData(section, orientation, role);
}

bool TLogTableModel::insertRows(int row, int count, const QModelIndex& parent) {
  // The grid writes every change before it adds a record, so one row at most is new.
  if (count != 1 || inserted_ != -1 || isDirty()) return false;
  read_.clear();
  if (!QSqlTableModel::insertRows(row, count, parent)) return false;
  inserted_ = row;
  insertedTouched_ = false;
  return true;
}

bool TLogTableModel::removeRows(int row, int count, const QModelIndex& parent) {
  if (count != 1) return false;
  if (row == inserted_) {
    revertRow(row);
    return true;
  }
  Remember(row);
  return QSqlTableModel::removeRows(row, count, parent);
}

void TLogTableModel::revertRow(int row) {
  QSqlTableModel::revertRow(row);
  read_.erase(row);
  if (row == inserted_) {
    inserted_ = -1;
    insertedTouched_ = false;
  }
}

bool TLogTableModel::select() {
  read_.clear();
  inserted_ = -1;
  insertedTouched_ = false;
  return QSqlTableModel::select();
}

void TLogTableModel::clear() {
  read_.clear();
  inserted_ = -1;
  insertedTouched_ = false;
  QSqlTableModel::clear();
}

void TLogTableModel::Remember(int row) {
  if (row == inserted_ || read_.count(row)) return;
  read_[row] = record(row);
}

QString TLogTableModel::OneRowWhere() const {
  // The record at the row's place in reading order, provided it still holds
  // the values it was read with.
  QString where = QStringLiteral(" WHERE rowid = (SELECT rowid FROM Records ORDER BY rowid LIMIT 1 OFFSET ?)");
  for (int i = 0; i < history::kFieldCount; ++i)
    where += QStringLiteral(" AND ") + QString::fromLatin1(history::kFieldNames[i]) + QStringLiteral(" IS ?");
  return where;
}

bool TLogTableModel::Exec(const QString& sql, const QSqlRecord* values, int row) {
  auto it = read_.find(row);
  if (it == read_.end()) {
    setLastError(Refusal(history::Said::RecordNotRead));
    return false;
  }
  QSqlQuery q(database());
  if (!q.prepare(sql)) {
    setLastError(q.lastError());
    return false;
  }
  if (values)
    for (int i = 0; i < history::kFieldCount; ++i) q.addBindValue(values->value(i));
  q.addBindValue(inserted_ != -1 && inserted_ < row ? row - 1 : row);
  for (int i = 0; i < history::kFieldCount; ++i) q.addBindValue(it->second.value(i));
  if (!q.exec()) {
    setLastError(q.lastError());
    return false;
  }
  if (q.numRowsAffected() != 1) {
    setLastError(Refusal(history::Said::RecordChangedElsewhere));
    return false;
  }
  return true;
}

bool TLogTableModel::updateRowInTable(int row, const QSqlRecord& values) {
  QString sql = QStringLiteral("UPDATE Records SET ");
  for (int i = 0; i < history::kFieldCount; ++i) {
    if (i) sql += QStringLiteral(", ");
    sql += QString::fromLatin1(history::kFieldNames[i]) + QStringLiteral(" = ?");
  }
  return Exec(sql + OneRowWhere(), &values, row);
}

bool TLogTableModel::deleteRowFromTable(int row) {
  return Exec(QStringLiteral("DELETE FROM Records") + OneRowWhere(), nullptr, row);
}

QString TLogTableModel::orderByClause() const { return QStringLiteral("ORDER BY rowid"); }
