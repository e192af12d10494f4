#!/usr/bin/env python3
"""Prints a stored message as a MIME parser reads it: the main headers,
decoded, one per line, an empty line, then the decoded body bytes. A
multipart/alternative message also says its parts' types ("Alternatives")
and the length of the plain-text part ("Plain-Length"); its body is then
that part followed by the last part, the one a mail reader shows."""
import email
import sys
from email import policy

with open(sys.argv[1], "rb") as f:
    message = email.message_from_binary_file(f, policy=policy.default)
out = sys.stdout.buffer
for name in ("From", "To", "Subject", "Date", "Message-ID", "MIME-Version", "Content-Type",
             "Content-Transfer-Encoding"):
    out.write(("%s: %s\n" % (name, message.get(name, ""))).encode("utf-8"))
shown, plain = message, b""
if message.is_multipart():
    parts = message.get_payload()
    out.write(("Alternatives: %s\n" % " ".join(p.get_content_type() for p in parts)).encode("utf-8"))
    plain = parts[0].get_payload(decode=True) or b""
    out.write(("Plain-Length: %d\n" % len(plain)).encode("utf-8"))
    shown = parts[-1]
out.write(("Charset: %s\n\n" % shown.get_content_charset()).encode("utf-8"))
out.write(plain)
out.write(shown.get_payload(decode=True) or b"")
