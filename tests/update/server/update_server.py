#!/usr/bin/env python3
"""HTTP server for the update tests: serves well-formed and broken update information files
and misbehaving answers on 127.0.0.1.

  update_server.py start PORT_FILE   starts the server in the background, returns once it listens
  update_server.py stop PORT_FILE    asks it to end
  update_server.py serve PORT_FILE   serves in the foreground

The first path segment chooses the answer, whatever follows it (the update check appends
"/Pathwren/Pathwren.xml" to its server). /version/TEXT/... serves a file announcing version TEXT.
The server also ends by itself after IDLE_SECONDS without a request, so a test run that dies
leaves nothing behind for long.
"""
import http.server
import os
import socket
import socketserver
import struct
import subprocess
import sys
import threading
import time
import urllib.parse
import urllib.request

IDLE_SECONDS = 300
CHANGES = b"Faster menus"


def update_file(version=b"1.4.0", changes=CHANGES):
    return (b"<?xml version=\"1.0\"?>\r\n<PATHWREN>\r\n<PROGRAM_VERSION>" + version +
            b"</PROGRAM_VERSION>\r\n<PROGRAM_CHANGE_INFO>" + changes + b"</PROGRAM_CHANGE_INFO>\r\n</PATHWREN>\r\n")


# Bodies sent with their Content-Length.
FILES = {
    "normal": update_file(),
    "lowercase": b"<program_version>1.4.0-Beta</program_version><program_change_info>Menus</program_change_info>",
    "garbage": bytes(range(256)) * 8,
    "garbage-with-version": b"\x00\x01\xff<PROGRAM_VERSION>2.0</PROGRAM_VERSION>\x00\xfe",
    "no-version": b"<PROGRAM_CHANGE_INFO>Menus</PROGRAM_CHANGE_INFO>",
    "unclosed": b"<PROGRAM_VERSION>1.4.0",
    "closed-first": b"</PROGRAM_VERSION>1.4.0<PROGRAM_VERSION>",
    "empty-changes": b"<PROGRAM_VERSION>1.4.0</PROGRAM_VERSION><PROGRAM_CHANGE_INFO />",
    "no-changes": b"<PROGRAM_VERSION>1.4.0</PROGRAM_VERSION>",
    "huge-version": b"<PROGRAM_VERSION>1.4." + b"7" * 1000000 + b"</PROGRAM_VERSION>",
    "length0": b"",
}


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def headers_only(self, status=200, length=None):
        self.send_response(status)
        self.send_header("Content-Type", "text/xml")
        if length is not None:
            self.send_header("Content-Length", str(length))
        self.send_header("Connection", "close")
        self.end_headers()
        self.wfile.flush()

    def do_GET(self):
        self.server.last_request = time.monotonic()
        segments = urllib.parse.unquote(self.path).split("/")
        case = segments[1] if len(segments) > 1 else ""
        self.close_connection = True
        if case == "shutdown":
            self.headers_only(200, 0)
            threading.Thread(target=self.server.shutdown, daemon=True).start()
        elif case in FILES:
            self.headers_only(200, len(FILES[case]))
            self.wfile.write(FILES[case])
        elif case == "version" and len(segments) > 2:
            body = update_file(segments[2].encode("latin-1"))
            self.headers_only(200, len(body))
            self.wfile.write(body)
        elif case == "slow-redirects" and len(segments) > 2 and segments[2].isdigit():
            # Each hop answers within any single wait; only a limit on the whole check ends the chain.
            hops = int(segments[2])
            time.sleep(0.5)
            if hops == 0:
                self.headers_only(200, len(FILES["normal"]))
                self.wfile.write(FILES["normal"])
            else:
                self.send_response(302)
                self.send_header("Location", "/".join(["", case, str(hops - 1)] + segments[3:]))
                self.send_header("Content-Length", "0")
                self.send_header("Connection", "close")
                self.end_headers()
        elif case == "not-found":
            self.headers_only(404, 9)
            self.wfile.write(b"not found")
        elif case == "no-length":
            # Longer than the first 4096-byte buffer, ending with the connection.
            self.headers_only(200)
            self.wfile.write(update_file(changes=b"x" * 10000))
        elif case in ("length-4294967295", "length-99999999999"):
            self.headers_only(200, int(case.split("-")[1]))
            self.wfile.write(FILES["normal"])
        elif case == "endless":
            self.headers_only(200)
            self.send_until_refused(lambda: b"<PROGRAM_VERSION>" * 4096, 0)
        elif case == "drip":
            self.headers_only(200)
            self.send_until_refused(lambda: b"x", 0.2)
        elif case == "stall-before-headers":
            self.stall()
        elif case == "stall-after-headers":
            self.headers_only(200, 100)
            self.stall()
        elif case == "reset":
            self.headers_only(200, 1000)
            self.wfile.write(b"<PROGRAM_VERSION>" * 6)
            self.wfile.flush()
            # A zero linger time makes close send RST instead of FIN.
            self.connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            self.connection.close()
        else:
            self.headers_only(500, 0)

    def send_until_refused(self, piece, pause):
        deadline = time.monotonic() + 120
        try:
            while time.monotonic() < deadline:
                self.wfile.write(piece())
                self.wfile.flush()
                if pause:
                    time.sleep(pause)
        except OSError:
            pass

    def stall(self):
        # Until the client gives up and closes, or two minutes at most.
        self.connection.settimeout(120)
        try:
            self.connection.recv(1)
        except OSError:
            pass


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def serve(port_file):
    server = Server(("127.0.0.1", 0), Handler)
    server.last_request = time.monotonic()

    def watch_idle():
        while time.monotonic() - server.last_request < IDLE_SECONDS:
            time.sleep(5)
        server.shutdown()

    threading.Thread(target=watch_idle, daemon=True).start()
    with open(port_file + ".tmp", "w") as file:
        file.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()
    # Only its own port file: a server started after this one may have written a new one.
    try:
        with open(port_file) as file:
            if int(file.read()) == server.server_address[1]:
                os.remove(port_file)
    except (OSError, ValueError):
        pass


def start(port_file):
    try:
        os.remove(port_file)
    except OSError:
        pass
    # Detached and without CTest's pipes, or CTest would wait for the server to end.
    subprocess.Popen([sys.executable, os.path.abspath(__file__), "serve", port_file], stdin=subprocess.DEVNULL,
                     stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True, close_fds=True)
    deadline = time.monotonic() + 20
    while not os.path.exists(port_file):
        if time.monotonic() > deadline:
            sys.exit("the update test server did not start")
        time.sleep(0.1)


def stop(port_file):
    try:
        with open(port_file) as file:
            port = int(file.read())
        urllib.request.build_opener(urllib.request.ProxyHandler({})).open(
            "http://127.0.0.1:%d/shutdown" % port, timeout=10).read()
    except (OSError, ValueError):
        return
    # Returns once the server is gone, so that a run started next finds the port file its own.
    deadline = time.monotonic() + 10
    while os.path.exists(port_file) and time.monotonic() < deadline:
        time.sleep(0.1)


if __name__ == "__main__":
    {"start": start, "stop": stop, "serve": serve}[sys.argv[1]](sys.argv[2])
