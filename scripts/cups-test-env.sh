#!/usr/bin/env bash
# Runs a command (normally ctest) with a private print server holding test queues whose jobs
# land as files in a folder, so the printing tests can follow a job through CUPS end to end.
#
#   scripts/cups-test-env.sh COMMAND [ARGS...]
#
# The server is a separate cupsd started here in the foreground mode (in the background of this
# script), with its own configuration, spool and socket under a temporary folder; the machine's
# own print system and the user's printer settings are left alone. For the command it exports:
#   CUPS_SERVER          the private server's socket (every CUPS client, Qt included, uses it)
#   CUPS_SERVERROOT      the private client configuration (lpoptions of root live there)
#   ELVARINE_TEST_QUEUE  the test queue, also the server's default printer
#   ELVARINE_TEST_LETTER_QUEUE  a second queue like it whose paper is US Letter
#                        (media-default na_letter_8.5x11in)
#   ELVARINE_TEST_REJECT_QUEUE  a queue that refuses jobs (cupsreject, with the reason
#                        ELVARINE_TEST_REJECT_REASON)
#   ELVARINE_TEST_JOBS   the folder where each job of the first two queues arrives as
#                        job-<id>.out, with the job's options (as the backend gets them) in
#                        job-<id>.options
#   ELVARINE_TEST_HOME   a home folder for the command, also its HOME, so that whatever the
#                        tests store as the user's printer options stays out of the real home
# When not root, the command runs without these variables and the tests that need them report
# themselves skipped. As root the server must run: when it is missing, cannot start or cannot
# take the test queue, the run fails at once (exit status 1) instead of skipping those tests.
set -uo pipefail

queue=ElvarineTest
letter_queue=ElvarineLetter
reject_queue=ElvarineReject
reject_reason="Fermée pour les essais"
# One backend per run, so that runs side by side never remove each other's.
backend_name=elvarinetest-$$
backend=/usr/lib/cups/backend/$backend_name

note() { echo "cups-test-env: $*" >&2; }

run_plain() {
    "$@"
    exit $?
}

if [ $# -eq 0 ]; then
    echo "usage: $0 COMMAND [ARGS...]" >&2
    exit 2
fi
if [ "$(id -u)" -ne 0 ]; then
    note "not root: no private print server, the CUPS tests will be skipped"
    run_plain "$@"
fi
cupsd=$(command -v cupsd || echo /usr/sbin/cupsd)
if [ ! -x "$cupsd" ] || ! command -v lpadmin > /dev/null; then
    note "cupsd or lpadmin missing (packages cups-daemon, cups-client): failing the run"
    exit 1
fi

root=$(mktemp -d /tmp/elvarine-cups.XXXXXX)
cupsd_pid=""
stop_server() {
    if [ -n "$cupsd_pid" ] && kill -0 "$cupsd_pid" 2> /dev/null; then
        kill "$cupsd_pid" 2> /dev/null
        wait "$cupsd_pid" 2> /dev/null
    fi
    rm -f "$backend"
    rm -rf "$root"
}
trap stop_server EXIT
trap 'exit 130' INT TERM
chmod 0755 "$root"
mkdir -p "$root/etc/ppd" "$root/etc/ssl" "$root/spool/tmp" "$root/cache" "$root/run" \
    "$root/log" "$root/jobs" "$root/home"
chmod 0777 "$root/jobs"
socket="$root/cups.sock"

cat > "$root/etc/cups-files.conf" << EOF
ServerRoot $root/etc
RequestRoot $root/spool
TempDir $root/spool/tmp
CacheDir $root/cache
StateDir $root/run
AccessLog $root/log/access_log
ErrorLog $root/log/error_log
PageLog $root/log/page_log
User lp
Group lp
SystemGroup root
EOF
cat > "$root/etc/cupsd.conf" << EOF
LogLevel warn
Listen $socket
Browsing No
WebInterface No
IdleExitTimeout 0
DefaultAuthType Basic
<Location />
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
EOF

# The backend copies its job (file argument, or standard input) into the folder named by the
# path of its device URI, its options first (so they are there once the job file is). It runs
# as the lp user, so it must be readable and executable by all.
cat > "$backend" << 'EOF'
#!/bin/sh
# Test backend of Elvarine: copies each job into the folder named by the device URI's path, and
# its options beside it.
if [ $# -eq 0 ]; then
    echo "file $(basename "$0") \"Unknown\" \"Elvarine test folder\""
    exit 0
fi
folder="${DEVICE_URI#*:}"
out="$folder/job-$1.out"
printf '%s\n' "$5" > "$folder/job-$1.options" || exit 1
chmod 0644 "$folder/job-$1.options"
if [ -n "$6" ]; then
    cp "$6" "$out.part" || exit 1
else
    cat > "$out.part" || exit 1
fi
chmod 0644 "$out.part"
mv "$out.part" "$out"
exit 0
EOF
chmod 0755 "$backend"

"$cupsd" -f -c "$root/etc/cupsd.conf" -s "$root/etc/cups-files.conf" > "$root/log/cupsd.out" 2>&1 &
cupsd_pid=$!

export CUPS_SERVER="$socket"
export CUPS_SERVERROOT="$root/etc"

ready=0
for _ in $(seq 1 200); do
    if ! kill -0 "$cupsd_pid" 2> /dev/null; then
        break
    fi
    if lpstat -r > /dev/null 2>&1; then
        ready=1
        break
    fi
    sleep 0.1
done
if [ "$ready" -ne 1 ]; then
    note "the private print server did not start: failing the run"
    sed 's/^/cups-test-env:   /' "$root/log/cupsd.out" "$root/log/error_log" 2> /dev/null >&2
    exit 1
fi

# The server answers lpstat a moment before lpadmin can reach it ("Bad file descriptor"):
# adding the queue is tried again for a few seconds.
added=0
for _ in $(seq 1 50); do
    if lpadmin -p "$queue" -E -v "$backend_name:$root/jobs" -m raw > "$root/log/lpadmin.out" 2>&1 &&
        lpadmin -d "$queue" >> "$root/log/lpadmin.out" 2>&1 &&
        lpadmin -p "$letter_queue" -E -v "$backend_name:$root/jobs" -m raw \
            -o media-default=na_letter_8.5x11in >> "$root/log/lpadmin.out" 2>&1 &&
        lpadmin -p "$reject_queue" -E -v "$backend_name:$root/jobs" -m raw \
            >> "$root/log/lpadmin.out" 2>&1 &&
        cupsreject -r "$reject_reason" "$reject_queue" >> "$root/log/lpadmin.out" 2>&1; then
        added=1
        break
    fi
    if ! kill -0 "$cupsd_pid" 2> /dev/null; then
        break
    fi
    sleep 0.1
done
if [ "$added" -ne 1 ]; then
    note "the test queues could not be added: failing the run"
    sed 's/^/cups-test-env:   /' "$root/log/lpadmin.out" >&2
    exit 1
fi

export ELVARINE_TEST_QUEUE="$queue"
export ELVARINE_TEST_LETTER_QUEUE="$letter_queue"
export ELVARINE_TEST_REJECT_QUEUE="$reject_queue"
export ELVARINE_TEST_REJECT_REASON="$reject_reason"
export ELVARINE_TEST_JOBS="$root/jobs"
export ELVARINE_TEST_HOME="$root/home"
export HOME="$root/home"
"$@"
exit $?
