#!/usr/bin/env python3
"""Microsoft's sign-in service on 127.0.0.1: a device code "ABCD-EFGH"; the device grant is
"authorization_pending" once, then tokens "at-<n>", "rt-<n>" and an ID token naming --account;
a refresh grant takes only the newest refresh token and rotates it, else "invalid_grant";
POST /revoke voids them all. A JSON object in the file --next, if given, changes the next answer and is removed:
"status" sets the HTTP status (the body then only the rest), other fields replace the answer's,
the refresh token sent stays valid. Each request's path with its client_id, scope and
grant_type goes to --log. Prints "PORT <n>"."""
import argparse
import base64
import http.server
import json
import os
import threading
import urllib.parse

state = {"generation": 0, "polls": 0, "valid": None}


def id_token(account):
    part = lambda d: base64.urlsafe_b64encode(json.dumps(d).encode()).decode().rstrip("=")
    return part({"alg": "none"}) + "." + part({"preferred_username": account}) + "."


class Handler(http.server.BaseHTTPRequestHandler):
    def log_message(self, *args):
        pass

    def answer(self, status, body, sent_refresh=None):
        if ARGS.next and os.path.exists(ARGS.next):
            change = json.load(open(ARGS.next))
            os.remove(ARGS.next)
            status, body = (change.pop("status"), {}) if "status" in change else (status, body)
            body.update(change)
            state["valid"] = sent_refresh or state["valid"]
        data = json.dumps(body).encode()
        self.send_response(status)
        self.send_header("Content-Type", "application/json")
        self.send_header("Content-Length", str(len(data)))
        self.end_headers()
        self.wfile.write(data)

    def issue(self):
        state["generation"] += 1
        n = state["generation"]
        state["valid"] = "rt-%d" % n
        return {"token_type": "Bearer", "expires_in": 3600, "access_token": "at-%d" % n,
                "refresh_token": "rt-%d" % n, "id_token": id_token(ARGS.account)}

    def do_POST(self):
        length = int(self.headers.get("Content-Length", "0"))
        form = dict(urllib.parse.parse_qsl(self.rfile.read(length).decode()))
        shown = " ".join("%s=%s" % (k, form[k]) for k in ("client_id", "scope", "grant_type") if k in form)
        with open(ARGS.log, "a") as log:
            log.write("%s %s\n" % (self.path, shown))
        if self.path == "/revoke":
            state["valid"] = None
            return self.answer(200, {})
        if self.path.endswith("/oauth2/v2.0/devicecode"):
            state["polls"] = 0
            return self.answer(200, {"device_code": "dc-secret", "user_code": "ABCD-EFGH",
                                     "verification_uri": "https://microsoft.com/devicelogin",
                                     "expires_in": 900, "interval": 1})
        if not self.path.endswith("/oauth2/v2.0/token"):
            return self.answer(404, {"error": "not_found"})
        grant = form.get("grant_type", "")
        if grant == "urn:ietf:params:oauth:grant-type:device_code" and form.get("device_code") == "dc-secret":
            state["polls"] += 1
            if state["polls"] == 1:
                return self.answer(400, {"error": "authorization_pending",
                                         "error_description": "AADSTS70016: pending"})
            return self.answer(200, self.issue())
        if grant == "refresh_token" and state["valid"] and form.get("refresh_token") == state["valid"]:
            return self.answer(200, self.issue(), form["refresh_token"])
        return self.answer(400, {"error": "invalid_grant", "error_description":
                                 "AADSTS70000: The refresh token was revoked.\r\nTrace ID: 1"})


parser = argparse.ArgumentParser(description="Microsoft sign-in stand-in on 127.0.0.1")
parser.add_argument("--log", required=True)
parser.add_argument("--next", default="")
parser.add_argument("--account", default="reader@contoso.example")
parser.add_argument("--lifetime", type=float, default=300.0)
ARGS = parser.parse_args()
server = http.server.HTTPServer(("127.0.0.1", 0), Handler)
print("PORT %d" % server.server_address[1], flush=True)
threading.Timer(ARGS.lifetime, server.shutdown).start()
server.serve_forever()
