#!/bin/sh
# A crontab for tests: the real program's "-l", "-" and "-r", with the
# table kept in $LORVANE_TEST_CRONTAB_FILE instead of the system's spool.
# Like the real one it refuses a table with a malformed job line.
file=${LORVANE_TEST_CRONTAB_FILE:?LORVANE_TEST_CRONTAB_FILE is not set}
case "$1" in
  -l)
    if [ -f "$file" ]; then cat "$file"; else echo "no crontab for $(id -un)" >&2; exit 1; fi ;;
  -)
    cat > "$file.new" || exit 1
    if [ -s "$file.new" ] && [ "$(tail -c 1 "$file.new" | od -An -c | tr -d ' ')" != '\n' ]; then
      echo "crontab: premature EOF" >&2; rm -f "$file.new"; exit 1
    fi
    # Comments, blank lines and NAME=value lines pass; @reboot and the
    # like need a command; other lines five time fields and a command.
    if ! awk '/^[ \t]*(#|$)/ { next }
              /^[ \t]*[A-Za-z_][A-Za-z0-9_]*[ \t]*=/ { next }
              /^@/ { if (NF < 2) exit 1; next }
              NF < 6 { exit 1 }' "$file.new"; then
      echo "crontab: errors in crontab file, can't install." >&2; rm -f "$file.new"; exit 1
    fi
    mv "$file.new" "$file" ;;
  -r)
    rm -f "$file" ;;
  *)
    echo "usage: crontab -l | - | -r" >&2; exit 1 ;;
esac
