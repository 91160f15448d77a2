#!/usr/bin/env python3
"""The work of 种子引擎1 for 5 000 hits, in plain Python 3 (urllib + re).

Makes the same requests in the same order as the engine: the form POST
(redirect not followed, address read from the Location header), the first
result page for the count and the time, then result pages 1 to 100 of the
search token, cutting the title (cleaned), time, size, popularity and magnet
link of every hit into 20 rows per page. Reports wall and CPU time per search.

    bench/engine1_python.py http://127.0.0.1:PORT [--keyword t5000] [--repetitions 5]

Start the simulator first, e.g. `build-*/tools/sitesim/sitesim --demo`, and
pass the http_port it prints.
"""

import argparse
import re
import statistics
import sys
import time
import urllib.error
import urllib.parse
import urllib.request

RESULT = re.compile(
    "target=\"_blank\">(.*?)</dt>\n\t\t\t\t\t\n\t\t\t\t\t<dd class='attr'><span>收录时间:<b>(.*?)"
    "</b></span><span>文件大小:<b>(.*?)</b></span><span>文件数:<b>(.*?)</b></span><span>下载速度:"
    "<b>(.*?)</b></span>&nbsp;&nbsp;<span>人气:<b>(.*?)</b></span><span><a style='color:#777;' "
    "href='(.*?)' >磁力链接</a>",
    re.IGNORECASE | re.MULTILINE)
CHARSET = re.compile(r"<meta.+?charset=[^\w]?([-\w]+)", re.IGNORECASE)
TITLE_MARKUP = ("<b>", "</b>", "</a><sup>Hot</sup>&nbsp;", "</a><sup>New</sup>&nbsp;",
                "<sup>Hot</sup>&nbsp;", "</a>")


class NoRedirect(urllib.request.HTTPRedirectHandler):
    def redirect_request(self, *args, **kwargs):
        return None


def decode(body):
    declared = CHARSET.search(body[:1024].decode("latin-1"))
    charset = declared.group(1) if declared else "gbk"
    try:
        return body.decode(charset, errors="replace")
    except LookupError:
        return body.decode("gbk", errors="replace")


def fetch(url):
    try:
        with urllib.request.urlopen(url, timeout=30) as response:
            return decode(response.read())
    except OSError:
        return ""


def between(text, left, right):
    start = text.find(left)
    if start < 0:
        return ""
    start += len(left)
    end = text.find(right, start)
    return text[start:end] if end >= 0 else ""


def clean(title):
    for markup in TITLE_MARKUP:
        title = title.replace(markup, "")
    return title


def search(site, keyword):
    opener = urllib.request.build_opener(NoRedirect)
    body = "keyword=" + "".join("%%%02X" % b for b in keyword.encode("utf-8"))
    try:
        opener.open(urllib.request.Request(site, data=body.encode("ascii")), timeout=30)
        location = ""
    except urllib.error.HTTPError as answer:
        location = answer.headers.get("Location", "")
    token = between(location, "/search/", "/1")
    first = fetch(location)
    count = between(first, "搜索到", "个BT种子，显示前")
    digits = re.match(r"\d+", count)
    pages = int((int(digits.group(0)) if digits else 0) / 20.0 + 1.0)
    rows = []
    for page in range(1, min(pages - 1, 100) + 1):
        matches = RESULT.findall(fetch("%ssearch/%s/%d/1/0.html" % (site, token, page)))
        for j in range(20):
            hit = matches[j] if j < len(matches) else ("",) * 7
            rows.append((str(len(rows) + 1), clean(hit[0]), hit[1], hit[2], hit[5], hit[6]))
    return rows


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("base", help="the simulator's http base, http://127.0.0.1:PORT")
    parser.add_argument("--keyword", default="t5000")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()
    site = args.base.rstrip("/") + "/e1/"

    walls, cpus = [], []
    for _ in range(args.repetitions):
        wall, cpu = time.perf_counter(), time.process_time()
        rows = search(site, args.keyword)
        walls.append(time.perf_counter() - wall)
        cpus.append(time.process_time() - cpu)
        if len(rows) != 2000 and args.keyword == "t5000":
            sys.exit("the search listed %d rows, not 2000" % len(rows))
    print("python engine 1: %d rows; wall median %.1f ms (min %.1f); cpu median %.1f ms"
          % (len(rows), statistics.median(walls) * 1000, min(walls) * 1000,
             statistics.median(cpus) * 1000))


if __name__ == "__main__":
    main()
