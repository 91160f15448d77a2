// The command-line mode (one engine run without a window, rows on standard
// output, log lines on standard error) and the loading of the service
// addresses that the window shares with it. No Qt here.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "search/results_list.h"
#include "search/service_addresses.h"

namespace trovix {

// Empty when the arguments ask for the window (none, or only
// "--services FILE"); otherwise runs what they ask for and gives the exit
// code: 0 the search ran (or --version / --help), 1 the engine could not
// start, 2 bad arguments (with a message on standard error).
std::optional<int> run_command_line(int argc, char** argv);
// The same, writing to the given streams instead of stdout and stderr.
std::optional<int> run_command_line(int argc, char** argv, std::ostream& out, std::ostream& err);

// Writes the list as the search command line prints it, UTF-8: a header line
// of column titles, then one line per row. tsv: tab-separated (tabs and line
// breaks inside a cell become blanks); csv: RFC 4180 (CR LF, quoted when
// needed); json: an array of objects keyed by column title. txt and xls are
// the window's text and table exports (GBK), written by write_search_output
// (cli_results.h), not here.
enum class OutputFormat { tsv, csv, json, txt, xls };
void write_rows(const ResultsList& list, OutputFormat format, std::ostream& out);

// The FILE of "--services FILE" (or "--services=FILE"), when given.
std::optional<std::string> services_file_argument(int argc, char** argv);

struct LoadedServices {
  ServiceAddresses addresses;
  std::vector<ConfigProblem> problems;  // show them with describe()
};

// The built-in defaults, overridden by the per-user file when it exists, then
// by `services_file` (which must exist). Hands the CA file of the result, if
// any, to set_web_ca_file, so HTTPS sites behind it can be verified.
LoadedServices load_services(const std::optional<std::string>& services_file);

}  // namespace trovix
