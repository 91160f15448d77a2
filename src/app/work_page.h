// The work page ("工作面板"): the results table, the side panel with the
// search page and the secondary page, and the work-log group.
#pragma once

#include <array>

#include "search/engine_table.h"

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QWidget;

namespace trovix {

class ClickLabel;
class TabControl;

struct WorkPage {
  QTableView* results = nullptr;                      // 超级列表框1
  TabControl* side_tabs = nullptr;                    // 高级选择夹2
  QPlainTextEdit* log_box = nullptr;                  // 编辑框1
  QLineEdit* keyword_box = nullptr;                   // 编辑框2
  ClickLabel* usage_note = nullptr;                   // 透明标签4
  std::array<QRadioButton*, kEngineCount> engines{};  // 单选框1 …, one per engine
  std::array<ClickLabel*, 2> website_pictures{};      // 图片框1, 图片框3
  QPushButton* search_button = nullptr;               // 按钮1
  QPushButton* pause_button = nullptr;                // 按钮2
  QLineEdit* secondary_keyword_box = nullptr;         // 编辑框10, inert
};

// Builds the page's controls inside `page` (positions relative to the tab control).
WorkPage build_work_page(QWidget* page);

}  // namespace trovix
