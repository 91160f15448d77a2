#include "app/cli_results.h"

#include <sstream>

#include "app/cli.h"
#include "results/export_files.h"
#include "results/list_sort.h"
#include "results/magnet_link.h"
#include "web/codec.h"

namespace trovix {

std::optional<std::string> parse_result_option(std::string_view name,
                                               std::optional<std::string_view> value, int& i,
                                               int argc, char** argv, ResultOptions& options) {
  if (name == "--sort") {
    if (value) return std::string("--sort takes no value");
    options.sort = true;
    return std::string();
  }
  if (name == "--output") {
    if (!value) {
      if (i + 1 >= argc) return std::string("--output needs a value");
      value = argv[++i];
    }
    if (value->empty()) return std::string("--output needs a file name");
    options.output = std::string(*value);
    return std::string();
  }
  return std::nullopt;
}

void apply_result_options(const ResultOptions& options, ResultsList& list, SearchLog& log) {
  if (options.sort) header_click_sort(list, log);
}

int write_search_output(ResultsList& list, OutputFormat format, const ResultOptions& options,
                        std::ostream& out, std::ostream& err) {
  std::string bytes;
  if (format == OutputFormat::txt) {
    bytes = text_file_bytes(snapshot_list(list));
  } else if (format == OutputFormat::xls) {
    std::optional<std::string> table = html_table_bytes(snapshot_list(list), true);
    if (!table) {
      err << "trovix: " << gbk_to_utf8(gbk("导出失败 ！")) << "\n";
      return 1;
    }
    bytes = std::move(*table);
  } else {
    std::ostringstream text;
    write_rows(list, format, text);
    bytes = text.str();
  }
  if (!options.output) {
    out << bytes;
    out.flush();
    return 0;
  }
  // As named, no extension added; an older file stays whole on failure.
  if (!write_file_atomically(*options.output, bytes)) {
    err << "trovix: cannot write " << *options.output << "\n";
    return 1;
  }
  return 0;
}

int run_magnet_command(int argc, char** argv, std::ostream& out, std::ostream& err) {
  auto bad = [&err](std::string_view message) {
    err << "trovix: " << message << "\nTry 'trovix --help'.\n";
    return 2;
  };
  std::optional<std::string> services;
  std::optional<std::string> url;
  bool options_done = false;
  for (int i = 2; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (!options_done && arg == "--") {
      options_done = true;
    } else if (!options_done && arg == "--services") {
      if (i + 1 >= argc || std::string_view(argv[i + 1]).empty())
        return bad("--services needs a file name");
      services = argv[++i];
    } else if (!options_done && arg.starts_with("--services=")) {
      if (arg.size() == 11) return bad("--services needs a file name");
      services = std::string(arg.substr(11));
    } else if (!options_done && arg.starts_with("--") && arg.size() > 2) {
      return bad("unknown option " + std::string(arg));
    } else if (url) {
      return bad("more than one URL");
    } else {
      url = std::string(arg);
    }
  }
  if (!url || url->empty()) return bad("magnet needs the URL of a detail page");

  LoadedServices loaded = load_services(services);
  for (const ConfigProblem& problem : loaded.problems) {
    if (problem.line == 0 && services && problem.file == *services) return bad(describe(problem));
    err << "trovix: " << describe(problem) << "\n";
  }
  const std::string link = fetch_magnet_link(utf8_to_gbk(*url));
  if (link.empty()) {
    err << gbk_to_utf8(magnet_failure_text()) << "\n";
    return 1;
  }
  out << gbk_to_utf8(link) << "\n";
  out.flush();
  return 0;
}

}  // namespace trovix
