#include "app/status_strip.h"

#include <QLabel>
#include <QMouseEvent>

#include "app/click_label.h"

namespace trovix {

namespace {

struct Panel {
  int width;
  const char* text;
  const char* tooltip;
};

constexpr std::array<Panel, 4> kPanels{{
    {170, "运行状态", "软件运行时间"},
    {280, "使用统计", "软件使用统计系统"},
    {500, "微信关注公众号  Pexlor  每天免费领取微信红包、话费、流量等", "快来关注我吧~"},
    {100, "  点我捐赠作者", ""},
}};

}  // namespace

StatusBar::StatusBar(QWidget* parent) : QFrame(parent) {
  int left = 0;
  for (std::size_t i = 0; i < kPanels.size(); ++i) {
    auto* label = new QLabel(QString::fromUtf8(kPanels[i].text), this);
    label->setObjectName(QStringLiteral("状态条1_%1").arg(i));
    label->setFrameShape(QFrame::Panel);
    label->setFrameShadow(QFrame::Sunken);
    label->setToolTip(QString::fromUtf8(kPanels[i].tooltip));
    label->setGeometry(left, 0, kPanels[i].width, 20);
    // A label ignores presses, so they reach the bar, which reacts as one piece.
    left += kPanels[i].width;
    panels_[i] = label;
  }
}

QLabel* StatusBar::panel(int index) const {
  if (index < 0 || index >= static_cast<int>(panels_.size())) return nullptr;
  return panels_[static_cast<std::size_t>(index)];
}

void StatusBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) {
    event->accept();
    emit pressed();
    return;
  }
  QFrame::mousePressEvent(event);
}

NoticeBar build_notice_bar(QWidget* window) {
  NoticeBar notice;
  notice.bar = new QFrame(window);
  notice.bar->setObjectName(QStringLiteral("背景条"));
  notice.bar->setGeometry(0, 480, 1056, 24);
  notice.bar->setAutoFillBackground(true);
  QPalette palette = notice.bar->palette();
  palette.setColor(QPalette::Window, QColor(0xdd, 0xe8, 0xf5));
  notice.bar->setPalette(palette);
  notice.label = new ClickLabel(QStringLiteral("滚动公告栏"), notice.bar);
  notice.label->setObjectName(QStringLiteral("滚动条"));
  notice.label->setGeometry(0, -1, 120, 23);
  return notice;
}

}  // namespace trovix
