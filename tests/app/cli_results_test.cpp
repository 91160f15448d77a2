// The command line acting on results: --sort, --format txt|xls, --output and
// the magnet command against the site simulator.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/cli.h"
#include "support/sitesim_process.h"
#include "web/codec.h"

namespace trovix {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  std::optional<int> code;
  std::string out, err;
};

Outcome run_cli(const std::vector<std::string>& arguments) {
  std::vector<std::string> storage{"trovix"};
  storage.insert(storage.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& s : storage) argv.push_back(s.data());
  argv.push_back(nullptr);
  std::ostringstream out, err;
  Outcome result;
  result.code = run_command_line(static_cast<int>(storage.size()), argv.data(), out, err);
  result.out = out.str();
  result.err = err.str();
  return result;
}

std::vector<std::vector<std::string>> tsv_rows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    std::vector<std::string> cells;
    std::size_t begin = 0;
    for (std::size_t tab; (tab = line.find('\t', begin)) != std::string::npos; begin = tab + 1)
      cells.push_back(line.substr(begin, tab - begin));
    cells.push_back(line.substr(begin));
    rows.push_back(cells);
  }
  return rows;
}

std::string read_file(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

class ResultCommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "trovix-cli-results-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string dir_;
};

TEST_F(ResultCommandLine, SortOrdersByTitleDescendingAndLogsBothLines) {
  const Outcome plain = run_cli({"search", "--engine", "0", "demo"});
  const Outcome sorted = run_cli({"search", "--engine", "0", "--sort", "demo"});
  ASSERT_EQ(sorted.code, 0) << sorted.err;
  auto rows = tsv_rows(sorted.out);
  ASSERT_GT(rows.size(), 2u);
  for (std::size_t r = 2; r < rows.size(); ++r) EXPECT_GE(rows[r - 1][1], rows[r][1]) << r;
  auto unsorted = tsv_rows(plain.out);
  EXPECT_NE(rows, unsorted);
  std::sort(rows.begin() + 1, rows.end());
  std::sort(unsorted.begin() + 1, unsorted.end());
  EXPECT_EQ(rows, unsorted) << "the same whole rows, re-ordered";
  EXPECT_TRUE(
      sorted.err.ends_with("<<<正在进行时间排序，请稍后...\n<<<按时间排序成功！\n<<<"
                           "温馨提示：点击发布时间表头即可快速排序\n"))
      << sorted.err;
  EXPECT_EQ(plain.err.find("排序"), std::string::npos);
}

TEST_F(ResultCommandLine, TxtAndXlsAreTheWindowsExportBytes) {
  const Outcome tsv = run_cli({"search", "--engine", "0", "demo"});
  const Outcome txt = run_cli({"search", "--engine", "0", "--format", "txt", "demo"});
  const Outcome xls = run_cli({"search", "--engine", "0", "--format=xls", "demo"});
  ASSERT_EQ(txt.code, 0);
  ASSERT_EQ(xls.code, 0);
  const auto rows = tsv_rows(tsv.out);
  std::string expected_txt;
  std::string expected_xls = "<table border=\"1\">\r\n  <tr>\r\n";
  for (const std::string& header : rows[0]) expected_xls += "    <th>" + gbk(header) + "</th>\r\n";
  expected_xls += "  </tr>\r\n";
  for (std::size_t r = 1; r < rows.size(); ++r) {
    expected_xls += "  <tr>\r\n";
    for (const std::string& cell : rows[r]) {
      expected_txt += gbk(cell) + ",";
      expected_xls += "    <td>" + gbk(cell) + "</td>\r\n";
    }
    expected_txt += "\r\n";
    expected_xls += "  </tr>\r\n";
  }
  expected_xls += "</table>\r\n";
  EXPECT_EQ(txt.out, expected_txt);
  EXPECT_EQ(xls.out, expected_xls);
}

TEST_F(ResultCommandLine, OutputGoesToTheFileAsNamedOrLeavesItWhole) {
  const std::string target = dir_ + "/结果 list.txt";
  const Outcome written =
      run_cli({"search", "--engine", "0", "--format", "txt", "--output", target, "demo"});
  ASSERT_EQ(written.code, 0) << written.err;
  EXPECT_EQ(written.out, "");
  EXPECT_EQ(read_file(target), run_cli({"search", "--engine", "0", "--format", "txt", "demo"}).out);
  EXPECT_FALSE(fs::exists(target + ".txt"));

  const Outcome missing =
      run_cli({"search", "--engine", "0", "--output=" + dir_ + "/no/such/x.csv", "demo"});
  EXPECT_EQ(missing.code, 1);
  EXPECT_NE(missing.err.find("cannot write"), std::string::npos);

  // A directory in the way: nothing is damaged.
  fs::create_directory(dir_ + "/taken");
  EXPECT_EQ(run_cli({"search", "--engine", "0", "--output", dir_ + "/taken", "demo"}).code, 1);
  EXPECT_TRUE(fs::is_directory(dir_ + "/taken"));

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"search", "--engine", "0", "--output", "", "k"},
        {"search", "--engine", "0", "--sort=yes", "k"},
        {"search", "--engine", "0", "--format", "doc", "k"},
        {"search", "--engine", "0", "k", "--output"}}) {
    EXPECT_EQ(run_cli(bad).code, 2) << bad[3];
  }
}

TEST_F(ResultCommandLine, MagnetPrintsTheLinkOrTheFailureText) {
  testing::SiteSimulator sim;
  const std::string services = sim.services_file();
  struct Case {
    std::string url;
    int code;
    std::string out;
    std::string err;
  };
  const Case cases[] = {
      {sim.http_base() + "/e3/wiki/abc.html", 0, "magnet:?xt=urn:btih:0123\n", ""},
      {sim.https_base() + "/e3/wiki/beef.html", 0, "magnet:?xt=urn:btih:beef\n", ""},
      {sim.http_base() + "/e3/wiki/nopanel-beef.html", 1, "", "链接提取失败请重试！\n"},
      {sim.http_base() + "/fault/big", 1, "", "链接提取失败请重试！\n"},
      {"http://127.0.0.1:9/unreachable", 1, "", "链接提取失败请重试！\n"},
  };
  for (const Case& c : cases) {
    const Outcome result = run_cli({"magnet", "--services", services, c.url});
    EXPECT_EQ(result.code, c.code) << c.url;
    EXPECT_EQ(result.out, c.out) << c.url;
    EXPECT_EQ(result.err, c.err) << c.url;
  }
  EXPECT_EQ(run_cli({"magnet"}).code, 2);
  EXPECT_EQ(run_cli({"magnet", "a", "b"}).code, 2);
  EXPECT_EQ(run_cli({"magnet", "--services", dir_ + "/none.ini", "http://x"}).code, 2);
  EXPECT_EQ(run_cli({"magnet", "--bogus", "http://x"}).code, 2);
}

TEST_F(ResultCommandLine, HelpNamesTheNewOptions) {
  const std::string help = run_cli({"--help"}).out;
  for (const char* word : {"--sort", "txt|xls", "--output FILE", "trovix magnet"})
    EXPECT_NE(help.find(word), std::string::npos) << word;
}

}  // namespace
}  // namespace trovix
