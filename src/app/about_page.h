// The About page ("关于软件"): introduction, feedback group, update history,
// promotion, share and donate buttons.
#pragma once

class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

namespace trovix {

class ClickLabel;

struct AboutPage {
  ClickLabel* group_join_picture = nullptr;  // 图片框2
  QGroupBox* feedback_group = nullptr;       // 分组框7, "建议提交"
  QLineEdit* contact_box = nullptr;          // 编辑框11
  QPlainTextEdit* content_box = nullptr;     // 编辑框4
  QPushButton* submit_button = nullptr;      // 按钮6
  QPlainTextEdit* update_history = nullptr;  // 编辑框9, filled by the update check
  QPushButton* share_button = nullptr;       // 按钮5
  QPushButton* donate_button = nullptr;      // 按钮24
};

// Builds the page's controls inside `page` (positions relative to the tab control).
AboutPage build_about_page(QWidget* page);

}  // namespace trovix
