"""A PostgreSQL 15 server of the tests' own: Debian's initdb and pg_ctl on a temporary
directory, listening on 127.0.0.1 on a free port (and on a socket in that directory),
with trust authentication for the local user "postgres". Where the tests run as root the
server runs as the system user postgres, which PostgreSQL requires. Without Debian's
server programs the test program ends with status 77 (skipped)."""

import os
import pwd
import shutil
import socket
import subprocess
import sys
import tempfile

from harness import SKIPPED

BIN = "/usr/lib/postgresql/15/bin"


def free_port():
    with socket.socket() as probe:
        probe.bind(("127.0.0.1", 0))
        return probe.getsockname()[1]


class PostgresServer:
    def __init__(self):
        if not os.path.exists(os.path.join(BIN, "pg_ctl")):
            print(f"{BIN}/pg_ctl is missing (scripts/setup --test installs postgresql-15): "
                  f"skipping every test of {sys.argv[0]}", file=sys.stderr)
            sys.exit(SKIPPED)
        self.root = tempfile.mkdtemp(prefix="burrowlight-postgres-")
        self.data = os.path.join(self.root, "data")
        self.port = free_port()
        self.as_postgres = []
        if os.getuid() == 0:
            account = pwd.getpwnam("postgres")
            os.chown(self.root, account.pw_uid, account.pw_gid)
            self.as_postgres = ["runuser", "-u", "postgres", "--"]
        self._run("initdb", "-D", self.data, "-U", "postgres", "--auth=trust", "-E", "UTF8",
                  "--no-sync")
        options = f"-h 127.0.0.1 -p {self.port} -k {self.root} -c fsync=on -c max_connections=200"
        self.options = options
        self.resume()
        self.databases = 0

    def resume(self):
        self._run("pg_ctl", "-D", self.data, "-l", os.path.join(self.root, "log"), "-o",
                  self.options, "-w", "start")

    def halt(self):
        """Stops the server at once, dropping every connection, keeping its data."""
        self._run("pg_ctl", "-D", self.data, "-m", "immediate", "-w", "stop")

    def _run(self, program, *arguments):
        subprocess.run([*self.as_postgres, os.path.join(BIN, program), *arguments], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, cwd=self.root)

    def create_database(self):
        """A fresh, empty database; its postgresql:// address."""
        self.databases += 1
        name = "board%d" % self.databases
        self._run("createdb", "-h", "127.0.0.1", "-p", str(self.port), "-U", "postgres", name)
        return f"postgresql://postgres@127.0.0.1:{self.port}/{name}"

    def query(self, address, sql):
        """The rows of `sql` as psql prints them unaligned, one a line."""
        done = subprocess.run([os.path.join(BIN, "psql"), "-X", "-A", "-t", "-d", address, "-c", sql],
                              check=True, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return done.stdout.decode().splitlines()

    def stop(self):
        try:
            self._run("pg_ctl", "-D", self.data, "-m", "fast", "-w", "stop")
        finally:
            shutil.rmtree(self.root, ignore_errors=True)
