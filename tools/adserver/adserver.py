#!/usr/bin/env python3
"""Tolvane's local ad network: the core script, rotating house ads, landing
pages and tracking counters, on 127.0.0.1, for the demo and the tests.

Binds 127.0.0.1 on the port given (0 or none: one chosen by the system) and
prints "PORT <n>" on its first line of output once it listens.

The ad network (files in resources/ads, or --resources DIR):

  GET  /ads/sdk-core-v40.js     the core script; Last-Modified is the file's
                                time, and an If-Modified-Since not older
                                than it gets 304
  POST /ads/build               the core script's question: the request
                                parameters as JSON in, {"action": "loadAdURL",
                                "url", "type"} or {"action": "invalidRequest"
                                | "unableToServe", "reason"} out
  GET  /ads/banner?ad=ID&rid=N&slot=S&...
                                the ad HTML, with X-Ads-Refresh-Rate,
                                X-Ads-Tracking-Urls and (for ads that have
                                them) X-Ads-Click-Tracking-Urls; 400 when the
                                slot is not 15 lowercase hex digits
  GET  /track/<kind>?ad=ID&rid=N
                                counts a hit ("impression", "click", ...)
  GET  /landing/webapp, /landing/browser, /landing/browser/more
                                landing pages (counted)
  GET  /stats                   JSON: the mode, hits per route, tracking hits
                                per kind and ad, the last ads served

House ads rotate in the order of house-ads.json, one step per ad built.

Failure modes (--fail MODE for the whole run; GET /__mode?fail=MODE to change
it, with slow=SECONDS, refresh=SECONDS and pin=AD likewise):

  none      ads are served
  400       /ads/banner answers 400 (parameters rejected)
  500       /ads/banner answers 500
  empty     /ads/banner answers 200 with nothing but white space
  invalid   /ads/build answers invalidRequest
  unable    /ads/build answers unableToServe
  slow      /ads/banner answers after --slow-seconds
  hang      /ads/banner serves an ad whose picture never arrives, so that
            its page never finishes loading
  core      /ads/sdk-core-v40.js answers 503

Helpers for the platform's own tests:

  /content/<name>?body=TEXT&lm=HTTP-DATE&ct=TYPE
                                200 with the body (default "content of
                                <name>", type text/plain unless ct, "html"
                                meaning text/html); with lm, a Last-Modified
                                header, and 304 when the request's
                                If-Modified-Since equals lm without its " GMT"
  /status/<code>                that status with a short body
  /redirect?to=URL[&code=302]   a redirect to URL
  /chain/<n>                    n redirects in a row, then 200
  /badgzip                      200 with a gzip body that breaks off into garbage
  /stall?bytes=N                headers and N body bytes, then silence
  /big?size=N                   a body of N bytes (Content-Length set)
  /bigchunked?size=N            the same without Content-Length
  /__requests                   JSON list of the requests seen so far
  /__reset                      forgets them, zeroes the counters and the
                                rotation, and restores the run's mode
"""
import argparse
import email.utils
import json
import os
import re
import sys
import threading
import time
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer
from urllib.parse import parse_qs, quote, urlencode, urlsplit

LOCK = threading.Lock()
REQUESTS = []
STOP = threading.Event()

FAIL_MODES = ("none", "400", "500", "empty", "invalid", "unable", "slow", "hang", "core")
SLOT_PATTERN = re.compile(r"^[0-9a-f]{15}$")
MAX_BODY = 1 << 20
SERVED_KEPT = 50
REQUESTS_KEPT = 5000


class Network:
    """The ad network's state: house ads, the mode, counters. Guarded by LOCK."""

    def __init__(self, resources, defaults):
        self.resources = resources
        self.defaults = dict(defaults)
        with open(os.path.join(resources, "house-ads.json"), encoding="utf-8") as f:
            self.ads = json.load(f)["ads"]
        if not self.ads:
            raise SystemExit("adserver: no house ads in " + resources)
        for ad in self.ads:
            with open(os.path.join(resources, ad["file"]), encoding="utf-8") as f:
                ad["html"] = f.read()
        self.reset()

    def reset(self):
        self.mode = dict(self.defaults)
        self.rotation = 0
        self.next_rid = 1
        self.hits = {}
        self.tracking = {}
        self.served = []

    def count(self, route):
        self.hits[route] = self.hits.get(route, 0) + 1

    def ad(self, ad_id):
        for ad in self.ads:
            if ad["id"] == ad_id:
                return ad
        return None

    def next_ad(self):
        pinned = self.ad(self.mode.get("pin") or "")
        if pinned:
            return pinned
        ad = self.ads[self.rotation % len(self.ads)]
        self.rotation += 1
        return ad

    def stats(self):
        return {"mode": self.mode, "hits": self.hits, "tracking": self.tracking, "served": self.served}


def http_date(seconds):
    return email.utils.formatdate(seconds, usegmt=True)


def parse_http_date(text):
    """Seconds since 1970, or None. Accepts the date with or without " GMT"."""
    text = (text or "").strip()
    if not text:
        return None
    if not text.endswith("GMT"):
        text += " GMT"
    try:
        return email.utils.parsedate_to_datetime(text).timestamp()
    except (TypeError, ValueError, IndexError, OverflowError):
        return None


class Handler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "adserver/2"
    # Headers and body leave in two writes; with Nagle's algorithm the body
    # waits for the client's delayed acknowledgement, 40 ms on a kept-alive
    # connection, which would make every loopback round trip look slow.
    disable_nagle_algorithm = True

    def log_message(self, fmt, *args):
        if self.server.verbose:
            sys.stderr.write("adserver: " + (fmt % args) + "\n")

    @property
    def network(self):
        return self.server.network

    def origin(self):
        host = self.headers.get("Host") or "127.0.0.1:%d" % self.server.server_address[1]
        return "http://" + host

    def record(self, body=None):
        entry = {"method": self.command, "path": self.path, "headers": {k: v for k, v in self.headers.items()}}
        if body is not None:
            entry["body"] = body.decode("utf-8", "replace")
        with LOCK:
            REQUESTS.append(entry)
            del REQUESTS[:-REQUESTS_KEPT]

    def send_body(self, code, body, headers=None, length=True):
        if isinstance(body, str):
            body = body.encode("utf-8")
        self.send_response(code)
        for k, v in (headers or {}).items():
            self.send_header(k, v)
        if length:
            self.send_header("Content-Length", str(len(body)))
        else:
            self.send_header("Connection", "close")
            self.close_connection = True
        try:
            self.end_headers()
            if self.command != "HEAD" and body:
                self.wfile.write(body)
        except (BrokenPipeError, ConnectionResetError):
            # The client went away (a banner released mid-download).
            self.close_connection = True

    def send_json(self, code, value):
        return self.send_body(code, json.dumps(value), {"Content-Type": "application/json", "Cache-Control": "no-store"})

    def wait(self, seconds):
        """Sleeps, but not past the server's shutdown."""
        STOP.wait(max(0.0, seconds))

    def do_HEAD(self):
        self.do_GET()

    def do_POST(self):
        parts = urlsplit(self.path)
        try:
            length = int(self.headers.get("Content-Length") or 0)
        except ValueError:
            length = -1
        if length < 0 or length > MAX_BODY:
            self.record()
            self.close_connection = True
            return self.send_json(413, {"action": "invalidRequest", "reason": "request too large"})
        body = self.rfile.read(length) if length else b""
        self.record(body)
        if parts.path == "/ads/build":
            return self.build(body)
        return self.send_body(404, b"not found")

    def do_GET(self):
        parts = urlsplit(self.path)
        query = {k: v[-1] for k, v in parse_qs(parts.query, keep_blank_values=True).items()}
        path = parts.path
        if path == "/__requests":
            with LOCK:
                body = json.dumps(REQUESTS)
            return self.send_body(200, body, {"Content-Type": "application/json"})
        if path == "/__reset":
            with LOCK:
                REQUESTS.clear()
                self.network.reset()
            return self.send_body(200, b"ok")
        if path == "/__mode":
            return self.set_mode(query)
        if path == "/stats":
            with LOCK:
                body = json.dumps(self.network.stats())
            return self.send_body(200, body, {"Content-Type": "application/json", "Cache-Control": "no-store"})
        self.record()
        if path == "/ads/sdk-core-v40.js":
            return self.core_script()
        if path == "/ads/banner":
            return self.banner(query)
        if path.startswith("/track/"):
            return self.track(path[len("/track/"):], query)
        if path in ("/landing/webapp", "/landing/browser", "/landing/browser/more"):
            return self.landing(path, query)
        return self.helper(path, query)

    # ---- the ad network

    def set_mode(self, query):
        net = self.network
        with LOCK:
            mode = dict(net.mode)
            if "fail" in query:
                if query["fail"] not in FAIL_MODES:
                    return self.send_json(400, {"error": "fail must be one of " + ", ".join(FAIL_MODES)})
                mode["fail"] = query["fail"]
            for key in ("slow", "refresh"):
                if key in query:
                    try:
                        value = float(query[key])
                    except ValueError:
                        value = -1
                    if not 0 <= value <= 3600:
                        return self.send_json(400, {"error": key + " must be seconds between 0 and 3600"})
                    mode[key] = value
            if "pin" in query:
                if query["pin"] and not net.ad(query["pin"]):
                    return self.send_json(400, {"error": "no house ad " + query["pin"]})
                mode["pin"] = query["pin"]
            net.mode = mode
            return self.send_json(200, mode)

    def core_script(self):
        net = self.network
        with LOCK:
            fail = net.mode["fail"]
            net.count("core")
        if fail == "core":
            return self.send_body(503, b"core script unavailable", {"Content-Type": "text/plain"})
        path = os.path.join(net.resources, "sdk-core-v40.js")
        try:
            with open(path, "rb") as f:
                body = f.read()
            modified = int(os.stat(path).st_mtime)
        except OSError:
            return self.send_body(500, b"core script missing", {"Content-Type": "text/plain"})
        headers = {"Content-Type": "application/javascript; charset=utf-8", "Last-Modified": http_date(modified)}
        since = parse_http_date(self.headers.get("If-Modified-Since"))
        if since is not None and since >= modified:
            with LOCK:
                net.count("core_not_modified")
            return self.send_body(304, b"", headers)
        return self.send_body(200, body, headers)

    def build(self, body):
        net = self.network
        with LOCK:
            net.count("build")
            fail = net.mode["fail"]
        try:
            params = json.loads(body.decode("utf-8"))
        except (UnicodeDecodeError, ValueError):
            params = None
        if not isinstance(params, dict):
            return self.send_json(400, {"action": "invalidRequest", "reason": "the parameters are not a JSON object"})
        slot = params.get("slotname")
        if not isinstance(slot, str) or not SLOT_PATTERN.match(slot):
            return self.send_json(400, {"action": "invalidRequest", "reason": "slotname must be 15 lowercase hexadecimal digits"})
        if fail == "invalid":
            return self.send_json(200, {"action": "invalidRequest", "reason": "the ad server refuses this request (failure mode)"})
        if fail == "unable":
            return self.send_json(200, {"action": "unableToServe", "reason": "no ad fits this request (failure mode)"})
        with LOCK:
            ad = net.next_ad()
            rid = net.next_rid
            net.next_rid += 1
        fields = {"ad": ad["id"], "rid": rid, "slot": slot}
        preqs = params.get("preqs")
        if isinstance(preqs, (int, float)) and not isinstance(preqs, bool):
            fields["preqs"] = int(preqs)
        frame = params.get("ad_frame")
        if isinstance(frame, dict):
            for key in ("w", "h"):
                if isinstance(frame.get(key), (int, float)):
                    fields[key] = int(frame[key])
        url = self.origin() + "/ads/banner?" + urlencode(fields)
        return self.send_json(200, {"action": "loadAdURL", "url": url, "type": ad.get("type", "")})

    def banner(self, query):
        net = self.network
        with LOCK:
            net.count("banner")
            mode = dict(net.mode)
        refresh = mode["refresh"]
        refresh_text = ("%g" % refresh) if refresh else ""
        base_headers = {"Cache-Control": "no-store"}
        if refresh_text:
            base_headers["X-Ads-Refresh-Rate"] = refresh_text
        if not SLOT_PATTERN.match(query.get("slot", "")):
            return self.send_body(400, b"bad slot", dict(base_headers, **{"Content-Type": "text/plain"}))
        fail = mode["fail"]
        if fail == "400":
            return self.send_body(400, b"parameters rejected (failure mode)", dict(base_headers, **{"Content-Type": "text/plain"}))
        if fail == "500":
            return self.send_body(500, b"server error (failure mode)", dict(base_headers, **{"Content-Type": "text/plain"}))
        if fail == "slow":
            self.wait(mode["slow"])
        ad = net.ad(query.get("ad", ""))
        if ad is None:
            return self.send_body(404, b"no such ad", dict(base_headers, **{"Content-Type": "text/plain"}))
        rid = query.get("rid", "0")
        if not rid.isdigit():
            rid = "0"
        origin = self.origin()
        headers = dict(base_headers, **{"Content-Type": "text/html; charset=utf-8"})
        ping = urlencode({"ad": ad["id"], "rid": rid})
        headers["X-Ads-Tracking-Urls"] = origin + "/track/impression?" + ping
        if ad.get("clickTracking"):
            headers["X-Ads-Click-Tracking-Urls"] = origin + "/track/click?" + ping
        if fail == "empty":
            return self.send_body(200, b" \n\t \n", headers)
        landing = ad["landing"]
        if landing.startswith("/"):
            landing = origin + landing
        html = (ad["html"].replace("{{LANDING}}", html_escape(landing))
                .replace("{{AD}}", html_escape(ad["id"]))
                .replace("{{RID}}", html_escape(rid)))
        if fail == "hang":
            html = html.replace("</body>", '<img src="/stall?bytes=0" alt=""></body>', 1)
        with LOCK:
            net.served.append({"rid": int(rid), "ad": ad["id"], "slot": query.get("slot"),
                               "preqs": query.get("preqs"), "time": time.time()})
            del net.served[:-SERVED_KEPT]
        return self.send_body(200, html, headers)

    def track(self, kind, query):
        net = self.network
        if not re.match(r"^[a-z0-9_-]{1,40}$", kind):
            return self.send_body(404, b"not found")
        ad = query.get("ad", "")[:40] or "-"
        with LOCK:
            net.count("track")
            per_ad = net.tracking.setdefault(kind, {})
            per_ad[ad] = per_ad.get(ad, 0) + 1
        return self.send_body(200, b"ok", {"Content-Type": "text/plain", "Cache-Control": "no-store"})

    def landing(self, path, query):
        net = self.network
        files = {"/landing/webapp": "landing-webapp.html", "/landing/browser": "landing-browser.html",
                 "/landing/browser/more": "landing-more.html"}
        with LOCK:
            net.count(path.strip("/").replace("/", "_"))
        try:
            with open(os.path.join(net.resources, files[path]), encoding="utf-8") as f:
                html = f.read()
        except OSError:
            return self.send_body(500, b"landing page missing", {"Content-Type": "text/plain"})
        html = html.replace("{{AD}}", quote(query.get("ad", "")[:40], safe=""))
        return self.send_body(200, html, {"Content-Type": "text/html; charset=utf-8"})

    # ---- helpers for the platform's tests

    def helper(self, path, query):
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
            if not 200 <= code <= 599:
                code = 400
            return self.send_body(code, ("status %d" % code).encode())
        if path == "/redirect":
            try:
                code = int(query.get("code", "302"))
            except ValueError:
                code = 302
            return self.send_body(code, b"", {"Location": query.get("to", "/content/end")})
        if path.startswith("/chain/"):
            try:
                n = int(path[len("/chain/"):])
            except ValueError:
                n = 0
            if n <= 0:
                return self.send_body(200, b"end of chain")
            return self.send_body(302, b"", {"Location": "/chain/%d" % (n - 1)})
        if path == "/badgzip":
            # A gzip stream that breaks off into garbage partway: the
            # client sees a 200 whose body cannot be decoded.
            import gzip
            good = gzip.compress(b"x" * 4000)
            return self.send_body(200, good[:40] + b"\x00garbage" * 50,
                                  {"Content-Type": "text/plain", "Content-Encoding": "gzip"})
        if path == "/stall":
            n = int(query.get("bytes", "0") or 0)
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
            size = int(query.get("size", "0") or 0)
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
        return self.send_body(404, b"not found")


def html_escape(text):
    return (text.replace("&", "&amp;").replace("<", "&lt;").replace(">", "&gt;")
            .replace('"', "&quot;").replace("'", "&#39;"))


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--verbose", action="store_true")
    parser.add_argument("--exit-with-parent", action="store_true",
                        help="stop when the process that started the server goes (tests)")
    parser.add_argument("--resources", default=os.path.join(here, "..", "..", "resources", "ads"),
                        help="folder of the core script, house ads and landing pages")
    parser.add_argument("--fail", choices=FAIL_MODES, default="none", help="failure mode of this run")
    parser.add_argument("--slow-seconds", type=float, default=5.0, help="delay of the slow mode")
    parser.add_argument("--refresh", type=float, default=30.0,
                        help="X-Ads-Refresh-Rate of the ads served, in seconds (0: no header)")
    parser.add_argument("--pin", default="", help="serve only this house ad")
    args = parser.parse_args()
    network = Network(os.path.normpath(args.resources),
                      {"fail": args.fail, "slow": args.slow_seconds, "refresh": args.refresh, "pin": args.pin})
    if args.pin and not network.ad(args.pin):
        parser.error("no house ad " + args.pin)
    server = ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.daemon_threads = True
    server.verbose = args.verbose
    server.network = network
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
