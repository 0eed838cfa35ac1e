#!/usr/bin/env bash
# The shared practice text on a real SMB server: starts Samba's smbd on loopback with a private
# configuration (a guest share and a share that needs a password), runs the SmbShare tests of
# test_form against it, and stops it again.
#
# Usage: smb_share.sh SMBD TEST_FORM
# Exit 77 (skipped) where smbd cannot run: it is missing, or we are not root.
set -u

smbd=$1
test_form=$2

if [[ ! -x $smbd ]]; then
    echo "smbd not found at $smbd: skipped"
    exit 77
fi
if [[ $(id -u) -ne 0 ]]; then
    echo "smbd needs root to serve guests: skipped"
    exit 77
fi

# Everything the server writes stays in here. The guest account ("nobody") must be able to
# reach the shares, hence the open permissions.
root=$(mktemp -d /tmp/ml-smb.XXXXXX)
chmod 755 "$root"
mkdir -p "$root"/{private,lock,state,cache,pid,ncalrpc,log,guest,secret}
chmod 755 "$root/guest" "$root/secret"

pid=
cleanup() {
    if [[ -n $pid ]]; then
        local children
        children=$(pgrep -P "$pid" || true)
        kill -TERM "$pid" $children 2>/dev/null
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" $children 2>/dev/null
        wait "$pid" 2>/dev/null
    fi
    rm -rf "$root"
}
trap cleanup EXIT

port_answers() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

write_conf() {
    cat >"$root/smb.conf" <<EOF
[global]
    server role = standalone server
    workgroup = WORKGROUP
    interfaces = 127.0.0.1
    bind interfaces only = yes
    smb ports = $1
    disable netbios = yes
    rpc start on demand helpers = no
    private dir = $root/private
    lock directory = $root/lock
    state directory = $root/state
    cache directory = $root/cache
    pid directory = $root/pid
    ncalrpc dir = $root/ncalrpc
    binddns dir = $root/private
    usershare path =
    log file = $root/log/smbd.log
    max log size = 0
    passdb backend = tdbsam:$root/private/passdb.tdb
    map to guest = bad user
    guest account = nobody
    load printers = no
    printing = bsd
    printcap name = /dev/null
    disable spoolss = yes

[guest]
    path = $root/guest
    guest ok = yes
    read only = yes

[secret]
    path = $root/secret
    guest ok = no
    valid users = root
    read only = yes
EOF
}

started=
for attempt in 1 2 3 4 5; do
    port=$((20000 + RANDOM % 20000))
    port_answers "$port" && continue
    write_conf "$port"
    smbd_args=(--foreground --no-process-group --debuglevel=1 -s "$root/smb.conf" -l "$root/log")
    if [[ -z $started ]]; then
        # A real password share: root may enter with a password, nobody without one.
        printf 'ml-Secret-9\nml-Secret-9\n' |
            smbpasswd -c "$root/smb.conf" -s -a root >"$root/log/smbpasswd.log" 2>&1 || {
            echo "smbpasswd failed:"
            cat "$root/log/smbpasswd.log"
            exit 1
        }
    fi
    started=yes
    # In a session of its own: on its way out smbd signals its whole process group, which
    # must not be ours (nor ctest's).
    setsid "$smbd" "${smbd_args[@]}" >"$root/log/stdout.log" 2>&1 </dev/null &
    pid=$!
    for _ in $(seq 200); do
        port_answers "$port" && break
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    if port_answers "$port"; then
        break
    fi
    echo "smbd did not come up on port $port (attempt $attempt):"
    tail -n 20 "$root/log/stdout.log" "$root/log/smbd.log" 2>/dev/null
    kill -KILL "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    pid=
done
if [[ -z $pid ]]; then
    echo "could not start smbd"
    exit 1
fi
echo "smbd $pid serving on 127.0.0.1:$port"

ML_SMB_SERVER="127.0.0.1:$port" ML_SMB_GUEST_DIR="$root/guest" ML_SMB_SECRET_DIR="$root/secret" \
    QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy \
    "$test_form" --gtest_filter='SmbShare.*' >"$root/log/tests.log" 2>&1
status=$?
cat "$root/log/tests.log"
# With the server up, every test must really have run.
if [[ $status -eq 0 ]] &&
    { grep -q '^\[  SKIPPED \]' "$root/log/tests.log" || ! grep -q '^\[  PASSED  \] [1-9]' "$root/log/tests.log"; }; then
    echo "the SMB tests were skipped or none ran"
    status=1
fi
if [[ $status -ne 0 ]]; then
    echo "--- smbd log ---"
    tail -n 40 "$root/log/smbd.log" 2>/dev/null
fi
exit $status
