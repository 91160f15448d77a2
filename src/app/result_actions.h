// What the user does with the results in the window: the context menu of the
// checked engine, copy and open of the selected row's link, the double-click,
// share, the magnet-link window, the header-click sort and the two exports.
// The logic lives in src/results; this wires it to the main window.
#pragma once

#include <QObject>
#include <filesystem>

#include "app/background_job.h"
#include "app/desktop_hooks.h"

class QMenu;

namespace trovix {

class MainWindow;

class ResultActions : public QObject {
  Q_OBJECT
 public:
  enum class ExportKind { text, table };

  // Connects to the window's results table, its header and its menus.
  explicit ResultActions(MainWindow& window);

  DesktopHooks& hooks() { return hooks_; }

  // The menu a right click shows for the checked engine, or nullptr.
  QMenu* context_menu() const;
  // Right click: shows that menu at the cursor (not waiting for a choice).
  void show_context_menu();
  void copy_link();
  void open_link();  // also the double-click
  void share();
  void open_torrent();
  void header_clicked();
  // Asks for the file name and writes the file on a worker; returns at once
  // after the dialog.
  void start_export(ExportKind kind);
  bool export_running() const { return text_job_.running() || table_job_.running(); }

 signals:
  void export_finished(bool ok);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void finish_export(ExportKind kind, const std::filesystem::path& path, bool ok);

  MainWindow& window_;
  DesktopHooks hooks_;
  BackgroundJob text_job_{this};
  BackgroundJob table_job_{this};
};

}  // namespace trovix
