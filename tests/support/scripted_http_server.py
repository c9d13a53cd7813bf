#!/usr/bin/python3
"""A small HTTP server whose answers the tests choose by path (see scripted_http_server.h).

Every request's header block is appended to the log file, exactly as received, before the
answer is sent. The chosen port is written to the ready file once the server listens.
"""
import argparse
import os
import socket
import socketserver
import struct
import threading
import time
import urllib.parse

PERIOD = 251
BLOCK = bytes(i % PERIOD for i in range(PERIOD * 256))
log_lock = threading.Lock()
dropped_lock = threading.Lock()
dropped = set()


def pattern(offset, size):
    """The test pattern: the byte at offset i is i % 251."""
    out = bytearray()
    while size > 0:
        start = offset % PERIOD
        piece = BLOCK[start:start + min(size, len(BLOCK) - start)]
        out += piece
        offset += len(piece)
        size -= len(piece)
    return bytes(out)


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def read_head(self):
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = self.request.recv(65536)
            if not chunk:
                return None
            data += chunk
        return data[: data.index(b"\r\n\r\n") + 4]

    def send(self, data):
        self.request.sendall(data)

    def send_pattern(self, size, offset=0):
        while size > 0:
            n = min(size, 65536)
            self.send(pattern(offset, n))
            offset += n
            size -= n

    def head(self, status, headers):
        reasons = {200: "OK", 206: "Partial Content", 301: "Moved Permanently", 302: "Found",
                   307: "Temporary Redirect", 403: "Forbidden", 404: "Not Found",
                   500: "Internal Server Error"}
        lines = ["HTTP/1.1 %d %s" % (status, reasons.get(status, "Status"))]
        lines += ["%s: %s" % pair for pair in headers]
        self.send(("\r\n".join(lines) + "\r\n\r\n").encode("latin-1"))

    def send_paced(self, size, offset, rate):
        """The pattern at no more than rate bytes a second on this connection (0: at once)."""
        if rate <= 0:
            self.send_pattern(size, offset)
            return
        piece = max(1, min(16384, rate // 20))
        started = time.monotonic()
        sent = 0
        while sent < size:
            n = min(piece, size - sent)
            self.send(pattern(offset + sent, n))
            sent += n
            ahead = sent / rate - (time.monotonic() - started)
            if ahead > 0:
                time.sleep(ahead)

    def ranges(self, raw, query, size):
        """A file that serves byte ranges, each connection capped at `rate` bytes a second.
        wrong=1 answers a range with a Content-Range one byte off; drop=1 resets the first
        connection asked for a range that does not start at 0 halfway through it."""
        rate = int(query.get("rate", "0"))
        asked = None
        for line in raw.decode("latin-1").split("\r\n")[1:]:
            name, _, value = line.partition(":")
            if name.strip().lower() == "range":
                asked = value.strip()
        close = ("Connection", "close")
        if asked is None or not asked.startswith("bytes="):
            self.head(200, [("Content-Length", str(size)), ("Accept-Ranges", "bytes"), close])
            self.send_paced(size, 0, rate)
            return
        first_text, _, last_text = asked[len("bytes="):].partition("-")
        first = int(first_text)
        last = min(int(last_text) if last_text else size - 1, size - 1)
        length = last - first + 1
        shown = first + 1 if query.get("wrong") else first
        self.head(206, [("Content-Length", str(length)),
                        ("Content-Range", "bytes %d-%d/%d" % (shown, last, size)), close])
        if query.get("drop") and first > 0:
            with dropped_lock:
                drop = not dropped
                dropped.add(first)
            if drop:
                self.send_paced(length // 2, first, rate)
                self.reset()
                return
        self.send_paced(length, first, rate)

    def hold(self):
        """Keeps the connection open, sending nothing, until the client goes away."""
        try:
            while self.request.recv(65536):
                pass
        except OSError:
            pass

    def reset(self):
        self.request.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
        self.request.close()

    def handle(self):
        raw = self.read_head()
        if raw is None:
            return
        with log_lock:
            with open(self.server.log_path, "ab") as log:
                log.write(raw)
        target = raw.split(b"\r\n", 1)[0].split(b" ")[1].decode("latin-1")
        url = urllib.parse.urlsplit(target)
        query = dict(urllib.parse.parse_qsl(url.query))
        size = int(query.get("size", "0"))
        close = ("Connection", "close")
        # "/data/f.bin" is "/data": a file name after the answer's own path gives the
        # download a name.
        path = "/" + url.path.split("/")[1]
        if path == "/ranges":
            self.ranges(raw, query, size)
        elif path == "/data":
            self.head(200, [("Content-Length", str(size)), close])
            self.send_pattern(size)
        elif path == "/nolength":
            self.head(200, [close])
            self.send_pattern(size)
        elif path == "/chunked":
            chunk = int(query.get("chunk", "1000"))
            self.head(200, [("Transfer-Encoding", "chunked"), close])
            offset = 0
            while offset < size:
                n = min(chunk, size - offset)
                self.send(b"%x\r\n" % n + pattern(offset, n) + b"\r\n")
                offset += n
            self.send(b"0\r\n\r\n")
        elif path in ("/drop", "/stall", "/length"):
            length = query.get("length", str(size))
            after = int(query.get("after", query.get("send", "0")))
            self.head(200, [("Content-Length", length), close])
            self.send_pattern(after)
            if path == "/drop":
                self.reset()
                return
            self.hold()
        elif path == "/paced":
            # Nothing for `wait` ms; then the headers and the first F bytes in one send; then
            # N chunks of C bytes, each after a pause of `delay` ms.
            first = int(query.get("first", "0"))
            chunk = int(query.get("chunk", "0"))
            count = int(query.get("count", "0"))
            time.sleep(int(query.get("wait", "0")) / 1000.0)
            head = "HTTP/1.1 200 OK\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % (
                first + chunk * count)
            self.send(head.encode("latin-1") + pattern(0, first))
            offset = first
            for _ in range(count):
                time.sleep(int(query.get("delay", "0")) / 1000.0)
                self.send(pattern(offset, chunk))
                offset += chunk
        elif path == "/gated":
            # `after` bytes, then the rest once the file `gate` exists; a gate that stays shut
            # for a minute cuts the body short.
            after = int(query.get("after", "0"))
            self.head(200, [("Content-Length", str(size)), close])
            self.send_pattern(after)
            deadline = time.monotonic() + 60
            while not os.path.exists(query.get("gate", "")):
                if time.monotonic() > deadline:
                    self.reset()
                    return
                time.sleep(0.01)
            self.send_pattern(size - after, after)
        elif path == "/stallheaders":
            self.hold()
        elif path == "/status":
            code = int(query.get("code", "404"))
            body = ("status %d body\n" % code).encode()
            self.head(code, [("Content-Length", str(len(body))), close])
            self.send(body)
        elif path == "/redirect":
            code = int(query.get("code", "302"))
            self.head(code, [("Location", query.get("to", "/")), ("Content-Length", "0"), close])
        elif path == "/loop":
            n = int(query.get("n", "0"))
            self.head(302, [("Location", "/loop?n=%d" % (n + 1)), ("Content-Length", "0"),
                            close])
        else:
            body = b"no such path\n"
            self.head(404, [("Content-Length", str(len(body))), close])
            self.send(body)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True
    request_queue_size = 64


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--log-file", required=True)
    args = parser.parse_args()
    server = Server((args.address, args.port), Handler)
    server.log_path = args.log_file
    open(args.log_file, "ab").close()
    with open(args.ready_file + ".tmp", "w") as ready:
        ready.write("%d\n" % server.server_address[1])
    os.rename(args.ready_file + ".tmp", args.ready_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
