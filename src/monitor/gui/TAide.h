#pragma once
// TAide: the about box. Created hidden at start and kept to the end; each
// "A propos ..." fills and shows it without blocking the main window, and OK
// or its close box hide it again.
#include <QDialog>

#include "monitor/AboutHost.h"

class QLabel;
class QPushButton;

class TAide : public QDialog {
  Q_OBJECT
 public:
  explicit TAide(const AboutHost* host, QWidget* owner = nullptr);

  void FormShow();
  void OKBtnClick();
  // The main window's "A propos ...": the notice, the caption, then the box
  // shown (or brought to the front when it is shown already).
  void ShowAbout(const char* notice);

  QLabel* Image1 = nullptr;
  QLabel* Banniere = nullptr;
  QLabel* Version = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label2 = nullptr;
  QLabel* LabelWeb = nullptr;
  QPushButton* OKBtn = nullptr;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  const AboutHost* host_;
};

// The program's global pointer to its about box.
extern TAide* Aide;
