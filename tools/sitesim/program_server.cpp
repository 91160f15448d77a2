#include <httplib.h>

#include <atomic>
#include <cstdio>
#include <mutex>
#include <stdexcept>

#include "catalogue.h"
#include "routes.h"

namespace sitesim {

namespace {

constexpr const char* kGbkHtml = "text/html; charset=gbk";

// One value of the information page: the program reads from its marker up to
// the first following byte equal to the terminator, in GBK. A value that held
// its own terminator (a Chinese character's second GBK byte can be an ASCII
// letter) would be cut short, so every value is checked when the page is made.
std::string info_entry(const char* marker_utf8, const std::string& value_utf8, char terminator) {
  std::string value = to_gbk(value_utf8);
  if (value.find(terminator) != std::string::npos)
    throw std::logic_error(std::string("information page value holds its terminator: ") +
                           marker_utf8);
  return to_gbk(marker_utf8) + value + terminator;
}

std::string info_page(const SimConfig& config, const std::string& version) {
  std::string page = to_gbk(
      "<!DOCTYPE html>\n<html><head><meta charset=gbk><title>软件信息</title></head><body>\n");
  auto line = [&page](std::string entry) { page += "<div>" + entry + "</div>\n"; };
  line(info_entry("【最新版本号】", version, 'b'));
  line(info_entry("【更新地址】", config.http_base + "/update/trovix_new.exe", 'q'));
  line(info_entry("【软件名称】", "Trovix", 'a'));
  line(info_entry("【弹窗链接】", "<p>" + config.http_base + "/thx</p>", 'e'));
  line(info_entry("【弹窗内容】", "<p>欢迎使用本软件！</p><P>本地模拟服务器为你提供数据。</P>",
                  'f'));
  line(info_entry("【滚动公告】", "欢迎使用资源搜索工具，本公告来自本地模拟服务器", 'o'));
  line(info_entry("【公告链接】", config.http_base + "/notice", '@'));
  line(info_entry("【更新内容】",
                  "<p>（修复搜索结果重复的问题）</p><P>（  ）</P><p>（新增网页表格导出）</p>",
                  'c'));
  page += "</body></html>\n";
  return page;
}

std::string percent_encode_all(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out.push_back('%');
    out.push_back(kHex[c >> 4]);
    out.push_back(kHex[c & 0xF]);
  }
  return out;
}

std::string simple_page(const std::string& title_utf8) {
  return to_gbk("<html><head><meta charset=gbk><title>" + title_utf8 + "</title></head><body><h1>" +
                title_utf8 + "</h1></body></html>");
}

}  // namespace

void register_program_server(httplib::Server& server, const SimConfig& config) {
  // Made once at start so a value holding its terminator stops the simulator at once.
  const std::string current_page = info_page(config, "1.1.5");
  server.Get("/qnvt/qnvt.html",
             [config, current_page](const httplib::Request& req, httplib::Response& res) {
               // ?version=X offers a different newest version (an update) for tests and the demo.
               if (req.has_param("version"))
                 res.set_content(info_page(config, req.get_param_value("version")), kGbkHtml);
               else
                 res.set_content(current_page, kGbkHtml);
             });

  auto visits = std::make_shared<std::atomic<int>>(0);
  server.Get("/count1/count.asp", [visits](const httplib::Request&, httplib::Response& res) {
    int today = ++*visits;
    // Counter services answer with a script line whose text is percent-encoded.
    std::string text = percent_encode_all(to_gbk("今天访问：")) + std::to_string(today) + "&#10;" +
                       percent_encode_all(to_gbk("累计访问：")) + std::to_string(3455 + today) +
                       "&#10;";
    res.set_content("document.write(unescape('" + text + "'));\n", "application/javascript");
  });

  server.Get("/connectivity", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("ok", "text/plain");
  });

  struct Plain {
    const char* path;
    const char* title;
  };
  static constexpr Plain kPages[] = {
      {"/site", "软件官网"},   {"/group", "加入群聊"}, {"/share", "分享软件"},
      {"/manual", "手动下载"}, {"/thx", "感谢使用"},   {"/notice", "公告详情"},
  };
  for (const Plain& p : kPages) {
    std::string page = simple_page(p.title);
    server.Get(p.path, [page](const httplib::Request&, httplib::Response& res) {
      res.set_content(page, kGbkHtml);
    });
  }
  for (const char* installer : {"/thunder.exe", "/xuanfeng.exe"}) {
    server.Get(installer, [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string("MZ") + std::string(4094, '\x90'), "application/octet-stream");
    });
  }
}

}  // namespace sitesim
