#pragma once
// A small panel that acts as a button through its click, as the window's
// one-letter buttons do.
#include <QLabel>

class TPanelButton : public QLabel {
  Q_OBJECT
 public:
  explicit TPanelButton(const QString& caption, QWidget* parent = nullptr);
 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};
