#!/usr/bin/env python3
"""An SMTP sink for tests on 127.0.0.1.

Accepts every message and stores it as <n>.eml (the data as received,
dot-stuffing undone) with <n>.json beside it (envelope sender and
recipients) in --store. A recipient containing --refuse is refused with
550. Prints "PORT <n>" once it listens; runs until killed or --lifetime.
"""
import argparse
import asyncio
import json
import os

import serving


class Session:
    def __init__(self, store, refuse, counter):
        self.store, self.refuse, self.counter = store, refuse, counter
        self.reset()

    def reset(self):
        self.sender, self.recipients = None, []

    async def handle(self, reader, writer):
        def say(line):
            writer.write((line + "\r\n").encode())

        say("220 127.0.0.1 test sink")
        await writer.drain()
        while True:
            raw = await reader.readline()
            if not raw:
                break
            line = raw.decode("latin-1").rstrip("\r\n")
            verb = line[:4].upper()
            if verb in ("EHLO", "HELO"):
                say("250-127.0.0.1" if verb == "EHLO" else "250 127.0.0.1")
                if verb == "EHLO":
                    say("250-8BITMIME")
                    say("250 SIZE 52428800")
            elif verb == "MAIL":
                self.reset()
                self.sender = line.split(":", 1)[1].strip().split(" ")[0].strip("<>")
                say("250 OK")
            elif verb == "RCPT":
                recipient = line.split(":", 1)[1].strip().strip("<>")
                if self.refuse and self.refuse in recipient:
                    say("550 5.1.1 <%s>: Recipient address rejected" % recipient)
                else:
                    self.recipients.append(recipient)
                    say("250 OK")
            elif verb == "DATA":
                if not self.recipients:
                    say("554 no valid recipients")
                    await writer.drain()
                    continue
                say("354 End data with <CR><LF>.<CR><LF>")
                await writer.drain()
                data = bytearray()
                while True:
                    chunk = await reader.readline()
                    if not chunk or chunk in (b".\r\n", b".\n"):
                        break
                    if chunk.startswith(b"."):
                        chunk = chunk[1:]
                    data += chunk
                self.counter[0] += 1
                base = os.path.join(self.store, "%d" % self.counter[0])
                with open(base + ".eml.part", "wb") as f:
                    f.write(bytes(data))
                with open(base + ".json", "w") as f:
                    json.dump({"from": self.sender, "to": self.recipients}, f)
                os.rename(base + ".eml.part", base + ".eml")
                say("250 OK queued")
                self.reset()
            elif verb == "RSET":
                self.reset()
                say("250 OK")
            elif verb == "NOOP":
                say("250 OK")
            elif verb == "QUIT":
                say("221 Bye")
                await writer.drain()
                break
            else:
                say("502 command not implemented")
            await writer.drain()
        writer.close()


async def main():
    parser = argparse.ArgumentParser(description="SMTP sink on 127.0.0.1")
    parser.add_argument("--store", required=True)
    parser.add_argument("--refuse", default="")
    parser.add_argument("--lifetime", type=float, default=600.0)
    args = parser.parse_args()
    counter = [0]

    async def serve(reader, writer):
        await Session(args.store, args.refuse, counter).handle(reader, writer)

    server = await asyncio.start_server(serve, "127.0.0.1", 0)
    await serving.announce_and_serve(server, args.lifetime)


if __name__ == "__main__":
    serving.run(main)
