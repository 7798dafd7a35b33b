// The status bar shows a whole generation-3 frame, checksum and ">" included.
#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QLabel>
#include <string>

#include "app/MainForm.h"

namespace {
// The widest frame: "<-", 100 characters of the widest hexadecimal digit, ">".
std::string WidestFrame(const QFont& font) {
  const QFontMetrics fm(font);
  char widest = '0';
  for (char c : std::string("0123456789ABCDEF"))
    if (fm.horizontalAdvance(QChar(c)) > fm.horizontalAdvance(QChar(widest))) widest = c;
  return "<-" + std::string(100, widest) + ">";
}

bool Dark(QRgb c) { return qGray(c) < 128; }

TEST(StatusBar, AWholeGeneration3FrameShows) {
  TMainForm form;
  QLabel* bar = form.StatusBar;
  ASSERT_EQ(bar->geometry(), QRect(112, 664, 641, 20));
  const std::string frame = WidestFrame(bar->font());
  ASSERT_EQ(frame.size(), 103u);
  form.SetStatusText(frame.c_str());
  const QImage image = bar->grab().toImage();
  // Cut text would run into the frame's inner edge; whole text leaves a gap.
  const QRect inside = bar->contentsRect();
  int lastInk = -1;
  for (int x = inside.left(); x <= inside.right(); ++x)
    for (int y = inside.top(); y <= inside.bottom(); ++y)
      if (Dark(image.pixel(x, y))) lastInk = x;
  EXPECT_GT(lastInk, inside.width() * 9 / 10);  // the frame fills the bar...
  EXPECT_LT(lastInk, inside.right() - 2);       // ...and ends inside it
  EXPECT_LE(QFontMetrics(bar->font()).horizontalAdvance(QString::fromStdString(frame)),
            inside.width() - QFontMetrics(bar->font()).horizontalAdvance(QChar('x')) / 2);
}
}  // namespace
