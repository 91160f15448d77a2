#include "app/tab_control.h"

#include <QTabBar>

namespace trovix {

namespace {
constexpr int kStripHeight = 22;  // the pages' controls start at 22 to 24 pixels
}

TabControl::TabControl(QWidget* parent) : QWidget(parent), bar_(new QTabBar(this)) {
  bar_->setDrawBase(false);
  bar_->setExpanding(false);
  bar_->setFixedHeight(kStripHeight);
  connect(bar_, &QTabBar::currentChanged, this, &TabControl::show_page);
}

QWidget* TabControl::add_page(const QString& caption, const QString& tooltip) {
  auto* page = new QWidget(this);
  page->setGeometry(rect());
  pages_.push_back(page);
  const int index = bar_->addTab(caption);
  if (!tooltip.isEmpty()) bar_->setTabToolTip(index, tooltip);
  bar_->adjustSize();
  bar_->setFixedHeight(kStripHeight);
  bar_->raise();
  show_page(bar_->currentIndex());
  return page;
}

QWidget* TabControl::page(int index) const {
  if (index < 0 || index >= page_count()) return nullptr;
  return pages_[static_cast<std::size_t>(index)];
}

int TabControl::current_index() const { return bar_->currentIndex(); }

void TabControl::set_current_index(int index) { bar_->setCurrentIndex(index); }

void TabControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  for (QWidget* page : pages_) page->setGeometry(rect());
  bar_->raise();
}

void TabControl::show_page(int index) {
  for (int i = 0; i < page_count(); ++i)
    pages_[static_cast<std::size_t>(i)]->setVisible(i == index);
  bar_->raise();
}

}  // namespace trovix
