#pragma once
// A drop-down list kept in the platform's text order. Its change handler is
// bound to the user's choice only (activated), so a selection made by the
// program never runs it.
#include <QComboBox>

class TSortedComboBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  // Inserts text at its sorted place; returns the index.
  int AddSorted(const QString& text);
};
