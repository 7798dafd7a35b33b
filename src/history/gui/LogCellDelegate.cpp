#include "history/gui/LogCellDelegate.h"

#include <QLineEdit>
#include <QRegularExpression>
#include <QValidator>

#include "history/HistoryLog.h"

namespace {
// Sign and digits can be typed; only a whole number that the column holds is
// acceptable, so Enter and Tab leave a larger one in its editor, not dropped.
class WholeNumberValidator : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& text, int&) const override {
    static const QRegularExpression shape(QRegularExpression::anchoredPattern(QStringLiteral("-?[0-9]{0,10}")));
    if (!shape.match(text).hasMatch()) return Invalid;
    const QByteArray digits = text.toLatin1();
    int32_t n = 0;
    return history::ParseNumber(std::string_view(digits.constData(), digits.size()), &n) ==
                   history::NumberText::Refused
               ? Intermediate
               : Acceptable;
  }
};
}  // namespace

QWidget* LogCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem&,
                                       const QModelIndex& index) const {
  auto* edit = new QLineEdit(parent);
  edit->setFrame(false);
  edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  if (index.column() == history::kDateColumn) {
    edit->setMaxLength(history::kDateMaxChars);
  } else {
    edit->setValidator(new WholeNumberValidator(edit));
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
