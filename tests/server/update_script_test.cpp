// The replacement scripts byte for byte, a real run of the Linux script in a
// temporary folder, and the checks made before anything is downloaded.
#include "server/update_script.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "web/codec.h"

extern char** environ;

namespace trovix {
namespace {

namespace fs = std::filesystem;

TEST(UpdateScript, WindowsScriptQuotesEveryNameAndRunsInTheProgramsFolder) {
  EXPECT_EQ(windows_update_script(gbk("C:\\软件\\Tro vix"), "Tro vix.exe", "New Trovix.exe"),
            gbk("@echo off\r\n"
                "cd /d \"C:\\软件\\Tro vix\"\r\n"
                "@ ECHO.替换程序正在进行，请稍等\r\n"
                "@ ECHO.正在终止旧版本进程...\r\n"
                "Taskkill /f /im \"Tro vix.exe\"\r\n"
                "@ ECHO.结束进程中，请等待5秒钟！\r\n"
                "ping 127.0.0.1 -n 2\r\n"
                "Del \"Tro vix.exe\"\r\n"
                "ren \"KORVEN7.exe.tmp\" \"New Trovix.exe\"\r\n"
                "start \"\" \"New Trovix.exe\"\r\n"
                "@ ECHO.恭喜你，软件替换完成，启动软件中...\r\n"
                "Del \"%~f0\"\r\n"
                "Exit"));
  // The same name for the new file: the download takes the old file's place;
  // a percent sign is doubled so the batch file keeps it.
  EXPECT_EQ(windows_update_script("D:\\Trovix", "Trovix%1.exe", "Trovix%1.exe"),
            gbk("@echo off\r\n"
                "cd /d \"D:\\Trovix\"\r\n"
                "@ ECHO.替换程序正在进行，请稍等\r\n"
                "@ ECHO.正在终止旧版本进程...\r\n"
                "Taskkill /f /im \"Trovix%%1.exe\"\r\n"
                "@ ECHO.结束进程中，请等待5秒钟！\r\n"
                "ping 127.0.0.1 -n 2\r\n"
                "Del \"Trovix%%1.exe\"\r\n"
                "ren \"KORVEN7.exe.tmp\" \"Trovix%%1.exe\"\r\n"
                "start \"\" \"Trovix%%1.exe\"\r\n"
                "@ ECHO.恭喜你，软件替换完成，启动软件中...\r\n"
                "Del \"%~f0\"\r\n"
                "Exit"));
}

TEST(UpdateScript, LinuxScriptQuotesEveryName) {
  EXPECT_EQ(linux_update_script("/opt/my apps/it's", "tro vix", "Trovix New.exe"),
            "#!/bin/sh\n"
            "cd '/opt/my apps/it'\\''s' || exit 1\n"
            "[ -f 'KORVEN7.exe.tmp' ] || exit 1\n"
            "echo '替换程序正在进行，请稍等'\n"
            "echo '正在终止旧版本进程...'\n"
            "for p in /proc/[0-9]*; do\n"
            "  if [ \"$p/exe\" -ef '/opt/my apps/it'\\''s/tro vix' ]; then\n"
            "    kill -9 \"${p#/proc/}\" 2>/dev/null\n"
            "  fi\n"
            "done\n"
            "echo '结束进程中，请稍等！'\n"
            "sleep 1\n"
            "rm -f -- 'tro vix'\n"
            "mv -f -- 'KORVEN7.exe.tmp' 'Trovix New.exe'\n"
            "chmod +x -- 'Trovix New.exe'\n"
            "echo '恭喜你，软件替换完成，启动软件中...'\n"
            "./'Trovix New.exe' </dev/null >/dev/null 2>&1 &\n"
            "rm -f -- '5update.sh'\n");
}

bool wait_for(const std::function<bool()>& done, int ms = 8000) {
  for (int waited = 0; waited < ms; waited += 20) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return done();
}

class ScriptRun : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("trovix script run " + std::to_string(::getpid()) + " " + GetParam());
    fs::remove_all(folder_);
    fs::create_directories(folder_);
  }
  void TearDown() override { fs::remove_all(folder_); }
  fs::path folder_;
};

// A stand-in program runs from the folder (a copy of sleep); the script ends
// it, replaces its file with the downloaded one, starts that and goes.
TEST_P(ScriptRun, ReplacesTheProgramStartsTheNewOneAndDeletesItself) {
  const std::string old_name = "old prog";
  const std::string new_name = GetParam();
  fs::copy_file("/bin/sleep", folder_ / old_name);
  const std::string old_path = (folder_ / old_name).string();
  char* argv[] = {const_cast<char*>(old_path.c_str()), const_cast<char*>("30"), nullptr};
  pid_t running = 0;
  ASSERT_EQ(posix_spawn(&running, old_path.c_str(), nullptr, nullptr, argv, environ), 0);
  std::ofstream(folder_ / std::string(kTemporaryFileName))
      << "#!/bin/sh\necho started > started.txt\n";

  const std::string script = (folder_ / std::string(kLinuxScriptName)).string();
  ASSERT_TRUE(write_script_file(script, linux_update_script(folder_.string(), old_name, new_name)));
  ASSERT_TRUE(start_update_script(script, "/"));

  int status = 0;
  ASSERT_TRUE(wait_for([&] { return ::waitpid(running, &status, WNOHANG) == running; }));
  EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
  ASSERT_TRUE(wait_for([&] { return fs::exists(folder_ / "started.txt"); }));
  EXPECT_TRUE(wait_for([&] { return !fs::exists(script); }));
  EXPECT_FALSE(fs::exists(folder_ / std::string(kTemporaryFileName)));
  ASSERT_TRUE(fs::exists(folder_ / new_name));
  EXPECT_NE(fs::status(folder_ / new_name).permissions() & fs::perms::owner_exec, fs::perms::none);
  if (new_name != old_name) {
    EXPECT_FALSE(fs::exists(folder_ / old_name));
  }
}

INSTANTIATE_TEST_SUITE_P(NewName, ScriptRun, ::testing::Values("new prog.exe", "old prog"));

TEST(UpdateScript, WithoutTheDownloadedFileTheOldProgramStays) {
  const fs::path folder =
      fs::temp_directory_path() / ("trovix no download " + std::to_string(::getpid()));
  fs::create_directories(folder);
  std::ofstream(folder / "prog") << "old";
  const std::string script = (folder / std::string(kLinuxScriptName)).string();
  ASSERT_TRUE(write_script_file(script, linux_update_script(folder.string(), "prog", "prog")));
  ASSERT_TRUE(start_update_script(script, folder.string()));
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(fs::exists(folder / "prog"));
  fs::remove_all(folder);
}

TEST(UpdateScript, OnlyPlainNamesInTheProgramsFolderAreAccepted) {
  for (const char* good : {"Trovix.exe", "Tro vix 1.2.exe", ".exe"})
    EXPECT_TRUE(is_plain_program_name(good)) << good;
  EXPECT_TRUE(is_plain_program_name(gbk("资源搜索.exe")));
  for (const char* bad :
       {"", "../Trovix.exe", "sub/Trovix.exe", "..exe", "a\\b.exe", "say\"hi\".exe", "it's.exe",
        "tab\there.exe", "line\nbreak.exe", "del\x7f.exe", "KORVEN7.exe.tmp", "5update.sh",
        "5update.bat", "100%.exe", "a*.exe", "c:x.exe", "\x81\x20.exe"})
    EXPECT_FALSE(is_plain_program_name(bad)) << bad;
  EXPECT_FALSE(is_plain_program_name(std::string(201, 'a')));
}

TEST(UpdateScript, FolderWritableOnlyWhereAFileCanBeMade) {
  const fs::path folder =
      fs::temp_directory_path() / ("trovix writable " + std::to_string(::getpid()));
  fs::create_directories(folder);
  EXPECT_TRUE(folder_is_writable(folder.string()));
  EXPECT_TRUE(fs::is_empty(folder));  // the probe is gone again
  EXPECT_FALSE(folder_is_writable((folder / "missing").string()));
  EXPECT_FALSE(folder_is_writable("/proc/1"));  // no file can be made there, not even as root
  fs::remove_all(folder);
}

}  // namespace
}  // namespace trovix
