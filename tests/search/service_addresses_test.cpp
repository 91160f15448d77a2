// The service addresses: the fixed paths of the defaults, and the INI file
// that overrides them, good and broken.
#include "search/service_addresses.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace trovix {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    std::string pattern = (fs::temp_directory_path() / "trovix-services-XXXXXX").string();
    path_ = mkdtemp(pattern.data());
  }
  ~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
  }
  std::string write(const std::string& name, const std::string& text) const {
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary) << text;
    return file;
  }
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

TEST(ServiceAddresses, DefaultsKeepTheFixedPathsOnReservedHosts) {
  const ServiceAddresses a = default_service_addresses();
  for (int n = 1; n <= 6; ++n) {
    SCOPED_TRACE(n);
    EXPECT_NE(a.engine_site(n).find(".invalid"), std::string::npos);
    // Each engine appends its paths to the site address as it stands.
    EXPECT_EQ(a.engine_site(n).ends_with('/'), n == 1 || n == 2 || n == 4);
  }
  EXPECT_TRUE(a.engine_site(6).starts_with("https://"));
  EXPECT_TRUE(a.info_page.ends_with(".invalid/qnvt/qnvt.html"));
  EXPECT_TRUE(a.counter.ends_with("/count1/count.asp"));
  EXPECT_TRUE(a.thunder_installer.ends_with("/thunder7/Thunder_dl_7.9.44.5056.exe"));
  EXPECT_TRUE(a.xuanfeng_installer.ends_with("/invc/cyclone/QQDownload_Setup_48_773_400.exe"));

  const auto idkey = a.group_join.find("/wpa/qunwpa?idkey=");
  ASSERT_NE(idkey, std::string::npos);
  const std::string key = a.group_join.substr(idkey + 18);
  EXPECT_EQ(key.size(), 64u);
  EXPECT_EQ(key.find_first_not_of("0123456789abcdefABCDEF"), std::string::npos);

  const auto share = a.share_page.find("/cgi-bin/qzshare/cgi_qzshare_onekey?url=");
  ASSERT_NE(share, std::string::npos);
  const auto title = a.share_page.find("&title="), pics = a.share_page.find("&pics="),
             summary = a.share_page.find("&summary=");
  EXPECT_TRUE(share < title && title < pics && pics < summary && summary != std::string::npos);
  EXPECT_EQ(a.share_page.find_first_of(" \x80\xE4"), std::string::npos);  // all percent-encoded

  EXPECT_EQ(a.form_token.size(), 32u);
  EXPECT_TRUE(a.ca_file.empty());
  EXPECT_EQ(a.default_folder, std::string(std::getenv("HOME")) + "/Trovix");
}

TEST(ServiceAddresses, FileOverridesWhatItSetsAndNothingElse) {
  TempDir dir;
  const std::string file = dir.write("services.ini",
                                     "\xEF\xBB\xBF# written by hand\r\n"
                                     "\r\n"
                                     "[sites]\r\n"
                                     "  engine1 =  http://127.0.0.1:9/e1/  \r\n"
                                     "engine6=https://127.0.0.1:10/e6\r\n"
                                     "; the server\n"
                                     "[ server ]\n"
                                     "info_page=http://127.0.0.1:9/qnvt/qnvt.html\n"
                                     "form_token=\n"
                                     "[tls]\n"
                                     "ca_file=~/ca.pem\n"
                                     "[paths]\n"
                                     "default_folder = ~/Downloads/Trovix");
  const ServiceAddresses defaults = default_service_addresses();
  ServiceAddresses a = defaults;
  EXPECT_TRUE(load_service_addresses(file, a).empty());
  const std::string home = std::getenv("HOME");
  EXPECT_EQ(a.engine_site(1), "http://127.0.0.1:9/e1/");
  EXPECT_EQ(a.engine_site(6), "https://127.0.0.1:10/e6");
  EXPECT_EQ(a.engine_site(2), defaults.engine_site(2));
  EXPECT_EQ(a.info_page, "http://127.0.0.1:9/qnvt/qnvt.html");
  EXPECT_EQ(a.form_token, "");  // an empty value is a value
  EXPECT_EQ(a.counter, defaults.counter);
  EXPECT_EQ(a.ca_file, home + "/ca.pem");
  EXPECT_EQ(a.default_folder, home + "/Downloads/Trovix");
}

TEST(ServiceAddresses, ProblemsNameFileAndLineAndTheGoodKeysStillApply) {
  TempDir dir;
  const std::string file = dir.write("broken.ini",
                                     "website=http://early/\n"  // 1: before any section
                                     "[sites]\n"                // 2
                                     "engine1=http://one/\n"    // 3
                                     "engine7=http://seven/\n"  // 4: unknown key
                                     "just some words\n"        // 5: no "="
                                     "[weather]\n"              // 6: unknown section
                                     "rain=yes\n"               // 7: skipped silently
                                     "[server\n"                // 8: no "]"
                                     "counter=http://lost/\n"   // 9: outside a section
                                     "[server]\n"               // 10
                                     "website=http://site/\n"   // 11
                                     "info_page http://x/\n");  // 12: no "="
  const ServiceAddresses defaults = default_service_addresses();
  ServiceAddresses a = defaults;
  const auto problems = load_service_addresses(file, a);

  std::vector<int> lines;
  for (const ConfigProblem& p : problems) {
    EXPECT_EQ(p.file, file);
    EXPECT_FALSE(p.message.empty());
    EXPECT_EQ(describe(p), file + ":" + std::to_string(p.line) + ": " + p.message);
    lines.push_back(p.line);
  }
  EXPECT_EQ(lines, (std::vector<int>{1, 4, 5, 6, 8, 9, 12}));
  EXPECT_NE(problems[1].message.find("engine7"), std::string::npos);
  EXPECT_NE(problems[3].message.find("weather"), std::string::npos);

  EXPECT_EQ(a.engine_site(1), "http://one/");
  EXPECT_EQ(a.website, "http://site/");
  EXPECT_EQ(a.counter, defaults.counter);
  EXPECT_EQ(a.info_page, defaults.info_page);
}

TEST(ServiceAddresses, CommentsAfterABlankEndTheValueAndSignsInsideAValueStay) {
  // The lines as the README shows them, and values that hold the signs.
  const std::string text =
      "[sites]   ; the search sites\n"
      "engine1 = http://127.0.0.1:8080/e1/    ; engines 1, 2 and 4 end with \"/\"\n"
      "engine3 = http://127.0.0.1:8080/e3\t# engines 3, 5 and 6 do not\n"
      "engine4 = http://127.0.0.1:8080/e4/#top\n"
      "engine5 = http://127.0.0.1:8080/e5?a=1;b=2\n"
      "[server]\n"
      "form_token = ;\n"
      "info_page = # nothing\n"
      "[network]\n"
      "timeout_seconds = 2 ; short, for tests\n";
  TempDir dir;
  ServiceAddresses a = default_service_addresses();
  EXPECT_TRUE(load_service_addresses(dir.write("services.ini", text), a).empty());
  EXPECT_EQ(a.engine_site(1), "http://127.0.0.1:8080/e1/");
  EXPECT_EQ(a.engine_site(3), "http://127.0.0.1:8080/e3");
  EXPECT_EQ(a.engine_site(4), "http://127.0.0.1:8080/e4/#top");
  EXPECT_EQ(a.engine_site(5), "http://127.0.0.1:8080/e5?a=1;b=2");
  EXPECT_EQ(a.form_token, "");  // a value that is only a comment is empty
  EXPECT_EQ(a.info_page, "");
  EXPECT_EQ(a.timeout_seconds, 2);
}

TEST(ServiceAddresses, TimeoutIsThirtySecondsUnlessAWholeNumberFromOneIsGiven) {
  EXPECT_EQ(default_service_addresses().timeout_seconds, 30);
  for (const char* bad : {"0", "-5", "2.5", "ten", "", "999999", "86401"}) {
    SCOPED_TRACE(bad);
    ServiceAddresses a = default_service_addresses();
    const auto problems =
        parse_service_addresses(std::string("[network]\ntimeout_seconds=") + bad, "t.ini", a);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 2);
    EXPECT_EQ(a.timeout_seconds, 30);
  }
  ServiceAddresses a = default_service_addresses();
  EXPECT_TRUE(parse_service_addresses("[network]\ntimeout_seconds=86400", "t.ini", a).empty());
  EXPECT_EQ(a.timeout_seconds, 86400);
}

// parallel_requests takes a whole number from 1 to 16; anything else is a
// problem on its line and the value stays as it was.
TEST(ServiceAddresses, ParallelRequestsIsAWholeNumberFromOneToSixteen) {
  TempDir dir;
  EXPECT_EQ(default_service_addresses().parallel_requests, 4);
  const struct {
    const char* value;
    int expected;  // 0: refused
  } cases[] = {{"1", 1},  {"16", 16}, {" 8 ", 8}, {"0", 0},   {"17", 0},         {"-2", 0},
               {"4x", 0}, {"", 0},    {"3.5", 0}, {"007", 0}, {"99999999999", 0}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    ServiceAddresses a = default_service_addresses();
    a.parallel_requests = 2;
    const auto problems = load_service_addresses(
        dir.write("p.ini", std::string("[search]\nparallel_requests=") + c.value + "\n"), a);
    EXPECT_EQ(a.parallel_requests, c.expected == 0 ? 2 : c.expected);
    ASSERT_EQ(problems.size(), c.expected == 0 ? 1u : 0u);
    if (!problems.empty()) {
      EXPECT_EQ(problems[0].line, 2);
    }
  }
}

// The [sites] keys are the engine table's.
TEST(ServiceAddresses, SiteKeysComeFromTheEngineTable) {
  TempDir dir;
  std::string text = "[sites]\n";
  for (const EngineInfo& engine : kEngineTable)
    text +=
        std::string(engine.services_key) + "=http://site" + std::to_string(engine.number) + "/\n";
  ServiceAddresses a = default_service_addresses();
  EXPECT_TRUE(load_service_addresses(dir.write("s.ini", text), a).empty());
  for (const EngineInfo& engine : kEngineTable)
    EXPECT_EQ(a.engine_site(engine.number), "http://site" + std::to_string(engine.number) + "/");
}

TEST(ServiceAddresses, UnreadableFileIsOneProblemAndChangesNothing) {
  TempDir dir;
  for (const std::string& path : {dir.path() + "/absent.ini", dir.path()}) {
    SCOPED_TRACE(path);
    ServiceAddresses a = default_service_addresses();
    const auto problems = load_service_addresses(path, a);
    ASSERT_EQ(problems.size(), 1u);
    EXPECT_EQ(problems[0].line, 0);
    EXPECT_EQ(describe(problems[0]), path + ": " + problems[0].message);
    EXPECT_EQ(a.info_page, default_service_addresses().info_page);
  }
}

TEST(ServiceAddresses, UserFileFollowsTheConfigHome) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  const std::string restore = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", "/cfg", 1);
  EXPECT_EQ(user_services_path(), "/cfg/trovix/services.ini");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_EQ(user_services_path(),
            std::string(std::getenv("HOME")) + "/.config/trovix/services.ini");
  unsetenv("XDG_CONFIG_HOME");
  EXPECT_EQ(user_services_path(),
            std::string(std::getenv("HOME")) + "/.config/trovix/services.ini");
  if (saved) setenv("XDG_CONFIG_HOME", restore.c_str(), 1);
}

}  // namespace
}  // namespace trovix
