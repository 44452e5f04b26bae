#!/usr/bin/env python3
"""A stand-in for the maker's web service, for the tests only.

Answers /php/check2.php and /php/feedback.php on one loopback port, over plain HTTP and (when a
certificate could be made) over TLS on the same port. It is steered and read through files in a
folder of the test's own:

  behaviour   key=value lines, read afresh for every request; a key may be prefixed with "tls." or
              "plain." to apply to one scheme only:
                mode=reply|hang|reset|drip|huge   what to do (default reply)
                status=200                         status of a reply
                content_type=...                   Content-Type of a reply
                delay_ms=0                         wait before answering
                huge_bytes=10485760                size of a huge body
  body        the exact bytes of a reply (default: a newer version for check2, "OK" for feedback)
  requests.log  one line per request: scheme, method, path, content type, body (tab-separated,
              with backslash, tab, CR and LF escaped)
  port        written once the service listens
  cert.pem    the TLS certificate, when one was made
  stop        the service ends as soon as this file exists (or the folder is gone)
  ended       written once the service has closed its port, just before it exits
"""
import os
import socket
import socketserver
import ssl
import subprocess
import sys
import threading
import time

folder = sys.argv[1]
lifetime = float(sys.argv[2]) if len(sys.argv) > 2 else 1800.0
log_lock = threading.Lock()

DEFAULT_BODIES = {
    "/php/check2.php": b"<version>1.8</version>\r\n<url>http://updates.corvana.example/download</url>\r\n",
    "/php/feedback.php": b"OK",
}


def path_of(name):
    return os.path.join(folder, name)


def behaviour(scheme):
    values = {}
    try:
        with open(path_of("behaviour"), encoding="utf-8") as f:
            lines = f.read().splitlines()
    except OSError:
        lines = []
    general, specific = {}, {}
    for line in lines:
        if "=" not in line:
            continue
        key, value = line.split("=", 1)
        if key.startswith(scheme + "."):
            specific[key[len(scheme) + 1:]] = value
        elif "." not in key:
            general[key] = value
    values.update(general)
    values.update(specific)
    return values


def escape(data: bytes) -> str:
    text = data.decode("latin-1")
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\r", "\\r").replace("\n", "\\n")


def stopped():
    return not os.path.isdir(folder) or os.path.exists(path_of("stop"))


def make_tls_context():
    cert, key = path_of("cert.pem"), path_of("key.pem")
    try:
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1,DNS:localhost",
                        "-keyout", key, "-out", cert], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(cert, key)
        return context
    except (OSError, subprocess.SubprocessError, ssl.SSLError):
        return None


TLS = make_tls_context()


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.request.settimeout(30)

    def handle(self):
        sock = self.request
        scheme = "plain"
        try:
            first = sock.recv(1, socket.MSG_PEEK)
        except OSError:
            return
        if first == b"\x16":
            scheme = "tls"
            if TLS is None:
                return
            try:
                sock = TLS.wrap_socket(sock, server_side=True)
            except (OSError, ssl.SSLError):
                return
        try:
            self.serve(sock, scheme)
        except (OSError, ssl.SSLError):
            pass

    def serve(self, sock, scheme):
        data = b""
        while b"\r\n\r\n" not in data:
            chunk = sock.recv(65536)
            if not chunk:
                return
            data += chunk
        head, body = data.split(b"\r\n\r\n", 1)
        lines = head.decode("latin-1").split("\r\n")
        method, path = lines[0].split(" ")[0:2]
        headers = {}
        for line in lines[1:]:
            if ":" in line:
                name, value = line.split(":", 1)
                headers[name.strip().lower()] = value.strip()
        length = int(headers.get("content-length", "0"))
        while len(body) < length:
            chunk = sock.recv(65536)
            if not chunk:
                break
            body += chunk
        with log_lock, open(path_of("requests.log"), "a", encoding="latin-1") as log:
            log.write("\t".join([scheme, method, path, headers.get("content-type", ""), escape(body)]) + "\n")

        b = behaviour(scheme)
        time.sleep(int(b.get("delay_ms", "0")) / 1000.0)
        mode = b.get("mode", "reply")
        if mode == "hang":
            end = time.time() + 120
            while time.time() < end and not stopped():
                time.sleep(0.1)
            return
        if mode == "reset":
            raw = self.request
            raw.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, b"\x01\x00\x00\x00\x00\x00\x00\x00")
            raw.close()
            return
        status = int(b.get("status", "200"))
        content_type = b.get("content_type", "text/html; charset=UTF-8")
        if mode == "huge":
            payload = b"<version>1.8</version>\r\n" + b"x" * int(b.get("huge_bytes", str(10 * 1024 * 1024)))
        else:
            try:
                with open(path_of("body"), "rb") as f:
                    payload = f.read()
            except OSError:
                payload = DEFAULT_BODIES.get(path, b"")
        head = (f"HTTP/1.1 {status} Stand-in\r\nContent-Type: {content_type}\r\n"
                f"Content-Length: {len(payload)}\r\nConnection: close\r\n\r\n").encode("latin-1")
        if mode == "huge" and b.get("length_header", "yes") == "no":
            head = (f"HTTP/1.1 {status} Stand-in\r\nContent-Type: {content_type}\r\n"
                    f"Connection: close\r\n\r\n").encode("latin-1")
        if mode == "drip":
            sock.sendall(head)
            step = int(b.get("drip_ms", "500")) / 1000.0
            for i in range(len(payload)):
                if stopped():
                    return
                sock.sendall(payload[i:i + 1])
                time.sleep(step)
            return
        sock.sendall(head + payload)


class Server(socketserver.ThreadingTCPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    err = open(path_of("standin.err"), "w")
    os.dup2(err.fileno(), 2)
    devnull = os.open(os.devnull, os.O_RDWR)
    os.dup2(devnull, 0)
    os.dup2(devnull, 1)
    server = Server(("127.0.0.1", 0), Handler)
    port = server.server_address[1]
    with open(path_of("port.tmp"), "w") as f:
        f.write(str(port))
    os.replace(path_of("port.tmp"), path_of("port"))
    threading.Thread(target=server.serve_forever, daemon=True).start()
    started = time.time()
    while not stopped() and time.time() - started < lifetime:
        time.sleep(0.1)
    server.server_close()
    if os.path.isdir(folder):
        open(path_of("ended"), "w").close()
    os._exit(0)


if __name__ == "__main__":
    main()
