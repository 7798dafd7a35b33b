#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <string>

#include "Language.h"
#include "monitor/gui/TAide.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

namespace {
struct FakeMain : AboutHost {
  std::string title = UserTexts(txt::AboutTitle), version = UserTexts(txt::Version);
  const char* AboutTitleText() const override { return title.c_str(); }
  const char* AboutVersionText() const override { return version.c_str(); }
};

QString Q(const std::string& s) { return QString::fromStdString(s); }

TEST(AboutBox, ShowsThisBuildsTextsModelessAtItsPlaces) {
  FakeMain host;
  QWidget mainWindow;
  mainWindow.show();
  TAide aide(&host);
  EXPECT_FALSE(aide.isVisible());
  aide.ShowAbout(UserTexts(txt::AboutNotice));

  EXPECT_TRUE(aide.isVisible());
  EXPECT_FALSE(aide.isModal());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
  EXPECT_TRUE(mainWindow.isEnabled());
  EXPECT_EQ(aide.size(), QSize(516, 175));
  EXPECT_EQ(aide.windowTitle(), Q(Lang("A propos ...", "About ...")));
  EXPECT_EQ(aide.Banniere->text(), Q(Lang("Contrôleur pour chargeurs Zephyral", "    Zephyral Loaders Software")));
  EXPECT_EQ(aide.Version->text(), "Version 3.16 ");
  EXPECT_EQ(aide.Label2->text(), Q(Lang("Suivi des chargeurs Zephyral sur port série",
                                        "Zephyral charger monitor over a serial port")));
  EXPECT_TRUE(aide.OKBtn->isDefault());
  EXPECT_EQ(aide.OKBtn->text(), "OK");

  struct Place {
    QWidget* w;
    QPoint at;
    int pixels;
    bool bold, italic;
    bool sizedToText = true;
  };
  const Place places[] = {
      {aide.Banniere, {216, 24}, 16, false, false}, {aide.Version, {304, 48}, 16, false, true},
      {aide.Label1, {212, 72}, 13, true, true},     {aide.Label2, {10, 158}, 11, false, false},
      {aide.LabelWeb, {282, 137}, 11, false, false}, {aide.OKBtn, {319, 100}, 11, false, false, false},
      {aide.Image1, {16, 24}, 11, false, false, false},
  };
  for (const Place& p : places) {
    SCOPED_TRACE(testing::Message() << p.at.x() << "," << p.at.y());
    EXPECT_EQ(p.w->pos(), p.at);
    EXPECT_EQ(p.w->font().pixelSize(), p.pixels);
    EXPECT_EQ(p.w->font().bold(), p.bold);
    EXPECT_EQ(p.w->font().italic(), p.italic);
    // Every text is shown whole, inside the box.
    if (p.sizedToText) {
      EXPECT_GE(p.w->width(), p.w->sizeHint().width());
    }
    EXPECT_LE(p.w->geometry().right(), 515);
  }
  EXPECT_EQ(aide.Image1->size(), QSize(185, 129));
  EXPECT_EQ(aide.Image1->pixmap().size(), QSize(195, 127));
  EXPECT_EQ(aide.OKBtn->size(), QSize(66, 25));
}

TEST(AboutBox, EnterAndTheCloseBoxHideItAndShowingAgainRefills) {
  FakeMain host;
  TAide aide(&host);
  aide.ShowAbout("first");
  QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
  QApplication::sendEvent(&aide, &enter);
  EXPECT_FALSE(aide.isVisible());

  host.title = "new title";
  host.version = "Version 9 ";
  aide.ShowAbout("second");
  EXPECT_EQ(aide.Banniere->text(), "new title");
  EXPECT_EQ(aide.Version->text(), "Version 9 ");
  EXPECT_EQ(aide.Label2->text(), "second");

  // Shown already: the notice changes, the filling does not run again.
  host.title = "not yet";
  aide.ShowAbout("third");
  EXPECT_EQ(aide.Label2->text(), "third");
  EXPECT_EQ(aide.Banniere->text(), "new title");

  aide.close();
  EXPECT_FALSE(aide.isVisible());
  aide.ShowAbout("fourth");
  EXPECT_TRUE(aide.isVisible());
  EXPECT_EQ(aide.Banniere->text(), "not yet");
}
}  // namespace
