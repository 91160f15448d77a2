// Throughput of the GBK conversions and text searches on a result-page-sized
// text, with a plain iconv conversion as the yardstick.
#include <benchmark/benchmark.h>
#include <iconv.h>

#include <string>

#include "web/codec.h"
#include "web/text_ops.h"

namespace {

// About 200 KB of markup with Chinese titles, like a fetched result page.
const std::string& gbk_page() {
  static const std::string page = [] {
    const std::string title = trovix::gbk("电影合集 高清中文字幕 第");
    const std::string size = trovix::gbk("大小：");
    std::string p = "<html><head><meta charset=\"gbk\"></head><body><ul>\r\n";
    for (int i = 0; p.size() < 200000; ++i) {
      p += "<li class=\"item\"><a href=\"/detail/" + std::to_string(i) + ".html\" title=\"" +
           title + std::to_string(i) + "\">" + title + std::to_string(i) + "</a><span>" + size +
           std::to_string(i % 900) + " MB</span></li>\r\n";
    }
    return p + "</ul><div id=\"end\">" + trovix::gbk("共") + "123</div></body></html>";
  }();
  return page;
}

void BM_GbkToUtf8(benchmark::State& state) {
  const std::string& page = gbk_page();
  for (auto _ : state) benchmark::DoNotOptimize(trovix::gbk_to_utf8(page));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_GbkToUtf8);

void BM_Utf8ToGbk(benchmark::State& state) {
  const std::string utf8 = trovix::gbk_to_utf8(gbk_page());
  for (auto _ : state) benchmark::DoNotOptimize(trovix::utf8_to_gbk(utf8));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * utf8.size()));
}
BENCHMARK(BM_Utf8ToGbk);

// Short texts, as when every captured group goes back to GBK.
void BM_Utf8ToGbkShort(benchmark::State& state) {
  const std::string utf8 = "电影合集 高清中文字幕 第12集";
  for (auto _ : state) benchmark::DoNotOptimize(trovix::utf8_to_gbk(utf8));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_Utf8ToGbkShort);

void BM_IconvGbkToUtf8(benchmark::State& state) {
  const std::string& page = gbk_page();
  const iconv_t cd = iconv_open("UTF-8", "CP936");
  std::string out(page.size() * 3, '\0');
  for (auto _ : state) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char* in = const_cast<char*>(page.data());
    std::size_t in_left = page.size();
    char* o = out.data();
    std::size_t o_left = out.size();
    benchmark::DoNotOptimize(iconv(cd, &in, &in_left, &o, &o_left));
  }
  iconv_close(cd);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_IconvGbkToUtf8);

void BM_CharsetUtf8Page(benchmark::State& state) {
  const std::string utf8 = trovix::gbk_to_utf8(gbk_page());
  for (auto _ : state) benchmark::DoNotOptimize(trovix::charset_to_gbk(utf8, "utf-8"));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * utf8.size()));
}
BENCHMARK(BM_CharsetUtf8Page);

void BM_FindTextAtEnd(benchmark::State& state) {
  const std::string& page = gbk_page();
  const bool case_insensitive = state.range(0) != 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(trovix::find_text(page, "<div id=\"END\">", 1, case_insensitive));
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_FindTextAtEnd)->Arg(0)->Arg(1);

void BM_TextBetweenAtEnd(benchmark::State& state) {
  const std::string& page = gbk_page();
  const std::string left = trovix::gbk("<div id=#引号end#引号>共");
  for (auto _ : state) benchmark::DoNotOptimize(trovix::text_between(page, left, "</div>"));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_TextBetweenAtEnd);

void BM_ReplaceTextAll(benchmark::State& state) {
  const std::string& page = gbk_page();
  for (auto _ : state) benchmark::DoNotOptimize(trovix::replace_text(page, "<li", "<LI"));
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_ReplaceTextAll);

}  // namespace

BENCHMARK_MAIN();
