// A tab control whose pages cover the whole control, tab strip included, so
// that a page's controls are placed relative to the control's own corner (the
// main window's list starts just under the strip, the side panel sits beside it).
#pragma once

#include <QWidget>
#include <vector>

class QTabBar;

namespace trovix {

class TabControl : public QWidget {
  Q_OBJECT
 public:
  explicit TabControl(QWidget* parent = nullptr);

  // Adds a page and returns it; place its children with absolute positions.
  QWidget* add_page(const QString& caption, const QString& tooltip = {});
  QWidget* page(int index) const;
  int page_count() const { return static_cast<int>(pages_.size()); }
  int current_index() const;
  void set_current_index(int index);
  QTabBar* tab_bar() const { return bar_; }

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void show_page(int index);

  QTabBar* bar_;
  std::vector<QWidget*> pages_;
};

}  // namespace trovix
