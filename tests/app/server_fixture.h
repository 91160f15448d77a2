// Window tests of the start-up round trip: one site simulator for the suite,
// and a main window whose addresses point at it (messages and shell "open"
// calls recorded, sounds observed instead of only played).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "app/app_fixture.h"
#include "app/sound_player.h"
#include "support/sitesim_process.h"

namespace trovix::testing {

class ServerWindowTest : public WindowTest {
 protected:
  static void SetUpTestSuite() { sim_ = new SiteSimulator(); }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  static std::string http(std::string_view path) { return sim_->http_base() + std::string(path); }

  void SetUp() override {
    WindowTest::SetUp();
    set_sound_observer([this](Sound sound) { sounds_.push_back(sound); });
  }
  void TearDown() override {
    set_sound_observer({});
    WindowTest::TearDown();
  }

  // A fresh main window on the simulator, with `info_path` as the page.
  void make_window(std::string_view info_path, std::string_view connectivity = "/connectivity") {
    ServiceAddresses addresses = test_addresses(temp_);
    addresses.info_page = http(info_path);
    addresses.connectivity_check = http(connectivity);
    addresses.counter = http("/count1/count.asp");
    addresses.website = http("/site");
    addresses.manual_download = http("/manual");
    window_ = std::make_unique<MainWindow>(std::move(addresses));
    window_->set_message_sink(
        [this](QMessageBox::Icon icon, const QString& title, const QString& text) {
          messages_.push_back({icon, title, text});
        });
    window_->set_url_opener([this](const QString& address) { opened_.push_back(address); });
  }

  static SiteSimulator* sim_;
  std::vector<Sound> sounds_;
};

inline SiteSimulator* ServerWindowTest::sim_ = nullptr;

}  // namespace trovix::testing
