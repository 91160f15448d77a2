#include "search/search_controller.h"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <stop_token>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

#include "search/search_context.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {

namespace {

// One search's state. `guard` orders every write the engine makes against
// supersede(): once `superseded` is set under it, no later write lands.
struct Session {
  std::mutex guard;
  bool superseded = false;
  std::stop_source pause;   // Pause: the engine finishes its page, writes its stop line
  std::stop_source cancel;  // superseded: its pending request is abandoned at once

  std::mutex done_mutex;
  std::condition_variable done_changed;
  bool done = false;

  template <typename Write>
  void guarded(Write&& write) {
    std::lock_guard lock(guard);
    if (!superseded) write();
  }

  bool is_done() {
    std::lock_guard lock(done_mutex);
    return done;
  }
};

// The list as the engine sees it: writes pass only while the search is
// current; reads go straight through (a superseded engine reading a newer
// search's rows harms nobody, since it cannot write).
class GuardedResultsList final : public ResultsList {
 public:
  GuardedResultsList(ResultsList& target, Session& session) : target_(target), session_(session) {}

  void insert_column(int index, std::string_view title, int width) override {
    session_.guarded([&] { target_.insert_column(index, title, width); });
  }
  void delete_column(int index) override {
    session_.guarded([&] { target_.delete_column(index); });
  }
  int column_count() const override { return target_.column_count(); }
  std::string header_text(int column) const override { return target_.header_text(column); }
  int column_width(int column) const override { return target_.column_width(column); }

  int insert_row() override {
    int row = -1;
    session_.guarded([&] { row = target_.insert_row(); });
    return row;
  }
  void delete_all_rows() override {
    session_.guarded([&] { target_.delete_all_rows(); });
  }
  int row_count() const override { return target_.row_count(); }
  std::string cell_text(int row, int column) const override {
    return target_.cell_text(row, column);
  }
  void set_cell_text(int row, int column, std::string_view text) override {
    session_.guarded([&] { target_.set_cell_text(row, column, text); });
  }
  int cell_image(int row, int column) const override { return target_.cell_image(row, column); }
  void set_cell_image(int row, int column, int image) override {
    session_.guarded([&] { target_.set_cell_image(row, column, image); });
  }
  int state_image(int row) const override { return target_.state_image(row); }
  void set_state_image(int row, int image) override {
    session_.guarded([&] { target_.set_state_image(row, image); });
  }
  std::int32_t item_value(int row) const override { return target_.item_value(row); }
  void set_item_value(int row, std::int32_t value) override {
    session_.guarded([&] { target_.set_item_value(row, value); });
  }
  int selected_row() const override { return target_.selected_row(); }
  void select_row(int row) override {
    session_.guarded([&] { target_.select_row(row); });
  }
  void ensure_visible(int row) override {
    session_.guarded([&] { target_.ensure_visible(row); });
  }
  int append_row(const std::vector<std::string>& cells) override {
    int row = -1;
    session_.guarded([&] { row = target_.append_row(cells); });
    return row;
  }

 private:
  ResultsList& target_;
  Session& session_;
};

}  // namespace

struct SearchController::Impl {
  Impl(ResultsList& list, SearchLog& log, ServiceAddresses addresses)
      : list(list), log(log), addresses(std::move(addresses)) {}

  struct Worker {
    std::shared_ptr<Session> session;
    std::thread thread;
  };

  void run(Session& session, EngineEntry entry, const SearchHooks& hooks);
  void reap_finished();

  ResultsList& list;
  SearchLog& log;
  const ServiceAddresses addresses;

  mutable std::mutex mutex;  // guards `current` and `workers`
  std::shared_ptr<Session> current;
  std::vector<Worker> workers;
};

void SearchController::Impl::run(Session& session, EngineEntry entry, const SearchHooks& hooks) {
  {
    ScopedRequestCancel abandon_on_supersede(session.cancel.get_token());
    RequestSettings settings;
    settings.default_timeout_seconds = addresses.timeout_seconds;
    if (hooks.request_observer) {
      settings.observer =
          std::make_shared<const RequestObserver>([&hooks, &session](const RequestRecord& record) {
            session.guarded([&] { hooks.request_observer(record); });
          });
    }
    ScopedRequestSettings request_settings(std::move(settings));
    GuardedResultsList results(list, session);
    SearchContext context{
        [&hooks] { return hooks.keyword ? hooks.keyword() : std::string(); },
        results,
        [this, &session](std::string_view text) { session.guarded([&] { log.append(text); }); },
        [&hooks, &session] {
          if (hooks.enable_search_button) session.guarded(hooks.enable_search_button);
        },
        session.pause.get_token(),
        addresses,
    };
    try {
      entry(context);
    } catch (...) {
      // Nothing throws by design; should an allocation fail anyway, the search
      // simply ends here and the button comes back below.
    }
  }
  // Every ending gives the Search button back, unless a newer search owns it.
  if (hooks.enable_search_button) session.guarded(hooks.enable_search_button);
  {
    std::lock_guard lock(session.done_mutex);
    session.done = true;
  }
  session.done_changed.notify_all();
}

void SearchController::Impl::reap_finished() {
  // Only threads past their last statement are joined here, so this never
  // waits on a request; the rest are joined later or by the destructor.
  std::vector<std::thread> finished;
  {
    std::lock_guard lock(mutex);
    for (auto it = workers.begin(); it != workers.end();) {
      if (it->session->is_done()) {
        finished.push_back(std::move(it->thread));
        it = workers.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (std::thread& thread : finished) thread.join();
}

SearchController::SearchController(ResultsList& list, SearchLog& log, ServiceAddresses addresses)
    : impl_(std::make_unique<Impl>(list, log, std::move(addresses))) {}

SearchController::~SearchController() {
  supersede();
  std::vector<Impl::Worker> workers;
  {
    std::lock_guard lock(impl_->mutex);
    workers.swap(impl_->workers);
  }
  // Every worker has been told to stop and its requests abandoned: each ends
  // within one page pass of its engine.
  for (Impl::Worker& worker : workers) {
    worker.session->pause.request_stop();
    worker.session->cancel.request_stop();
    worker.thread.join();
  }
}

void SearchController::supersede() {
  std::shared_ptr<Session> old;
  {
    std::lock_guard lock(impl_->mutex);
    old = std::move(impl_->current);
  }
  if (!old) return;
  {
    // Waits for a write in progress; every later one is dropped.
    std::lock_guard lock(old->guard);
    old->superseded = true;
  }
  old->pause.request_stop();
  old->cancel.request_stop();
}

bool SearchController::start(int engine_number, SearchHooks hooks) {
  const EngineEntry entry = engine_entry(engine_number);
  if (entry == nullptr) return false;
  supersede();
  impl_->reap_finished();

  auto session = std::make_shared<Session>();
  std::lock_guard lock(impl_->mutex);
  try {
    std::thread thread([impl = impl_.get(), session, entry, hooks = std::move(hooks)] {
      impl->run(*session, entry, hooks);
    });
    impl_->workers.push_back(Impl::Worker{session, std::move(thread)});
  } catch (const std::system_error&) {
    return false;  // no thread could be made: nothing started
  }
  impl_->current = std::move(session);
  return true;
}

void SearchController::pause() {
  std::lock_guard lock(impl_->mutex);
  if (impl_->current) impl_->current->pause.request_stop();
}

bool SearchController::running() const {
  std::shared_ptr<Session> current;
  {
    std::lock_guard lock(impl_->mutex);
    current = impl_->current;
  }
  return current && !current->is_done();
}

void SearchController::wait() {
  std::shared_ptr<Session> current;
  {
    std::lock_guard lock(impl_->mutex);
    current = impl_->current;
  }
  if (!current) return;
  std::unique_lock lock(current->done_mutex);
  current->done_changed.wait(lock, [&] { return current->done; });
}

const ServiceAddresses& SearchController::addresses() const { return impl_->addresses; }

SearchCommandResult search_command(SearchController& controller, ResultsList& list, SearchLog& log,
                                   const SearchCommandUi& ui) {
  static const std::string connecting_line = gbk("<<<连接服务器中，请稍后...\r\n");
  static const std::string placeholder = gbk("（请输入关键词）");

  // Each search has its own stop token; ending the old search replaces
  // clearing a shared flag, and keeps its late writes out of what follows.
  // It comes first: a column count read before it could miss columns the old
  // search inserts meanwhile, and those would stay behind.
  controller.supersede();
  const int columns = list.column_count();
  log.clear();
  log.append(connecting_line);
  list.delete_all_rows();
  if (ui.keyword_box_text.empty() || ui.keyword_box_text == placeholder)
    return SearchCommandResult::keyword_missing;
  for (int i = 1; i <= columns; ++i) list.delete_column(columns - i);
  if (ui.disable_search_button) ui.disable_search_button();

  int engine = -1;
  if (find_engine(ui.checked_engine) != nullptr) engine = ui.checked_engine;
  if (ui.checked_engine == kTestEngineChoice) engine = 0;
  if (engine < 0 || !controller.start(engine, ui.hooks)) return SearchCommandResult::no_engine;
  return SearchCommandResult::started;
}

}  // namespace trovix
