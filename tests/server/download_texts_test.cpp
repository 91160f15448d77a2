// The size, progress and speed labels of the update window.
#include "server/download_texts.h"

#include <gtest/gtest.h>

#include "web/codec.h"

namespace trovix {
namespace {

TEST(DownloadTexts, SizeIsKilobytesWithThirteenSignificantDigits) {
  EXPECT_EQ(size_label_text(1000000), gbk("文件尺寸：976.5625KB"));
  EXPECT_EQ(size_label_text(1536), gbk("文件尺寸：1.5KB"));
  EXPECT_EQ(size_label_text(0), gbk("文件尺寸：0KB"));
  // 1/3 KB has more digits than "%.13g" keeps.
  EXPECT_EQ(size_label_text(1024.0 / 3), gbk("文件尺寸：0.3333333333333KB"));
}

TEST(DownloadTexts, PercentAndSpeedRoundHalvesAwayFromZero) {
  struct Case {
    std::int64_t done;
    double total;
    int percent;
  };
  for (const Case& c :
       {Case{500000, 1000000, 50}, Case{1, 200, 1}, Case{1, 201, 0}, Case{199, 200, 100},
        Case{1000000, 1000000, 100}, Case{5, 0, 0}, Case{0, 1000, 0}})
    EXPECT_EQ(progress_percent(c.done, c.total), c.percent) << c.done << "/" << c.total;
  EXPECT_EQ(progress_label_text(50), gbk("下载进度：50%"));

  EXPECT_EQ(speed_label_text(1536), gbk("下载速度：2kb/秒"));
  EXPECT_EQ(speed_label_text(512), gbk("下载速度：1kb/秒"));
  EXPECT_EQ(speed_label_text(511), gbk("下载速度：0kb/秒"));
  EXPECT_EQ(speed_label_text(0), gbk("下载速度：0kb/秒"));
}

TEST(DownloadTexts, SeparatorHasTwentyThreeMarks) {
  std::string marks;
  for (int i = 0; i < 23; ++i) marks += "▼";
  EXPECT_EQ(download_started_separator(), gbk("\r\n" + marks + "\r\n\r\n"));
}

}  // namespace
}  // namespace trovix
