#include "platform/gui/WidgetLook.h"

#include <QPalette>
#include <QWidget>
#include <cstring>
#include <initializer_list>

namespace look {
QString Face(const char* name) {
  // fonts-dejavu-core and fonts-comic-neue.
  static constexpr struct {
    const char* name;
    const char* face;
  } kFaces[] = {
      {"Courier", "DejaVu Sans Mono"},
      {"MS Sans Serif", "DejaVu Sans"},
      {"Arial", "DejaVu Sans"},
      {"Comic Sans MS", "Comic Neue"},
  };
  for (const auto& f : kFaces) {
    if (std::strcmp(f.name, name) == 0) return QString::fromLatin1(f.face);
  }
  return QStringLiteral("DejaVu Sans");
}

QFont Font(const char* family, bool bold, bool italic, int pixelSize) {
  QFont f(Face(family));
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
