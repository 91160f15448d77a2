#!/usr/bin/env python3
"""The loop of bench/web_request_bench.cpp in plain Python 3 with urllib.

Makes 200 GETs of the simulator's 60 KB page one after the other and prints
requests per second (best and median of the repetitions), over HTTP and, when
an HTTPS port and the CA file are given, over HTTPS.

    bench/web_request_python.py HTTP_PORT [--https-port N --ca FILE] [--repetitions 5]

Start the simulator first, e.g. `build-*/tools/sitesim/sitesim --demo`, and
pass the ports and ca_file it prints.
"""

import argparse
import ssl
import statistics
import sys
import time
import urllib.request

PAGE = "/page/sized?bytes=61440"
REQUESTS = 200


def loop(url, opener):
    """Requests per second (wall) and this process's CPU milliseconds per request."""
    start = time.perf_counter()
    cpu_start = time.process_time()
    for _ in range(REQUESTS):
        with opener.open(url) as response:
            body = response.read()
        if len(body) != 61440:
            sys.exit(f"{url}: got {len(body)} bytes")
    cpu = time.process_time() - cpu_start
    return REQUESTS / (time.perf_counter() - start), cpu * 1000 / REQUESTS


def measure(name, url, context, repetitions):
    # No proxy from the environment, as WebRequest uses none unless told.
    handlers = [urllib.request.ProxyHandler({})]
    if context is not None:
        handlers.append(urllib.request.HTTPSHandler(context=context))
    opener = urllib.request.build_opener(*handlers)
    runs = [loop(url, opener) for _ in range(repetitions)]
    rates = [rate for rate, _ in runs]
    cpu = statistics.median(cpu for _, cpu in runs)
    print(f"{name}: {max(rates):.0f} requests/s best, {statistics.median(rates):.0f} median, "
          f"{cpu:.3f} ms CPU per request ({repetitions} x {REQUESTS} GETs of 60 KB)")


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("http_port", type=int)
    parser.add_argument("--https-port", type=int)
    parser.add_argument("--ca", help="the simulator's ca.pem (needed for HTTPS)")
    parser.add_argument("--repetitions", type=int, default=5)
    args = parser.parse_args()

    measure("urllib http", f"http://127.0.0.1:{args.http_port}{PAGE}", None, args.repetitions)
    if args.https_port and args.ca:
        context = ssl.create_default_context(cafile=args.ca)
        measure("urllib https", f"https://127.0.0.1:{args.https_port}{PAGE}", context,
                args.repetitions)


if __name__ == "__main__":
    main()
