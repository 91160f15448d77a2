#include "server/info_page.h"

#include "web/codec.h"
#include "web/text_ops.h"

namespace trovix {

namespace {

struct Marker {
  std::string text;
  std::string_view terminator;
};

// The markers in GBK, converted once.
struct Markers {
  Marker newest_version{gbk("【最新版本号】"), "b"};
  Marker update_address{gbk("【更新地址】"), "q"};
  Marker program_name{gbk("【软件名称】"), "a"};
  Marker exit_link{gbk("【弹窗链接】"), "e"};
  Marker popup_content{gbk("【弹窗内容】"), "f"};
  Marker scroll_notice{gbk("【滚动公告】"), "o"};
  Marker notice_link{gbk("【公告链接】"), "@"};
  Marker history{gbk("【更新内容】"), "c"};
};

const Markers& markers() {
  static const Markers instance;
  return instance;
}

std::string value_of(std::string_view page, const Marker& marker) {
  // From the start, letter case respected: the first marker counts, and its
  // value ends at the next byte equal to the terminator.
  return text_between(page, marker.text, marker.terminator, 1, false);
}

}  // namespace

std::string page_text(std::string_view bytes) {
  const std::size_t zero = bytes.find('\0');
  return std::string(zero == std::string_view::npos ? bytes : bytes.substr(0, zero));
}

std::string remove_paragraph_tags(std::string_view value) {
  return replace_many(value, -1, 1, false, "</p>", "", "<p>", "");
}

std::vector<std::string> cut_history_items(std::string_view value) {
  static const std::string open = gbk("（");
  static const std::string close = gbk("）");
  std::vector<std::string> items;
  int at = 1;
  for (;;) {
    const int left = find_text(value, open, at);
    if (left == -1) break;
    const int content = left + text_length(open);
    const int right = find_text(value, close, content);
    if (right == -1) break;
    std::string item = trim_text(text_mid(value, content, right - content));
    if (item.empty()) {
      // The "（" may open the next item, so the search resumes right after it.
      at = content;
    } else {
      items.push_back(std::move(item));
      at = right;
    }
  }
  return items;
}

std::string history_text(const std::vector<std::string>& items) {
  std::string text;
  for (const std::string& item : items) {
    text += item;
    text += "\r\n";
  }
  return text;
}

InfoPage read_info_page(std::string_view page) {
  const Markers& m = markers();
  InfoPage info;
  info.newest_version = value_of(page, m.newest_version);
  info.values.update_address = value_of(page, m.update_address);
  // The page names the program without its suffix; a missing name stays empty.
  info.values.new_program_file = value_of(page, m.program_name);
  if (!info.values.new_program_file.empty()) info.values.new_program_file += ".exe";
  info.values.exit_link = remove_paragraph_tags(value_of(page, m.exit_link));
  info.values.popup_content = remove_paragraph_tags(value_of(page, m.popup_content));
  info.values.scroll_notice = value_of(page, m.scroll_notice);
  info.values.notice_link = value_of(page, m.notice_link);
  info.history = cut_history_items(remove_paragraph_tags(value_of(page, m.history)));
  return info;
}

}  // namespace trovix
