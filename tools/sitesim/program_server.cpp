#include <httplib.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
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

// `update_query` follows the update address (the update file's own options).
std::string info_page(const SimConfig& config, const std::string& version,
                      const std::string& update_query = "") {
  std::string page = to_gbk(
      "<!DOCTYPE html>\n<html><head><meta charset=gbk><title>软件信息</title></head><body>\n");
  auto line = [&page](std::string entry) { page += "<div>" + entry + "</div>\n"; };
  line(info_entry("【最新版本号】", version, 'b'));
  line(info_entry("【更新地址】", config.http_base + "/update/trovix_new.exe" + update_query, 'q'));
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

// The information page in the shapes the update window must cope with, each
// under /scenario/NAME/qnvt/qnvt.html. nullopt: the scenario is not known.
std::optional<std::string> scenario_page(const SimConfig& config, const std::string& name) {
  if (name == "current") return info_page(config, "1.1.5");
  if (name == "newer") return info_page(config, "1.2.0");
  if (name == "lower") return info_page(config, "1.1.4");
  if (name == "only-version") return to_gbk("【最新版本号】1.1.5b");
  if (name == "blanks") return to_gbk("【最新版本号】 1.1.5 b");
  if (name == "no-markers")
    return to_gbk("<html><body>最新版本号 1.2.0 更新地址 软件名称</body></html>");
  if (name == "twice")
    // Every marker twice: only the first occurrence counts.
    return info_page(config, "1.1.5") +
           to_gbk("【最新版本号】9.9.9b【滚动公告】第二条公告o【更新内容】（第二次）c");
  if (name == "caps")
    return to_gbk(
        "<HTML><BODY><P>【最新版本号】1.1.5b</P><P>【弹窗内容】<P>大写标签</P>f"
        "【更新内容】<P>（第一项）</P><P>（第二项）</P>c</BODY></HTML>");
  if (name == "zero")
    // Everything after the zero byte is not part of the page.
    return to_gbk("【最新版本号】1.1.5b【更新内容】（零字节之前）c") + std::string(1, '\0') +
           to_gbk("【滚动公告】零字节之后o");
  if (name == "big") {
    // 10 MB of filler with the markers at its very end.
    std::string page(10u * 1024 * 1024, 'x');
    page += to_gbk("【最新版本号】1.1.5b【更新内容】（大页面）c");
    return page;
  }
  if (name == "no-terminators") return to_gbk("【最新版本号】1.1.5【更新内容】（无结束符）");
  if (name == "empty") return std::string();
  return std::nullopt;
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
  server.Get("/qnvt/qnvt.html", [config, current_page](const httplib::Request& req,
                                                       httplib::Response& res) {
    // ?version=X offers a different newest version (an update) for tests and the demo.
    // ?rate=N sends the update file at N bytes a second, so a download can be watched.
    const std::string update_query =
        req.has_param("rate")
            ? "?rate=" +
                  std::to_string(std::strtoull(req.get_param_value("rate").c_str(), nullptr, 10))
            : "";
    if (req.has_param("version"))
      res.set_content(info_page(config, req.get_param_value("version"), update_query), kGbkHtml);
    else
      res.set_content(current_page, kGbkHtml);
  });

  // The scenarios of the information page; "unreadable" answers 500, "stall"
  // answers after 30 seconds, "reset" drops the connection mid-body.
  server.Get(R"(/scenario/([a-z0-9-]+)/qnvt/qnvt\.html)",
             [config](const httplib::Request& req, httplib::Response& res) {
               const std::string name = req.matches[1];
               if (name == "unreadable") {
                 res.status = 500;
                 res.set_content("<h1>500</h1>", kGbkHtml);
                 return;
               }
               if (name == "stall") {
                 sleep_unless_stopping(std::chrono::seconds(30));
                 res.set_content(info_page(config, "1.1.5"), kGbkHtml);
                 return;
               }
               if (name == "reset") {
                 res.set_content_provider(100000, kGbkHtml,
                                          [](std::size_t, std::size_t, httplib::DataSink& sink) {
                                            const std::string part = to_gbk("【最新版本号】1.2.0b");
                                            sink.write(part.data(), part.size());
                                            return false;
                                          });
                 return;
               }
               std::optional<std::string> page = scenario_page(config, name);
               if (!page) {
                 res.status = 404;
                 return;
               }
               res.set_content(std::move(*page), kGbkHtml);
             });

  auto visits = std::make_shared<std::atomic<int>>(0);
  // Counter scenarios under /scenario/NAME/count1/count.asp: "plain" has the
  // markers unencoded, "broken" carries broken escapes and no terminators.
  server.Get(R"(/scenario/([a-z0-9-]+)/count1/count\.asp)",
             [](const httplib::Request& req, httplib::Response& res) {
               const std::string name = req.matches[1];
               if (name == "plain") {
                 res.set_content(to_gbk("今天访问：12&#10;累计访问：3456&#10;"), kGbkHtml);
               } else if (name == "broken") {
                 res.set_content("%E4%B%%%zz" + to_gbk("今天访问：") + "12%", kGbkHtml);
               } else {
                 res.status = 500;
               }
             });
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
  // A connectivity check that fails: the site answers, but not with 2xx or 3xx.
  server.Get("/connectivity/offline",
             [](const httplib::Request&, httplib::Response& res) { res.status = 503; });
  server.Get("/connectivity/redirect", [](const httplib::Request&, httplib::Response& res) {
    res.set_redirect("/connectivity");
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
