// The command-line mode: argument errors, --version, a whole run of the
// built-in test engine, and the three output formats.
#include "app/cli.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "search/results_list.h"
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

std::vector<std::string> lines_of(const std::string& text, char end = '\n') {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line, end);) lines.push_back(line);
  return lines;
}

class CommandLine : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "trovix-cli-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
    // No per-user services file of the machine leaks into the runs.
    setenv("XDG_CONFIG_HOME", dir_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("XDG_CONFIG_HOME");
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string write(const std::string& name, const std::string& text) {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
    return dir_ + "/" + name;
  }
  std::string dir_;
};

TEST_F(CommandLine, WindowArgumentsAreLeftToTheWindow) {
  EXPECT_FALSE(run_cli({}).code.has_value());
  EXPECT_FALSE(run_cli({"--services", "x.ini"}).code.has_value());
  EXPECT_FALSE(run_cli({"--services=x.ini"}).code.has_value());

  std::vector<std::string> args{"trovix", "-x", "--services", "a.ini"};
  std::vector<char*> argv;
  for (auto& s : args) argv.push_back(s.data());
  EXPECT_EQ(services_file_argument(4, argv.data()), "a.ini");
  EXPECT_EQ(services_file_argument(2, argv.data()), std::nullopt);
}

TEST_F(CommandLine, VersionAndHelp) {
  const Outcome version = run_cli({"--version"});
  EXPECT_EQ(version.code, 0);
  EXPECT_EQ(version.out, "1.1.5\n");
  const Outcome help = run_cli({"--help"});
  EXPECT_EQ(help.code, 0);
  EXPECT_NE(help.out.find("search --engine N"), std::string::npos);
  EXPECT_NE(help.out.find("--parallel N"), std::string::npos);
  // The engine list comes from the engine table.
  EXPECT_NE(help.out.find("  5  网盘引擎1  cloud-disk share index\n"), std::string::npos);
}

TEST_F(CommandLine, BadArgumentsExitWithTwoAndSayWhy) {
  const std::string missing_file = dir_ + "/absent.ini";
  const std::vector<std::vector<std::string>> cases = {
      {"bogus"},
      {"--version", "extra"},
      {"--services"},
      {"--services", "a.ini", "extra"},
      {"search"},
      {"search", "--engine"},
      {"search", "--engine", "0"},
      {"search", "--engine", "7", "word"},
      {"search", "--engine", "-1", "word"},
      {"search", "--engine", "12", "word"},
      {"search", "--engine", "two", "word"},
      {"search", "--engine", "0", "--format", "xml", "word"},
      {"search", "--engine", "0", "--colour", "word"},
      {"search", "--engine", "0", "one", "two"},
      {"search", "--engine", "0", ""},
      {"search", "--engine", "0", "bad\xff\xfe"},       // not UTF-8
      {"search", "--engine", "0", "\xc0\xaf"},          // overlong "/"
      {"search", "--engine", "0", "a\x01z"},            // control character
      {"search", "--engine", "0", "line\nbreak"},       // control character
      {"search", "--engine", "0", "\xF0\x9F\x98\x80"},  // no GBK form
      {"search", "--engine", "0", "（请输入关键词）"},  // the placeholder
      {"search", "--engine", "0", "--services", missing_file, "word"},
      {"search", "--engine", "0", "--parallel", "0", "word"},
      {"search", "--engine", "0", "--parallel", "17", "word"},
      {"search", "--engine", "0", "--parallel=-1", "word"},
      {"search", "--engine", "0", "--parallel", "4x", "word"},
      {"search", "--engine", "0", "--parallel", "", "word"},
      {"search", "--engine", "0", "word", "--parallel"},
  };
  for (const auto& c : cases) {
    std::string shown;
    for (const auto& a : c) shown += "[" + a + "] ";
    SCOPED_TRACE(shown);
    const Outcome r = run_cli(c);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.starts_with("trovix: ")) << r.err;
    EXPECT_EQ(r.out, "");
  }
}

TEST_F(CommandLine, TestEngineRunPrintsRowsAndStreamsTheLog) {
  const Outcome r = run_cli({"search", "--engine", "0", "--parallel", "16", "word"});
  ASSERT_EQ(r.code, 0) << r.err;
  const auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 101u);
  EXPECT_EQ(lines[0], "ID\t标题（右击下载）");
  EXPECT_EQ(lines[1], "1\t测试结果 1");
  EXPECT_EQ(lines[100], "100\t测试结果 100");
  EXPECT_EQ(r.err,
            "<<<连接服务器中，请稍后...\n"
            "<<<测试引擎正在加载1页内容\n<<<测试引擎正在加载2页内容\n<<<测试引擎正在加载3页内容\n"
            "<<<测试引擎正在加载4页内容\n<<<测试引擎正在加载5页内容\n"
            "<<<本次搜索内容全部加载完毕，共加载5页内容\n");
}

TEST_F(CommandLine, ServicesFileProblemsAreWarningsAndLongKeywordsRun) {
  const std::string file =
      write("services.ini", "[sites]\nengine1=http://127.0.0.1:9/e1/\nnonsense\n");
  const Outcome r = run_cli(
      {"search", "--services", file, "--format=csv", "--engine=0", "--", std::string(10'000, 'k')});
  ASSERT_EQ(r.code, 0) << r.err;
  EXPECT_TRUE(r.err.starts_with("trovix: " + file + ":3: ")) << r.err;
  const auto lines = lines_of(r.out);
  ASSERT_EQ(lines.size(), 101u);
  EXPECT_EQ(lines[0], "ID,标题（右击下载）\r");
}

// --verbose adds one line per request to standard error and changes nothing
// else: a live site shows its status, a dead one its failure text.
TEST_F(CommandLine, VerboseTellsADeadSiteFromAnEmptyResult) {
  testing::SiteSimulator sim;
  std::ifstream in(sim.services_file(), std::ios::binary);
  const std::string services((std::istreambuf_iterator<char>(in)), {});
  const std::string live = write("live.ini", services);
  const std::string dead =
      write("dead.ini", services + "\n[sites]\nengine2=http://127.0.0.1:9/e2/\n");

  const Outcome quiet = run_cli({"search", "--engine", "2", "--services", live, "t3"});
  const Outcome verbose =
      run_cli({"search", "--verbose", "--engine", "2", "--services", live, "t3"});
  ASSERT_EQ(verbose.code, 0) << verbose.err;
  EXPECT_EQ(verbose.out, quiet.out);
  std::string log_lines;
  std::vector<std::string> request_lines;
  for (const std::string& line : lines_of(verbose.err)) {
    if (line.starts_with("trovix: "))
      request_lines.push_back(line);
    else
      log_lines += line + "\n";
  }
  EXPECT_EQ(log_lines, quiet.err);
  ASSERT_FALSE(request_lines.empty());
  const std::string first = "trovix: GET " + sim.http_base() + "/e2/";
  EXPECT_TRUE(request_lines[0].starts_with(first)) << request_lines[0];
  for (const std::string& line : request_lines) {
    EXPECT_NE(line.find(" -> 200 OK ("), std::string::npos) << line;
    EXPECT_TRUE(line.ends_with(" ms)")) << line;
  }

  const Outcome gone = run_cli({"search", "--verbose", "--engine", "2", "--services", dead, "t3"});
  ASSERT_EQ(gone.code, 0) << gone.err;
  EXPECT_NE(gone.err.find("trovix: GET http://127.0.0.1:9/e2/"), std::string::npos) << gone.err;
  EXPECT_NE(gone.err.find(" -> 711 发送请求失败! ("), std::string::npos) << gone.err;
}

TEST(WriteRows, EachFormatKeepsAwkwardCellsApart) {
  MemoryResultsList list;
  list.insert_column(0, "ID", 30);
  list.insert_column(1, gbk("标题"), 300);
  list.append_row({"1", gbk("甲,乙 \"丙\"")});
  list.append_row({"2", "tab\there\r\nnext \\ \x01"});
  list.append_row({"3"});

  struct Case {
    OutputFormat format;
    std::string expected;
  };
  const Case cases[] = {
      {OutputFormat::tsv, "ID\t标题\n1\t甲,乙 \"丙\"\n2\ttab here  next \\ \x01\n3\t\n"},
      {OutputFormat::csv,
       "ID,标题\r\n1,\"甲,乙 \"\"丙\"\"\"\r\n2,\"tab\there\r\nnext \\ \x01\"\r\n3,\r\n"},
      {OutputFormat::json,
       "[\n  {\"ID\": \"1\", \"标题\": \"甲,乙 \\\"丙\\\"\"},\n"
       "  {\"ID\": \"2\", \"标题\": \"tab\\there\\r\\nnext \\\\ \\u0001\"},\n"
       "  {\"ID\": \"3\", \"标题\": \"\"}\n]\n"},
  };
  for (const Case& c : cases) {
    std::ostringstream out;
    write_rows(list, c.format, out);
    EXPECT_EQ(out.str(), c.expected) << static_cast<int>(c.format);
  }
  MemoryResultsList empty;
  std::ostringstream out;
  write_rows(empty, OutputFormat::json, out);
  EXPECT_EQ(out.str(), "[]\n");
}

}  // namespace
}  // namespace trovix
