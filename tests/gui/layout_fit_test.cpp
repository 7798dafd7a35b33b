// What the window shows fits where it is put: no button or label crosses the
// frame line of its box, and nothing touches the box's right border.
#include <gtest/gtest.h>

#include <QFontInfo>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionGroupBox>

#include "TempDir.h"
#include "app/MainForm.h"
#include "platform/gui/GroupBox.h"
#include "platform/gui/WidgetLook.h"
#include "plot/gui/TGraph.h"
#include "plot/gui/TGraphSpider.h"

namespace {

// The inside of the frame as the style draws it: the box alone is rendered;
// the frame's top line is the first row, two pixels in from the right where
// no title reaches, that differs from the top row, and the inside ends on the
// right where the frame's colour begins.
QRect Inside(QGroupBox* box) {
  QImage image(box->size(), QImage::Format_RGB32);
  image.fill(box->palette().color(QPalette::Window));
  box->render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
  const int w = image.width(), h = image.height();
  const QRgb outside = image.pixel(w - 3, 0), inside = image.pixel(w / 2, h / 2);
  int top = 0;
  while (top < h - 1 && image.pixel(w - 3, top) == outside) ++top;
  int right = w - 1;
  while (right > 0 && image.pixel(right, h / 2) != inside) --right;
  return QRect(QPoint(0, top + 1), QPoint(right, h - 1));
}

TEST(LayoutFit, ChildrenStayInsideTheirBoxFrames) {
  setenv("ZEPHYRAL_COM1", "/nonexistent/zephyral-tty", 1);
  TempWorkDir wd;
  TMainForm form;
  form.FormCreate();
  form.Timer->stop();
  unsetenv("ZEPHYRAL_COM1");
  const QList<QGroupBox*> boxes = form.findChildren<QGroupBox*>();
  ASSERT_GE(boxes.size(), 7);
  for (QGroupBox* box : boxes) {
    const QRect frame = Inside(box);
    ASSERT_GT(frame.top(), 1) << "a frame line is drawn";
    for (QWidget* child : box->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
      if (child->isWindow() || !child->isVisibleTo(box)) continue;
      QRect shown = child->geometry();
      if (auto* label = qobject_cast<QLabel*>(child)) {
        // A label's text takes what its font needs, whatever its width.
        const QFontMetrics fm(label->font());
        shown.setWidth(std::max(1, fm.horizontalAdvance(label->text())));
      }
      // Inside the frame, or wholly in the title's band above its line.
      const bool clear = shown.top() >= frame.top() || shown.bottom() < frame.top() - 1;
      EXPECT_TRUE(clear) << box->title().toStdString() << ": "
                                          << child->metaObject()->className() << " "
                                          << child->objectName().toStdString();
      EXPECT_LT(shown.right(), frame.right() - 1) << box->title().toStdString() << ": "
                                              << child->metaObject()->className();
    }
  }
}

// The box itself places its frame, whatever the style would: the top line on
// the row under the caption's band, the other sides on the box's edges. With
// the style's picture, which both releases ship, and with the plain lines
// drawn where a release has none.
TEST(LayoutFit, TheFrameLiesWhereTheBoxPutsIt) {
  EXPECT_FALSE(TGroupBox::FramePicture().isNull());
  const QPixmap none;
  for (const QPixmap* picture : {&TGroupBox::FramePicture(), &none}) {
    const QRgb ground = qRgb(239, 239, 239);
    QImage image(120, 60, QImage::Format_RGB32);
    image.fill(ground);
    {
      QPainter painter(&image);
      TGroupBox::DrawFrame(painter, image.size(), *picture);
    }
    const int x = image.width() / 2, y = image.height() / 2;
    int top = 0, left = 0;
    while (top < image.height() - 1 && image.pixel(x, top) == ground) ++top;
    while (left < image.width() - 1 && image.pixel(left, y) == ground) ++left;
    EXPECT_EQ(top, TGroupBox::kFrameLineRow);
    EXPECT_EQ(left, 1);
    EXPECT_NE(image.pixel(image.width() - 1, y), ground);
    EXPECT_NE(image.pixel(x, image.height() - 1), ground);
  }
}

// The names the window uses are drawn in the faces the set-up installs, not in
// whatever the desktop's fonts make fontconfig prefer.
TEST(LayoutFit, FaceNamesResolveToTheInstalledFaces) {
  const struct {
    const char* name;
    const char* face;
  } faces[] = {{"Courier", "DejaVu Sans Mono"},
               {"MS Sans Serif", "DejaVu Sans"},
               {"Arial", "DejaVu Sans"},
               {"Comic Sans MS", "Comic Neue"}};
  for (const auto& f : faces) {
    for (const bool bold : {false, true}) {
      EXPECT_EQ(QFontInfo(look::Font(f.name, bold, !bold)).family().toStdString(), f.face) << f.name;
    }
  }
}

}  // namespace
