#include "app/cli_sites.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>

#include "app/cli.h"
#include "search/site_check.h"
#include "server/info_page.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {

namespace {

// More checks than this at once gain nothing and only crowd the sockets.
constexpr int kParallelChecks = 32;

int bad_arguments(std::ostream& err, std::string_view message) {
  err << "trovix: " << message << "\n"
      << "Try 'trovix --help'.\n";
  return 2;
}

// The information page is ok when it gives a newest version.
SiteProbe probe_info_page(const std::string& address, int timeout_seconds) {
  std::string status;
  std::string bytes;
  WebRequest(address, 0, {}, nullptr, nullptr, {}, nullptr, false, {}, {}, {}, {}, {},
             timeout_seconds, nullptr, &status, &bytes);
  if (status.size() < 3 || status[0] == '7' || status[0] == '5')
    return {SiteState::unreachable, status};
  const bool ok = !read_info_page(page_text(bytes)).newest_version.empty();
  return {ok ? SiteState::ok : SiteState::changed, status};
}

std::string json_text(std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (byte < 0x20) {
      out += "\\u00";
      out += hex[byte >> 4];
      out += hex[byte & 0x0F];
    } else {
      out += c;
    }
  }
  return out + "\"";
}

void write_table(const std::vector<SiteReport>& reports, std::ostream& out) {
  std::size_t name_width = 4;
  std::size_t address_width = 7;
  for (const SiteReport& r : reports) {
    name_width = std::max(name_width, r.name.size());
    address_width = std::max(address_width, r.address.size());
  }
  auto pad = [](std::string text, std::size_t width) {
    text.resize(std::max(text.size(), width), ' ');
    return text;
  };
  out << pad("SITE", name_width) << "  " << pad("ADDRESS", address_width) << "  "
      << pad("STATE", 11) << "  " << pad("TIME", 8) << "  DETAIL\n";
  for (const SiteReport& r : reports) {
    out << pad(r.name, name_width) << "  " << pad(r.address, address_width) << "  "
        << pad(site_state_name(r.probe.state), 11) << "  "
        << pad(std::to_string(r.elapsed.count()) + " ms", 8) << "  " << gbk_to_utf8(r.probe.detail)
        << "\n";
  }
}

void write_json(const std::vector<SiteReport>& reports, bool all_ok, std::ostream& out) {
  out << "{\n  \"sites\": [";
  for (std::size_t i = 0; i < reports.size(); ++i) {
    const SiteReport& r = reports[i];
    out << (i == 0 ? "\n" : ",\n") << "    {\"site\": " << json_text(r.name)
        << ", \"address\": " << json_text(r.address)
        << ", \"state\": " << json_text(site_state_name(r.probe.state))
        << ", \"milliseconds\": " << r.elapsed.count()
        << ", \"detail\": " << json_text(gbk_to_utf8(r.probe.detail)) << "}";
  }
  out << (reports.empty() ? "],\n" : "\n  ],\n")
      << "  \"every_engine_ok\": " << (all_ok ? "true" : "false") << "\n}\n";
}

}  // namespace

int run_sites_command(int argc, char** argv, std::ostream& out, std::ostream& err) {
  std::optional<std::string> services_file;
  bool json = false;
  for (int i = 2; i < argc; ++i) {
    std::string_view name = argv[i];
    std::optional<std::string_view> value;
    if (const auto equals = name.find('='); name.starts_with("--") && equals != name.npos) {
      value = name.substr(equals + 1);
      name = name.substr(0, equals);
    }
    if (name != "--services" && name != "--format")
      return bad_arguments(err, "unexpected argument \"" + std::string(argv[i]) + "\"");
    if (!value) {
      if (i + 1 >= argc) return bad_arguments(err, std::string(name) + " needs a value");
      value = argv[++i];
    }
    if (name == "--services") {
      if (value->empty()) return bad_arguments(err, "--services needs a file name");
      services_file = std::string(*value);
    } else if (*value == "json") {
      json = true;
    } else if (*value == "table") {
      json = false;
    } else {
      return bad_arguments(err, "unknown format \"" + std::string(*value) + "\" (table or json)");
    }
  }

  LoadedServices services = load_services(services_file);
  for (const ConfigProblem& problem : services.problems) {
    if (problem.line == 0 && services_file && problem.file == *services_file)
      return bad_arguments(err, describe(problem));
    err << "trovix: " << describe(problem) << "\n";
  }
  std::vector<SiteTarget> targets = engine_site_targets(services.addresses);
  targets.push_back({"info_page", 0, services.addresses.info_page, probe_info_page});
  const std::vector<SiteReport> reports =
      check_sites(targets, kParallelChecks, services.addresses.timeout_seconds);
  const bool all_ok = every_engine_reachable(reports);
  if (json)
    write_json(reports, all_ok, out);
  else
    write_table(reports, out);
  return all_ok ? 0 : 1;
}

}  // namespace trovix
