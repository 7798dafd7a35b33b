#include "platform/gui/WidgetLook.h"

#include <QPalette>
#include <QWidget>
#include <initializer_list>

namespace look {
QFont Font(const char* family, bool bold, bool italic, int pixelSize) {
  QFont f(QString::fromLatin1(family));
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

namespace {
void SetColour(QWidget* w, const QColor& c, std::initializer_list<QPalette::ColorGroup> groups) {
  QPalette p = w->palette();
  for (auto group : groups) {
    p.setColor(group, QPalette::WindowText, c);
    p.setColor(group, QPalette::Text, c);
    p.setColor(group, QPalette::ButtonText, c);
  }
  w->setPalette(p);
}
}  // namespace

void SetTextColour(QWidget* w, const QColor& c) { SetColour(w, c, {QPalette::Active, QPalette::Inactive}); }

void SetFontColour(QWidget* w, const QColor& c) {
  SetColour(w, c, {QPalette::Active, QPalette::Inactive, QPalette::Disabled});
}
}  // namespace look
