#!/usr/bin/env python3
"""The work of 网盘引擎1 over ten full pages, in plain Python 3 (urllib + re).

Fetches and parses the same 210 pages in the same order as the engine: for
each of the 10 result pages (POST, empty body) the 10 hits, each with its
detail page (POST, empty body) and its share page (GET), judging the share by
the six notices. Reports wall and CPU time per search.

    bench/engine5_python.py http://127.0.0.1:PORT [--keyword bench100] [--repetitions 5]

Start the simulator first, e.g. `build-*/tools/sitesim/sitesim --demo`, and
pass the http_port it prints.
"""

import argparse
import re
import statistics
import sys
import time
import urllib.request

RESULT = re.compile(r'<a href="(.*?)" target="_blank" rel="nofollow" id="(.*?)">(.*?)</a>',
                    re.IGNORECASE)
HIGHLIGHT = re.compile(r"</?b>", re.IGNORECASE)
CHARSET = re.compile(r"<meta.+?charset=[^\w]?([-\w]+)", re.IGNORECASE)
SHARE_LEFT = 'rel="noreferrer external nofollow" href="'
SHARE_RIGHT = '" target="_blank">点击下载</a>'
GONE = ("你所访问的页面不存在了", "您访问的文件已被删除", "分享的文件已经被取消了",
        "链接错误没找到文件", "您要访问的页面不存在", "链接分享内容可能因为涉及侵权、色情、反动")


def fetch(url, post=False):
    """The page as text, decoded by the charset its head declares (GBK by default)."""
    if not url:
        return ""
    try:
        request = urllib.request.Request(url, data=b"" if post else None)
        with urllib.request.urlopen(request, timeout=30) as response:
            body = response.read()
    except OSError:
        return ""
    declared = CHARSET.search(body[:1024].decode("latin-1"))
    charset = declared.group(1) if declared else "gbk"
    if charset.lower() in ("gbk", "gb2312"):
        charset = "gbk"
    return body.decode(charset, errors="replace")


def between(text, left, right):
    a = text.find(left)
    if a < 0:
        return ""
    a += len(left)
    b = text.find(right, a)
    return text[a:b] if b >= 0 else ""


def search(site, keyword):
    rows = []
    for page in range(1, 11):
        hits = RESULT.findall(fetch(f"{site}/zh/{keyword}_{page}", post=True))
        for j in range(10):
            title = HIGHLIGHT.sub("", hits[j][2]) if j < len(hits) else ""
            if not title:
                return rows
            share = between(fetch(site + hits[j][0], post=True), SHARE_LEFT, SHARE_RIGHT)
            page_text = fetch(share)
            gone = not share or any(phrase in page_text for phrase in GONE)
            rows.append((title, share, "无效" if gone else "有效"))
    return rows


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("base", help="the simulator's HTTP base, http://127.0.0.1:PORT")
    parser.add_argument("--keyword", default="bench100")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()
    site = args.base.rstrip("/") + "/e5"

    walls, cpus = [], []
    for _ in range(args.repetitions):
        wall, cpu = time.perf_counter(), time.process_time()
        rows = search(site, args.keyword)
        walls.append(time.perf_counter() - wall)
        cpus.append(time.process_time() - cpu)
        if len(rows) != 100:
            sys.exit(f"expected 100 rows, got {len(rows)}")
    print(f"engine5_python: 210 requests, 100 rows; wall {statistics.mean(walls) * 1000:.1f} ms "
          f"(min {min(walls) * 1000:.1f}), cpu {statistics.mean(cpus) * 1000:.1f} ms "
          f"over {args.repetitions} runs")


if __name__ == "__main__":
    main()
