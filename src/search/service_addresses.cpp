#include "search/service_addresses.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>

#include "search/site_list.h"

namespace trovix {

namespace {

std::string home_folder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && *home != '\0') return home;
  if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr)
    return entry->pw_dir;
  return ".";
}

std::string expand_home(std::string value) {
  if (value == "~") return home_folder();
  if (value.starts_with("~/")) return home_folder() + value.substr(1);
  return value;
}

// Query values of the share page are percent-encoded UTF-8; the literals
// below are UTF-8 source text, so this only needs the byte-wise rule.
std::string percent_encode(std::string_view utf8) {
  static constexpr char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unreserved = (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z') ||
                            (byte >= '0' && byte <= '9') || byte == '-' || byte == '_' ||
                            byte == '.' || byte == '~';
    if (unreserved) {
      out += c;
    } else {
      out += '%';
      out += hex[byte >> 4];
      out += hex[byte & 0x0F];
    }
  }
  return out;
}

std::string_view trim(std::string_view text) {
  constexpr std::string_view blanks = " \t\r\n\f\v";
  const auto first = text.find_first_not_of(blanks);
  if (first == std::string_view::npos) return {};
  const auto last = text.find_last_not_of(blanks);
  return text.substr(first, last - first + 1);
}

// The field named by a section and key, or nullptr when the pair is unknown.
std::string* field_of(ServiceAddresses& a, std::string_view section, std::string_view key) {
  if (section == "sites") {
    for (std::size_t i = 0; i < kEngineTable.size(); ++i)
      if (kEngineTable[i].services_key == key) return &a.engine[i];
    return nullptr;
  }
  if (section == "server") {
    struct Entry {
      std::string_view key;
      std::string ServiceAddresses::*field;
    };
    static constexpr Entry entries[] = {
        {"info_page", &ServiceAddresses::info_page},
        {"counter", &ServiceAddresses::counter},
        {"counter_id", &ServiceAddresses::counter_id},
        {"website", &ServiceAddresses::website},
        {"group_join", &ServiceAddresses::group_join},
        {"share_page", &ServiceAddresses::share_page},
        {"manual_download", &ServiceAddresses::manual_download},
        {"thunder_installer", &ServiceAddresses::thunder_installer},
        {"xuanfeng_installer", &ServiceAddresses::xuanfeng_installer},
        {"form_service", &ServiceAddresses::form_service},
        {"form_token", &ServiceAddresses::form_token},
        {"connectivity_check", &ServiceAddresses::connectivity_check},
    };
    for (const Entry& entry : entries)
      if (entry.key == key) return &(a.*entry.field);
    return nullptr;
  }
  if (section == "tls" && key == "ca_file") return &a.ca_file;
  if (section == "paths" && key == "default_folder") return &a.default_folder;
  if (section == "download_tools" && key == "names") return &a.download_tools;
  return nullptr;
}

}  // namespace

std::optional<int> parallel_requests_value(std::string_view text) {
  if (text.empty() || text.size() > 2) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxParallelRequests) return std::nullopt;
  return value;
}

namespace {

bool known_section(std::string_view section) {
  return section == "sites" || section == "server" || section == "tls" || section == "paths" ||
         section == "download_tools" || section == "network" || section == "search";
}

// A mirror list: the entries that are addresses are used, each once; every
// other entry is reported. A key without any address keeps its value.
void apply_site_list(std::string_view value, std::string_view key, const std::string& path,
                     int line_number, std::string& first, std::vector<std::string>& mirrors,
                     std::vector<ConfigProblem>& problems) {
  SiteList list = parse_site_list(value);
  for (const std::string& entry : list.rejected)
    problems.push_back({path, line_number,
                        "\"" + entry + "\" in " + std::string(key) +
                            " is not an http:// or https:// address; it is left out"});
  if (list.addresses.empty()) {
    if (list.rejected.empty())
      problems.push_back({path, line_number, std::string(key) + " names no address"});
    return;
  }
  first = std::move(list.addresses.front());
  mirrors.assign(std::make_move_iterator(list.addresses.begin() + 1),
                 std::make_move_iterator(list.addresses.end()));
}

// A ";" or "#" after a blank starts a comment that runs to the end of the
// line; one at the very start makes the whole line a comment. No address or
// value needs a blank before those signs, so "a#b" and "x;y" stay values.
std::string_view without_comment(std::string_view line) {
  if (!line.empty() && (line.front() == '#' || line.front() == ';')) return {};
  for (std::size_t i = 1; i < line.size(); ++i) {
    if ((line[i] == ';' || line[i] == '#') && (line[i - 1] == ' ' || line[i - 1] == '\t'))
      return line.substr(0, i);
  }
  return line;
}

// A whole number of seconds from 1 to a day; anything else is refused.
std::optional<int> seconds_value(std::string_view text) {
  constexpr int kMaxSeconds = 24 * 60 * 60;
  if (text.empty() || text.size() > 5) return std::nullopt;
  int value = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > kMaxSeconds) return std::nullopt;
  return value;
}

}  // namespace

std::vector<std::string> ServiceAddresses::engine_sites(int engine_number) const {
  std::vector<std::string> sites{engine_site(engine_number)};
  for (const std::string& mirror : engine_mirrors.at(static_cast<std::size_t>(engine_number - 1)))
    if (mirror != sites.front()) sites.push_back(mirror);
  return sites;
}

bool engine_unconfigured(const ServiceAddresses& addresses, int engine_number) {
  const std::string placeholder = default_service_addresses().engine_site(engine_number);
  for (const std::string& site : addresses.engine_sites(engine_number))
    if (site != placeholder) return false;
  return true;
}

ServiceAddresses default_service_addresses() {
  // The real sites are not ours to name: every default lies under the
  // reserved ".invalid" domain and only the fixed paths are real. A services
  // file points them somewhere that answers.
  ServiceAddresses a;
  for (std::size_t i = 0; i < kEngineTable.size(); ++i)
    a.engine[i] = std::string(kEngineTable[i].default_site);
  a.info_page = "http://trovix.invalid/qnvt/qnvt.html";
  a.counter = "http://counter.invalid/count1/count.asp";
  a.counter_id = "1000001";
  a.website = "http://trovix.invalid/";
  a.group_join =
      "http://group.invalid/wpa/qunwpa?idkey="
      "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";
  a.share_page = "http://share.invalid/cgi-bin/qzshare/cgi_qzshare_onekey?url=" +
                 percent_encode("http://trovix.invalid/forum") +
                 "&title=" + percent_encode("Trovix 全网资源搜索") +
                 "&pics=" + percent_encode("http://trovix.invalid/share.png") +
                 "&summary=" + percent_encode("6个搜索引擎，资源更多，搜索更深，软件永久免费！");
  a.manual_download = "http://trovix.invalid/download.html";
  a.thunder_installer = "http://thunder.invalid/thunder7/Thunder_dl_7.9.44.5056.exe";
  a.xuanfeng_installer = "http://xuanfeng.invalid/invc/cyclone/QQDownload_Setup_48_773_400.exe";
  a.form_service = "https://form.invalid";
  a.form_token = "0123456789abcdefghijklmnopqrstuv";
  // The one real default: the connectivity check must reach the outside world
  // to tell whether there is one. Windows' own network probe answers a tiny
  // text, quickly and worldwide (mainland China included).
  a.connectivity_check = "http://www.msftconnecttest.com/connecttest.txt";
  a.default_folder = expand_home("~/Trovix");
  // The magnet handlers Linux users run.
  a.download_tools =
      "qbittorrent, transmission-gtk, transmission-qt, deluge, deluge-gtk, ktorrent, aria2c";
  return a;
}

std::vector<ConfigProblem> load_service_addresses(const std::string& path, ServiceAddresses& into) {
  std::error_code error;
  std::ifstream file;
  if (std::filesystem::is_regular_file(path, error)) file.open(path, std::ios::binary);
  if (!file.is_open()) return {{path, 0, "cannot be read"}};
  std::stringstream buffer;
  buffer << file.rdbuf();
  if (file.bad()) return {{path, 0, "cannot be read"}};
  return parse_service_addresses(buffer.str(), path, into);
}

std::vector<ConfigProblem> parse_service_addresses(std::string_view text, const std::string& path,
                                                   ServiceAddresses& into) {
  std::vector<ConfigProblem> problems;
  if (text.starts_with("\xEF\xBB\xBF"))
    text.remove_prefix(3);  // a byte-order mark some editors add

  std::string section;
  bool section_known = false;
  int line_number = 0;
  std::size_t begin = 0;
  while (begin < text.size()) {
    std::size_t end = text.find('\n', begin);
    if (end == std::string_view::npos) end = text.size();
    const std::string_view line = trim(without_comment(trim(text.substr(begin, end - begin))));
    begin = end + 1;
    ++line_number;

    if (line.empty()) continue;
    if (line.front() == '[') {
      if (line.back() != ']') {
        problems.push_back({path, line_number, "section header without \"]\""});
        section.clear();
        section_known = false;
        continue;
      }
      section = std::string(trim(line.substr(1, line.size() - 2)));
      section_known = known_section(section);
      // The keys below an unknown section are skipped without further noise.
      if (!section_known)
        problems.push_back({path, line_number, "unknown section [" + section + "]"});
      continue;
    }
    const auto equals = line.find('=');
    if (equals == std::string_view::npos) {
      problems.push_back({path, line_number, "line without \"=\""});
      continue;
    }
    const std::string_view key = trim(line.substr(0, equals));
    const std::string_view value = trim(line.substr(equals + 1));
    if (section.empty()) {
      problems.push_back({path, line_number, "key \"" + std::string(key) + "\" outside a section"});
      continue;
    }
    if (!section_known) continue;
    if (section == "network" && key == "timeout_seconds") {
      if (const std::optional<int> seconds = seconds_value(value))
        into.timeout_seconds = *seconds;
      else
        problems.push_back({path, line_number,
                            "timeout_seconds must be a whole number of seconds from 1 to 86400"});
      continue;
    }
    if (section == "search" && key == "parallel_requests") {
      if (const std::optional<int> number = parallel_requests_value(value)) {
        into.parallel_requests = *number;
      } else {
        problems.push_back({path, line_number,
                            "parallel_requests must be a whole number from 1 to " +
                                std::to_string(kMaxParallelRequests)});
      }
      continue;
    }
    std::string* field = field_of(into, section, key);
    if (field == nullptr) {
      problems.push_back(
          {path, line_number, "unknown key \"" + std::string(key) + "\" in [" + section + "]"});
      continue;
    }
    if (section == "sites") {
      apply_site_list(value, key, path, line_number, *field,
                      into.engine_mirrors[static_cast<std::size_t>(field - into.engine.data())],
                      problems);
      continue;
    }
    *field = (field == &into.default_folder || field == &into.ca_file)
                 ? expand_home(std::string(value))
                 : std::string(value);
  }
  return problems;
}

std::string describe(const ConfigProblem& problem) {
  if (problem.line <= 0) return problem.file + ": " + problem.message;
  return problem.file + ":" + std::to_string(problem.line) + ": " + problem.message;
}

std::string user_services_path() {
  const char* config = std::getenv("XDG_CONFIG_HOME");
  // Relative values are to be ignored, as the base-directory rules say.
  const std::string base =
      (config != nullptr && config[0] == '/') ? std::string(config) : home_folder() + "/.config";
  return base + "/trovix/services.ini";
}

}  // namespace trovix
