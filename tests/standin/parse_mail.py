#!/usr/bin/env python3
"""Prints a stored message as a MIME parser reads it: the main headers,
decoded, one per line, an empty line, then the decoded body bytes. A
multipart/alternative message also says its parts' types ("Alternatives")
and the length of the plain-text part ("Plain-Length"); its body is then
that part followed by the last part, the one a mail reader shows. Of a
multipart/mixed message the first part is read so, and each attachment
is named ("Attachments": file name and type) and written beside the
message as <n>.<file name>."""
import email
import os
import sys
from email import policy

with open(sys.argv[1], "rb") as f:
    message = email.message_from_binary_file(f, policy=policy.default)
out = sys.stdout.buffer
for name in ("From", "To", "Subject", "Date", "Message-ID", "MIME-Version", "Content-Type",
             "Content-Transfer-Encoding"):
    out.write(("%s: %s\n" % (name, message.get(name, ""))).encode("utf-8"))
body = message
if message.get_content_type() == "multipart/mixed":
    body, attachments = message.get_payload()[0], message.get_payload()[1:]
    names = []
    for part in attachments:
        name = part.get_filename()
        names.append("%s %s" % (name, part.get_content_type()))
        with open(os.path.splitext(sys.argv[1])[0] + "." + name, "wb") as f:
            f.write(part.get_payload(decode=True))
    out.write(("Attachments: %s\n" % ", ".join(names)).encode("utf-8"))
shown, plain = body, b""
if body.is_multipart():
    parts = body.get_payload()
    out.write(("Alternatives: %s\n" % " ".join(p.get_content_type() for p in parts)).encode("utf-8"))
    plain = parts[0].get_payload(decode=True) or b""
    out.write(("Plain-Length: %d\n" % len(plain)).encode("utf-8"))
    shown = parts[-1]
out.write(("Charset: %s\n\n" % shown.get_content_charset()).encode("utf-8"))
out.write(plain)
out.write(shown.get_payload(decode=True) or b"")
