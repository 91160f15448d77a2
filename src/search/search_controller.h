// Runs one search at a time on a worker thread of its own, whose requests
// follow the services file's time-out. A new search
// supersedes the running one: from the moment it starts, nothing the older
// search does reaches the list, the log or the Search button, and its
// requests are abandoned. Worker threads are joined by the controller.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "search/results_list.h"
#include "search/search_log.h"
#include "search/service_addresses.h"
#include "web/request_settings.h"

namespace trovix {

// Both hooks are called on the worker thread. enable_search_button runs while
// the search's guard is held, so it must not wait for the UI thread (post to
// it instead): supersede() on the UI thread takes the same guard.
struct SearchHooks {
  std::function<std::string()> keyword;        // reads the keyword box (GBK)
  std::function<void()> enable_search_button;  // may be called from any thread
  // Told of every request the search makes, on the thread that made it
  // (the command line's --verbose); may be empty.
  RequestObserver request_observer;
};

class SearchController {
 public:
  SearchController(ResultsList& list, SearchLog& log, ServiceAddresses addresses);
  ~SearchController();  // supersedes the running search and joins every worker
  SearchController(const SearchController&) = delete;
  SearchController& operator=(const SearchController&) = delete;

  // After this returns no write of an older search lands anywhere.
  void supersede();
  // Starts `engine_number` on a new worker thread (supersedes first).
  // False when the number names no engine.
  bool start(int engine_number, SearchHooks hooks);
  // Raises the running search's own stop token (Pause).
  void pause();
  bool running() const;
  // Blocks until the current search's engine has returned (command line, tests).
  void wait();

  const ServiceAddresses& addresses() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The search command without its message boxes, in its order: stop the
// previous search, count the columns, reset the log, empty the list, check the keyword, delete the
// columns from the last, disable Search, pick the engine, start it.
enum class SearchCommandResult { started, keyword_missing, no_engine };
// A checked_engine value that picks the built-in test engine (engine number
// 0), which the window offers no radio button for.
inline constexpr int kTestEngineChoice = -1;
struct SearchCommandUi {
  std::string keyword_box_text;  // GBK
  int checked_engine = 0;        // number of the first checked radio button, 0 for none
  std::function<void()> disable_search_button;
  SearchHooks hooks;
};
SearchCommandResult search_command(SearchController& controller, ResultsList& list, SearchLog& log,
                                   const SearchCommandUi& ui);

}  // namespace trovix
