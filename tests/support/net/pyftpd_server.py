"""pyftpdlib server for the network tests: one user, password from the environment, given port and root."""
import logging
import os
import sys

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer


def main():
    port, root, user, passive_low, passive_high = sys.argv[1:6]
    authorizer = DummyAuthorizer()
    authorizer.add_user(user, os.environ["TALLO_TEST_FTP_PASSWORD"], root, perm="elradfmwMT")
    handler = FTPHandler
    handler.authorizer = authorizer
    handler.passive_ports = range(int(passive_low), int(passive_high) + 1)
    # No pause after a failed log-in: the tests refuse log-ins on purpose.
    handler.auth_failed_timeout = 0
    logging.basicConfig(level=logging.WARNING)
    server = FTPServer(("127.0.0.1", int(port)), handler)
    server.serve_forever()


if __name__ == "__main__":
    main()
