#!/usr/bin/env python3
"""A small local HTTP server for the ad library's tests and the demo.

Binds 127.0.0.1 on the port given (0 or none: one chosen by the system) and
prints "PORT <n>" on its first line of output once it listens. Routes:

  /content/<name>?body=TEXT&lm=HTTP-DATE&ct=TYPE
        200 with the body (default "content of <name>", type text/plain unless
        ct, "html" meaning text/html); with lm, a Last-Modified header, and 304
        when the request's If-Modified-Since equals lm without its " GMT"
  /status/<code>                           that status with a short body
  /redirect?to=URL[&code=302]              a redirect to URL
  /chain/<n>                               n redirects in a row, then 200
  /stall?bytes=N                           headers and N body bytes, then silence
  /big?size=N                              a body of N bytes (Content-Length set)
  /bigchunked?size=N                       the same without Content-Length
  /ad                                      an ad page with the X-Ads-* headers
  /ads/sdk-core-v40.js                     a tiny core script
  /__requests                              JSON list of the requests seen so far
  /__reset                                 forgets them
"""
import argparse
import json
import os
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, urlsplit

LOCK = threading.Lock()
REQUESTS = []
STOP = threading.Event()

CORE_SCRIPT = b"""function ADS_buildAdURL(p) {
  var q = [];
  for (var k in p) q.push(encodeURIComponent(k) + '=' + encodeURIComponent(typeof p[k] === 'string' ? p[k] : JSON.stringify(p[k])));
  return '/ad?' + q.join('&');
}
"""

AD_PAGE = b"""<html><body style="margin:0;background:#204080;color:#fff;font:bold 14px Helvetica">
<a href="http://127.0.0.1/landing?ai=demo" style="color:#fff">Tolvane demo ad</a></body></html>"""


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "adserver/1"

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("adserver: " + (fmt % args) + "\n")

    def record(self):
        with LOCK:
            REQUESTS.append({"method": self.command, "path": self.path,
                             "headers": {k: v for k, v in self.headers.items()}})

    def send_body(self, code, body, headers=None, length=True):
        self.send_response(code)
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        if length:
            self.send_header("Content-Length", str(len(body)))
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        self.end_headers()
        if self.command != "HEAD" and body:
            self.wfile.write(body)

    def do_HEAD(self):
        self.do_GET()

    def do_GET(self):
        parts = urlsplit(self.path)
        query = {k: v[-1] for k, v in parse_qs(parts.query, keep_blank_values=True).items()}
        path = parts.path
        if path == "/__requests":
            with LOCK:
                body = json.dumps(REQUESTS).encode()
            return self.send_body(200, body, {"Content-Type": "application/json"})
        if path == "/__reset":
            with LOCK:
                REQUESTS.clear()
            return self.send_body(200, b"ok")
        self.record()
        if path.startswith("/content/"):
            name = path[len("/content/"):]
            body = query.get("body", "content of " + name).encode()
            ct = query.get("ct", "text/plain")
            if ct == "html":
                ct = "text/html"
            headers = {"Content-Type": ct + "; charset=utf-8"}
            lm = query.get("lm")
            if lm:
                headers["Last-Modified"] = lm
                since = self.headers.get("If-Modified-Since")
                if since is not None and since.strip() == lm.replace("GMT", "").strip():
                    return self.send_body(304, b"", headers)
            return self.send_body(200, body, headers)
        if path.startswith("/status/"):
            try:
                code = int(path[len("/status/"):])
            except ValueError:
                code = 400
            return self.send_body(code, ("status %d" % code).encode())
        if path == "/redirect":
            code = int(query.get("code", "302"))
            return self.send_body(code, b"", {"Location": query.get("to", "/content/end")})
        if path.startswith("/chain/"):
            try:
                n = int(path[len("/chain/"):])
            except ValueError:
                n = 0
            if n <= 0:
                return self.send_body(200, b"end of chain")
            return self.send_body(302, b"", {"Location": "/chain/%d" % (n - 1)})
        if path == "/stall":
            n = int(query.get("bytes", "0"))
            self.send_response(200)
            self.send_header("Content-Length", str(n + 1000))
            self.end_headers()
            self.wfile.write(b"x" * n)
            self.wfile.flush()
            # Keeps the connection open without sending another byte.
            while not STOP.wait(0.2):
                pass
            return
        if path in ("/big", "/bigchunked"):
            size = int(query.get("size", "0"))
            chunk = b"y" * 65536
            self.send_response(200)
            if path == "/big":
                self.send_header("Content-Length", str(size))
            else:
                self.send_header("Connection", "close")
                self.close_connection = True
            self.end_headers()
            sent = 0
            try:
                while sent < size:
                    piece = chunk[: min(len(chunk), size - sent)]
                    self.wfile.write(piece)
                    sent += len(piece)
            except (BrokenPipeError, ConnectionResetError):
                pass
            return
        if path == "/ad":
            return self.send_body(200, AD_PAGE, {
                "Content-Type": "text/html; charset=utf-8",
                "X-Ads-Refresh-Rate": query.get("refresh", "60"),
                "X-Ads-Tracking-Urls": "/content/impression",
                "X-Ads-Click-Tracking-Urls": "/content/click",
            })
        if path == "/ads/sdk-core-v40.js":
            return self.send_body(200, CORE_SCRIPT, {"Content-Type": "application/javascript"})
        return self.send_body(404, b"not found")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--verbose", action="store_true")
    parser.add_argument("--exit-with-parent", action="store_true",
                        help="stop when the process that started the server goes (tests)")
    args = parser.parse_args()
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.verbose = args.verbose
    print("PORT %d" % server.server_address[1], flush=True)
    if args.exit_with_parent:
        parent = os.getppid()

        def watch():
            while not STOP.wait(0.5):
                if os.getppid() != parent:
                    server.shutdown()
                    return
        threading.Thread(target=watch, daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.1)
    except KeyboardInterrupt:
        pass
    finally:
        STOP.set()
        server.server_close()


if __name__ == "__main__":
    main()
