// The main window: two tab pages, the notice bar and the status bar, the
// search and pause commands, and the handlers that belong to no other
// subsystem (placeholder, usage note, links, donation). It owns the results
// list, the work log and the search controller that the engines write to.
#pragma once

#include <QMessageBox>
#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/about_page.h"
#include "app/popup_menus.h"
#include "app/startup.h"
#include "app/status_strip.h"
#include "app/work_page.h"
#include "search/results_list.h"
#include "search/search_controller.h"
#include "search/search_log.h"
#include "search/service_addresses.h"

namespace trovix {

class FeedbackForm;
class LogMirror;
class ResultActions;
class ResultsModel;
class TabControl;

// The keyword box's text as GBK, readable from any thread (engines read the
// keyword on their worker thread whenever they need it).
class KeywordCopy {
 public:
  void set(std::string gbk);
  std::string get() const;

 private:
  mutable std::mutex mutex_;
  std::string gbk_;
};

class MainWindow : public QWidget {
  Q_OBJECT
 public:
  using MessageSink =
      std::function<void(QMessageBox::Icon icon, const QString& title, const QString& text)>;
  using UrlOpener = std::function<void(const QString& address)>;
  using ListObserver = std::function<void(ListChange change, int row)>;

  explicit MainWindow(ServiceAddresses addresses, QWidget* parent = nullptr);
  ~MainWindow() override;

  // The creation sequence, in its order; false when the program ends in it
  // (the update check says so). The window is shown by the caller afterwards.
  bool run_creation_sequence(const CreationSteps& steps);

  // The commands of the Search and Pause buttons.
  void search();
  void pause();
  // The first checked engine radio button, 1 … 6, or 0 when none is checked.
  int checked_engine() const;
  // Tests: run the built-in test engine instead of the checked engine.
  void set_test_engine(bool on) { test_engine_ = on; }

  // Message boxes and the shell's "open" go through these (tests replace them).
  void set_message_sink(MessageSink sink) { message_sink_ = std::move(sink); }
  void set_url_opener(UrlOpener opener) { url_opener_ = std::move(opener); }
  // Called with every change of the results list, on the thread that made it.
  void set_list_observer(ListObserver observer);
  void show_message(QMessageBox::Icon icon, const QString& title, const QString& text);
  void open_address(const std::string& address);
  void open_address(const QString& address);
  void open_donation_window();
  // Runs first while the window is destroyed (the exit link is opened there).
  void set_destroy_handler(std::function<void()> handler) { destroy_handler_ = std::move(handler); }

  MemoryResultsList& results() { return *results_; }
  SearchLog& work_log() { return *log_; }
  SearchController& controller() { return *controller_; }
  const ServiceAddresses& addresses() const { return addresses_; }
  std::string keyword_gbk() const { return keyword_->get(); }
  void flush_views();  // UI thread: apply every pending list and log change now

  const WorkPage& work_page() const { return work_; }
  const AboutPage& about_page() const { return about_; }
  FeedbackForm* feedback_form() const { return feedback_; }
  const PopupMenus& popup_menus() const { return menus_; }
  TabControl* main_tabs() const { return tabs_; }
  StatusBar* status_bar() const { return status_bar_; }
  const NoticeBar& notice_bar() const { return notice_; }
  ResultsModel* results_model() const { return model_; }
  ResultActions* result_actions() const { return actions_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void wire_handlers();

  ServiceAddresses addresses_;
  std::unique_ptr<MemoryResultsList> results_;
  std::unique_ptr<SearchLog> log_;
  std::unique_ptr<SearchController> controller_;
  std::shared_ptr<KeywordCopy> keyword_;
  std::mutex observer_mutex_;
  std::shared_ptr<const ListObserver> list_observer_;  // copied under the mutex, called after

  TabControl* tabs_ = nullptr;
  WorkPage work_;
  AboutPage about_;
  NoticeBar notice_;
  StatusBar* status_bar_ = nullptr;
  PopupMenus menus_;
  ResultsModel* model_ = nullptr;
  LogMirror* log_mirror_ = nullptr;
  FeedbackForm* feedback_ = nullptr;
  ResultActions* actions_ = nullptr;

  std::function<void()> destroy_handler_;
  MessageSink message_sink_;
  UrlOpener url_opener_;
  std::uint64_t search_generation_ = 0;  // which search may give the button back
  bool test_engine_ = false;
};

}  // namespace trovix
