#!/usr/bin/env python3
"""Baseline for regex_bench: the same extraction with Python's re on the same
page. Per page: decode the GBK bytes, findall with engine 1's result pattern
(IGNORECASE | MULTILINE, "." not crossing a line feed), and turn every captured
group back into GBK bytes. Prints pages per second of CPU time.

    python3 bench/regex_python.py [PAGE] [--seconds N]
"""

import argparse
import re
import time
from pathlib import Path

# Engine 1's result pattern as the site prints it; must stay byte-identical to
# the one the program uses (its GBK length is 286).
PATTERN = (
    "target=\"_blank\">(.*?)</dt>\n"
    "\t\t\t\t\t\n"
    "\t\t\t\t\t<dd class='attr'><span>收录时间:<b>(.*?)</b></span><span>文件大小:<b>(.*?)</b>"
    "</span><span>文件数:<b>(.*?)</b></span><span>下载速度:<b>(.*?)</b></span>&nbsp;&nbsp;"
    "<span>人气:<b>(.*?)</b></span><span><a style='color:#777;' href='(.*?)' >磁力链接</a>"
)
assert len(PATTERN.encode("gbk")) == 286


def extract(regex, page_bytes):
    text = page_bytes.decode("gbk")
    return [[group.encode("gbk") for group in hit] for hit in regex.findall(text)]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("page", nargs="?",
                        default=Path(__file__).resolve().parent / "fixtures" / "engine1_page.html")
    parser.add_argument("--seconds", type=float, default=3.0)
    args = parser.parse_args()

    page = Path(args.page).read_bytes()
    regex = re.compile(PATTERN, re.IGNORECASE | re.MULTILINE)
    hits = extract(regex, page)
    if len(hits) != 20:
        raise SystemExit(f"expected 20 hits, found {len(hits)}")

    # CPU time of this process, like the CPU column of Google Benchmark, so a
    # busy machine does not skew the comparison.
    pages = 0
    start = time.process_time()
    deadline = start + args.seconds
    while True:
        for _ in range(20):
            extract(regex, page)
        pages += 20
        now = time.process_time()
        if now >= deadline:
            break
    elapsed = now - start
    print(f"python re: {len(page)} byte page, 20 hits x 7 groups: "
          f"{pages / elapsed:.0f} pages/s ({elapsed / pages * 1e6:.1f} us/page)")


if __name__ == "__main__":
    main()
