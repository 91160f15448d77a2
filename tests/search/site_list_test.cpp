// Mirror lists in the services file: several addresses per engine key, bad
// entries reported with file and line, duplicates dropped.
#include "search/site_list.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "search/service_addresses.h"

namespace trovix {
namespace {

namespace fs = std::filesystem;

std::string write_file(const std::string& text) {
  std::string pattern = (fs::temp_directory_path() / "trovix-sites-XXXXXX").string();
  const int fd = mkstemp(pattern.data());
  close(fd);
  std::ofstream(pattern, std::ios::binary) << text;
  return pattern;
}

TEST(SiteList, TellsAddressesFromOtherText) {
  struct Case {
    const char* text;
    bool address;
  } cases[] = {
      {"http://a.example", true},
      {"HTTPS://a.example/e1/", true},
      {"http://127.0.0.1:8080/", true},
      {"http://user@host/", true},
      {"ftp://a.example/", false},
      {"a.example", false},
      {"http://", false},
      {"http:///path", false},
      {"http://:80/", false},
      {"http://a\x01.example", false},
      {"", false},
      {"http://a b", false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_site_address(c.text), c.address) << c.text;
}

TEST(SiteList, KeepsOrderDropsRepeatsAndNamesTheRest) {
  const SiteList list =
      parse_site_list(" http://a/ \thttp://b/ not-a-url http://a/  http://c/ ftp://d/ http://b/");
  EXPECT_EQ(list.addresses, (std::vector<std::string>{"http://a/", "http://b/", "http://c/"}));
  EXPECT_EQ(list.rejected, (std::vector<std::string>{"not-a-url", "ftp://d/"}));
}

TEST(SiteList, ServicesFileKeysHoldMirrorLists) {
  std::string hundred;
  for (int i = 0; i < 100; ++i) hundred += " http://127.0.0.1:1/m" + std::to_string(i);
  const std::string file = write_file(
      "[sites]\n"
      "engine1 = http://one/\n"                                  // 2: a single address
      "engine5 = http://a.example  nonsense http://b.example\n"  // 3: one bad entry
      "engine2 = http://x/ http://x/ http://y/\n"                // 4: a repeat
      "engine3 = words only\n"                                   // 5: nothing usable
      "engine4 =\n"                                              // 6: nothing at all
      "engine6 =" +
      hundred + "\n");
  const ServiceAddresses defaults = default_service_addresses();
  ServiceAddresses a = defaults;
  const auto problems = load_service_addresses(file, a);
  fs::remove(file);

  std::vector<int> lines;
  for (const ConfigProblem& p : problems) lines.push_back(p.line);
  EXPECT_EQ(lines, (std::vector<int>{3, 5, 5, 6}));
  ASSERT_EQ(problems.size(), 4u);
  EXPECT_NE(problems[0].message.find("\"nonsense\" in engine5"), std::string::npos);

  EXPECT_EQ(a.engine_site(1), "http://one/");
  EXPECT_EQ(a.engine_sites(1), std::vector<std::string>{"http://one/"});
  EXPECT_EQ(a.engine_sites(5), (std::vector<std::string>{"http://a.example", "http://b.example"}));
  EXPECT_EQ(a.engine_site(5), "http://a.example");
  EXPECT_EQ(a.engine_sites(2), (std::vector<std::string>{"http://x/", "http://y/"}));
  // A key without any address keeps the value it had.
  EXPECT_EQ(a.engine_sites(3), defaults.engine_sites(3));
  EXPECT_EQ(a.engine_sites(4), defaults.engine_sites(4));
  EXPECT_EQ(a.engine_sites(6).size(), 100u);
  EXPECT_EQ(a.engine_sites(6).back(), "http://127.0.0.1:1/m99");
}

TEST(SiteList, OnlyBuiltInPlaceholdersMeanUnconfigured) {
  ServiceAddresses a = default_service_addresses();
  for (int engine = 1; engine <= 6; ++engine) EXPECT_TRUE(engine_unconfigured(a, engine));
  a.engine_mirrors[0] = {"http://real.example/"};
  EXPECT_FALSE(engine_unconfigured(a, 1));
  a.engine[1] = "http://real.example/";
  EXPECT_FALSE(engine_unconfigured(a, 2));
}

}  // namespace
}  // namespace trovix
