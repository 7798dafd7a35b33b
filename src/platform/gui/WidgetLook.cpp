#include "platform/gui/WidgetLook.h"

#include <QPalette>
#include <QWidget>

namespace look {
QFont Font(const char* family, bool bold, bool italic, int pixelSize) {
  QFont f(QString::fromLatin1(family));
  f.setPixelSize(pixelSize);
  f.setBold(bold);
  f.setItalic(italic);
  return f;
}

void SetTextColour(QWidget* w, const QColor& c) {
  QPalette p = w->palette();
  for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    p.setColor(group, QPalette::WindowText, c);
    p.setColor(group, QPalette::Text, c);
    p.setColor(group, QPalette::ButtonText, c);
  }
  w->setPalette(p);
}
}  // namespace look
