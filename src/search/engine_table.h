// The one table of the search engines. The window's radio buttons, the
// command line's engine check and help, the services keys of the sites, the
// column sets and the dispatcher are all read from it: adding an engine is
// one row here and one engine unit.
#pragma once

#include <array>
#include <string_view>

#include "search/engines.h"

namespace trovix {

enum class EngineKind { torrent, cloud_disk };

struct EngineColumnSpec {
  std::string_view title;  // UTF-8
  int width = 0;           // pixels
};

inline constexpr int kMaxEngineColumns = 8;

struct EngineInfo {
  int number = 0;            // 1, 2, …: the radio buttons' order and the command line's --engine
  std::string_view caption;  // the radio button's caption, UTF-8
  EngineKind kind = EngineKind::torrent;
  // The columns in order (column 0 is "ID"); unused slots have no title.
  std::array<EngineColumnSpec, kMaxEngineColumns> columns{};
  int link_column = 0;              // the column the result actions copy or open
  int rows_per_page = 0;            // rows every result page adds
  std::string_view progress_label;  // UTF-8, "1号种子引" in "<<<1号种子引正在加载3页内容"
  std::string_view services_key;  // the site's key in the services file's [sites]
  std::string_view default_site;  // built-in site address, written as the engine joins it
  EngineEntry entry = nullptr;

  constexpr int column_count() const {
    int count = 0;
    while (count < kMaxEngineColumns && !columns[static_cast<std::size_t>(count)].title.empty())
      ++count;
    return count;
  }
};

// The real sites are not ours to name: every default lies under the reserved
// ".invalid" domain. Engines 1, 2 and 4 join paths to their site after a "/",
// engines 3, 5 and 6 put the "/" in the path.
inline constexpr std::array<EngineInfo, 6> kEngineTable{{
    {1,
     "种子引擎1",
     EngineKind::torrent,
     {{{"ID", 30},
       {"标题（右击下载）", 350},
       {"收录时间", 90},
       {"文件大小", 65},
       {"人气值", 65},
       {"磁力链接", 210}}},
     5,
     20,
     "1号种子引",
     "engine1",
     "http://engine1.invalid/",
     run_engine1},
    {2,
     "种子引擎2",
     EngineKind::torrent,
     {{{"ID", 30},
       {"标题（右击下载）", 400},
       {"收录时间", 90},
       {"文件大小", 70},
       {"磁力链接", 220}}},
     4,
     20,
     "2号种子引",
     "engine2",
     "http://engine2.invalid/",
     run_engine2},
    {3,
     "种子引擎3",
     EngineKind::torrent,
     {{{"ID", 50},
       {"标题（右击下载）", 400},
       {"收录时间", 90},
       {"文件大小", 90},
       {"下载热度", 90},
       {"磁力链接", 210}}},
     5,
     10,
     "3号种子引",
     "engine3",
     "http://engine3.invalid",
     run_engine3},
    {4,
     "种子引擎4",
     EngineKind::torrent,
     {{{"ID", 50},
       {"标题（右击下载）", 400},
       {"收录时间", 75},
       {"文件大小", 75},
       {"下载热度", 90},
       {"磁力链接", 210}}},
     5,
     10,
     "4号种子引",
     "engine4",
     "http://engine4.invalid/",
     run_engine4},
    {5,
     "网盘引擎1",
     EngineKind::cloud_disk,
     {{{"ID", 30}, {"标题（右击下载）", 300}, {"访问链接", 430}, {"状态", 60}}},
     2,
     10,
     "1号网盘引",
     "engine5",
     "http://engine5.invalid",
     run_engine5},
    {6,
     "网盘引擎2",
     EngineKind::cloud_disk,
     {{{"ID", 35}, {"标题（右击下载）", 200}, {"收录时间", 90}, {"访问链接", 427}, {"状态", 60}}},
     3,
     10,
     "2号网盘引",
     "engine6",
     "https://engine6.invalid",
     run_engine6},
}};

inline constexpr int kEngineCount = static_cast<int>(kEngineTable.size());

// The row of engine `number`, nullptr when there is none.
constexpr const EngineInfo* find_engine(int number) {
  for (const EngineInfo& info : kEngineTable)
    if (info.number == number) return &info;
  return nullptr;
}

// The entry of engine `number`, 0 for the built-in test engine (no network,
// no radio button); nullptr for any other number.
EngineEntry engine_entry(int number);

}  // namespace trovix
