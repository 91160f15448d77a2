// What the window tests share: one QApplication on the offscreen platform for
// the whole executable, and a main window whose message boxes and shell
// "open" calls are recorded instead of shown.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/main_window.h"
#include "search/service_addresses.h"

namespace trovix::testing {

class QtAppEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    app_ = std::make_unique<QApplication>(argc_, argv_);
  }
  void TearDown() override { app_.reset(); }

 private:
  int argc_ = 1;
  char name_[16] = "trovix_app_test";
  char* argv_[2] = {name_, nullptr};
  std::unique_ptr<QApplication> app_;
};

inline const bool qt_app_environment_registered = [] {
  ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);
  return true;
}();

struct ShownMessage {
  QMessageBox::Icon icon;
  QString title;
  QString text;
};

// Addresses that lead nowhere (nothing is opened, only recorded) and a
// default folder inside a fresh temporary directory.
inline ServiceAddresses test_addresses(const std::filesystem::path& folder) {
  ServiceAddresses addresses = default_service_addresses();
  addresses.website = "http://127.0.0.1:9/site";
  addresses.group_join = "http://127.0.0.1:9/group";
  addresses.share_page = "http://127.0.0.1:9/share";
  addresses.default_folder = (folder / "Trovix").string();
  return addresses;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    temp_ = std::filesystem::temp_directory_path() /
            (std::string("trovix_app_") + info->test_suite_name() + "_" + info->name() + "_" +
             std::to_string(::getpid()));
    std::filesystem::remove_all(temp_);
    std::filesystem::create_directories(temp_);
    window_ = std::make_unique<MainWindow>(test_addresses(temp_));
    window_->set_message_sink(
        [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
          messages_.push_back({icon, title, text});
        });
    window_->set_url_opener([this](const QString& address) { opened_.push_back(address); });
  }

  void TearDown() override {
    window_.reset();
    std::error_code ignored;
    std::filesystem::remove_all(temp_, ignored);
  }

  template <typename Widget>
  Widget* control(const char* name) const {
    auto* widget = window_->findChild<Widget*>(QString::fromUtf8(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }

  // Lets queued notices arrive until `done` holds (or `ms` pass).
  template <typename Predicate>
  bool wait_until(Predicate done, int ms = 10000) {
    return QTest::qWaitFor(done, ms);
  }

  std::filesystem::path temp_;
  std::unique_ptr<MainWindow> window_;
  std::vector<ShownMessage> messages_;
  std::vector<QString> opened_;
};

}  // namespace trovix::testing
