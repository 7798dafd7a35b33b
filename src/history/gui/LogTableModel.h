#pragma once
// The records of one maintenance log. A log table has no key: two records may
// hold the same values (two blank ones, say), so a change or a deletion must
// reach exactly the record the user is on, never every look-alike. The model
// addresses a record by its place in reading order (rowid order) and checks
// that it still holds the values it was read with.
#include <QSqlRecord>
#include <QSqlTableModel>
#include <map>

class TLogTableModel : public QSqlTableModel {
  Q_OBJECT
 public:
  TLogTableModel(QObject* parent, const QSqlDatabase& db);

  // Cell values are checked here, whatever edits them: the date holds at most
  // 20 characters, the numbers are whole 32-bit numbers or no value.
  bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  bool insertRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
  bool removeRows(int row, int count, const QModelIndex& parent = QModelIndex()) override;
  void revertRow(int row) override;
  bool select() override;
  void clear() override;

  // Column titles, whatever table is open.
  QString Titles[4];

  // The row inserted and not yet written, or -1.
  int InsertedRow() const { return inserted_; }
  // Whether the inserted row has received any value.
  bool InsertedRowTouched() const { return insertedTouched_; }

 protected:
  bool updateRowInTable(int row, const QSqlRecord& values) override;
  bool deleteRowFromTable(int row) override;
  QString orderByClause() const override;

 private:
  void Remember(int row);
  QString OneRowWhere() const;
  bool Exec(const QString& sql, const QSqlRecord* values, int row);

  std::map<int, QSqlRecord> read_;  // values as read, by row, of rows changed since
  int inserted_ = -1;
  bool insertedTouched_ = false;
};
