#include "search/engine_patterns.h"

#include "web/codec.h"

namespace trovix {

// The texts are written as the sites print them: "\n" and "\t" are the pages'
// own line feeds and tabs, and every space counts. Each piece below ends at one
// of the page's line feeds.

// clang-format off
const std::string& engine1_result_pattern() {
  static const std::string pattern = gbk(
      "target=\"_blank\">(.*?)</dt>\n"
      "\t\t\t\t\t\n"
      "\t\t\t\t\t<dd class='attr'><span>收录时间:<b>(.*?)</b></span><span>文件大小:<b>(.*?)</b></span><span>文件数:<b>(.*?)</b></span><span>下载速度:<b>(.*?)</b></span>&nbsp;&nbsp;<span>人气:<b>(.*?)</b></span><span><a style='color:#777;' href='(.*?)' >磁力链接</a>");
  return pattern;
}

const std::string& engine2_result_pattern() {
  static const std::string pattern = gbk(
      "<h5 class=\"h\">(.*?)</h5>\n"
      "\t\t\t\t</a>\n"
      "\t\t\t\t<div>\n"
      "\t\t\t\t\t<span style=\"padding-right: 10px; vertical-align: middle;\">收录时间：<span\n"
      "\t\t\t\t\t\tclass=\"prop_val\">(.*?)</span></span> <span\n"
      "\t\t\t\t\t\tstyle=\"padding-right: 10px; vertical-align: middle;\">大小：<span\n"
      "\t\t\t\t\t\tclass=\"prop_val\">(.*?)</span></span> <span\n"
      "\t\t\t\t\t\tstyle=\"padding-right: 10px; vertical-align: middle;\">文件数：<span\n"
      "\t\t\t\t\t\tclass=\"prop_val\">(.*?)</span></span> <a\n"
      "\t\t\t\t\t\thref=\"(.*?)\">\n");
  return pattern;
}

const std::string& engine3_link_pattern() {
  static const std::string pattern =
      "\n"
      "<a href=\"(.*?)\" target=\"_blank\"><script type=\"text/javascript\">(.*?);</script>";
  return pattern;
}

const std::string& engine3_facts_pattern() {
  static const std::string pattern = gbk(
      "\n"
      "<span>\n"
      "Create Time：\n"
      "<(.*?)>(.*?)</b>\n"
      "</span><span>\n"
      "File Size：\n"
      "<b class=\"cpill yellow-pill\">(.*?)</b>\n"
      "</span>\n"
      "<span>Hot：<b>(.*?)</b></span>");
  return pattern;
}

const std::string& engine4_facts_pattern() {
  static const std::string pattern = gbk(
      "<div class=\"media-more\">\n"
      "                <cite>创建日期：</cite><span class=\"label label-success\">(.*?)</span>&nbsp;&nbsp;&nbsp;\n"
      "                <cite>文件大小：</cite><span class=\"label label-warning\">(.*?)</span>&nbsp;&nbsp;&nbsp;\n"
      "                <cite>访问热度：</cite><span class=\"label label-primary\">(.*?)</span>&nbsp;&nbsp;&nbsp;\n"
      "\t\t\t\t<span class=\"media-down\"><a href=\"(.*?)\">");
  return pattern;
}

const std::string& engine4_title_pattern() {
  static const std::string pattern =
      "span class=\"highlight\">(.*?)\n"
      "                </a>\n";
  return pattern;
}

const std::string& engine5_result_pattern() {
  static const std::string pattern =
      "<a href=\"(.*?)\" target=\"_blank\" rel=\"nofollow\" id=\"(.*?)\">(.*?)</a>";
  return pattern;
}

const std::string& engine6_file_pattern() {
  static const std::string pattern =
      "<a target=\"_blank\" href=\"/share/file/(.*?)\" title=\"(.*?)\" >";
  return pattern;
}

const std::string& engine6_time_pattern() {
  static const std::string pattern =
      "<span class=\"fdt\">(.*?)</span>";
  return pattern;
}

const std::string& magnet_left_marker() {
  static const std::string marker =
      "\n"
      "<div class=\"panel-header\">\n"
      "Magnet Link\n"
      "</div>\n"
      "<div class=\"panel-body\">\n"
      "<a href=\"";
  return marker;
}

const std::string& magnet_right_marker() {
  static const std::string marker = "\">";
  return marker;
}

// clang-format on

}  // namespace trovix
