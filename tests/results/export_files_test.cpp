// The two export formats byte for byte, the cut that never splits a
// character, and files written whole or not at all.
#include "results/export_files.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <memory>
#include <sstream>

#include "web/codec.h"

namespace trovix {
namespace {

class ExportTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::temp_directory_path() /
              ("trovix_export_" + std::to_string(::getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(folder_, ignored);
  }
  static std::string read(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
  }
  std::size_t files_in_folder() const {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder_),
                                                  std::filesystem::directory_iterator()));
  }
  std::filesystem::path folder_;
};

std::unique_ptr<MemoryResultsList> two_rows_of_three() {
  auto owned = std::make_unique<MemoryResultsList>();
  MemoryResultsList& list = *owned;
  list.insert_column(0, "ID", 30);
  list.insert_column(1, gbk("标题"), 300);
  list.insert_column(2, "link", 90);
  list.append_row({"1", gbk("中文, \"引号\""), "magnet:?xt=1"});
  list.append_row({"2", "<b>bold</b>", ""});
  return owned;
}

TEST_F(ExportTest, TextFileHasOneCommaTerminatedLinePerRowUnescaped) {
  auto list_owned = two_rows_of_three();
  MemoryResultsList& list = *list_owned;
  const auto path = folder_ / "out.txt";
  ASSERT_TRUE(export_text_file(list, path));
  EXPECT_EQ(read(path), "1," + gbk("中文, \"引号\"") + ",magnet:?xt=1,\r\n2,<b>bold</b>,,\r\n");
}

TEST_F(ExportTest, TableFileLinesByteForByte) {
  auto list_owned = two_rows_of_three();
  MemoryResultsList& list = *list_owned;
  const auto path = folder_ / "out.xls";
  ASSERT_TRUE(export_html_table(list, path, true));
  EXPECT_EQ(read(path),
            "<table border=\"1\">\r\n  <tr>\r\n    <th>ID</th>\r\n    <th>" + gbk("标题") +
                "</th>\r\n    <th>link</th>\r\n  </tr>\r\n"
                "  <tr>\r\n    <td>1</td>\r\n    <td>" +
                gbk("中文, \"引号\"") +
                "</td>\r\n    <td>magnet:?xt=1</td>\r\n  </tr>\r\n"
                "  <tr>\r\n    <td>2</td>\r\n    <td><b>bold</b></td>\r\n    <td></td>\r\n"
                "  </tr>\r\n</table>\r\n");
}

TEST_F(ExportTest, ColumnsWithoutRowsAndAnEmptyList) {
  MemoryResultsList columns_only;
  columns_only.insert_column(0, "A", 10);
  ASSERT_TRUE(export_html_table(columns_only, folder_ / "h.xls", true));
  EXPECT_EQ(read(folder_ / "h.xls"),
            "<table border=\"1\">\r\n  <tr>\r\n    <th>A</th>\r\n  </tr>\r\n</table>\r\n");
  ASSERT_TRUE(export_text_file(columns_only, folder_ / "h.txt"));
  EXPECT_EQ(read(folder_ / "h.txt"), "");

  MemoryResultsList empty;
  EXPECT_FALSE(export_html_table(empty, folder_ / "e.xls", true));
  EXPECT_FALSE(std::filesystem::exists(folder_ / "e.xls"));
  ASSERT_TRUE(export_text_file(empty, folder_ / "e.txt"));
  EXPECT_TRUE(std::filesystem::exists(folder_ / "e.txt"));
  EXPECT_EQ(read(folder_ / "e.txt"), "");
}

TEST_F(ExportTest, LongCellsAreCutTo259BytesInTheTableOnlyAtACharacterBoundary) {
  const std::string ascii(300, 'x');
  // 257 ASCII bytes then two-byte characters: byte 258 starts one that ends
  // at 259 (kept), and with 258 ASCII bytes byte 259 starts one (dropped).
  const std::string fits = std::string(257, 'a') + gbk("中文");
  const std::string splits = std::string(258, 'a') + gbk("中文");
  EXPECT_EQ(cut_cell(ascii), std::string(259, 'x'));
  EXPECT_EQ(cut_cell(fits), std::string(257, 'a') + gbk("中"));
  EXPECT_EQ(cut_cell(splits), std::string(258, 'a'));
  EXPECT_EQ(cut_cell("short"), "short");

  MemoryResultsList list;
  list.insert_column(0, ascii, 10);
  list.append_row({ascii});
  ASSERT_TRUE(export_html_table(list, folder_ / "cut.xls", true));
  const std::string table = read(folder_ / "cut.xls");
  EXPECT_NE(table.find("<th>" + std::string(259, 'x') + "</th>"), std::string::npos);
  EXPECT_NE(table.find("<td>" + std::string(259, 'x') + "</td>"), std::string::npos);
  ASSERT_TRUE(export_text_file(list, folder_ / "cut.txt"));
  EXPECT_EQ(read(folder_ / "cut.txt"), ascii + ",\r\n");
}

TEST_F(ExportTest, ExtensionIsAlwaysAppended) {
  EXPECT_EQ(with_extension_appended(folder_ / "a.txt", ".txt"), folder_ / "a.txt.txt");
  EXPECT_EQ(with_extension_appended(folder_ / "结果 一", ".xls"), folder_ / "结果 一.xls");
}

TEST_F(ExportTest, FailuresLeaveTheOlderFileWholeAndNoTemporaryBehind) {
  auto list_owned = two_rows_of_three();
  MemoryResultsList& list = *list_owned;
  const auto missing = folder_ / "no such folder" / "x.txt";
  EXPECT_FALSE(export_text_file(list, missing));
  EXPECT_FALSE(export_html_table(list, missing, true));

  // A directory standing at the target: the rename fails, the directory stays.
  std::filesystem::create_directory(folder_ / "taken.xls");
  EXPECT_FALSE(export_html_table(list, folder_ / "taken.xls", true));
  EXPECT_TRUE(std::filesystem::is_directory(folder_ / "taken.xls"));

  // A folder that cannot be written keeps its older file unchanged.
  const auto old = folder_ / "old.txt";
  std::ofstream(old, std::ios::binary) << "older contents";
  if (::geteuid() != 0) {  // root writes anywhere
    std::filesystem::permissions(
        folder_, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_FALSE(export_text_file(list, old));
    std::filesystem::permissions(folder_, std::filesystem::perms::owner_all);
    EXPECT_EQ(read(old), "older contents");
  }
  // A folder nobody can create files in, root included.
  const std::string version = read("/proc/version");
  EXPECT_FALSE(export_text_file(list, "/proc/version"));
  EXPECT_EQ(read("/proc/version"), version);
  EXPECT_EQ(files_in_folder(), 2u) << "only taken.xls and old.txt";

  // A success replaces the older file whole, with the usual permissions.
  ASSERT_TRUE(export_text_file(list, old));
  EXPECT_EQ(read(old).substr(0, 2), "1,");
  struct stat info {};
  ASSERT_EQ(::stat(old.c_str(), &info), 0);
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(info.st_mode & 0777, 0666 & ~mask);
  EXPECT_EQ(files_in_folder(), 2u);
}

TEST_F(ExportTest, HugeCellsAndInvalidGbkAreWrittenAsTheyAre) {
  MemoryResultsList list;
  list.insert_column(0, "T", 10);
  const std::string huge(100 * 1024, 'y');
  const std::string bad = "ab\x81\xff\x81";  // lead bytes without valid trails, one at the end
  list.append_row({huge});
  list.append_row({bad});
  ASSERT_TRUE(export_text_file(list, folder_ / "big.txt"));
  EXPECT_EQ(read(folder_ / "big.txt"), huge + ",\r\n" + bad + ",\r\n");
  ASSERT_TRUE(export_html_table(list, folder_ / "big.xls", false));
  const std::string table = read(folder_ / "big.xls");
  EXPECT_EQ(table, "<table border=\"1\">\r\n  <tr>\r\n    <td>" + std::string(259, 'y') +
                       "</td>\r\n  </tr>\r\n  <tr>\r\n    <td>" + bad +
                       "</td>\r\n  </tr>\r\n</table>\r\n");
}

}  // namespace
}  // namespace trovix
