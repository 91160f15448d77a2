#include "app/donation_window.h"

#include <QLabel>

#include "app/pictures.h"

namespace trovix {

namespace {

QLabel* place_label(QWidget* parent, const QString& text, int x, int y, int w, int h) {
  auto* label = new QLabel(text, parent);
  label->setGeometry(x, y, w, h);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace

DonationWindow::DonationWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("捐赠窗口"));
  setWindowTitle(QStringLiteral("捐赠作者（作者承诺永久免费）"));
  setFixedSize(406, 323);
  setModal(true);

  place_label(this, QStringLiteral("支付宝捐赠"), 48, 8, 88, 32);
  place_label(this, QStringLiteral("微信捐赠"), 272, 8, 80, 32);
  auto* left_code = new QLabel(this);
  left_code->setGeometry(8, 46, 180, 180);
  left_code->setPixmap(code_picture(180, 11));
  auto* right_code = new QLabel(this);
  right_code->setGeometry(208, 46, 180, 180);
  right_code->setPixmap(code_picture(180, 23));
  place_label(this, QStringLiteral("您的支持是小编前进最大的动力！"), 90, 237, 232, 30);
  place_label(this, QStringLiteral("金额不限，纯属自愿！"), 131, 270, 144, 24);
}

}  // namespace trovix
