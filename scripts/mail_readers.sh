#!/usr/bin/env bash
# Shows the demonstration digest of scripts/run.sh (every digest option on)
# in real mail readers and keeps what they show in build/screenshots/:
# the HTML part in chromium (headless), the message in thunderbird under
# Xvfb, the text part and the attachment list in neomutt, and the RIS
# attachment read back by bibutils' ris2xml.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh readers
out=$PWD/build/screenshots
mkdir -p "$out"
work=$(mktemp -d /tmp/lorvane-readers-XXXXXX)

scripts/run.sh > /dev/null 2> "$work/run.log"
mail=$(sed -n 's/.*(kept in \(.*\), not sent).*/\1/p' "$work/run.log")
[ -s "$mail" ] || { cat "$work/run.log" >&2; echo "mail_readers: the demonstration mailed nothing" >&2; exit 1; }
cp "$mail" "$work/mail.eml"

python3 - "$work" <<'PY'
import email, sys
from email import policy
work = sys.argv[1]
message = email.message_from_binary_file(open(work + "/mail.eml", "rb"), policy=policy.default)
body, attachment = message.get_payload()[0], message.get_payload()[1]
html = body.get_payload()[1].get_payload(decode=True)
open(work + "/digest.html", "wb").write(b'<meta charset="utf-8">' + html)
open(work + "/digest.ris", "wb").write(attachment.get_payload(decode=True))
PY
chromium --headless --no-sandbox --disable-gpu --window-size=1000,1200 \
  --screenshot="$out/digest_chromium.png" "file://$work/digest.html" 2>/dev/null
echo "ris2xml: $(ris2xml "$work/digest.ris" 2>/dev/null | grep -c '<mods ') records in the attachment"

# Thunderbird with a local folder only, so that no account wizard opens.
mkdir -p "$work/profile"
cat > "$work/profile/user.js" <<'JS'
user_pref("mail.shell.checkDefaultClient", false);
user_pref("mailnews.start_page.enabled", false);
user_pref("mail.provider.enabled", false);
user_pref("datareporting.policy.dataSubmissionEnabled", false);
user_pref("mail.accountmanager.accounts", "account1");
user_pref("mail.accountmanager.localfoldersserver", "server1");
user_pref("mail.account.account1.server", "server1");
user_pref("mail.server.server1.type", "none");
user_pref("mail.server.server1.hostname", "Local Folders");
user_pref("mail.server.server1.userName", "nobody");
user_pref("mail.server.server1.directory-rel", "[ProfD]Mail/Local Folders");
JS
cat > "$work/thunderbird.sh" <<SH
#!/bin/sh
thunderbird --no-remote --profile "$work/profile" -file "$work/mail.eml" > "$work/thunderbird.log" 2>&1 &
for i in \$(seq 60); do w=\$(xdotool search --onlyvisible --name "Periodic" | head -1); [ -n "\$w" ] && break; sleep 1; done
xdotool windowmove "\$w" 0 0 windowsize "\$w" 1200 980; sleep 3
import -window "\$w" "$out/digest_thunderbird.png"
pkill -f "$work/profile"; true
SH
chmod +x "$work/thunderbird.sh"
timeout 120 xvfb-run -a -s "-screen 0 1280x1000x24" "$work/thunderbird.sh"

{ printf 'From reader@example.org Tue Dec  8 07:30:00 2026\n'; tr -d '\r' < "$work/mail.eml"; echo; } > "$work/mbox"
printf 'alternative_order text/plain text/html\nset header_cache=""\n' > "$work/muttrc"
tmux new-session -d -s lorvane-readers -x 120 -y 60 "neomutt -n -F $work/muttrc -R -f $work/mbox"
sleep 2; tmux send-keys -t lorvane-readers Enter; sleep 2
tmux capture-pane -t lorvane-readers -p > "$out/digest_neomutt.txt"
tmux send-keys -t lorvane-readers v; sleep 1
tmux capture-pane -t lorvane-readers -p > "$out/digest_neomutt_attachments.txt"
tmux kill-session -t lorvane-readers
rm -rf "$work"
ls -1 "$out"/digest_* >&2
