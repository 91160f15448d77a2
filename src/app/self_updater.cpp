#include "app/self_updater.h"

#include <unistd.h>

#include <QAbstractButton>
#include <QLabel>
#include <QProgressBar>
#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "app/gui_text.h"
#include "server/download_texts.h"
#include "server/update_script.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {

namespace {

const QString kDefaultTitle = QStringLiteral("信息：");

std::string in_folder(const std::string& folder, std::string_view name) {
  return (std::filesystem::path(folder) / std::string(name)).string();
}

}  // namespace

SelfUpdater::SelfUpdater(Controls controls, std::string update_address,
                         std::string new_program_file, std::string program_path,
                         MessageSink message_sink, QObject* parent)
    : QObject(parent),
      controls_(controls),
      update_address_(std::move(update_address)),
      new_program_file_(std::move(new_program_file)),
      message_sink_(std::move(message_sink)),
      ender_([] {
        std::fflush(nullptr);
        std::_Exit(0);
      }) {
  const std::filesystem::path program(program_path);
  run_directory_ = program.parent_path().string();
  program_file_name_ = program.filename().string();
  progress_timer_.setInterval(100);
  connect(&progress_timer_, &QTimer::timeout, this, &SelfUpdater::refresh);
}

SelfUpdater::~SelfUpdater() {
  // Joined before the controls go: no event of the transfer reaches them later.
  download_.stop();
  job_.stop();
}

void SelfUpdater::start() {
  if (state_ != State::kReady) return;
  if (!is_plain_program_name(new_program_file_)) {
    message_sink_(QMessageBox::Critical, kDefaultTitle, from_gbk(bad_program_name_message()));
    return;
  }
  if (button_ != nullptr) button_->setEnabled(false);
  state_ = State::kChecking;
  job_.start(
      [folder = run_directory_](const BackgroundJob::Context&) {
        if (!folder_is_writable(folder)) return false;
        ::unlink(in_folder(folder, kLeftoverFileName).c_str());
        return true;
      },
      [this](bool writable) { on_checked(writable); });
}

void SelfUpdater::on_checked(bool folder_writable) {
  if (!folder_writable) {
    state_ = State::kReady;
    if (button_ != nullptr) button_->setEnabled(true);
    message_sink_(QMessageBox::Critical, kDefaultTitle, from_gbk(folder_not_writable_message()));
    return;
  }
  append_history(download_started_separator());
  DownloadRequest request = update_download_request(
      update_address_, in_folder(run_directory_, kTemporaryFileName),
      [this](int event, std::int64_t, std::int64_t value, std::int64_t, std::int64_t) {
        // On the download's thread: the routine's work is done on ours.
        QMetaObject::invokeMethod(
            this, [this, event, value] { on_event(event, value); }, Qt::QueuedConnection);
      });
  request.ca_file = web_ca_file();
  if (tuning_) tuning_(request);
  // An unusable address starts nothing and sends no event.
  state_ = download_.add_request(std::move(request)) ? State::kDownloading : State::kStopped;
  append_history(download_waiting_line());
  append_history(download_manual_hint_line());
}

void SelfUpdater::on_event(int event, std::int64_t value) {
  if (state_ != State::kDownloading) return;
  switch (static_cast<DownloadEvent>(event)) {
    case DownloadEvent::kStarted:
      progress_timer_.start();
      total_size_ = static_cast<double>(value);
      controls_.size_label->setText(from_gbk(size_label_text(total_size_)));
      break;
    case DownloadEvent::kComplete:
      progress_timer_.stop();
      // The labels show the finished transfer, not the last tick before it.
      if (total_size_ <= 0) total_size_ = static_cast<double>(download_.bytes_done());
      refresh();
      append_history(download_complete_line());
      message_sink_(QMessageBox::Information, from_gbk(download_complete_title()),
                    from_gbk(download_complete_message()));
      replace_program();
      break;
    case DownloadEvent::kStopped:
      progress_timer_.stop();
      state_ = State::kStopped;
      append_history(download_failed_line());
      break;
  }
}

void SelfUpdater::refresh() {
  const int percent = progress_percent(download_.bytes_done(), total_size_);
  controls_.progress_bar->setValue(percent);
  controls_.progress_label->setText(from_gbk(progress_label_text(percent)));
  controls_.speed_label->setText(from_gbk(speed_label_text(download_.current_speed())));
}

void SelfUpdater::replace_program() {
  state_ = State::kReplacing;
  // The Linux script names files as the file system spells them (UTF-8); the
  // server's name is GBK.
  const std::string script =
      linux_update_script(run_directory_, program_file_name_, gbk_to_utf8(new_program_file_));
  job_.start(
      [folder = run_directory_, script](const BackgroundJob::Context&) {
        const std::string path = in_folder(folder, kLinuxScriptName);
        return write_script_file(path, script) && start_update_script(path, folder);
      },
      [this](bool started) {
        if (!started) {
          // The old program is untouched and still running: say so instead of ending.
          state_ = State::kStopped;
          message_sink_(QMessageBox::Critical, kDefaultTitle, from_gbk(script_failed_message()));
          return;
        }
        append_history(replacing_line());
        ender_();
      });
}

void SelfUpdater::append_history(const std::string& gbk_line) {
  if (history_) history_(from_gbk(gbk_line));
}

}  // namespace trovix
