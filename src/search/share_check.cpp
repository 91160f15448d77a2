#include "search/share_check.h"

#include "web/codec.h"
#include "web/text_ops.h"
#include "web/web_request.h"

namespace trovix {

const std::array<std::string, 6>& share_gone_phrases() {
  static const std::array<std::string, 6> phrases = {
      gbk("你所访问的页面不存在了"), gbk("您访问的文件已被删除"),
      gbk("分享的文件已经被取消了"), gbk("链接错误没找到文件"),
      gbk("您要访问的页面不存在"),   gbk("链接分享内容可能因为涉及侵权、色情、反动"),
  };
  return phrases;
}

bool share_page_is_gone(std::string_view share_page) {
  for (const std::string& phrase : share_gone_phrases()) {
    if (find_text(share_page, phrase) != -1) return true;
  }
  return false;
}

ShareState check_share(std::string_view share_address) {
  if (share_address.empty()) return ShareState::invalid;
  return share_page_is_gone(WebRequest(share_address)) ? ShareState::invalid : ShareState::valid;
}

FoundShare find_and_check_share(std::string_view page, std::string_view left,
                                std::string_view right) {
  FoundShare found;
  found.address = text_between(page, left, right);
  found.state = check_share(found.address);
  return found;
}

const std::string& share_state_text(ShareState state) {
  static const std::string valid = gbk("有效");
  static const std::string invalid = gbk("无效");
  return state == ShareState::valid ? valid : invalid;
}

}  // namespace trovix
