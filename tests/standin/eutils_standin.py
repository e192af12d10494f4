#!/usr/bin/env python3
"""A stand-in for the E-utilities service, for tests and demonstrations.

Answers esearch and efetch requests from fixture files on 127.0.0.1 and
fails in chosen ways. It prints "PORT <n>" on standard output once it
listens, logs every request line to --log, and runs until killed (or for
--lifetime seconds at the most, so that a forgotten one ends by itself).

The scenario is a JSON file:
  {
    "fixtures": "folder of the answer files (default: beside the scenario)",
    "esearch": {"<term as sent>": ANSWER, ...},     # other terms: empty list
    "efetch":  {"<pmid>": ANSWER, ...},             # other ids: "default_efetch"
    "default_efetch": ANSWER,
    "default_pmid": "asked",                        # optional: default answers renamed to the id asked
    "batch_order": "reverse",                       # optional: records of a batch backwards
    "batch_fail": FAIL                              # optional: how every batch request fails
  }
ANSWER is {"file": NAME} or {"ids": [..]} (answered with their Count and the
retmax of them from retstart that the request asks for); a MEDLINE file may
get "add": [lines] (such as "PT  - Retracted Publication"), put before its
PL line; optionally with "fail":
  "drop-half"  send half of the body, then close the connection
  "stall"      send half of the body, then wait --stall seconds
  "close"      close the connection without answering
  "429-once"   answer 429 (Retry-After: 0) the first time, then normally
  "500"        always answer 500 (Retry-After: 0)
  "503-late"   always answer 503 with a Retry-After of 99999999 seconds
  "429-always" always answer 429 (Retry-After: 0)
  "trickle"    send the body two bytes a second
  "never"      take the request and never answer (until --stall seconds)
  "gzip-bomb"  a small gzip body that unpacks to 100 MB
  "redirect-file"  redirect to a file:// address
  "redirect-loop"  redirect to the same address, forever
  "garbage"    200 bytes that are no record at all
  "nul"        the body with a NUL byte in its title line
  "latin1"     the body with bytes that are not UTF-8 and an ESC in its title line

An efetch request for several identifiers (id=1,2,3) is a batch: its answer
holds, one after another, the MEDLINE records of those identifiers whose
answer names a file in the MEDLINE form and sets no "fail"; the others are
left out, to be asked for alone. "batch_fail" makes the batch fail as a
single answer would, or, as "empty", answer with no record at all, or, as
"no-pmid", leave out the PMID line of the batch's third record.
"""
import argparse
import gzip
import http.server
import json
import os
import re
import socket
import socketserver
import sys
import threading
import time
import urllib.parse

ESEARCH_TEMPLATE = (
    '<?xml version="1.0" encoding="UTF-8" ?>\n'
    '<!DOCTYPE eSearchResult PUBLIC "-//NLM//DTD esearch 20060628//EN" '
    '"https://eutils.ncbi.nlm.nih.gov/eutils/dtd/20060628/esearch.dtd">\n'
    "<eSearchResult><Count>{count}</Count><RetMax>{retmax}</RetMax><RetStart>{retstart}</RetStart>"
    "<IdList>\n{ids}</IdList><TranslationSet/></eSearchResult>\n"
)


class Scenario:
    def __init__(self, path):
        with open(path, encoding="utf-8") as f:
            self.data = json.load(f)
        base = os.path.dirname(os.path.abspath(path))
        self.fixtures = os.path.join(base, self.data.get("fixtures", "."))
        self.lock = threading.Lock()
        self.failed_once = set()

    def answer_for(self, kind, key):
        table = self.data.get(kind, {})
        if key in table:
            return table[key]
        if kind == "efetch":
            return self.data.get("default_efetch", {"file": None})
        return {"ids": []}

    def record_of(self, pmid):
        """The body of efetch for one identifier, under that identifier when
        the scenario asks for it and the answer is the default one."""
        answer = self.answer_for("efetch", pmid)
        body = self.body_of(answer)
        if pmid not in self.data.get("efetch", {}) and self.data.get("default_pmid") == "asked":
            body = re.sub(rb"^PMID- \d+", b"PMID- " + pmid.encode(), body, count=1, flags=re.M)
        for line in answer.get("add", []):
            body = body.replace(b"\nPL  - ", b"\n" + line.encode() + b"\nPL  - ", 1)
        return answer, body

    def batch_answer(self, ids):
        records = []
        for pmid in ids:
            answer, body = self.record_of(pmid)
            if answer.get("fail") or not answer.get("file"):
                continue
            if body.lstrip().startswith(b"PMID- "):
                records.append(body)
        if self.data.get("batch_order") == "reverse":
            records.reverse()
        if self.data.get("batch_fail") == "no-pmid" and len(records) > 2:
            records[2] = re.sub(rb"^PMID- \d+\r?\n", b"", records[2], count=1, flags=re.M)
        answer = {"body": b"".join(records)}
        if self.data.get("batch_fail") == "empty":
            answer["body"] = b""
        elif self.data.get("batch_fail") not in (None, "no-pmid"):
            answer["fail"] = self.data["batch_fail"]
        return answer

    def body_of(self, answer):
        if "body" in answer:
            return answer["body"]
        if "ids" in answer:
            # As the service pages: retmax identifiers (20 when unasked) from retstart.
            start, size = answer.get("retstart", 0), answer.get("retmax", 20)
            shown = answer["ids"][start : start + size]
            ids = "".join("<Id>%d</Id>\n" % i for i in shown)
            return ESEARCH_TEMPLATE.format(count=len(answer["ids"]), retmax=len(shown), retstart=start,
                                           ids=ids).encode()
        name = answer.get("file")
        if not name:
            return b"Error occurred: unknown identifier\n"
        with open(os.path.join(self.fixtures, name), "rb") as f:
            return f.read()

    def first_failure(self, key):
        with self.lock:
            if key in self.failed_once:
                return False
            self.failed_once.add(key)
            return True


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def setup(self):
        super().setup()
        # Headers and body go out in separate writes; without this, Nagle's
        # algorithm and delayed acknowledgements hold every answer ~40 ms.
        self.request.setsockopt(socket.IPPROTO_TCP, socket.TCP_NODELAY, 1)

    def log_message(self, *args):
        pass

    def do_GET(self):
        server = self.server
        with server.log_lock, open(server.log_path, "a", encoding="latin-1") as log:
            log.write(self.path + "\n")
        parsed = urllib.parse.urlsplit(self.path)
        params = dict(p.split("=", 1) if "=" in p else (p, "") for p in parsed.query.split("&"))
        if parsed.path.endswith("/esearch.fcgi"):
            # A window in the term ("(QUERY)+AND+(...[edat]+OR+...[crdt])")
            # answers as the query alone.
            term = params.get("term", "")
            windowed = re.fullmatch(r"\((.*)\)\+AND\+\([0-9/:]+\[edat\]\+OR\+[0-9/:]+\[crdt\]\)", term)
            kind, key = "esearch", windowed.group(1) if windowed else term
        elif parsed.path.endswith("/efetch.fcgi"):
            # Identifiers as some clients send them: "1%2C2" for "1,2".
            kind, key = "efetch", urllib.parse.unquote(params.get("id", ""))
        else:
            return self.reply(404, b"not found\n")
        if kind == "efetch" and "," in key:
            answer = server.scenario.batch_answer(key.split(","))
        elif kind == "efetch":
            answer, body = server.scenario.record_of(key)
            answer = dict(answer, body=body)
        else:
            answer = dict(server.scenario.answer_for(kind, key))
            for name in ("retmax", "retstart"):
                if params.get(name, "").isdigit():
                    answer[name] = int(params[name])
        fail = answer.get("fail")
        if fail == "close":
            self.close_connection = True
            return
        if fail == "500":
            return self.reply(500, b"<html><body>Internal Server Error</body></html>\n", retry=True)
        if fail == "503-late":
            return self.reply(503, b"<html><body>Come back later</body></html>\n", retry="99999999")
        if fail == "429-always":
            return self.reply(429, b'{"error":"API rate limit exceeded"}\n', retry=True)
        if fail == "never":
            time.sleep(server.stall)
            self.close_connection = True
            return
        if fail == "redirect-file":
            return self.reply(302, b"", headers={"Location": "file:///etc/passwd"})
        if fail == "redirect-loop":
            return self.reply(302, b"", headers={"Location": self.path})
        if fail == "garbage":
            return self.reply(200, bytes((i * 37 + 11) % 256 for i in range(200)))
        if fail == "gzip-bomb":
            bomb = gzip.compress(b"\0" * (100 * 1024 * 1024), compresslevel=9)
            return self.reply(200, bomb, headers={"Content-Encoding": "gzip"})
        if fail == "429-once" and server.scenario.first_failure(kind + key):
            return self.reply(429, b'{"error":"API rate limit exceeded"}\n', retry=True)
        body = server.scenario.body_of(answer)
        if fail in ("nul", "latin1"):
            inserted = b"\x00" if fail == "nul" else b"M\xfcller \x1b[31m\xe9"
            body = re.sub(rb"^TI  - ", lambda m: m.group(0) + inserted, body, count=1, flags=re.M)
            return self.reply(200, body)
        if fail == "trickle":
            self.send_response(200)
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            try:
                for i in range(0, len(body), 2):
                    self.wfile.write(body[i : i + 2])
                    self.wfile.flush()
                    time.sleep(1)
            except OSError:
                pass
            self.close_connection = True
            return
        if fail in ("drop-half", "stall"):
            self.send_response(200)
            self.send_header("Content-Type", "text/plain")
            self.send_header("Content-Length", str(len(body)))
            self.end_headers()
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            if fail == "stall":
                time.sleep(server.stall)
            self.close_connection = True
            return
        self.reply(200, body)

    def reply(self, status, body, retry=False, headers=None):
        self.send_response(status)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        for name, value in (headers or {}).items():
            self.send_header(name, value)
        if retry:
            self.send_header("Retry-After", "0" if retry is True else retry)
        self.end_headers()
        try:
            self.wfile.write(body)
        except OSError:
            pass  # the client gave up, as it may


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--scenario", required=True)
    parser.add_argument("--log", required=True)
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--stall", type=float, default=30.0)
    parser.add_argument("--lifetime", type=float, default=600.0)
    args = parser.parse_args()

    server = Server(("127.0.0.1", args.port), Handler)
    server.scenario = Scenario(args.scenario)
    server.log_path = args.log
    server.log_lock = threading.Lock()
    server.stall = args.stall
    open(args.log, "a").close()
    threading.Timer(args.lifetime, lambda: os._exit(0)).start()
    print("PORT %d" % server.server_address[1], flush=True)
    server.serve_forever()


if __name__ == "__main__":
    sys.exit(main())
