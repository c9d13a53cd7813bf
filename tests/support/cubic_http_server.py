#!/usr/bin/env python3
"""Serves a folder over HTTP/1.1 with every connection on CUBIC congestion control, so that a
download fills a router's queue as most of the Internet's servers do; logs each connection and
each request line, one a line, to a file.

    cubic_http_server.py FOLDER ADDRESS PORT LOG
"""
import functools
import http.server
import socket
import sys
import threading

folder, address, port, log_path = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
log = open(log_path, "a", buffering=1)
log_lock = threading.Lock()


def note(line):
    with log_lock:
        log.write(line + "\n")


class Handler(http.server.SimpleHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_request(self, code="-", size="-"):
        note("request %s %s" % (self.requestline, code))

    def log_message(self, format, *args):
        pass


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True

    def server_bind(self):
        self.socket.setsockopt(socket.IPPROTO_TCP, socket.TCP_CONGESTION, b"cubic")
        super().server_bind()

    def get_request(self):
        connection, peer = super().get_request()
        connection.setsockopt(socket.IPPROTO_TCP, socket.TCP_CONGESTION, b"cubic")
        note("connection %s" % peer[0])
        return connection, peer


server = Server((address, port), functools.partial(Handler, directory=folder))
print("ready", flush=True)
server.serve_forever()
