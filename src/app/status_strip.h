// The two strips at the bottom of the main window: the notice bar with its
// label, and the status bar with four panels. A press anywhere on the status
// bar is reported (it opens the donation window).
#pragma once

#include <QFrame>
#include <array>

class QLabel;

namespace trovix {

class ClickLabel;

class StatusBar : public QFrame {
  Q_OBJECT
 public:
  explicit StatusBar(QWidget* parent = nullptr);
  QLabel* panel(int index) const;  // 0 … 3, nullptr otherwise

 signals:
  void pressed();

 protected:
  void mousePressEvent(QMouseEvent* event) override;

 private:
  std::array<QLabel*, 4> panels_{};
};

struct NoticeBar {
  QFrame* bar = nullptr;        // 背景条
  ClickLabel* label = nullptr;  // 滚动条
};

NoticeBar build_notice_bar(QWidget* window);

}  // namespace trovix
