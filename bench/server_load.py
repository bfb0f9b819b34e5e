#!/usr/bin/python3
"""Load test of pantrela-server on loopback.

Starts the server on 127.0.0.1 with a free port and a fresh data folder,
registers CLIENTS accounts, then lets CLIENTS clients upload at the same time,
each an archive of PIECES pieces of PIECE_BYTES (sent as the program sends
them: HTTP/1.0 multipart, one connection per piece) and finish it. Every
answer must be a 200 with an empty body; the server's resident memory during
the uploads is sampled and must stay within the pieces in flight.

usage: bench/server_load.py PANTRELA_SERVER [CLIENTS] [PIECES] [PIECE_BYTES]
"""
import io
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time
import zipfile

TIME_LIMIT = 300  # seconds for the whole run
ACCESS_OFFSET = 40503


def access_code():
    v = int(time.monotonic() * 1000) & 0xFFFF
    return "%04X%05u" % (v, (v + ACCESS_OFFSET) % 65536)


def exchange(port, data, timeout=60):
    s = socket.create_connection(("127.0.0.1", port), timeout=timeout)
    s.sendall(data)
    out = b""
    while True:
        chunk = s.recv(4096)
        if not chunk:
            break
        out += chunk
    s.close()
    head, _, body = out.partition(b"\r\n\r\n")
    status = int(head.split(b" ")[1]) if head.startswith(b"HTTP/") else 0
    return status, body.strip(b" ")


def query(port, path):
    return exchange(port, ("GET  http://127.0.0.1:%d%s  HTTP/1.0\r\n\r\n" % (port, path)).encode())


def upload(port, user, password, piece, start):
    b = "%016X" % (int(time.time() * 1e6) ^ id(piece))
    body = b""
    for k, v in (("access", access_code()), ("user", user), ("password", password), ("start", start)):
        body += ('--%s\r\nContent-Disposition: form-data; name="%s"\r\n\r\n%s\r\n' % (b, k, v)).encode()
    body += ('--%s\r\nContent-Disposition: form-data; name="file"; filename="source.zip"\r\n'
             "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: binary\r\n\r\n" % b).encode()
    body += piece + ("\r\n--%s--\r\n" % b).encode()
    head = ("POST /recipes/upload-records.php HTTP/1.0\r\nUser-Agent: Pantrela/6.6\r\nHost: 127.0.0.1:%d\r\n"
            "Accept: */*\r\nContent-Type: multipart/form-data; boundary=%s\r\nContent-Length: %d\r\n\r\n"
            % (port, b, len(body))).encode()
    return exchange(port, head + body)


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as f:
        m = re.search(r"VmRSS:\s+(\d+)", f.read())
    return int(m.group(1)) if m else 0


def main():
    if len(sys.argv) < 2:
        print(__doc__)
        return 2
    binary = sys.argv[1]
    clients = int(sys.argv[2]) if len(sys.argv) > 2 else 100
    pieces = int(sys.argv[3]) if len(sys.argv) > 3 else 3
    piece_bytes = int(sys.argv[4]) if len(sys.argv) > 4 else 1 << 20
    clients, pieces = min(clients, 500), min(pieces, 20)  # bounded in count
    data = tempfile.mkdtemp(prefix="pantrela-load-")
    server = subprocess.Popen([binary, "--address", "127.0.0.1", "--port", "0", "--data", data],
                              stderr=subprocess.PIPE, text=True)
    deadline = time.monotonic() + TIME_LIMIT
    try:
        line = server.stderr.readline()
        port = int(re.search(r"127\.0\.0\.1:(\d+)", line).group(1))
        threading.Thread(target=lambda: server.stderr.read(), daemon=True).start()

        # One archive per client: stored entries of random bytes, cut into pieces.
        payload = os.urandom(pieces * piece_bytes - 200)
        mem = io.BytesIO()
        with zipfile.ZipFile(mem, "w", zipfile.ZIP_STORED) as z:
            z.writestr("load.rcp", payload)
        archive = mem.getvalue()
        cut = [archive[i:i + piece_bytes] for i in range(0, len(archive), piece_bytes)]

        t0 = time.monotonic()
        for i in range(clients):
            status, body = query(port, "/recipes/create-account.php?oldu=&oldp=&newu=load%04d&newp=secret1" % i)
            assert status == 200 and body == b"success", (status, body)
        accounts = time.monotonic() - t0

        failures = []
        base = rss_kb(server.pid)
        peak = [base]
        done = threading.Event()

        def sample():
            while not done.is_set():
                peak[0] = max(peak[0], rss_kb(server.pid))
                time.sleep(0.02)

        def client(i):
            user = "load%04d" % i
            try:
                for n, piece in enumerate(cut):
                    status, body = upload(port, user, "secret1", piece, "1" if n == 0 else "0")
                    if status != 200 or body:
                        failures.append((user, n, status, body[:80]))
                        return
                status, body = query(port, "/recipes/finish.php?access=%s&user=%s" % (access_code(), user))
                if status != 200 or body:
                    failures.append((user, "finish", status, body[:80]))
            except OSError as e:
                failures.append((user, "socket", str(e)))

        sampler = threading.Thread(target=sample)
        sampler.start()
        t1 = time.monotonic()
        threads = [threading.Thread(target=client, args=(i,)) for i in range(clients)]
        for t in threads:
            t.start()
        for t in threads:
            t.join(max(1, deadline - time.monotonic()))
        uploads = time.monotonic() - t1
        done.set()
        sampler.join()
        if any(t.is_alive() for t in threads):
            failures.append(("time limit", TIME_LIMIT))

        sent_mb = clients * len(archive) / 1e6
        grown_mb = (peak[0] - base) / 1024
        bound_mb = clients * piece_bytes / 1e6
        print("clients %d, pieces %d of %d bytes, %.0f MB sent" % (clients, len(cut), piece_bytes, sent_mb))
        print("accounts: %.1f s; uploads and finishes: %.1f s (%.0f MB/s)" % (accounts, uploads, sent_mb / uploads))
        print("server memory: %.0f MB before the uploads, at most %.0f MB more during them (bound %.0f MB)"
              % (base / 1024, grown_mb, bound_mb))
        print("failed requests: %d" % len(failures))
        for f in failures[:10]:
            print("  ", f)
        return 0 if not failures and grown_mb <= bound_mb else 1
    finally:
        server.terminate()
        server.wait(10)
        shutil.rmtree(data, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
