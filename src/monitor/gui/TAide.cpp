#include "monitor/gui/TAide.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>

#include "monitor/gui/ProgramArt.h"
#include "platform/gui/WidgetLook.h"
#include "texts/Catalogue.h"
#include "texts/TextIds.h"

TAide* Aide = nullptr;

using look::Font;

namespace {
QLabel* Label(QWidget* parent, const QString& text, int x, int y, const QFont& font) {
  auto* l = new QLabel(text, parent);
  l->setFont(font);
  l->move(x, y);
  l->adjustSize();
  return l;
}
}  // namespace

TAide::TAide(const AboutHost* host, QWidget* owner) : QDialog(owner), host_(host) {
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowCloseButtonHint);
  setAttribute(Qt::WA_QuitOnClose, false);
  setModal(false);
  setFixedSize(516, 175);
  setFont(Font("MS Sans Serif", false));
  setWindowIcon(ProgramIcon());
  QPalette p = palette();
  p.setColor(QPalette::Window, p.color(QPalette::Button));
  setPalette(p);
  setAutoFillBackground(true);

  // Created first: the first in the tab order.
  OKBtn = new QPushButton(QStringLiteral("OK"), this);
  OKBtn->setGeometry(319, 100, 66, 25);
  OKBtn->setDefault(true);
  connect(OKBtn, &QPushButton::clicked, this, [this] { OKBtnClick(); });

  Image1 = new QLabel(this);
  Image1->setGeometry(16, 24, 185, 129);
  Image1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  Image1->setPixmap(QPixmap::fromImage(AboutPicture()));

  Banniere = Label(this, QStringLiteral("Banniere"), 216, 24, Font("Comic Sans MS", false, false, 16));
  Version = Label(this, QStringLiteral("Version"), 304, 48, Font("Comic Sans MS", false, true, 16));
  Label1 = Label(this, QStringLiteral("Gen. 2 & Gen. 3  -  COM1 ... COM6"), 212, 72,
                 Font("Comic Sans MS", true, true, 13));
  Label2 = Label(this, QStringLiteral("Label2"), 10, 158, font());
  LabelWeb = Label(this, QStringLiteral("9600 - 8N1  -  Packs / Exports"), 282, 137, font());
}

void TAide::FormShow() {
  Banniere->setText(QString::fromUtf8(host_->AboutTitleText()));
  Banniere->adjustSize();
  Version->setText(QString::fromUtf8(host_->AboutVersionText()));
  Version->adjustSize();
}

void TAide::OKBtnClick() { close(); }

void TAide::ShowAbout(const char* notice) {
  Label2->setText(QString::fromUtf8(notice));
  Label2->adjustSize();
  setWindowTitle(QString::fromUtf8(UserTexts(txt::MenuAbout)));
  // Filled and centred only as it goes from hidden to shown. Decided here
  // rather than on the show event: from Qt 6.8 on, showing a dialog that is
  // already shown delivers that event again.
  if (!isVisible()) {
    FormShow();
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
      const QRect area = screen->availableGeometry();
      move(area.center() - QPoint(width() / 2, height() / 2));
    }
  }
  show();
  raise();
  activateWindow();
}

void TAide::keyPressEvent(QKeyEvent* event) {
  // No Cancel button: Esc does nothing here.
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) return;
  QDialog::keyPressEvent(event);
}
