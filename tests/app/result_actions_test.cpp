// The result actions in the window: the menu per engine, copy and open with
// the clipboard, the double-click, the header-click sort and the export flow
// with a cancelled and an accepted dialog.
#include "app/result_actions.h"

#include <QButtonGroup>
#include <QClipboard>
#include <QGuiApplication>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMenu>
#include <QRadioButton>
#include <QTableView>
#include <QUrl>
#include <fstream>
#include <sstream>

#include "app/app_fixture.h"
#include "app/results_view.h"
#include "web/codec.h"

namespace trovix::testing {
namespace {

class ResultActionsTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    actions_ = window_->result_actions();
    ASSERT_NE(actions_, nullptr);
    DesktopHooks& hooks = actions_->hooks();
    hooks.run_tip_window = [this](QWidget*) { ++tips_; };
    hooks.question = [this](const QString& title, const QString& text) {
      messages_.push_back({QMessageBox::Question, title, text});
      return answer_ok_;
    };
    hooks.choose_save_file = [this](const QString& folder, const QString& filter) {
      dialogs_.push_back(folder + QStringLiteral("|") + filter);
      return chosen_;
    };
  }

  // Six columns, each cell naming its row and column ("r0c4"), and a title
  // per row in column 1.
  void fill(const std::vector<std::string>& titles, int columns = 6) {
    MemoryResultsList& list = window_->results();
    for (int c = 0; c < columns; ++c) list.insert_column(c, "col" + std::to_string(c), 60);
    for (std::size_t r = 0; r < titles.size(); ++r) {
      std::vector<std::string> cells;
      for (int c = 0; c < columns; ++c)
        cells.push_back("r" + std::to_string(r) + "c" + std::to_string(c));
      cells[1] = titles[r];
      list.append_row(cells);
    }
    window_->flush_views();
  }

  void check_engine(int engine) {
    // With no engine, the group must allow every button to be unchecked.
    window_->work_page().engines[0]->group()->setExclusive(engine != 0);
    for (std::size_t i = 0; i < 6; ++i)
      window_->work_page().engines[i]->setChecked(static_cast<int>(i) + 1 == engine);
    ASSERT_EQ(window_->checked_engine(), engine);
  }

  static QString clipboard_text() { return QGuiApplication::clipboard()->text(); }

  ResultActions* actions_ = nullptr;
  int tips_ = 0;
  bool answer_ok_ = true;
  std::optional<QString> chosen_;
  std::vector<QString> dialogs_;
};

TEST_F(ResultActionsTest, RightClickShowsTheCheckedEnginesMenu) {
  fill({"a"});
  struct Case {
    int engine;
    const char* menu;  // object name, "" for none
    int items;
  };
  const Case cases[] = {{1, "普通右击", 5}, {2, "普通右击", 5}, {3, "torrent右击", 1},
                        {4, "普通右击", 5}, {5, "普通右击", 5}, {6, "普通右击", 5},
                        {0, "", 0}};
  QTableView* view = window_->work_page().results;
  window_->show();
  for (const Case& c : cases) {
    check_engine(c.engine);
    QMenu* menu = actions_->context_menu();
    if (c.items == 0) {
      EXPECT_EQ(menu, nullptr);
      emit view->customContextMenuRequested({10, 10});
      EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
      continue;
    }
    ASSERT_NE(menu, nullptr) << c.engine;
    EXPECT_EQ(menu->objectName(), QString::fromUtf8(c.menu));
    EXPECT_EQ(menu->actions().size(), c.items);
    emit view->customContextMenuRequested({10, 10});
    EXPECT_TRUE(menu->isVisible()) << c.engine;
    menu->hide();
  }
  const QStringList torrent_items{QStringLiteral("打开种子")};
  QStringList captions;
  for (QAction* a : window_->popup_menus().torrent->actions()) captions << a->text();
  EXPECT_EQ(captions, torrent_items);
}

TEST_F(ResultActionsTest, CopyTakesTheEnginesLinkColumnAndSaysSo) {
  fill({gbk("中文标题"), "b"});
  window_->results().set_cell_text(0, 4, gbk("magnet:?xt=urn:btih:中文"));
  window_->results().select_row(0);
  check_engine(2);
  actions_->copy_link();
  EXPECT_EQ(clipboard_text(), QStringLiteral("magnet:?xt=urn:btih:中文"));
  ASSERT_EQ(messages_.size(), 1u);
  EXPECT_EQ(messages_[0].icon, QMessageBox::Information);
  EXPECT_EQ(messages_[0].title, QStringLiteral("信息："));
  EXPECT_EQ(messages_[0].text, QStringLiteral("下载链接已复制到剪辑版！"));

  check_engine(6);
  actions_->copy_link();
  EXPECT_EQ(clipboard_text(), QStringLiteral("r0c3"));

  // No selected row, or a column set without the link column: empty, and success.
  window_->results().select_row(-1);
  actions_->copy_link();
  EXPECT_EQ(clipboard_text(), QString());
  window_->results().select_row(1);
  window_->results().delete_column(5);
  check_engine(1);
  actions_->copy_link();
  EXPECT_EQ(clipboard_text(), QString());
  EXPECT_EQ(messages_.back().text, QStringLiteral("下载链接已复制到剪辑版！"));

  actions_->hooks().set_clipboard = [](const QString&) { return false; };
  actions_->copy_link();
  EXPECT_EQ(messages_.back().icon, QMessageBox::Critical);
  EXPECT_EQ(messages_.back().text, QStringLiteral("下载链接复制失败，请重试！"));

  const std::size_t shown = messages_.size();
  check_engine(0);
  actions_->copy_link();
  EXPECT_EQ(messages_.size(), shown) << "no engine checked: nothing happens";
}

TEST_F(ResultActionsTest, OpenPutsTheLinkOnTheClipboardOpensItAndChecksForATool) {
  fill({"a", "b"});
  window_->results().select_row(1);
  struct Case {
    int engine;
    const char* link;
    int tips;
  };
  const Case cases[] = {{4, "r1c5", 1}, {5, "r1c2", 0}, {3, "r1c5", 1}, {6, "r1c3", 0}};
  for (const Case& c : cases) {
    check_engine(c.engine);
    opened_.clear();
    tips_ = 0;
    actions_->open_link();
    EXPECT_EQ(opened_, std::vector<QString>{QString::fromUtf8(c.link)}) << c.engine;
    EXPECT_EQ(clipboard_text(), QString::fromUtf8(c.link));
    EXPECT_EQ(tips_, c.tips) << c.engine;
  }
  EXPECT_TRUE(messages_.empty()) << "no message on success";

  actions_->hooks().set_clipboard = [](const QString&) { return false; };
  for (int engine : {1, 2}) {
    check_engine(engine);
    opened_.clear();
    actions_->open_link();
    EXPECT_TRUE(opened_.empty());
    ASSERT_FALSE(messages_.empty());
    EXPECT_EQ(messages_.back().text, QStringLiteral("打开链接失败，请重试！"));
    EXPECT_EQ(messages_.back().icon, QMessageBox::Critical);
  }
}

TEST_F(ResultActionsTest, DoubleClickOpensTheRowUnderTheMouse) {
  fill({"a", "b", "c"});
  window_->show();
  QTableView* view = window_->work_page().results;
  check_engine(5);
  const QRect cell = view->visualRect(window_->results_model()->index(2, 1));
  ASSERT_TRUE(cell.isValid());
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  ASSERT_TRUE(wait_until([&] { return !opened_.empty(); }, 2000));
  EXPECT_EQ(opened_.front(), QStringLiteral("r2c2"));
  EXPECT_EQ(tips_, 0);

  check_engine(0);
  opened_.clear();
  QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, cell.center());
  QTest::qWait(50);
  EXPECT_TRUE(opened_.empty());
}

TEST_F(ResultActionsTest, ShareOpensTheSharePage) {
  check_engine(2);
  QAction* share = PopupMenus::item(window_->popup_menus().normal, QStringLiteral("分享好友"));
  ASSERT_NE(share, nullptr);
  share->trigger();
  EXPECT_EQ(opened_, std::vector<QString>{QStringLiteral("http://127.0.0.1:9/share")});
}

TEST_F(ResultActionsTest, HeaderClickSortsByTitleAndLogsBothLines) {
  fill({"b", "a", "c"});
  window_->results().select_row(1);  // "a"
  window_->show();
  QHeaderView* header = window_->work_page().results->horizontalHeader();
  // A click on the time column sorts by the title all the same.
  emit header->sectionClicked(2);
  window_->flush_views();
  QTest::qWait(10);
  auto* model = window_->results_model();
  EXPECT_EQ(model->index(0, 1).data().toString(), QStringLiteral("c"));
  EXPECT_EQ(model->index(1, 1).data().toString(), QStringLiteral("b"));
  EXPECT_EQ(model->index(2, 1).data().toString(), QStringLiteral("a"));
  EXPECT_EQ(model->index(2, 0).data().toString(), QStringLiteral("r1c0"));
  EXPECT_EQ(window_->results().selected_row(), 2);
  const QModelIndexList selected = window_->work_page().results->selectionModel()->selectedRows();
  ASSERT_EQ(selected.size(), 1);
  EXPECT_EQ(selected.front().row(), 2);
  EXPECT_TRUE(window_->work_log().text().ends_with(
      gbk("<<<正在进行时间排序，请稍后...\r\n<<<按时间排序成功！\r\n"
          "<<<温馨提示：点击发布时间表头即可快速排序\r\n")));
}

std::string read_file(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

TEST_F(ResultActionsTest, CancelledExportWritesAndSaysNothing) {
  fill({"a"});
  check_engine(2);
  const std::string log_before = window_->work_log().text();
  chosen_.reset();
  actions_->start_export(ResultActions::ExportKind::text);
  actions_->start_export(ResultActions::ExportKind::table);
  QTest::qWait(50);
  EXPECT_FALSE(actions_->export_running());
  EXPECT_TRUE(messages_.empty());
  ASSERT_EQ(dialogs_.size(), 2u);
  const QString folder = QString::fromStdString(window_->addresses().default_folder);
  EXPECT_EQ(dialogs_[0], folder + QStringLiteral("|*.txt"));
  EXPECT_EQ(dialogs_[1], folder + QStringLiteral("|*.xls"));
  const std::string ask = gbk("<<<请先选择数据保存目录！\r\n");
  EXPECT_EQ(window_->work_log().text(), log_before + ask + ask);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(temp_),
                          std::filesystem::directory_iterator()),
            0);
}

TEST_F(ResultActionsTest, AcceptedExportsWriteAskAndOpen) {
  fill({gbk("标题"), "b"}, 3);
  check_engine(1);
  // A name with blanks and Chinese characters, typed with an extension.
  const std::filesystem::path stem = temp_ / "导出 结果.txt";
  chosen_ = QString::fromStdString(stem.string());
  actions_->start_export(ResultActions::ExportKind::text);
  ASSERT_TRUE(wait_until([&] { return !messages_.empty(); }, 5000));
  const std::filesystem::path text_file = temp_ / "导出 结果.txt.txt";
  EXPECT_EQ(read_file(text_file), "r0c0," + gbk("标题") + ",r0c2,\r\nr1c0,b,r1c2,\r\n");
  EXPECT_EQ(messages_[0].title, QStringLiteral("处理结果："));
  EXPECT_EQ(messages_[0].text, QStringLiteral("导出成功，是否立即打开文件"));
  EXPECT_TRUE(window_->work_log().text().ends_with(
      gbk("<<<请先选择数据保存目录！\r\n<<<正在导出中，请不要进行其他操作...\r\n"
          "<<<数据导出成功！\r\n")));
  ASSERT_EQ(opened_.size(), 1u);
  EXPECT_EQ(QUrl(opened_[0]).toLocalFile(), QString::fromStdString(text_file.string()));

  // Table export, Cancel on the question: written, not opened, no further log line.
  answer_ok_ = false;
  chosen_ = QString::fromStdString((temp_ / "table").string());
  const std::string log_before = window_->work_log().text();
  actions_->start_export(ResultActions::ExportKind::table);
  ASSERT_TRUE(wait_until([&] { return messages_.size() == 2; }, 5000));
  EXPECT_TRUE(read_file(temp_ / "table.xls").starts_with("<table border=\"1\">\r\n  <tr>\r\n"));
  EXPECT_EQ(window_->work_log().text(), log_before + gbk("<<<请先选择数据保存目录！\r\n"));
  EXPECT_EQ(opened_.size(), 1u);

  // A folder that does not exist: both exports say "导出失败 ！".
  for (auto kind : {ResultActions::ExportKind::text, ResultActions::ExportKind::table}) {
    chosen_ = QString::fromStdString((temp_ / "missing" / "x").string());
    const std::size_t before = messages_.size();
    actions_->start_export(kind);
    ASSERT_TRUE(wait_until([&] { return messages_.size() == before + 1; }, 5000));
    EXPECT_EQ(messages_.back().icon, QMessageBox::Critical);
    EXPECT_EQ(messages_.back().title, QStringLiteral("处理结果："));
    EXPECT_EQ(messages_.back().text, QStringLiteral("导出失败 ！"));
  }
}

TEST_F(ResultActionsTest, TableExportOfAnEmptyListFails) {
  check_engine(2);
  chosen_ = QString::fromStdString((temp_ / "empty").string());
  actions_->start_export(ResultActions::ExportKind::table);
  ASSERT_TRUE(wait_until([&] { return !messages_.empty(); }, 5000));
  EXPECT_EQ(messages_[0].text, QStringLiteral("导出失败 ！"));
  EXPECT_FALSE(std::filesystem::exists(temp_ / "empty.xls"));
  actions_->start_export(ResultActions::ExportKind::text);
  ASSERT_TRUE(wait_until([&] { return messages_.size() == 2; }, 5000));
  EXPECT_EQ(messages_[1].text, QStringLiteral("导出成功，是否立即打开文件"));
  EXPECT_EQ(read_file(temp_ / "empty.txt"), "");
}

}  // namespace
}  // namespace trovix::testing
