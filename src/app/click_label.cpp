#include "app/click_label.h"

#include <QMouseEvent>

namespace trovix {

void ClickLabel::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    event->accept();
    emit pressed();
    return;
  }
  QLabel::mousePressEvent(event);
}

}  // namespace trovix
