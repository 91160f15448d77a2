// The background job: results reach the owner's thread, a stopped or
// superseded job delivers nothing, and stopping abandons a pending request.
#include "app/background_job.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTest>
#include <chrono>
#include <thread>

#include "app/app_fixture.h"
#include "support/sitesim_process.h"
#include "web/web_request.h"

namespace trovix::testing {
namespace {

void process_events_for(int milliseconds) {
  QElapsedTimer timer;
  timer.start();
  while (timer.elapsed() < milliseconds) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

TEST(BackgroundJob, DeliversOnTheOwnersThreadAndDropsWhatWasStopped) {
  QObject owner;
  BackgroundJob job(&owner);
  std::vector<int> delivered;
  std::vector<int> progress;
  const auto ui_thread = std::this_thread::get_id();

  job.start(
      [](const BackgroundJob::Context& context) {
        context.post([] {});  // intermediate steps run on the owner's thread too
        return 1;
      },
      [&](int value) {
        EXPECT_EQ(std::this_thread::get_id(), ui_thread);
        delivered.push_back(value);
      });
  EXPECT_TRUE(job.running());
  QTRY_COMPARE(delivered.size(), size_t{1});
  EXPECT_FALSE(job.running());

  // A restarted job drops the first result; a stopped one delivers nothing,
  // neither its progress nor its result.
  job.start(
      [](const BackgroundJob::Context&) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        return 2;
      },
      [&](int value) { delivered.push_back(value); });
  job.start([](const BackgroundJob::Context&) { return 3; },
            [&](int value) { delivered.push_back(value); });
  QTRY_COMPARE(delivered.size(), size_t{2});
  job.start(
      [](const BackgroundJob::Context& context) {
        context.post([] { ADD_FAILURE() << "progress after stop"; });
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
      },
      [&] { delivered.push_back(4); });
  job.stop();
  EXPECT_FALSE(job.running());
  process_events_for(150);
  EXPECT_EQ(delivered, (std::vector<int>{1, 3}));
}

TEST(BackgroundJob, StoppingAbandonsAPendingRequestAtOnce) {
  SiteSimulator sim;
  QElapsedTimer timer;
  {
    QObject owner;
    BackgroundJob job(&owner);
    bool delivered = false;
    job.start(
        [url = sim.http_base() + "/fault/stall?seconds=20"](const BackgroundJob::Context& context) {
          std::string body = WebRequest(url);
          return context.stop_requested() ? std::string("stopped") : body;
        },
        [&](std::string) { delivered = true; });
    process_events_for(200);  // the request is on its way
    timer.start();
    // Destroying the owner's job stops it and joins its thread.
  }
  EXPECT_LT(timer.elapsed(), 5000);
}

}  // namespace
}  // namespace trovix::testing
