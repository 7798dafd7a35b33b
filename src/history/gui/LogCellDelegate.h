#pragma once
// Cell editors of the maintenance-log grid: a date of at most 20 characters,
// whole numbers in the other cells; an emptied cell holds no value.
#include <QPointer>
#include <QStyledItemDelegate>

class LogCellDelegate : public QStyledItemDelegate {
  Q_OBJECT
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                        const QModelIndex& index) const override;
  void setEditorData(QWidget* editor, const QModelIndex& index) const override;
  void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;

  // The editor open in the grid, if any.
  QWidget* OpenEditor() const { return editor_; }

 private:
  mutable QPointer<QWidget> editor_;
};
