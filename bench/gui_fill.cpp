// Fills the main window's results table from a worker thread while the window
// runs (offscreen unless a platform is named) and prints how long the table
// took to show every row and the longest gap of the UI event loop, measured
// with a 5 ms timer. Targets: 2 000 rows of 6 columns shown in under 0.5 s, no
// gap over 50 ms.
//
// It then runs engine 1 for real against the site simulator (5 000 hits: 100
// result pages, 2 000 rows) in the same window and prints its wall time and
// the longest event-loop gap while it ran, with `parallel` requests in flight
// (the services file's parallel_requests, default 4).
//
//   gui_fill_bench [rows] [runs] [parallel]
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "app/cli.h"
#include "app/main_window.h"
#include "app/results_view.h"
#include "support/sitesim_process.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace {

struct Figures {
  double fill_ms = 0;
  double longest_gap_ms = 0;
};

enum class WriteStyle { cell_by_cell, whole_rows };

// One search's worth of writes, as an engine makes them: its columns, then a
// page of rows at a time with a progress line per page.
void write_rows(trovix::ResultsList& list, trovix::SearchLog& log, int rows, WriteStyle style) {
  static const std::array<std::pair<const char*, int>, 6> columns{{{"ID", 30},
                                                                   {"标题（右击下载）", 350},
                                                                   {"收录时间", 90},
                                                                   {"文件大小", 65},
                                                                   {"人气值", 65},
                                                                   {"磁力链接", 210}}};
  list.delete_all_rows();
  for (int c = 0; c < 6; ++c)
    list.insert_column(c, trovix::gbk(columns[c].first), columns[c].second);
  const std::string title = trovix::gbk("测试资源 高清 合集 第");
  for (int r = 1; r <= rows; ++r) {
    if (r % 20 == 1) log.append("<<<page " + std::to_string(r / 20 + 1) + "\r\n");
    std::vector<std::string> cells{
        std::to_string(r),
        title + std::to_string(r),
        "2024-01-02",
        std::to_string(r % 900 + 100) + ".5 MB",
        std::to_string(r * 7 % 1000),
        "magnet:?xt=urn:btih:" + std::string(40, static_cast<char>('a' + r % 6))};
    if (style == WriteStyle::whole_rows) {
      list.append_row(cells);
    } else {
      const int row = list.insert_row();
      for (int c = 0; c < 6; ++c) list.set_cell_text(row, c, cells[c]);
    }
  }
}

// Starts the work, then spins the UI event loop with a 5 ms timer that
// records the longest gap between its ticks, until `done` says the work shows.
template <typename Start, typename Done>
Figures measure(Start start, Done done) {
  Figures figures;
  QElapsedTimer clock;
  QElapsedTimer since_tick;
  QEventLoop loop;
  QTimer ticker;
  ticker.setInterval(5);
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    figures.longest_gap_ms = std::max(figures.longest_gap_ms, since_tick.nsecsElapsed() / 1e6);
    since_tick.restart();
    if (done()) {
      figures.fill_ms = clock.nsecsElapsed() / 1e6;
      loop.quit();
    }
  });
  since_tick.start();
  ticker.start();
  clock.start();
  start();
  loop.exec();
  ticker.stop();
  return figures;
}

Figures run_once(trovix::MainWindow& window, int rows, WriteStyle style) {
  std::thread worker;
  auto* model = window.results_model();
  const Figures figures = measure(
      [&] {
        worker = std::thread([&] { write_rows(window.results(), window.work_log(), rows, style); });
      },
      [&] {
        return model->rowCount() == rows && !model->index(rows - 1, 5).data().toString().isEmpty();
      });
  worker.join();
  return figures;
}

// Engine 1 through the window's own controller, as the Search button runs it.
Figures run_engine1(trovix::MainWindow& window) {
  return measure(
      [&] {
        window.controller().start(1, {[] { return std::string("t5000"); }, [] {}});
      },
      [&] { return !window.controller().running(); });
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  const int rows = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
  const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
  const int parallel = argc > 3 ? std::clamp(std::atoi(argv[3]), 1, 16) : 4;
  QApplication app(argc, argv);

  trovix::ServiceAddresses addresses = trovix::default_service_addresses();
  addresses.default_folder.clear();
  trovix::MainWindow window(addresses);
  window.show();
  QApplication::processEvents();

  for (const auto& [style, name] : {std::pair{WriteStyle::cell_by_cell, "cell by cell"},
                                    std::pair{WriteStyle::whole_rows, "whole rows"}}) {
    std::vector<Figures> all;
    for (int i = 0; i < runs; ++i) all.push_back(run_once(window, rows, style));
    std::sort(all.begin(), all.end(), [](auto& a, auto& b) { return a.fill_ms < b.fill_ms; });
    double longest_gap = 0;
    for (const Figures& f : all) longest_gap = std::max(longest_gap, f.longest_gap_ms);
    std::printf(
        "%d rows x 6 columns, %s, %d runs: fill median %.1f ms, worst %.1f ms; "
        "longest event-loop gap %.1f ms\n",
        rows, name, runs, all[all.size() / 2].fill_ms, all.back().fill_ms, longest_gap);
  }

  trovix::testing::SiteSimulator sim;
  trovix::ServiceAddresses sim_addresses = trovix::default_service_addresses();
  trovix::load_service_addresses(sim.services_file(), sim_addresses);
  trovix::set_web_ca_file(sim.ca_file());
  sim_addresses.default_folder.clear();
  sim_addresses.parallel_requests = parallel;
  trovix::MainWindow engine_window(sim_addresses);
  engine_window.show();
  QApplication::processEvents();
  std::vector<Figures> all;
  for (int i = 0; i < runs; ++i) all.push_back(run_engine1(engine_window));
  std::sort(all.begin(), all.end(), [](auto& a, auto& b) { return a.fill_ms < b.fill_ms; });
  double longest_gap = 0;
  for (const Figures& f : all) longest_gap = std::max(longest_gap, f.longest_gap_ms);
  std::printf(
      "engine 1, 5000 hits (100 pages, %d rows), parallel %d, %d runs: wall median %.1f ms; "
      "longest event-loop gap %.1f ms\n",
      engine_window.results().row_count(), parallel, runs, all[all.size() / 2].fill_ms,
      longest_gap);
  return 0;
}
