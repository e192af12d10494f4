#!/usr/bin/env python3
"""Prints a stored message as a MIME parser reads it: the main headers,
decoded, one per line, an empty line, then the decoded body bytes."""
import email
import sys
from email import policy

with open(sys.argv[1], "rb") as f:
    message = email.message_from_binary_file(f, policy=policy.default)
out = sys.stdout.buffer
for name in ("From", "To", "Subject", "Date", "Message-ID", "MIME-Version", "Content-Type",
             "Content-Transfer-Encoding"):
    out.write(("%s: %s\n" % (name, message.get(name, ""))).encode("utf-8"))
out.write(("Charset: %s\n\n" % message.get_content_charset()).encode("utf-8"))
out.write(message.get_payload(decode=True) or b"")
