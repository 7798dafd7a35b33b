#include "history/gui/LogCellDelegate.h"

#include <QLineEdit>
#include <QRegularExpressionValidator>

#include "history/HistoryLog.h"

QWidget* LogCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const {
  auto* edit = new QLineEdit(parent);
  edit->setFrame(false);
  edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (index.column() == history::kDateColumn) {
    edit->setMaxLength(history::kDateMaxChars);
  } else {
    // Sign and digits only; the model refuses what does not fit 32 bits.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?[0-9]{0,10}")), edit));
  }
  editor_ = edit;
  return edit;
}

void LogCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
  static_cast<QLineEdit*>(editor)->setText(index.data(Qt::EditRole).toString());
}

void LogCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const {
  model->setData(index, static_cast<QLineEdit*>(editor)->text(), Qt::EditRole);
}
