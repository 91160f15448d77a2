// The command line's ways of acting on results: --sort (the header-click
// sort), --format txt|xls (the window's two export formats, byte for byte),
// --output FILE (written through a temporary file renamed into place), and
// the magnet command (the magnet-link window's extraction). No Qt here.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <string_view>

#include "search/results_list.h"
#include "search/search_log.h"

namespace trovix {

enum class OutputFormat;

struct ResultOptions {
  bool sort = false;
  std::optional<std::string> output;
};

// For an option of `search` named `name` (its "=value" part in `value`):
// nullopt when the option is not one of these; otherwise the problem, empty
// when it was taken. Reads its value from argv[++i] when it needs one.
std::optional<std::string> parse_result_option(std::string_view name,
                                               std::optional<std::string_view> value, int& i,
                                               int argc, char** argv, ResultOptions& options);

// After the engine ended: the sort when asked for (its log lines go to `log`).
void apply_result_options(const ResultOptions& options, ResultsList& list, SearchLog& log);

// Writes the rows in `format` to standard output or the --output file. Gives
// the exit code: 0 written, 1 the file could not be written or the table
// export failed (said on `err`).
int write_search_output(ResultsList& list, OutputFormat format, const ResultOptions& options,
                        std::ostream& out, std::ostream& err);

// trovix magnet [--services FILE] URL
int run_magnet_command(int argc, char** argv, std::ostream& out, std::ostream& err);

}  // namespace trovix
