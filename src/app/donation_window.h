// The donation window: two payment code pictures and a few words of thanks.
// It has no behaviour of its own; the user closes it.
#pragma once

#include <QDialog>

namespace trovix {

class DonationWindow : public QDialog {
  Q_OBJECT
 public:
  explicit DonationWindow(QWidget* parent = nullptr);
};

}  // namespace trovix
