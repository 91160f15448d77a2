#include "app/result_actions.h"

#include <QCursor>
#include <QEvent>
#include <QFile>
#include <QHeaderView>
#include <QMenu>
#include <QTableView>

#include "app/gui_text.h"
#include "app/magnet_window.h"
#include "app/main_window.h"
#include "results/export_files.h"
#include "results/link_column.h"
#include "results/list_sort.h"
#include "web/codec.h"

namespace trovix {

namespace {

const QString kMessageTitle = QStringLiteral("信息：");
const QString kResultTitle = QStringLiteral("处理结果：");

}  // namespace

ResultActions::ResultActions(MainWindow& window)
    : QObject(&window), window_(window), hooks_(desktop_hooks_for(window)) {
  QTableView* view = window_.work_page().results;
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this, [this] { show_context_menu(); });
  // Watched on the viewport so a double-click on the empty area counts too;
  // the action runs after the view has selected the row under the mouse.
  view->viewport()->installEventFilter(this);
  connect(view->horizontalHeader(), &QHeaderView::sectionClicked, this,
          [this](int) { header_clicked(); });

  const PopupMenus& menus = window_.popup_menus();
  auto bind = [this](QMenu* menu, const char* caption, void (ResultActions::*action)()) {
    if (QAction* item = PopupMenus::item(menu, QString::fromUtf8(caption)))
      connect(item, &QAction::triggered, this, action);
  };
  bind(menus.normal, "分享好友", &ResultActions::share);
  bind(menus.normal, "复制链接", &ResultActions::copy_link);
  bind(menus.normal, "打开链接", &ResultActions::open_link);
  bind(menus.torrent, "打开种子", &ResultActions::open_torrent);
  if (QAction* item = PopupMenus::item(menus.normal, QStringLiteral("导出excle数据")))
    connect(item, &QAction::triggered, this, [this] { start_export(ExportKind::table); });
  if (QAction* item = PopupMenus::item(menus.normal, QStringLiteral("导出TXT文本")))
    connect(item, &QAction::triggered, this, [this] { start_export(ExportKind::text); });
}

bool ResultActions::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick &&
      watched == window_.work_page().results->viewport()) {
    QMetaObject::invokeMethod(this, &ResultActions::open_link, Qt::QueuedConnection);
  }
  return QObject::eventFilter(watched, event);
}

QMenu* ResultActions::context_menu() const {
  switch (context_menu_for(window_.checked_engine())) {
    case ContextMenu::normal:
      return window_.popup_menus().normal;
    case ContextMenu::torrent:
      return window_.popup_menus().torrent;
    case ContextMenu::none:
      break;
  }
  return nullptr;
}

void ResultActions::show_context_menu() {
  if (QMenu* menu = context_menu()) menu->popup(QCursor::pos());
}

void ResultActions::copy_link() {
  const int engine = window_.checked_engine();
  if (engine == 0) return;
  // No row or no link column: the empty text is copied, and said so.
  const QString link = from_gbk(selected_link(window_.results(), engine));
  if (hooks_.set_clipboard(link)) {
    hooks_.message(QMessageBox::Information, kMessageTitle,
                   QStringLiteral("下载链接已复制到剪辑版！"));
  } else {
    hooks_.message(QMessageBox::Critical, kMessageTitle,
                   QStringLiteral("下载链接复制失败，请重试！"));
  }
}

void ResultActions::open_link() {
  const int engine = window_.checked_engine();
  if (engine == 0) return;
  if (!hooks_.set_clipboard(from_gbk(selected_link(window_.results(), engine)))) {
    // Every engine reports it, engine 1 included.
    hooks_.message(QMessageBox::Critical, kMessageTitle, QStringLiteral("打开链接失败，请重试！"));
    return;
  }
  // Read again: the row may have changed under a running search.
  hooks_.open_address(from_gbk(selected_link(window_.results(), engine)));
  if (is_torrent_engine(engine)) hooks_.run_tip_window(&window_);
}

void ResultActions::share() { hooks_.open_address(from_gbk(window_.addresses().share_page)); }

void ResultActions::open_torrent() {
  const ResultsList& list = window_.results();
  MagnetWindow magnet(list.cell_text(list.selected_row(), 5), hooks_, &window_);
  magnet.exec();
}

void ResultActions::header_clicked() { header_click_sort(window_.results(), window_.work_log()); }

void ResultActions::start_export(ExportKind kind) {
  const bool text = kind == ExportKind::text;
  window_.work_log().append(gbk("<<<请先选择数据保存目录！\r\n"));
  const std::optional<QString> chosen =
      hooks_.choose_save_file(QFile::decodeName(window_.addresses().default_folder.c_str()),
                              text ? QStringLiteral("*.txt") : QStringLiteral("*.xls"));
  // A cancelled dialog writes nothing and says nothing.
  if (!chosen || chosen->isEmpty()) return;
  const std::filesystem::path path = with_extension_appended(
      std::filesystem::path(QFile::encodeName(*chosen).toStdString()), text ? ".txt" : ".xls");
  MemoryResultsList* list = &window_.results();
  (text ? text_job_ : table_job_)
      .start(
          [list, path, text](const BackgroundJob::Context&) {
            return text ? export_text_file(*list, path) : export_html_table(*list, path, true);
          },
          [this, kind, path](bool ok) { finish_export(kind, path, ok); });
}

void ResultActions::finish_export(ExportKind kind, const std::filesystem::path& path, bool ok) {
  if (!ok) {
    hooks_.message(QMessageBox::Critical, kResultTitle, QStringLiteral("导出失败 ！"));
  } else {
    if (kind == ExportKind::text) {
      window_.work_log().append(gbk("<<<正在导出中，请不要进行其他操作...\r\n"));
      window_.work_log().append(gbk("<<<数据导出成功！\r\n"));
    }
    if (hooks_.question(kResultTitle, QStringLiteral("导出成功，是否立即打开文件")))
      hooks_.open_file(QFile::decodeName(path.c_str()));
  }
  emit export_finished(ok);
}

}  // namespace trovix
