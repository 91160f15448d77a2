// Magnet extraction from detail pages of the simulator, and the process check
// against real processes started under chosen names.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <thread>

#include "results/link_column.h"
#include "results/magnet_link.h"
#include "results/process_check.h"
#include "support/sitesim_process.h"
#include "web/web_request.h"

namespace trovix {
namespace {

TEST(MagnetLink, MarkersAreThePanelsBytes) {
  EXPECT_EQ(kMagnetLeftMarker.size(), 81u);
  EXPECT_EQ(kMagnetLeftMarker.front(), '\n');
  const std::string page = "<div class=\"panel\">" + std::string(kMagnetLeftMarker) +
                           "magnet:?xt=urn:btih:0123\">magnet</a>";
  EXPECT_EQ(extract_magnet_link(page), "magnet:?xt=urn:btih:0123");
  // A panel without its line feeds is not the panel.
  EXPECT_EQ(extract_magnet_link("<div class=\"panel-header\">Magnet Link</div><a href=\"m\">"), "");
  EXPECT_EQ(extract_magnet_link(""), "");
}

class MagnetFetch : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    sim_ = new testing::SiteSimulator();
    set_web_ca_file(sim_->ca_file());
  }
  static void TearDownTestSuite() {
    delete sim_;
    sim_ = nullptr;
  }
  static std::string http(const std::string& path) { return sim_->http_base() + path; }
  static testing::SiteSimulator* sim_;
};
testing::SiteSimulator* MagnetFetch::sim_ = nullptr;

TEST_F(MagnetFetch, DetailPagesOfTheSimulator) {
  struct Case {
    std::string path;
    std::string link;
  };
  const Case cases[] = {
      {"/e3/wiki/abc.html", "magnet:?xt=urn:btih:0123"},
      {"/e3/wiki/0a1b2c.html", "magnet:?xt=urn:btih:0a1b2c"},
      {"/e3/wiki/nopanel-0a1b2c.html", ""},                        // no panel
      {"/e3/wiki/big-0a1b2c.html", "magnet:?xt=urn:btih:0a1b2c"},  // 10 MB before the panel
      {"/fault/big", ""},                                          // 10 MB without markers
      {"/status/404", ""},
  };
  for (const Case& c : cases) EXPECT_EQ(fetch_magnet_link(http(c.path)), c.link) << c.path;
  EXPECT_EQ(fetch_magnet_link(""), "");
  EXPECT_EQ(fetch_magnet_link("http://127.0.0.1:9/unreachable"), "");
}

// A copy of sleep under `name`, running until the object goes away.
class NamedProcess {
 public:
  NamedProcess(const std::filesystem::path& folder, const std::string& name) {
    path_ = folder / name;
    std::filesystem::copy_file("/bin/sleep", path_,
                               std::filesystem::copy_options::overwrite_existing);
    pid_ = ::fork();
    if (pid_ == 0) {
      ::execl(path_.c_str(), path_.c_str(), "30", static_cast<char*>(nullptr));
      ::_exit(127);
    }
    // Running once /proc shows the new program rather than the forked test.
    for (int i = 0; i < 200; ++i) {
      std::error_code error;
      if (std::filesystem::read_symlink("/proc/" + std::to_string(pid_) + "/exe", error) == path_)
        break;
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
  }
  ~NamedProcess() {
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
    std::filesystem::remove(path_);
  }

 private:
  std::filesystem::path path_;
  pid_t pid_ = -1;
};

TEST(ProcessCheck, WholeNamesIgnoringCase) {
  const auto folder =
      std::filesystem::temp_directory_path() / ("trovix_proc_" + std::to_string(::getpid()));
  std::filesystem::create_directories(folder);
  // 15 bytes, the most the kernel keeps of a command name.
  const std::string digits = std::to_string(1000 + ::getpid() % 1000).substr(1);
  const std::string name = "TrovixPr" + digits + ".exe";
  ASSERT_EQ(name.size(), 15u);
  EXPECT_FALSE(is_process_running(name));
  {
    std::string upper = name;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    NamedProcess running(folder, upper);
    EXPECT_TRUE(is_process_running(name)) << "case is ignored";
    EXPECT_TRUE(any_process_running({"nothing-like-it", name}));
  }
  EXPECT_FALSE(is_process_running(name)) << "gone once it ended";
  {
    // Longer names: the kernel's 15-byte command name of the first equals
    // the looked-for name exactly, yet neither process is that program.
    NamedProcess longer(folder, name + ".bak");
    NamedProcess numbered(folder, "TrovixPr7.exe");
    EXPECT_FALSE(is_process_running(name));
    EXPECT_FALSE(is_process_running(name.substr(0, name.size() - 1)));
  }
  EXPECT_TRUE(is_process_running("sleep") || !is_process_running(""));
  EXPECT_FALSE(is_process_running(""));
  std::filesystem::remove_all(folder);
}

TEST(ProcessCheck, ToolNamesAlwaysStartWithThunder) {
  EXPECT_EQ(download_tool_names(""), std::vector<std::string>{"Thunder.exe"});
  EXPECT_EQ(download_tool_names(" qbittorrent ,, aria2c,"),
            (std::vector<std::string>{"Thunder.exe", "qbittorrent", "aria2c"}));
}

TEST(LinkColumn, PerEngine) {
  MemoryResultsList list;
  for (int c = 0; c < 6; ++c) list.insert_column(c, "c" + std::to_string(c), 10);
  list.append_row({"0", "1", "2", "3", "4", "5"});
  const int expected[] = {-1, 5, 4, 5, 5, 2, 3};
  for (int engine = 0; engine <= 6; ++engine) EXPECT_EQ(link_column(engine), expected[engine]);
  EXPECT_EQ(selected_link(list, 2), "") << "no selected row";
  list.select_row(0);
  EXPECT_EQ(selected_link(list, 2), "4");
  EXPECT_EQ(selected_link(list, 6), "3");
  EXPECT_EQ(selected_link(list, 0), "");
  list.delete_column(5);
  EXPECT_EQ(selected_link(list, 1), "") << "a column set without the link column";
  EXPECT_EQ(context_menu_for(3), ContextMenu::torrent);
  EXPECT_EQ(context_menu_for(6), ContextMenu::normal);
  EXPECT_EQ(context_menu_for(0), ContextMenu::none);
  EXPECT_TRUE(is_torrent_engine(4));
  EXPECT_FALSE(is_torrent_engine(5));
}

}  // namespace
}  // namespace trovix
