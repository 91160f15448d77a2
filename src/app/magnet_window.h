// The magnet-link window: fetches the selected row's detail page on a worker,
// shows the magnet link cut out of it (or the failure text with Retry), and
// copies or opens it. It cannot be closed while an extraction runs; the
// worker is stopped cooperatively when the window goes and its late result
// is dropped.
#pragma once

#include <QDialog>
#include <string>

#include "app/background_job.h"
#include "app/desktop_hooks.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace trovix {

class MagnetWindow : public QDialog {
  Q_OBJECT
 public:
  enum class State { extracting, found, failed };

  // `selected_link`: the detail page's address (GBK), column 5 of the selected row.
  MagnetWindow(std::string selected_link, DesktopHooks hooks, QWidget* parent = nullptr);

  State state() const { return state_; }
  QLineEdit* link_box() const { return link_box_; }
  QPushButton* retry_button() const { return retry_; }
  QPushButton* copy_button() const { return copy_; }
  QPushButton* open_button() const { return open_; }
  QPushButton* close_button() const { return close_; }

  // Every way of closing goes through here: refused while extracting.
  void reject() override;

 signals:
  void extraction_finished(bool found);

 private:
  void start_extraction();
  void copy_link();
  void open_link();

  std::string selected_link_;
  DesktopHooks hooks_;
  State state_ = State::extracting;
  QLabel* label_ = nullptr;
  QLineEdit* link_box_ = nullptr;
  QPushButton* retry_ = nullptr;
  QPushButton* copy_ = nullptr;
  QPushButton* open_ = nullptr;
  QPushButton* close_ = nullptr;
  BackgroundJob extraction_{this};
};

}  // namespace trovix
