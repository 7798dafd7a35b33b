#pragma once
// A drop-down list kept in the platform's text order. Its change handler is
// bound to the user's choice only (activated), so a selection made by the
// program never runs it.
#include <QComboBox>
#include <QList>
#include <QString>
#include <QVariant>

class TSortedComboBox : public QComboBox {
  Q_OBJECT
 public:
  using QComboBox::QComboBox;
  struct Entry {
    QString text;
    QVariant data;  // the item's user data
  };
  // Inserts text at its sorted place, after the entries equal to it; returns
  // the index.
  int AddSorted(const QString& text, const QVariant& data = {});
  // The same as AddSorted of each entry in turn, but sorted once, so that a
  // list of thousands of entries fills in n log n.
  void AddSorted(QList<Entry> entries);
};
