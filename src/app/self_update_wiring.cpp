#include "app/self_update_wiring.h"

#include <QCoreApplication>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>

#include "app/update_window.h"

namespace trovix {

void attach_self_update(UpdateWindow& window, std::string program_path,
                        SelfUpdater::MessageSink message_sink, std::function<void()> end_program) {
  UpdateWindow* update = &window;
  window.set_update_handler([update, program_path = std::move(program_path),
                             message_sink = std::move(message_sink),
                             end_program = std::move(end_program)] {
    // One updater per window, made at the first press (the values are known by then).
    auto* updater = update->findChild<SelfUpdater*>(QStringLiteral("self_updater"));
    if (updater == nullptr) {
      const ServerValues& values = update->server_values();
      updater = new SelfUpdater({update->progress_bar(), update->size_label(),
                                 update->progress_label(), update->speed_label()},
                                values.update_address, values.new_program_file, program_path,
                                message_sink, update);
      updater->setObjectName(QStringLiteral("self_updater"));
      updater->set_update_button(update->update_button());
      updater->set_history_sink([box = update->history_box()](const QString& line) {
        QString text = line;
        text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
        box->moveCursor(QTextCursor::End);
        box->insertPlainText(text);
      });
      if (end_program) updater->set_program_ender(end_program);
    }
    updater->start();
  });
}

std::string own_program_path() {
  const QByteArray path = QFile::encodeName(QCoreApplication::applicationFilePath());
  return std::string(path.constData(), static_cast<std::size_t>(path.size()));
}

}  // namespace trovix
