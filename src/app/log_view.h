// The log box mirrors the work log: each catch-up appends only the text
// written since the last one, or starts over when the log was emptied.
#pragma once

#include <QObject>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "search/search_log.h"

class QPlainTextEdit;

namespace trovix {

class LogMirror : public QObject {
  Q_OBJECT
 public:
  LogMirror(SearchLog& log, QPlainTextEdit* box);

  // Any thread: asks the UI thread for one catch-up unless one is on its way.
  void note_change();
  // UI thread.
  void catch_up();

 private:
  SearchLog& log_;
  QPlainTextEdit* box_;
  std::atomic<bool> pending_{false};
  std::uint64_t shown_generation_ = 0;
  std::size_t shown_bytes_ = 0;
};

}  // namespace trovix
