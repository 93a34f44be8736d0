#!/usr/bin/env python3
"""A local HTTP server for the internet commands' Windows tests, on 127.0.0.1 only.

  serve.py start STATE_DIR   starts it in the background; writes STATE_DIR/port and pid
  serve.py stop STATE_DIR    stops the server that start left there

Paths: /file.bin (100000 known bytes with their length, sent in pieces), /redirect
(302 to /file.bin), /loop (302 to itself), /missing (404), /cut (announces 100000
bytes, sends 1000 and closes), /slow (no length, 1000 bytes every 50 ms for 30 s),
/check.txt, and POST /post, whose body is written to STATE_DIR/posted.

The same paths are also served over TLS on STATE_DIR/tlsport, as "localhost", with a
certificate from a test CA made at start (STATE_DIR/ca.der, which a client trusts only
when its test adds it to the root store).
"""
import http.server
import os
import signal
import socketserver
import ssl
import subprocess
import threading
import sys
import time

FILE = bytes((i * 7 + 3) % 251 for i in range(100000))


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.0"
    state_dir = "."

    def log_message(self, *args):
        pass

    def reply(self, status, body=b"", headers=()):
        self.send_response(status)
        for name, value in headers:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        if self.path == "/file.bin":
            self.send_response(200)
            self.send_header("Content-Length", str(len(FILE)))
            self.end_headers()
            for at in range(0, len(FILE), 10000):
                self.wfile.write(FILE[at:at + 10000])
                self.wfile.flush()
                time.sleep(0.01)
        elif self.path == "/redirect":
            self.reply(302, headers=[("Location", "/file.bin")])
        elif self.path == "/loop":
            self.reply(302, headers=[("Location", "/loop")])
        elif self.path == "/cut":
            self.send_response(200)
            self.send_header("Content-Length", "100000")
            self.end_headers()
            self.wfile.write(FILE[:1000])
        elif self.path == "/slow":
            self.send_response(200)
            self.end_headers()
            try:
                for _ in range(600):
                    self.wfile.write(FILE[:1000])
                    self.wfile.flush()
                    time.sleep(0.05)
            except OSError:
                pass
        elif self.path == "/check.txt":
            self.reply(200, b"OK", [("Content-Length", "2")])
        else:
            self.send_error(404, "Not Found")

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        body = self.rfile.read(length)
        with open(os.path.join(self.state_dir, "posted"), "wb") as f:
            f.write(self.requestline.encode() + b"\n" + body)
        self.reply(200, b"thanks", [("Content-Length", "6")])


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True


def make_certificates(state_dir):
    def run(*args):
        subprocess.run(["openssl", *args], cwd=state_dir, check=True, capture_output=True)

    run("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "2",
        "-subj", "/CN=Corvane Test CA", "-addext", "basicConstraints=critical,CA:TRUE",
        "-addext", "keyUsage=critical,keyCertSign,cRLSign")
    run("x509", "-in", "ca.pem", "-outform", "DER", "-out", "ca.der")
    run("req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost")
    with open(os.path.join(state_dir, "server.ext"), "w") as f:
        f.write("subjectAltName=DNS:localhost\nextendedKeyUsage=serverAuth\n")
    run("x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial",
        "-out", "server.pem", "-days", "2", "-extfile", "server.ext")


def start(state_dir):
    os.makedirs(state_dir, exist_ok=True)
    for name in ("port", "tlsport", "posted"):
        try:
            os.remove(os.path.join(state_dir, name))
        except FileNotFoundError:
            pass
    Handler.state_dir = state_dir
    server = Server(("127.0.0.1", 0), Handler)
    make_certificates(state_dir)
    tls = Server(("127.0.0.1", 0), Handler)
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.load_cert_chain(os.path.join(state_dir, "server.pem"), os.path.join(state_dir, "server.key"))
    tls.socket = context.wrap_socket(tls.socket, server_side=True)
    if os.fork():
        return
    os.setsid()
    if os.fork():
        os._exit(0)
    devnull = os.open(os.devnull, os.O_RDWR)
    for fd in (0, 1, 2):
        os.dup2(devnull, fd)
    with open(os.path.join(state_dir, "pid"), "w") as f:
        f.write(str(os.getpid()))
    with open(os.path.join(state_dir, "tlsport"), "w") as f:
        f.write(str(tls.server_address[1]))
    with open(os.path.join(state_dir, "port"), "w") as f:
        f.write(str(server.server_address[1]))
    # A server the stop step never reached ends by itself.
    signal.alarm(1800)
    threading.Thread(target=tls.serve_forever, daemon=True).start()
    server.serve_forever()


def stop(state_dir):
    try:
        with open(os.path.join(state_dir, "pid")) as f:
            os.kill(int(f.read()), signal.SIGTERM)
    except (OSError, ValueError):
        pass
    for name in ("pid", "port", "tlsport"):
        try:
            os.remove(os.path.join(state_dir, name))
        except FileNotFoundError:
            pass


if __name__ == "__main__":
    if len(sys.argv) != 3 or sys.argv[1] not in ("start", "stop"):
        sys.exit(__doc__)
    (start if sys.argv[1] == "start" else stop)(sys.argv[2])
    if sys.argv[1] == "start":
        # The caller goes on once the port is known.
        for _ in range(100):
            if os.path.exists(os.path.join(sys.argv[2], "port")):
                break
            time.sleep(0.05)
