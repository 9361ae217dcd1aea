"""SFTP server for the network tests (paramiko): one user with a password from the environment, a host key
from a file, files under a root folder. Prints the port it listens on; logs every log-in attempt."""
import os
import socket
import sys
import threading

import paramiko
from paramiko import SFTPAttributes, SFTPHandle, SFTPServer, SFTPServerInterface, ServerInterface

ROOT = ""
LOG = ""


def log(line):
    with open(LOG, "a") as out:
        out.write(line + "\n")


class Accounts(ServerInterface):
    def __init__(self, user, password):
        self.user, self.password = user, password

    def get_allowed_auths(self, username):
        return "password"

    def check_auth_password(self, username, password):
        log("auth " + username)
        ok = username == self.user and password == self.password
        return paramiko.AUTH_SUCCESSFUL if ok else paramiko.AUTH_FAILED

    def check_channel_request(self, kind, chanid):
        return paramiko.OPEN_SUCCEEDED if kind == "session" else paramiko.OPEN_FAILED_ADMINISTRATIVELY_PROHIBITED


class Handle(SFTPHandle):
    def stat(self):
        return SFTPAttributes.from_stat(os.fstat(self.filehandle.fileno()))


class Files(SFTPServerInterface):
    def _local(self, path):
        return os.path.join(ROOT, self.canonicalize(path).lstrip("/"))

    def stat(self, path):
        try:
            return SFTPAttributes.from_stat(os.stat(self._local(path)))
        except OSError as e:
            return SFTPServer.convert_errno(e.errno)

    lstat = stat

    def open(self, path, flags, attr):
        try:
            fd = os.open(self._local(path), flags, 0o644)
            handle = Handle(flags)
            handle.filehandle = handle.writefile = handle.readfile = os.fdopen(fd, "r+b" if flags & os.O_RDWR else
                                                                                ("wb" if flags & os.O_WRONLY else "rb"))
            return handle
        except OSError as e:
            return SFTPServer.convert_errno(e.errno)

    def list_folder(self, path):
        try:
            folder = self._local(path)
            entries = []
            for name in os.listdir(folder):
                attributes = SFTPAttributes.from_stat(os.lstat(os.path.join(folder, name)))
                attributes.filename = name
                entries.append(attributes)
            return entries
        except OSError as e:
            return SFTPServer.convert_errno(e.errno)

    def _call(self, action, *paths):
        try:
            action(*[self._local(path) for path in paths])
            return paramiko.SFTP_OK
        except OSError as e:
            return SFTPServer.convert_errno(e.errno)

    def remove(self, path):
        return self._call(os.remove, path)

    def rename(self, old, new):
        # Plain SFTP renames only to a free name.
        if os.path.exists(self._local(new)):
            return paramiko.SFTP_FAILURE
        return self._call(os.rename, old, new)

    def posix_rename(self, old, new):
        return self._call(os.replace, old, new)

    def mkdir(self, path, attr):
        return self._call(lambda local: os.mkdir(local, 0o755), path)

    def rmdir(self, path):
        return self._call(os.rmdir, path)


def serve(connection, key, accounts):
    transport = paramiko.Transport(connection)
    transport.add_server_key(key)
    transport.set_subsystem_handler("sftp", SFTPServer, Files)
    try:
        transport.start_server(server=accounts)
        while transport.is_active():
            transport.join(1)
    except Exception as error:  # a client that hangs up early is no failure of the server
        log("error " + str(error))


def main():
    global ROOT, LOG
    ROOT, key_path, user, LOG = sys.argv[1:5]
    key = paramiko.Ed25519Key(filename=key_path)
    accounts = Accounts(user, os.environ["TALLO_TEST_SFTP_PASSWORD"])
    listener = socket.socket()
    listener.bind(("127.0.0.1", 0))
    listener.listen(8)
    print(listener.getsockname()[1], flush=True)
    while True:
        connection, _ = listener.accept()
        threading.Thread(target=serve, args=(connection, key, accounts), daemon=True).start()


if __name__ == "__main__":
    main()
