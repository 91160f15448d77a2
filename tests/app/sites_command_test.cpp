// The program as a process: the first-run line of a search on an engine that
// still has only its built-in placeholder, and "trovix sites" over the site
// simulator with an ok, a changed and an unreachable address per engine.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>

#include "../support/sitesim_process.h"

namespace trovix {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exit_code = -1;
  std::string out;
  std::string err;
};

class SitesCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string pattern = (fs::temp_directory_path() / "trovix-sites-XXXXXX").string();
    dir_ = mkdtemp(pattern.data());
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string write(const std::string& name, const std::string& text) const {
    std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
    return dir_ + "/" + name;
  }
  // Runs the program with an empty per-user configuration folder.
  Outcome run(const std::string& arguments) const {
    const std::string err_file = dir_ + "/stderr";
    const std::string command =
        "env XDG_CONFIG_HOME=" + dir_ + "/config " TROVIX_BIN " " + arguments + " 2>" + err_file;
    Outcome outcome;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) return outcome;
    std::array<char, 4096> buffer;
    while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
      outcome.out.append(buffer.data(), n);
    const int status = pclose(pipe);
    if (WIFEXITED(status)) outcome.exit_code = WEXITSTATUS(status);
    std::ifstream file(err_file, std::ios::binary);
    outcome.err.assign(std::istreambuf_iterator<char>(file), {});
    return outcome;
  }

  std::string dir_;
};

// The state column of each table line, keyed by its address column.
std::map<std::string, std::string> states_by_address(const std::string& table) {
  std::map<std::string, std::string> states;
  std::istringstream lines(table);
  std::string line;
  std::getline(lines, line);  // the heading
  while (std::getline(lines, line)) {
    std::istringstream words(line);
    std::string site, address, state;
    words >> site >> address >> state;
    states[address] = state;
  }
  return states;
}

TEST_F(SitesCommand, SearchOnAPlaceholderSaysWhereToSetTheAddress) {
  // Only the time-out is set: the engine keeps its built-in placeholder.
  const std::string services = write("network.ini", "[network]\ntimeout_seconds = 1\n");
  const Outcome outcome = run("search --engine 3 --services " + services + " linux");
  EXPECT_EQ(outcome.exit_code, 0);
  const std::string line =
      "trovix: engine 3 has no site address configured (only its built-in "
      "placeholder); set engine3 in [sites] of " +
      dir_ + "/config/trovix/services.ini (see README.md, \"Service addresses\")\n";
  EXPECT_TRUE(outcome.err.ends_with(line)) << outcome.err;
  EXPECT_EQ(outcome.err.find(line), outcome.err.size() - line.size());  // once

  testing::SiteSimulator sim;
  const Outcome configured = run("search --engine 3 --services " + sim.services_file() + " k3");
  EXPECT_EQ(configured.exit_code, 0);
  EXPECT_EQ(configured.err.find("no site address configured"), std::string::npos) << configured.err;
}

TEST_F(SitesCommand, ReportsEveryAddressAndExitsByTheOkOnes) {
  testing::SiteSimulator sim;
  std::ifstream in(sim.services_file());
  std::string ini((std::istreambuf_iterator<char>(in)), {});
  const std::string http = sim.http_base();
  // Each engine: a dead port first, a page without the engine's markers, then
  // its real site.
  const char* paths[] = {"/e1/", "/e2/", "/e3", "/e4/", "/e5", "/e6"};
  std::string sites = "[sites]\n";
  for (int engine = 1; engine <= 6; ++engine) {
    const std::string real = (engine == 6 ? sim.https_base() : http) + paths[engine - 1];
    const std::string slash = (engine == 1 || engine == 2 || engine == 4) ? "/" : "";
    sites += "engine" + std::to_string(engine) + " = http://127.0.0.1:1/e" +
             std::to_string(engine) + slash + " " + http + "/echo" + slash + " " + real + "\n";
  }
  const std::string all = write("all.ini", ini + "\n[network]\ntimeout_seconds = 2\n" + sites);
  const Outcome outcome = run("sites --services " + all);
  EXPECT_EQ(outcome.exit_code, 0) << outcome.out << outcome.err;
  const std::string& text = outcome.out;
  const auto states = states_by_address(text);
  // Three per engine and the information page; the two /echo pages are shared.
  EXPECT_EQ(states.size(), 15u) << text;
  for (int engine = 1; engine <= 6; ++engine) {
    const std::string slash = (engine == 1 || engine == 2 || engine == 4) ? "/" : "";
    const std::string real = (engine == 6 ? sim.https_base() : http) + paths[engine - 1];
    EXPECT_EQ(states.at(real), "ok") << text;
    EXPECT_EQ(states.at(http + "/echo" + slash), "changed") << text;
    EXPECT_EQ(states.at("http://127.0.0.1:1/e" + std::to_string(engine) + slash), "unreachable")
        << text;
  }
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 20) << text;
  EXPECT_NE(text.find(" ms  "), std::string::npos);

  const Outcome json = run("sites --format json --services " + all);
  EXPECT_EQ(json.exit_code, 0);
  EXPECT_NE(
      json.out.find("{\"site\": \"engine5\", \"address\": \"" + http + "/e5\", \"state\": \"ok\""),
      std::string::npos)
      << json.out;
  EXPECT_NE(json.out.find("\"every_engine_ok\": true"), std::string::npos);

  // Without an ok address for engine 4 the check fails.
  const std::string broken =
      write("broken.ini", ini + "\n[sites]\nengine4 = http://127.0.0.1:1/ " + http + "/echo/\n");
  const Outcome failed = run("sites --services " + broken);
  EXPECT_EQ(failed.exit_code, 1) << failed.out;

  EXPECT_EQ(run("sites --format yaml").exit_code, 2);
  EXPECT_EQ(run("sites --services " + dir_ + "/missing.ini").exit_code, 2);
}

TEST_F(SitesCommand, AHundredStalledAddressesEndWithinAFewTimeOuts) {
  testing::SiteSimulator sim;
  std::ifstream in(sim.services_file());
  std::string ini((std::istreambuf_iterator<char>(in)), {});
  std::string list;
  for (int i = 0; i < 100; ++i)
    list += " " + sim.http_base() + "/faulty/stall/m" + std::to_string(i) + "/";
  const std::string file =
      write("hundred.ini", ini + "\n[network]\ntimeout_seconds = 1\n[sites]\nengine2 =" + list +
                               "\nengine3 = " + sim.http_base() + "/faulty/loop/e3\n");
  const auto start = std::chrono::steady_clock::now();
  const Outcome outcome = run("sites --services " + file);
  const auto seconds =
      std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
          .count();
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_LE(seconds, 8);
  // The redirect loop is no answer.
  const auto states = states_by_address(outcome.out);
  EXPECT_EQ(states.at(sim.http_base() + "/faulty/loop/e3"), "unreachable") << outcome.out;
  EXPECT_EQ(states.at(sim.http_base() + "/faulty/stall/m99/"), "unreachable");
}

}  // namespace
}  // namespace trovix
