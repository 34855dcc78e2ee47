#!/usr/bin/env python3
"""Report endpoint for the demo and the end-to-end tests: HTTPS on a fixed
loopback port, answers every request 200 "ok", and appends one JSON line per
request to --log with the events it carried:

  - the report library's upload (POST /report/client): parts framed as a kind
    byte, a 32-bit big-endian length and the bytes; each "D" part is one
    record (six 32-bit numbers, two texts, ten 64-bit numbers, texts);
  - the HTTP channel (POST /report/clientreport?...&data=JSON): the document.

Each event is {"channel", "step", "code", "value5", "value6", "value7",
"value8"}; for clicks (step 101) "code" is the button number.
"""
import argparse
import http.server
import json
import ssl
import struct
import threading
import urllib.parse


def decode_record(data):
    """Step, ireserve0..9 of one big-endian record."""
    numbers = struct.unpack(">6I", data[:24])
    pos = 24
    for _ in range(2):  # result_info, error_info
        (length,) = struct.unpack(">H", data[pos:pos + 2])
        pos += 2 + length
    reserve = struct.unpack(">10q", data[pos:pos + 80])
    return numbers[4], reserve


def events_from_upload(body):
    events, pos = [], 0
    while pos + 5 <= len(body):
        kind = chr(body[pos])
        (size,) = struct.unpack(">I", body[pos + 1:pos + 5])
        part = body[pos + 5:pos + 5 + size]
        pos += 5 + size
        if kind != "D":
            continue
        step, r = decode_record(part)
        code = r[0] if step == 101 else r[1]
        events.append({"channel": "library", "step": step, "code": code, "value5": r[5], "value6": r[6],
                       "value7": r[7], "value8": r[8]})
    return events


def events_from_query(query):
    data = query.get("data", [None])[0]
    if not data:
        return []
    doc = json.loads(data)
    step = doc.get("step", 0)
    code = doc.get("ireserve0" if step == 101 else "ireserve1", 0)
    if code >= 1 << 63:
        code -= 1 << 64
    return [{"channel": "http", "step": step, "code": code, "value5": doc.get("ireserve5", 0),
             "value6": doc.get("ireserve6", 0), "value7": doc.get("ireserve7", 0), "value8": doc.get("ireserve8", 0)}]


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def handle_any(self):
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length else b""
        url = urllib.parse.urlsplit(self.path)
        # The HTTP channel sends its JSON unescaped; WinHTTP escapes some bytes.
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True)
        try:
            events = events_from_upload(body) if body else events_from_query(query)
        except (ValueError, struct.error):
            events = []
        entry = {"method": self.command, "path": url.path, "body_length": len(body), "events": events}
        with self.server.log_lock:
            with open(self.server.log_path, "a") as f:
                f.write(json.dumps(entry) + "\n")
        reply = b"ok"
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(reply)))
        self.end_headers()
        self.wfile.write(reply)

    do_GET = do_POST = do_PUT = handle_any


def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--port", type=int, required=True)
    ap.add_argument("--certs", required=True, help="folder made by tests/harness/tls/make-certs.sh")
    ap.add_argument("--log", required=True)
    args = ap.parse_args()
    server = http.server.ThreadingHTTPServer(("127.0.0.1", args.port), Handler)
    server.log_path = args.log
    server.log_lock = threading.Lock()
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(args.certs + "/localhost.pem", args.certs + "/localhost.key")
    server.socket = context.wrap_socket(server.socket, server_side=True)
    server.serve_forever()


if __name__ == "__main__":
    main()
