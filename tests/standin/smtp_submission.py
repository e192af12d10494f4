#!/usr/bin/python3
"""An SMTP submission server for tests on 127.0.0.1, on aiosmtpd.

--security starttls (the default) offers STARTTLS and requires it before
anything else; tls speaks TLS from the first byte (smtps); plain offers no
TLS at all. With --user and --password, AUTH (PLAIN or LOGIN, over TLS
only) is required; with --token also AUTH XOAUTH2 (user --user and a
bearer token that begins with --token); with --no-passwords, PLAIN and
LOGIN are refused as Microsoft refuses them ("535 5.7.139"). A recipient
containing --refuse is refused with 550; one
containing "silent" gets no answer after DATA, as a server that hangs.
Each message is stored as <n>.eml (the data as received) with <n>.json
beside it: envelope sender and recipients, whether the session was
encrypted and the name it logged in with. Prints "PORT <n>" once it
listens; runs until killed or --lifetime.
"""
import argparse
import asyncio
import json
import os
import ssl
import warnings

import serving
from base64 import b64decode

from aiosmtpd.smtp import MISSING, SMTP, AuthResult, LoginPassword

# aiosmtpd warns about an attribute it sets itself.
warnings.filterwarnings("ignore", category=DeprecationWarning)


class Store:
    def __init__(self, folder, refuse, implicit_tls, user, token):
        self.folder, self.refuse, self.count = folder, refuse, 0
        self.implicit_tls, self.user, self.token = implicit_tls, user, token

    async def auth_XOAUTH2(self, server, args):
        if not self.token:
            return AuthResult(success=False, handled=False, message="504 5.5.4 Unrecognized authentication type")
        data = await server.challenge_auth("") if len(args) == 1 else b64decode(args[1])
        if data is MISSING:
            return AuthResult(success=False)
        fields = dict(p.split("=", 1) for p in data.decode().split("\x01") if "=" in p)
        ok = fields.get("user") == self.user and fields.get("auth", "").startswith("Bearer " + self.token)
        return AuthResult(success=ok, handled=False, auth_data=LoginPassword(self.user.encode(), b""))

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if self.refuse and self.refuse in address:
            return "550 5.1.1 <%s>: Recipient address rejected" % address
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        if any("silent" in address for address in envelope.rcpt_tos):
            await asyncio.sleep(3600)
        self.count += 1
        base = os.path.join(self.folder, "%d" % self.count)
        login = session.auth_data.login.decode() if isinstance(session.auth_data, LoginPassword) else None
        with open(base + ".json", "w") as f:
            json.dump({"from": envelope.mail_from, "to": envelope.rcpt_tos,
                       "tls": self.implicit_tls or session.ssl is not None, "login": login}, f)
        with open(base + ".eml.part", "wb") as f:
            f.write(envelope.original_content)
        os.rename(base + ".eml.part", base + ".eml")
        return "250 2.0.0 Message accepted for delivery"


async def main():
    parser = argparse.ArgumentParser(description="SMTP submission server on 127.0.0.1")
    parser.add_argument("--store", required=True)
    parser.add_argument("--cert", required=True)
    parser.add_argument("--key", required=True)
    parser.add_argument("--security", choices=("starttls", "tls", "plain"), default="starttls")
    parser.add_argument("--user", default="")
    parser.add_argument("--password", default="")
    parser.add_argument("--refuse", default="")
    parser.add_argument("--token", default="")
    parser.add_argument("--no-passwords", action="store_true")
    parser.add_argument("--lifetime", type=float, default=600.0)
    args = parser.parse_args()

    context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
    context.load_cert_chain(args.cert, args.key)
    store = Store(args.store, args.refuse, args.security == "tls", args.user, args.token)

    def authenticate(server, session, envelope, mechanism, auth_data):
        if args.no_passwords:
            return AuthResult(success=False, handled=False, message="535 5.7.139 Authentication unsuccessful, "
                              "basic authentication is disabled.")
        ok = (isinstance(auth_data, LoginPassword) and auth_data.login == args.user.encode()
              and auth_data.password == args.password.encode())
        return AuthResult(success=ok, handled=False, auth_data=auth_data)

    def protocol():
        return SMTP(store, hostname="localhost",
                    tls_context=context if args.security == "starttls" else None,
                    require_starttls=args.security == "starttls",
                    authenticator=authenticate if args.user else None,
                    # Over smtps the session is TLS from the start, which
                    # aiosmtpd does not see.
                    auth_required=bool(args.user), auth_require_tls=args.security == "starttls")

    loop = asyncio.get_running_loop()
    server = await loop.create_server(protocol, "127.0.0.1", 0,
                                      ssl=context if args.security == "tls" else None)
    await serving.announce_and_serve(server, args.lifetime)


if __name__ == "__main__":
    serving.run(main)
