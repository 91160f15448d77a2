#include "app/cli.h"

#include <filesystem>
#include <iostream>
#include <mutex>
#include <string_view>

#include "app/cli_results.h"
#include "app/cli_sites.h"
#include "search/engine_table.h"
#include "search/results_list.h"
#include "search/search_controller.h"
#include "search/search_log.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {

namespace {

constexpr std::string_view kUsage =
    "Usage:\n"
    "  trovix [--services FILE]      open the window\n"
    "  trovix search --engine N [--services FILE] [--sort] [--parallel N] [--verbose]\n"
    "                [--format tsv|csv|json|txt|xls] [--output FILE] KEYWORD\n"
    "  trovix magnet [--services FILE] URL\n"
    "  trovix sites [--services FILE] [--format table|json]\n"
    "  trovix --version\n"
    "  trovix --help\n"
    "\n"
    "search runs one engine without a window: rows go to standard output (a header\n"
    "line with the column titles, then one line per row), log lines to standard\n"
    "error. FILE is an INI file of service addresses. --parallel N (1 to 16) is how\n"
    "many requests the search may have in flight at once, overriding the file's\n"
    "[search] parallel_requests (default 4); the rows are the same whatever N.\n"
    "KEYWORD is UTF-8.\n"
    "Exit status: 0 the search ran, 1 the engine could not start, 2 bad arguments.\n"
    "\n"
    "--sort applies the header-click sort (by title, descending) once the engine\n"
    "ended. --format txt and xls write the window's text and table exports (GBK).\n"
    "--output FILE writes to FILE as named instead of standard output (exit 1 when\n"
    "it cannot be written; an older FILE then stays as it was).\n"
    "magnet fetches a detail page of 种子引擎3 and prints its magnet link; when the\n"
    "page cannot be fetched or has no magnet panel it prints 链接提取失败请重试！\n"
    "on standard error and exits 1.\n"
    "sites checks every configured address of the six engines and the information\n"
    "page, several at once, each within the time-out: ok (the engine's markers are\n"
    "there), changed (it answers without them: parked or redesigned) or unreachable\n"
    "(with the error), and the time taken. Exit status 0 when every engine has an\n"
    "ok address, 1 otherwise. A [sites] key may list several addresses separated by\n"
    "blanks: a search uses the first that answers (see README.md, \"Service\n"
    "addresses\").\n"
    "--verbose also writes one line per request to standard error: method,\n"
    "address, status or error text, milliseconds.\n";

// The engines, from the engine table, then the built-in test engine.
std::string engine_help() {
  std::string help = "\nEngines:\n";
  for (const EngineInfo& info : kEngineTable) {
    help += "  " + std::to_string(info.number) + "  " + std::string(info.caption) +
            (info.kind == EngineKind::torrent ? "  torrent index\n" : "  cloud-disk share index\n");
  }
  return help +
         "  0  the built-in test engine (no network; digits in the keyword set a\n"
         "     per-page delay in milliseconds)\n";
}

int bad_arguments(std::ostream& err, std::string_view message) {
  err << "trovix: " << message << "\n"
      << "Try 'trovix --help'.\n";
  return 2;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool valid_utf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    int length = 0;
    char32_t code = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code = lead & 0x0F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code = lead & 0x07;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    for (int k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      code = (code << 6) | (next & 0x3F);
    }
    if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
        (code >= 0xD800 && code <= 0xDFFF))
      return false;
    i += length;
  }
  return true;
}

bool has_control_characters(std::string_view text) {
  for (const char c : text)
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return true;
  return false;
}

std::string lf_line_ends(std::string text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i)
    if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) out += text[i];
  return out;
}

std::string tsv_field(std::string text) {
  // Tabs and line breaks would split the field; nothing in a title needs them.
  for (char& c : text)
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  return text;
}

std::string csv_field(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string out = "\"";
  for (const char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string json_string(std::string_view text) {
  static constexpr char hex[] = "0123456789abcdef";
  std::string out = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          out += "\\u00";
          out += hex[byte >> 4];
          out += hex[byte & 0x0F];
        } else {
          out += c;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace

void write_rows(const ResultsList& list, OutputFormat format, std::ostream& out) {
  const int columns = list.column_count();
  const int rows = list.row_count();
  auto utf8_cell = [&](int row, int column) { return gbk_to_utf8(list.cell_text(row, column)); };

  if (format == OutputFormat::json) {
    std::vector<std::string> keys;
    for (int c = 0; c < columns; ++c) keys.push_back(json_string(gbk_to_utf8(list.header_text(c))));
    out << "[";
    for (int r = 0; r < rows; ++r) {
      out << (r == 0 ? "\n" : ",\n") << "  {";
      for (int c = 0; c < columns; ++c)
        out << (c == 0 ? "" : ", ") << keys[c] << ": " << json_string(utf8_cell(r, c));
      out << "}";
    }
    out << (rows == 0 ? "]\n" : "\n]\n");
    return;
  }
  const bool csv = format == OutputFormat::csv;
  const char* separator = csv ? "," : "\t";
  const char* line_end = csv ? "\r\n" : "\n";  // RFC 4180 lines end with CR LF
  auto field = [csv](std::string text) {
    return csv ? csv_field(text) : tsv_field(std::move(text));
  };
  for (int c = 0; c < columns; ++c)
    out << (c == 0 ? "" : separator) << field(gbk_to_utf8(list.header_text(c)));
  out << line_end;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) out << (c == 0 ? "" : separator) << field(utf8_cell(r, c));
    out << line_end;
  }
}

namespace {

struct SearchArguments {
  int engine = -1;
  std::optional<std::string> services;
  OutputFormat format = OutputFormat::tsv;
  std::optional<std::string> keyword;
  ResultOptions results;
  bool verbose = false;
  std::optional<int> parallel;
};

// Parses what follows "search". Returns an error message, empty on success.
std::string parse_search(int argc, char** argv, SearchArguments& parsed) {
  bool options_done = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options_done && arg.starts_with("--") && arg.size() > 2) {
      std::string_view name = arg;
      std::optional<std::string_view> value;
      if (const auto equals = arg.find('='); equals != std::string_view::npos) {
        name = arg.substr(0, equals);
        value = arg.substr(equals + 1);
      }
      if (name == "--verbose" && !value) {
        parsed.verbose = true;
        continue;
      }
      if (const auto problem = parse_result_option(name, value, i, argc, argv, parsed.results)) {
        if (!problem->empty()) return *problem;
        continue;
      }
      if (name != "--engine" && name != "--services" && name != "--format" && name != "--parallel")
        return "unknown option " + std::string(name);
      if (!value) {
        if (i + 1 >= argc) return std::string(name) + " needs a value";
        value = argv[++i];
      }
      if (name == "--engine") {
        const std::string_view v = *value;
        const bool digit = v.size() == 1 && v[0] >= '0' && v[0] <= '9';
        if (!digit || engine_entry(v[0] - '0') == nullptr)
          return "unknown engine \"" + std::string(v) + "\" (engines are 0 to " +
                 std::to_string(kEngineCount) + ")";
        parsed.engine = v[0] - '0';
      } else if (name == "--parallel") {
        parsed.parallel = parallel_requests_value(*value);
        if (!parsed.parallel)
          return "--parallel needs a whole number from 1 to " +
                 std::to_string(kMaxParallelRequests);
      } else if (name == "--services") {
        if (value->empty()) return "--services needs a file name";
        parsed.services = std::string(*value);
      } else if (*value == "tsv") {
        parsed.format = OutputFormat::tsv;
      } else if (*value == "csv") {
        parsed.format = OutputFormat::csv;
      } else if (*value == "json") {
        parsed.format = OutputFormat::json;
      } else if (*value == "txt") {
        parsed.format = OutputFormat::txt;
      } else if (*value == "xls") {
        parsed.format = OutputFormat::xls;
      } else {
        return "unknown format \"" + std::string(*value) + "\" (tsv, csv, json, txt or xls)";
      }
      continue;
    }
    if (!options_done && arg == "--") {
      options_done = true;
      continue;
    }
    if (parsed.keyword) return "more than one keyword (quote a keyword that holds spaces)";
    parsed.keyword = std::string(arg);
  }
  if (parsed.engine < 0) return "search needs --engine N";
  if (!parsed.keyword) return "search needs a keyword";
  if (parsed.keyword->empty()) return "the keyword is empty";
  if (!valid_utf8(*parsed.keyword)) return "the keyword is not valid UTF-8";
  if (has_control_characters(*parsed.keyword)) return "the keyword holds control characters";
  return {};
}

// A new user's search finds nothing until the engine points at a real site;
// say where that is set instead of leaving an empty list unexplained.
std::string first_run_line(int engine) {
  return "trovix: engine " + std::to_string(engine) +
         " has no site address configured (only its built-in placeholder); set engine" +
         std::to_string(engine) + " in [sites] of " + user_services_path() +
         " (see README.md, \"Service addresses\")";
}

// --verbose: "trovix: GET <address> -> 200 OK (12 ms)", UTF-8, one line per
// request, so a dead or slow site is told apart from one with no results.
RequestObserver verbose_request_line(std::ostream& err, std::mutex& err_mutex) {
  return [&err, &err_mutex](const RequestRecord& record) {
    // Addresses come from pages too: control bytes are shown as escapes, so
    // none of them reaches the terminal.
    std::string address;
    for (const char c : gbk_to_utf8(record.url)) {
      const auto byte = static_cast<unsigned char>(c);
      if (byte < 0x20 || byte == 0x7F) {
        static constexpr char hex[] = "0123456789ABCDEF";
        address += '%';
        address += hex[byte >> 4];
        address += hex[byte & 0x0F];
      } else {
        address += c;
      }
    }
    const std::string status = record.status.empty() ? "(no status)" : gbk_to_utf8(record.status);
    std::lock_guard lock(err_mutex);
    err << "trovix: " << record.method << " " << address << " -> " << status << " ("
        << record.elapsed.count() << " ms)\n"
        << std::flush;
  };
}

int run_search(const SearchArguments& arguments, std::ostream& out, std::ostream& err) {
  const std::string keyword = utf8_to_gbk(*arguments.keyword);
  if (keyword.empty() || gbk_to_utf8(keyword) != *arguments.keyword)
    return bad_arguments(err, "the keyword holds characters that GBK cannot represent");
  // The keyword box's placeholder is no keyword; say so before any log line.
  if (keyword == gbk("（请输入关键词）")) return bad_arguments(err, "请先输入搜索内容！");

  LoadedServices services = load_services(arguments.services);
  for (const ConfigProblem& problem : services.problems) {
    if (problem.line == 0 && arguments.services && problem.file == *arguments.services)
      return bad_arguments(err, describe(problem));
    err << "trovix: " << describe(problem) << "\n";
  }

  if (arguments.parallel) services.addresses.parallel_requests = *arguments.parallel;

  MemoryResultsList list;
  SearchLog log;
  // Every piece of log text goes out as soon as it is appended.
  std::mutex err_mutex;
  std::size_t written = 0;
  std::uint64_t generation = log.generation();
  log.set_listener([&](bool) {
    std::lock_guard lock(err_mutex);
    if (log.generation() != generation) {
      generation = log.generation();
      written = 0;
    }
    const std::string text = log.text_from(written);
    written += text.size();
    err << lf_line_ends(gbk_to_utf8(text)) << std::flush;
  });

  SearchCommandResult result;
  {
    SearchController controller(list, log, services.addresses);
    SearchCommandUi ui;
    ui.keyword_box_text = keyword;
    ui.checked_engine = arguments.engine == 0 ? kTestEngineChoice : arguments.engine;
    ui.hooks.keyword = [keyword] { return keyword; };
    if (arguments.verbose) ui.hooks.request_observer = verbose_request_line(err, err_mutex);
    result = search_command(controller, list, log, ui);
    controller.wait();
  }
  if (result == SearchCommandResult::started) apply_result_options(arguments.results, list, log);
  log.set_listener(nullptr);

  switch (result) {
    case SearchCommandResult::keyword_missing:
      err << "trovix: " << gbk_to_utf8(gbk("请先输入搜索内容！")) << "\n";
      return 2;
    case SearchCommandResult::no_engine:
      err << "trovix: engine " << arguments.engine << " could not start\n";
      return 1;
    case SearchCommandResult::started:
      break;
  }
  const int code = write_search_output(list, arguments.format, arguments.results, out, err);
  if (arguments.engine >= 1 && engine_unconfigured(services.addresses, arguments.engine))
    err << first_run_line(arguments.engine) << "\n";
  return code;
}

}  // namespace

std::optional<std::string> services_file_argument(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "--services" && i + 1 < argc) return std::string(argv[i + 1]);
    if (arg.starts_with("--services=")) return std::string(arg.substr(11));
  }
  return std::nullopt;
}

LoadedServices load_services(const std::optional<std::string>& services_file) {
  LoadedServices loaded{default_service_addresses(), {}};
  const std::string user_file = user_services_path();
  std::error_code error;
  if (std::filesystem::exists(user_file, error)) {
    auto problems = load_service_addresses(user_file, loaded.addresses);
    loaded.problems.insert(loaded.problems.end(), problems.begin(), problems.end());
  }
  if (services_file) {
    auto problems = load_service_addresses(*services_file, loaded.addresses);
    loaded.problems.insert(loaded.problems.end(), problems.begin(), problems.end());
  }
  if (!loaded.addresses.ca_file.empty()) set_web_ca_file(loaded.addresses.ca_file);
  return loaded;
}

std::optional<int> run_command_line(int argc, char** argv) {
  return run_command_line(argc, argv, std::cout, std::cerr);
}

std::optional<int> run_command_line(int argc, char** argv, std::ostream& out, std::ostream& err) {
  if (argc <= 1) return std::nullopt;
  const std::string_view command = argv[1];
  if (command == "--version") {
    if (argc != 2) return bad_arguments(err, "--version takes no arguments");
    out << TROVIX_VERSION << "\n";
    return 0;
  }
  if (command == "--help" || command == "-h") {
    out << kUsage << engine_help();
    return 0;
  }
  if (command == "magnet") return run_magnet_command(argc, argv, out, err);
  if (command == "sites") return run_sites_command(argc, argv, out, err);
  if (command == "search") {
    SearchArguments arguments;
    if (const std::string problem = parse_search(argc, argv, arguments); !problem.empty())
      return bad_arguments(err, problem);
    return run_search(arguments, out, err);
  }
  // The window takes nothing but a services file.
  if (command == "--services" || command.starts_with("--services=")) {
    const int used = command == "--services" ? 3 : 2;
    if (command == "--services" && argc < 3)
      return bad_arguments(err, "--services needs a file name");
    if (command == "--services=") return bad_arguments(err, "--services needs a file name");
    if (argc == used) return std::nullopt;
    return bad_arguments(err, "unexpected argument \"" + std::string(argv[used]) + "\"");
  }
  return bad_arguments(err, "unknown command \"" + std::string(command) + "\"");
}

}  // namespace trovix
