#!/usr/bin/env python3
"""A local FTP server for the SMS tests and benchmark.

    ftp_server.py ROOT USER PASSWORD [--read-only]

Serves ROOT on a free localhost port to one user, prints the port on its own
line once it listens, and stops when its standard input closes (the test
that started it has ended or closed the pipe). With --read-only the user may
log in and list but not store files. Every control connection is noted as a
line in ROOT/.connections, so a test can count them.
"""
import os
import sys
import threading

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    root, user, password = sys.argv[1:4]
    perm = "elr" if "--read-only" in sys.argv[4:] else "elradfmw"
    auth = DummyAuthorizer()
    auth.add_user(user, password, root, perm=perm)
    log = os.path.join(root, ".connections")

    class Handler(FTPHandler):
        def on_connect(self):
            with open(log, "a") as f:
                f.write("connect\n")

    handler = Handler
    handler.authorizer = auth
    handler.passive_ports = None
    server = FTPServer(("127.0.0.1", 0), handler)
    server.max_cons = 64
    print(server.address[1], flush=True)

    def watch_stdin():
        sys.stdin.read()
        os._exit(0)

    threading.Thread(target=watch_stdin, daemon=True).start()
    try:
        server.serve_forever(handle_exit=False)
    except Exception:
        pass


if __name__ == "__main__":
    import logging
    logging.disable(logging.CRITICAL)
    main()
