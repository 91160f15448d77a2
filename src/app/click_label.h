// A label (text or picture) that reports a press of the left mouse button,
// for the links and pictures of the windows that react to one.
#pragma once

#include <QLabel>

namespace trovix {

class ClickLabel : public QLabel {
  Q_OBJECT
 public:
  using QLabel::QLabel;

 signals:
  void pressed();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
};

}  // namespace trovix
