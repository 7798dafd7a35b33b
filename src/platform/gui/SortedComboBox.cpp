#include "platform/gui/SortedComboBox.h"

#include <algorithm>

int TSortedComboBox::AddSorted(const QString& text, const QVariant& data) {
  // The entries are in order, so the first one after text is found by halves.
  int lo = 0, hi = count();
  while (lo < hi) {
    const int mid = lo + (hi - lo) / 2;
    if (QString::localeAwareCompare(itemText(mid), text) > 0) hi = mid;
    else lo = mid + 1;
  }
  insertItem(lo, text, data);
  return lo;
}

void TSortedComboBox::AddSorted(QList<Entry> entries) {
  // Stable, so that equal texts keep the order they came in; each entry then
  // goes after the one before it.
  std::stable_sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    return QString::localeAwareCompare(a.text, b.text) < 0;
  });
  for (const Entry& e : entries) AddSorted(e.text, e.data);
}
