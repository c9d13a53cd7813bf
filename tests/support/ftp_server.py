#!/usr/bin/python3
"""An FTP server for the tests over pyftpdlib (see ftp_server.h for the options).

The chosen port is written to the ready file once the server listens.
"""
import argparse
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--address", default="127.0.0.1")
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--ready-file", required=True)
    parser.add_argument("--no-anonymous", action="store_true")
    parser.add_argument("--refuse-size", type=int, choices=(0, 500, 550), default=0)
    parser.add_argument("--user")
    parser.add_argument("--password", default="")
    parser.add_argument("--connections-per-address", type=int, default=0)
    args = parser.parse_args()

    logging.basicConfig(level=logging.DEBUG, format="%(asctime)s %(message)s")
    authorizer = DummyAuthorizer()
    if not args.no_anonymous:
        authorizer.add_anonymous(args.root)
    if args.user:
        authorizer.add_user(args.user, args.password, args.root, perm="elradfmwMT")

    class Handler(FTPHandler):
        pass

    Handler.authorizer = authorizer
    Handler.banner = "Corvanite test FTP server ready."
    # Refusals come at once: the tests need no brute-force brake.
    Handler.auth_failed_timeout = 0
    if args.refuse_size == 500:
        # The server then cannot tell a file's size: SIZE is an unknown command.
        Handler.proto_cmds = {k: v for k, v in FTPHandler.proto_cmds.items() if k != "SIZE"}
    elif args.refuse_size == 550:
        # Known, but refused for every file, as some servers are set up to answer.
        def ftp_SIZE(self, path):
            self.respond("550 SIZE not allowed.")

        Handler.ftp_SIZE = ftp_SIZE

    server = FTPServer((args.address, args.port), Handler)
    server.max_cons_per_ip = args.connections_per_address
    with open(args.ready_file + ".tmp", "w") as ready:
        ready.write("%d\n" % server.address[1])
    os.rename(args.ready_file + ".tmp", args.ready_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
