// The program started as a process, the way a user starts it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

namespace trovix {
namespace {

struct ProcessOutcome {
  int exit_code = -1;
  std::string output;  // standard output and standard error together
};

ProcessOutcome run_shell(const std::string& command) {
  ProcessOutcome outcome;
  FILE* pipe = popen((command + " 2>&1").c_str(), "r");
  if (pipe == nullptr) return outcome;
  std::array<char, 4096> buffer;
  while (const std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
    outcome.output.append(buffer.data(), n);
  const int status = pclose(pipe);
  if (WIFEXITED(status)) outcome.exit_code = WEXITSTATUS(status);
  return outcome;
}

TEST(ProgramProcess, WithoutADisplayTheWindowSaysSoAndExitsOne) {
  const ProcessOutcome outcome =
      run_shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " TROVIX_BIN);
  EXPECT_EQ(outcome.exit_code, 1);
  EXPECT_EQ(outcome.output,
            "trovix: the window needs a display (DISPLAY or WAYLAND_DISPLAY is not set); "
            "\"trovix search\" works without one (see trovix --help)\n");
  // The command line needs no display.
  EXPECT_EQ(
      run_shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " TROVIX_BIN " --version")
          .exit_code,
      0);
}

}  // namespace
}  // namespace trovix
