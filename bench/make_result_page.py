#!/usr/bin/env python3
"""Writes bench/fixtures/engine1_page.html: a GBK result page of engine 1's site
with 20 hits and the markup around them (head, styles, scripts, navigation,
sidebar, footer), about 60 KB. The output is the same on every run."""

import random
import sys
from pathlib import Path

HITS = 20
TARGET_BYTES = 60 * 1024

rng = random.Random(20240501)

WORDS = ["电影", "合集", "高清", "蓝光", "中字", "国语", "纪录片", "动画", "原声", "音乐",
         "教程", "软件", "全集", "双语", "字幕", "导演剪辑版", "典藏", "修复版", "无损", "第一季"]
LATIN = ["BluRay", "1080p", "x264", "AAC", "WEB-DL", "HDR", "Remux", "DTS", "2160p", "MKV"]


def title(keyword):
    parts = [rng.choice(WORDS) for _ in range(rng.randint(2, 5))]
    parts.insert(rng.randint(0, len(parts)), "<b>" + keyword + "</b>")
    parts += [rng.choice(LATIN) for _ in range(rng.randint(1, 3))]
    text = ".".join(parts)
    tail = rng.choice(["</a><sup>Hot</sup>&nbsp;", "</a><sup>New</sup>&nbsp;", "</a>"])
    return text + tail


def info_hash():
    return "".join(rng.choice("0123456789abcdef") for _ in range(40))


def hit(keyword):
    h = info_hash()
    size = f"{rng.uniform(0.1, 40):.2f} {rng.choice(['GB', 'MB'])}"
    date = f"20{rng.randint(10, 23)}-{rng.randint(1, 12):02d}-{rng.randint(1, 28):02d}"
    return (
        "<div class='search-item'>\n"
        f"\t<dl><dt><a href=\"/wiki/{h}.html\" target=\"_blank\">{title(keyword)}</dt>\n"
        "\t\t\t\t\t\n"
        "\t\t\t\t\t<dd class='attr'>"
        f"<span>收录时间:<b>{date}</b></span>"
        f"<span>文件大小:<b>{size}</b></span>"
        f"<span>文件数:<b>{rng.randint(1, 300)}</b></span>"
        f"<span>下载速度:<b>{rng.choice(['极快', '较快', '一般'])}</b></span>"
        f"&nbsp;&nbsp;<span>人气:<b>{rng.randint(1, 99999)}</b></span>"
        f"<span><a style='color:#777;' href='magnet:?xt=urn:btih:{h}' >磁力链接</a></span>"
        f"<span><a href='/wiki/{h}.html' target=\"_blank\">详情</a></span></dd>\n"
        "\t</dl>\n</div>\n"
    )


def script_block(n):
    lines = [f"<script type=\"text/javascript\">\n// 统计与广告位 {n}\n(function(){{"]
    for i in range(40):
        lines.append(f"  var s{i} = document.getElementById('slot{n}_{i}');"
                     f" if (s{i}) {{ s{i}.innerHTML = '<a href=\"/go/{i}\" target=\"_blank\">推荐{i}</a>'; }}")
    lines.append("})();\n</script>")
    return "\n".join(lines) + "\n"


def navigation():
    links = "".join(f"<li><a href=\"/cat/{i}\" target=\"_blank\">{rng.choice(WORDS)}</a></li>\n"
                    for i in range(30))
    return f"<div class=\"nav\"><ul>\n{links}</ul></div>\n"


def sidebar(keyword):
    hot = "".join(f"<a href=\"/search/{rng.choice(WORDS)}\" target=\"_blank\">"
                  f"{rng.choice(WORDS)}{rng.choice(WORDS)}</a>\n" for _ in range(60))
    return f"<div class=\"side\"><h3>热门搜索：{keyword}</h3>\n{hot}</div>\n"


def page(keyword):
    head = (
        "<!DOCTYPE html>\n<html>\n<head>\n"
        "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=gb2312\" />\n"
        f"<title>{keyword} - 种子搜索</title>\n"
        "<link rel=\"stylesheet\" href=\"/static/main.css\" />\n"
        "<style>\n" + "".join(f".c{i} {{ margin: {i}px; color: #{i:03d}; }}\n"
                              for i in range(120)) + "</style>\n"
        + script_block(0) + "</head>\n<body>\n"
    )
    summary = (f"<div class=\"summary\">搜索到 1234个BT种子，显示前 1000 个，用时 0.0{rng.randint(10, 99)}秒。"
               "</div>\n")
    body = navigation() + summary + "<div class=\"list\">\n"
    body += "".join(hit(keyword) for _ in range(HITS)) + "</div>\n"
    body += "<div class=\"pager\">" + "".join(
        f"<a href=\"/search/tok/{i}/1/0.html\">{i}</a>" for i in range(1, 11)) + "</div>\n"
    body += sidebar(keyword)
    text = head + body
    n = 1
    footer = "<div class=\"footer\">版权所有 本站只提供索引，不存储任何文件</div>\n</body>\n</html>\n"
    while len((text + footer).encode("gbk")) < TARGET_BYTES:
        text += script_block(n)
        n += 1
    return text + footer


def main():
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else \
        Path(__file__).resolve().parent / "fixtures" / "engine1_page.html"
    out.parent.mkdir(parents=True, exist_ok=True)
    out.write_bytes(page("变形金刚").encode("gbk"))
    print(f"{out}: {out.stat().st_size} bytes")


if __name__ == "__main__":
    main()
