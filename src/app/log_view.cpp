#include "app/log_view.h"

#include <QMetaObject>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>
#include <string>

#include "app/gui_text.h"

namespace trovix {

LogMirror::LogMirror(SearchLog& log, QPlainTextEdit* box)
    : QObject(box), log_(log), box_(box), shown_generation_(log.generation()) {
  catch_up();
}

void LogMirror::note_change() {
  if (!pending_.exchange(true)) {
    QMetaObject::invokeMethod(this, &LogMirror::catch_up, Qt::QueuedConnection);
  }
}

void LogMirror::catch_up() {
  pending_.store(false);
  std::string added;
  bool restart = false;
  // The generation read on both sides of the text proves no clear came in
  // between, so the bytes belong to the text the box already shows.
  for (;;) {
    const std::uint64_t before = log_.generation();
    if (before != shown_generation_) {
      restart = true;
      shown_generation_ = before;
      shown_bytes_ = 0;
    }
    added = log_.text_from(shown_bytes_);
    if (log_.generation() == before) break;
  }
  if (restart) box_->clear();
  if (added.empty()) return;
  shown_bytes_ += added.size();

  // The log's lines end in CR LF; the box breaks lines at LF alone.
  QString text = from_gbk(added);
  text.remove(QLatin1Char('\r'));
  box_->moveCursor(QTextCursor::End);
  box_->insertPlainText(text);
  box_->moveCursor(QTextCursor::End);
  box_->ensureCursorVisible();
}

}  // namespace trovix
