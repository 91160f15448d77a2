// The share validity check: the six notices share hosts show for a gone share,
// and the fetch-and-judge step against real share pages on the simulator.
#include "search/share_check.h"

#include <gtest/gtest.h>

#include <string>

#include "support/sitesim_process.h"
#include "web/codec.h"
#include "web/web_request.h"

namespace trovix {
namespace {

TEST(ShareCheck, JudgesPagesByTheSixNotices) {
  struct Case {
    const char* page_utf8;
    bool gone;
  };
  const Case cases[] = {
      {"<p>啊哦，你所访问的页面不存在了。</p>", true},
      {"<div>您访问的文件已被删除</div>", true},
      {"来晚了，该分享的文件已经被取消了，可以联系分享者", true},
      {"链接错误没找到文件，请打开正确的分享链接!", true},
      {"<title>很抱歉，您要访问的页面不存在！</title>", true},
      {"此链接分享内容可能因为涉及侵权、色情、反动、低俗等信息，无法访问！", true},
      // Near misses: a notice cut short, or the other wording of one.
      {"你所访问的页面不存在", false},
      {"分享的文件已经被取消", false},
      {"链接分享内容可能因为涉及侵权", false},
      {"<h2>资料合集</h2><a>保存到我的网盘</a>", false},
      {"", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(share_page_is_gone(gbk(c.page_utf8)), c.gone) << c.page_utf8;
  }
  // The notices are looked for as GBK text: the UTF-8 bytes of one are no match.
  EXPECT_FALSE(share_page_is_gone("<p>您访问的文件已被删除</p>"));
}

TEST(ShareCheck, StatusTexts) {
  EXPECT_EQ(share_state_text(ShareState::valid), gbk("有效"));
  EXPECT_EQ(share_state_text(ShareState::invalid), gbk("无效"));
}

TEST(ShareCheck, AnAddressThatWasNotFoundIsInvalid) {
  EXPECT_EQ(check_share(""), ShareState::invalid);
}

// Share pages on the simulator: every third share is gone, each gone page
// showing another notice; the pages are UTF-8 and arrive as GBK.
TEST(ShareCheck, FetchesAndJudgesSharePages) {
  testing::SiteSimulator sim;
  set_web_ca_file(sim.ca_file());
  // Token of hit i for the keyword "k30": hex of the keyword, "-", the index.
  auto share = [&](const std::string& base, const std::string& site, int index) {
    return base + site + "/s/6b3330-" + std::to_string(index);
  };
  for (int index = 0; index < 18; ++index) {
    const ShareState expected = index % 3 == 2 ? ShareState::invalid : ShareState::valid;
    EXPECT_EQ(check_share(share(sim.http_base(), "/e5", index)), expected) << index;
    EXPECT_EQ(check_share(share(sim.https_base(), "/e6", index)), expected) << index;
  }
  // A share page that cannot be fetched holds no notice.
  EXPECT_EQ(check_share("http://127.0.0.1:1/s/6b3330-2"), ShareState::valid);
}

}  // namespace
}  // namespace trovix
