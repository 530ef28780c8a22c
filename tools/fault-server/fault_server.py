#!/usr/bin/env python3
"""HTTP file server for tests that can be told to misbehave, and that records every request.

Start:
    fault_server.py --root DIR [--port-file FILE] [--rules FILE] [--exit-with-parent]

It binds 127.0.0.1 on a free port (port 0), writes the port number as one line to standard
output and, when given, to --port-file (written atomically, so a reader never sees half a
number). It serves the files under --root (created when missing) and answers every request
with "Connection: close". --rules preloads a JSON list of rules (below). --exit-with-parent
ends the server when the process that started it goes away (a safety net for killed test runs).

Files: GET/POST/... of /a/b.bin serves ROOT/a/b.bin (the query is ignored). A "Range:
bytes=A-B" header (also "A-" and "-N") gives 206 with "Content-Range: bytes A-B/TOTAL"; a start
past the end gives 416. A missing file gives 404.

Rules tell the server how to answer requests. They are kept in a list; each request takes the
first rule that matches it and has uses left. Members of a rule (all optional):
    "path"          exact path to match (without the query); default: any path
    "method"        method to match; default: any
    "times"         how many requests the rule serves (default 1, -1 for all)
    "status"        answer this status; with a status other than 200 or 206 no file is read
                    and the body is "body"/"body_hex" or empty
    "body"          UTF-8 text served instead of a file (with the status, default 200)
    "body_hex"      the same as hexadecimal bytes
    "bom"           prefix the served content with EF BB BF (before any range is cut)
    "ignore_range"  answer 200 with the whole content although a Range was asked for
    "close_after"   send the headers (Content-Length of the full answer) and only this many body
                    bytes, then close the connection
    "stall_ms"      after the headers and "stall_after" body bytes, wait this long
    "hold"          after the headers and "stall_after" body bytes, wait until the next
                    POST /_control/release after the request was recorded (at most 60 s)
    "stall_after"   body bytes sent before stalling or holding (default 0)
    "no_content_length"  leave the Content-Length header out
    "headers"       list of extra header lines, sent as given

Control endpoints (never recorded, never subject to rules):
    GET  /_control/log       JSON list of the recorded requests, oldest first:
                             {"method", "target", "path", "version", "request_line",
                              "headers": [raw header lines in order], "body_hex",
                              "tls": true when the connection began with a TLS handshake,
                              "raw_hex": first bytes of a connection that was not HTTP}
    POST /_control/reset     forget rules, log and pending releases (files stay)
    POST /_control/rules     body: one rule or a JSON list of rules, appended to the list
    POST /_control/release   lets every held request that was recorded before it go on
    PUT  /_control/file/P    stores the body as ROOT/P
Control answers are 200 with a JSON body ({"ok": true} unless there is data to return).
"""

import argparse
import json
import os
import socket
import socketserver
import sys
import threading
import time
from urllib.parse import unquote

MAX_HEAD = 65536
HOLD_LIMIT_S = 60.0
REASONS = {200: "OK", 206: "Partial Content", 400: "Bad Request", 404: "Not Found",
           416: "Range Not Satisfiable", 500: "Internal Server Error", 503: "Service Unavailable"}


class State:
    def __init__(self, root, rules):
        self.root = os.path.realpath(root)
        self.lock = threading.Lock()
        self.log = []
        self.rules = list(rules)
        self.release = threading.Condition(self.lock)
        self.generation = 0

    def reset(self):
        with self.lock:
            self.log = []
            self.rules = []
            self.generation += 1
            self.release.notify_all()

    def take_rule(self, method, path):
        with self.lock:
            for rule in self.rules:
                if rule.get("path") not in (None, path):
                    continue
                if rule.get("method") not in (None, method):
                    continue
                left = rule.get("times", 1)
                if left == 0:
                    continue
                if left > 0:
                    rule["times"] = left - 1
                return dict(rule)
        return {}

    def wait_for_release(self, since):
        # since: the generation when the request was recorded, so that a release that comes
        # after a test saw the request in the log always frees it.
        with self.lock:
            self.release.wait_for(lambda: self.generation != since, timeout=HOLD_LIMIT_S)

    def file_path(self, path):
        full = os.path.realpath(os.path.join(self.root, unquote(path).lstrip("/")))
        if full != self.root and not full.startswith(self.root + os.sep):
            return None
        return full


def parse_range(value, total):
    """(start, end inclusive) for a single 'bytes=' range, 'unsatisfiable', or None."""
    value = value.strip()
    if not value.lower().startswith("bytes=") or "," in value:
        return None
    first, _, last = value[6:].strip().partition("-")
    try:
        if first == "":
            count = int(last)
            if count <= 0:
                return "unsatisfiable"
            return max(0, total - count), total - 1
        start = int(first)
        end = int(last) if last != "" else total - 1
    except ValueError:
        return None
    if start >= total or end < start:
        return "unsatisfiable"
    return start, min(end, total - 1)


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.request.settimeout(60)

    def read_head(self):
        data = b""
        while b"\r\n\r\n" not in data and b"\n\n" not in data:
            if len(data) > MAX_HEAD:
                return data, None
            chunk = self.request.recv(4096)
            if not chunk:
                return data, None
            data += chunk
            if data[:1] == b"\x16":
                return data, None
        sep = b"\r\n\r\n" if b"\r\n\r\n" in data else b"\n\n"
        head, _, rest = data.partition(sep)
        return rest, head

    def handle(self):
        state = self.server.state
        try:
            rest, head = self.read_head()
        except OSError:
            return
        if head is None:
            if rest:
                with state.lock:
                    state.log.append({"method": "", "tls": rest[:1] == b"\x16",
                                      "raw_hex": rest[:64].hex().upper()})
            return
        lines = head.decode("latin-1").replace("\r\n", "\n").split("\n")
        request_line = lines[0]
        header_lines = lines[1:]
        parts = request_line.split(" ")
        if len(parts) != 3:
            self.send(400, [], b"bad request line")
            return
        method, target, version = parts
        length = 0
        for line in header_lines:
            name, _, value = line.partition(":")
            if name.strip().lower() == "content-length":
                try:
                    length = int(value.strip())
                except ValueError:
                    length = 0
        body = rest
        try:
            while len(body) < length:
                chunk = self.request.recv(min(65536, length - len(body)))
                if not chunk:
                    break
                body += chunk
        except OSError:
            pass
        body = body[:length]
        path = target.split("?", 1)[0]
        if path.startswith("/_control/"):
            self.control(method, path, body)
            return
        with state.lock:
            state.log.append({"method": method, "target": target, "path": path, "version": version,
                              "request_line": request_line, "headers": header_lines,
                              "body_hex": body.hex().upper(), "tls": False})
            self.generation = state.generation
        self.answer(method, path, header_lines, state.take_rule(method, path))

    def control(self, method, path, body):
        state = self.server.state
        reply = {"ok": True}
        if path == "/_control/log":
            with state.lock:
                reply = list(state.log)
        elif path == "/_control/reset":
            state.reset()
        elif path == "/_control/rules":
            try:
                rules = json.loads(body.decode("utf-8") or "[]")
            except ValueError as error:
                self.send(400, [], str(error).encode())
                return
            if isinstance(rules, dict):
                rules = [rules]
            with state.lock:
                state.rules.extend(rules)
        elif path == "/_control/release":
            with state.lock:
                state.generation += 1
                state.release.notify_all()
        elif path.startswith("/_control/file/") and method == "PUT":
            target = state.file_path(path[len("/_control/file/"):])
            if target is None:
                self.send(400, [], b"path outside the root")
                return
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as out:
                out.write(body)
        else:
            self.send(404, [], b"unknown control")
            return
        self.send(200, ["Content-Type: application/json"], json.dumps(reply).encode("utf-8"))

    def answer(self, method, path, header_lines, rule):
        status = rule.get("status", 200)
        content = None
        if "body" in rule:
            content = rule["body"].encode("utf-8")
        elif "body_hex" in rule:
            content = bytes.fromhex(rule["body_hex"])
        elif status in (200, 206):
            full = self.server.state.file_path(path)
            if full is None or not os.path.isfile(full):
                status, content = 404, b"not found"
            else:
                with open(full, "rb") as f:
                    content = f.read()
        if content is None:
            content = b""
        if rule.get("bom"):
            content = b"\xef\xbb\xbf" + content
        extra = list(rule.get("headers", []))
        if status == 200 and not rule.get("ignore_range"):
            wanted = None
            for line in header_lines:
                name, _, value = line.partition(":")
                if name.strip().lower() == "range":
                    wanted = parse_range(value, len(content))
            if wanted == "unsatisfiable":
                status = 416
                extra.append("Content-Range: bytes */%d" % len(content))
                content = b""
            elif wanted is not None:
                start, end = wanted
                status = 206
                extra.append("Content-Range: bytes %d-%d/%d" % (start, end, len(content)))
                content = content[start:end + 1]
        self.send(status, extra, content, rule)

    def send(self, status, extra, content, rule=None):
        rule = rule or {}
        head = ["HTTP/1.1 %d %s" % (status, REASONS.get(status, "Status"))]
        if not rule.get("no_content_length"):
            head.append("Content-Length: %d" % len(content))
        head.append("Connection: close")
        head.extend(extra)
        try:
            self.request.sendall(("\r\n".join(head) + "\r\n\r\n").encode("latin-1"))
            body = content
            if "close_after" in rule:
                body = content[:int(rule["close_after"])]
            split = int(rule.get("stall_after", 0))
            if rule.get("stall_ms") or rule.get("hold"):
                self.request.sendall(body[:split])
                body = body[split:]
                if rule.get("stall_ms"):
                    time.sleep(float(rule["stall_ms"]) / 1000.0)
                if rule.get("hold"):
                    self.server.state.wait_for_release(self.generation)
            self.request.sendall(body)
        except OSError:
            pass

    def finish(self):
        try:
            self.request.shutdown(socket.SHUT_WR)
        except OSError:
            pass


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def watch_parent(parent):
    while True:
        time.sleep(0.5)
        if os.getppid() != parent:
            os._exit(0)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", required=True, help="folder whose files are served")
    parser.add_argument("--port-file", help="file that receives the port number")
    parser.add_argument("--rules", help="JSON file with a list of rules to start with")
    parser.add_argument("--exit-with-parent", action="store_true", help="end when the starting process ends")
    args = parser.parse_args()

    os.makedirs(args.root, exist_ok=True)
    rules = []
    if args.rules:
        with open(args.rules, encoding="utf-8") as f:
            rules = json.load(f)
    server = Server(("127.0.0.1", 0), Handler)
    server.state = State(args.root, rules)
    port = server.server_address[1]
    if args.port_file:
        temporary = args.port_file + ".part"
        with open(temporary, "w") as f:
            f.write("%d\n" % port)
        os.replace(temporary, args.port_file)
    print(port, flush=True)
    if args.exit_with_parent:
        threading.Thread(target=watch_parent, args=(os.getppid(),), daemon=True).start()
    try:
        server.serve_forever(poll_interval=0.2)
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
