#!/usr/bin/python3
"""A gopher server for the tests (see gopher_server.h): the selector names a file under the
root, which is sent as it is; the connection's close ends it.

Every selector is appended to the log file, one a line, before the answer goes out. The chosen
port is written to the ready file once the server listens.
"""
import argparse
import os
import socketserver
import threading

log_lock = threading.Lock()


class Handler(socketserver.StreamRequestHandler):
    def handle(self):
        selector = self.rfile.readline(4096).rstrip(b"\r\n").decode("latin-1")
        with log_lock:
            with open(self.server.log_path, "a", encoding="latin-1") as log:
                log.write(selector + "\n")
        root = self.server.root
        path = os.path.realpath(os.path.join(root, selector.lstrip("/")))
        if not path.startswith(root + os.sep) or not os.path.isfile(path):
            self.wfile.write(b"3no such selector\t\terror.host\t1\r\n.\r\n")
            return
        with open(path, "rb") as served:
            while True:
                block = served.read(65536)
                if not block:
                    break
                self.wfile.write(block)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--log-file", required=True)
    args = parser.parse_args()
    server = Server(("127.0.0.1", 0), Handler)
    server.root = os.path.realpath(args.root)
    server.log_path = args.log_file
    open(args.log_file, "a").close()
    with open(args.ready_file + ".tmp", "w") as ready:
        ready.write("%d\n" % server.server_address[1])
    os.rename(args.ready_file + ".tmp", args.ready_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
