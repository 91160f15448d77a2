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
#include "search/engine_table.h"

namespace trovix {

namespace {

template <typename Widget>
Widget* place(Widget* widget, const char* name, int x, int y, int w, int h) {
  if (name != nullptr) widget->setObjectName(QString::fromUtf8(name));
  widget->setGeometry(x, y, w, h);
  return widget;
}

struct Place {
  int x, y, w, h;
};

// The form's places of the engine radio buttons, two to a line; an engine
// past them continues the grid.
constexpr std::array<Place, 6> kEnginePlaces{{
    {11, 89, 88, 32},
    {115, 88, 88, 32},
    {12, 121, 96, 32},
    {116, 122, 88, 32},
    {13, 155, 96, 32},
    {116, 156, 80, 32},
}};

Place engine_place(std::size_t index) {
  if (index < kEnginePlaces.size()) return kEnginePlaces[index];
  const int line = static_cast<int>(index / 2);
  return {index % 2 == 0 ? 12 : 116, 89 + 33 * line, 96, 32};
}

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
  // One button per engine of the engine table, 单选框1 … in its order.
  for (std::size_t i = 0; i < kEngineTable.size(); ++i) {
    const EngineInfo& engine = kEngineTable[i];
    const Place at = engine_place(i);
    const QByteArray name = QByteArrayLiteral("单选框") + QByteArray::number(engine.number);
    auto* button = new QRadioButton(
        QString::fromUtf8(engine.caption.data(), static_cast<qsizetype>(engine.caption.size())),
        group);
    work.engines[i] = place(button, name.constData(), at.x, at.y, at.w, at.h);
    engines->addButton(button, engine.number);
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
