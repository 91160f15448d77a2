#include "app/work_page.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableView>

#include "app/click_label.h"
#include "app/pictures.h"
#include "app/tab_control.h"

namespace trovix {

namespace {

template <typename Widget>
Widget* place(Widget* widget, const char* name, int x, int y, int w, int h) {
  if (name != nullptr) widget->setObjectName(QString::fromUtf8(name));
  widget->setGeometry(x, y, w, h);
  return widget;
}

struct EngineButton {
  const char* name;
  const char* caption;
  int x, y, w, h;
};

constexpr std::array<EngineButton, 6> kEngineButtons{{
    {"单选框1", "种子引擎1", 11, 89, 88, 32},
    {"单选框2", "种子引擎2", 115, 88, 88, 32},
    {"单选框3", "种子引擎3", 12, 121, 96, 32},
    {"单选框4", "种子引擎4", 116, 122, 88, 32},
    {"单选框5", "网盘引擎1", 13, 155, 96, 32},
    {"单选框6", "网盘引擎2", 116, 156, 80, 32},
}};

void build_search_page(QWidget* tab_page, WorkPage& work) {
  auto* group = place(new QGroupBox(tab_page), "分组框1", 1, 22, 217, 235);

  place(new QLabel(QStringLiteral("请输入检索关键词："), group), "透明标签5", 8, 10, 104, 25);
  work.keyword_box =
      place(new QLineEdit(QStringLiteral("（请输入关键词）"), group), "编辑框2", 25, 41, 168, 36);
  work.usage_note =
      place(new ClickLabel(QStringLiteral("使用说明"), group), "透明标签4", 125, 11, 48, 24);
  work.usage_note->setCursor(Qt::PointingHandCursor);
  work.usage_note->setStyleSheet(QStringLiteral("color: #1a5fb4; text-decoration: underline;"));

  auto* engines = new QButtonGroup(group);
  engines->setExclusive(true);
  for (std::size_t i = 0; i < kEngineButtons.size(); ++i) {
    const EngineButton& b = kEngineButtons[i];
    work.engines[i] =
        place(new QRadioButton(QString::fromUtf8(b.caption), group), b.name, b.x, b.y, b.w, b.h);
    engines->addButton(work.engines[i], static_cast<int>(i) + 1);
  }
  work.engines[1]->setChecked(true);

  const std::array<std::array<int, 2>, 2> picture_places{{{189, 90}, {186, 155}}};
  const std::array<const char*, 2> picture_names{"图片框1", "图片框3"};
  for (std::size_t i = 0; i < 2; ++i) {
    auto* picture = place(new ClickLabel(group), picture_names[i], picture_places[i][0],
                          picture_places[i][1], 19, 10);
    picture->setPixmap(link_badge(19, 10));
    picture->setCursor(Qt::PointingHandCursor);
    work.website_pictures[i] = picture;
  }

  work.search_button =
      place(new QPushButton(QStringLiteral("搜索"), group), "按钮1", 13, 193, 88, 32);
  work.pause_button =
      place(new QPushButton(QStringLiteral("暂停"), group), "按钮2", 122, 192, 80, 32);
}

void build_secondary_page(QWidget* tab_page, WorkPage& work) {
  auto* group = place(new QGroupBox(tab_page), "分组框8", 3, 23, 216, 88);
  place(new QLabel(QStringLiteral("请输入二次检索关键词："), group), nullptr, 8, 12, 128, 24);
  place(new QLabel(QStringLiteral("使用说明"), group), nullptr, 151, 12, 56, 24);
  work.secondary_keyword_box =
      place(new QLineEdit(QStringLiteral("暂停使用"), group), "编辑框10", 8, 40, 200, 32);
  // Nothing in the program enables this box: the page has no behaviour.
  work.secondary_keyword_box->setEnabled(false);
  work.secondary_keyword_box->setFocusPolicy(Qt::NoFocus);
}

}  // namespace

WorkPage build_work_page(QWidget* page) {
  WorkPage work;
  work.results = place(new QTableView(page), "超级列表框1", 0, 24, 832, 456);

  work.side_tabs = place(new TabControl(page), "高级选择夹2", 832, 0, 224, 256);
  build_search_page(work.side_tabs->add_page(QStringLiteral("搜索面板")), work);
  build_secondary_page(work.side_tabs->add_page(QStringLiteral("二次处理")), work);
  work.side_tabs->set_current_index(0);

  auto* log_group =
      place(new QGroupBox(QStringLiteral("工作日志："), page), "分组框2", 832, 260, 224, 220);
  work.log_box = place(new QPlainTextEdit(log_group), "编辑框1", 1, 22, 215, 198);
  work.log_box->setReadOnly(true);
  return work;
}

}  // namespace trovix
