#include "platform/gui/SortedComboBox.h"

int TSortedComboBox::AddSorted(const QString& text) {
  int i = 0;
  while (i < count() && QString::localeAwareCompare(itemText(i), text) <= 0) ++i;
  insertItem(i, text);
  return i;
}
