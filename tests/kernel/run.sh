#!/usr/bin/env bash
# The command line against the Linux kernel's own USB printer driver, with no hardware.
#
# A QEMU guest boots the distribution's stock kernel (its image package fetched with apt and
# unpacked, never installed) with an initramfs of busybox, the USB modules and the program.
# Inside it each virtual printer of tests/kernel/checks is a USB printer gadget on a dummy USB
# controller, so the same kernel's printer driver makes /dev/usb/lpN of it; the gadget's side is
# relayed over a virtio serial port to veltra-vprinter on the host. Every run of the checks is
# also made over a Unix socket on the host; both must give the same output and exit code, the
# USB run in bounded time (the socket's twice, plus 10 s), and a printer that went silent must
# have received Exit at the end of every run.
#   tests/kernel/run.sh          (VELTRA_RIG_ACCEL=kvm where KVM is known to work)
set -euo pipefail
cd "$(dirname "$0")/../.."
scripts/install-deps.sh kernel

build=build/kernel
work=$build/rig
launcher=()
if command -v ccache > /dev/null; then launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DVELTRA_BUILD_GUI=OFF \
    "${launcher[@]}" > /dev/null
cmake --build "$build" -j "$(nproc)" --target veltra-adjust-cli veltra-vprinter > /dev/null
cli=$build/cli/veltra-adjust-cli
vprinter=$build/sim/veltra-vprinter
start=$SECONDS

# The kernel: the image package that linux-image-amd64 stands for, fetched once.
image=$(apt-cache depends linux-image-amd64 | awk '/Depends: linux-image-[0-9]/ && !image { image = $2 }
    END { print image }')
version=${image#linux-image-}
kernel=$work/kernel/$version
if [ ! -s "$kernel/vmlinux" ]; then
    rm -rf "$work/kernel"
    mkdir -p "$work/kernel"
    # A package list older than the archive may name a version no longer there.
    (cd "$work/kernel" && { apt-get download "$image" > /dev/null 2>&1 ||
        { apt-get update -qq && apt-get download "$image" > /dev/null; }; })
    dpkg-deb -x "$work/kernel/${image}_"*.deb "$kernel"
    # The package leaves the module index to its installation.
    busybox depmod -b "$kernel" "$version"
    # Unpacking the compressed image takes software emulation half a minute: the guest boots
    # the bare kernel inside it instead (QEMU starts it at its PVH entry).
    image_file=$kernel/boot/vmlinuz-$version
    offset=$(grep -abo $'\xfd7zXZ\x00' "$image_file" | awk -F: 'NR == 1 { print $1 }')
    tail -c +$((offset + 1)) "$image_file" > "$kernel/vmlinux.xz"
    xz -dc --single-stream "$kernel/vmlinux.xz" > "$kernel/vmlinux"
    rm "$kernel/vmlinux.xz"
fi
modules=$kernel/lib/modules/$version

# The initramfs: busybox, the modules in dependency order, the program with its libraries.
root=$work/initramfs
rm -rf "$root"
mkdir -p "$root/bin" "$root/modules" "$root/tmp"
cp /bin/busybox "$root/bin/"
cp tests/kernel/init tests/kernel/checks "$root/"
printers=$(awk '$1 == "printer"' tests/kernel/checks | wc -l)
# Each module after what it needs (modules.dep lists a module's needs deepest last).
for wanted in virtio_pci virtio_console configfs dummy_hcd libcomposite usb_f_printer usblp; do
    grep -E "/$wanted\.ko(\.xz)?:" "$modules/modules.dep" |
        awk '{ for (i = NF; i >= 2; i--) print $i; sub(":", "", $1); print $1 }'
done | awk '!seen[$0]++' | while read -r path; do
    name=$(basename "$path")
    if [ "${name%.xz}" != "$name" ]; then
        xz -dc "$modules/$path" > "$root/modules/${name%.xz}"
        name=${name%.xz}
    else
        cp "$modules/$path" "$root/modules/"
    fi
    options=""
    [ "$name" = dummy_hcd.ko ] && options="num=$printers"
    echo "$name $options" >> "$root/modules/order"
done
c++ -std=c++20 -O2 -static -o "$root/bin/relay" tests/kernel/relay.cpp
strip -o "$root/bin/veltra-adjust-cli" "$cli"
for lib in $(ldd "$cli" | awk '/=> \// { print $3 } /^\t\/lib/ { print $1 }'); do
    mkdir -p "$root$(dirname "$lib")"
    cp -L "$lib" "$root$lib"
done
(cd "$root" && find . | busybox cpio -o -H newc 2> /dev/null | gzip -1) > "$work/initramfs.gz"

# The virtual printers: one set for the guest, one for the socket runs.
mkdir -p "$work/run"
rm -f "$work"/run/*
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done; }
trap cleanup EXIT
serial=()
sockets=()
nr=1
while read -r kind name options; do
    [ "$kind" = printer ] || continue
    for side in usb socket; do
        # shellcheck disable=SC2086
        "$vprinter" --socket "$work/run/$side-$name.sock" --received "$work/run/$side-$name.in" \
            $options > /dev/null &
        pids+=($!)
        sockets+=("$work/run/$side-$name.sock")
    done
    serial+=(-chardev "socket,id=p$nr,path=$work/run/usb-$name.sock"
        -device "virtserialport,bus=vs.0,nr=$nr,chardev=p$nr")
    nr=$((nr + 1))
done < tests/kernel/checks
for s in "${sockets[@]}"; do
    while [ ! -S "$s" ]; do sleep 0.05; done
done

# Software emulation: a /dev/kvm that opens is not always one that runs a guest.
accel=${VELTRA_RIG_ACCEL:-tcg}
echo "kernel rig: $image, $printers printers, $accel"
timeout 300 qemu-system-x86_64 -accel "$accel" -m 512 -smp 2 -display none -monitor none \
    -no-reboot -serial "file:$work/run/console.log" \
    -kernel "$kernel/vmlinux" -initrd "$work/initramfs.gz" \
    -append "console=ttyS0 quiet loglevel=1 panic=-1" \
    -device virtio-serial-pci,id=vs "${serial[@]}" &
qemu=$!
pids+=($qemu)

# The same runs over the sockets meanwhile, each printer's runs in order.
n=0
declare -A runsOf
while read -r kind name args; do
    [ "$kind" = run ] || continue
    n=$((n + 1))
    runsOf[$name]+="$n "
    echo "$args" > "$work/run/$n.args"
done < tests/kernel/checks
socketRuns=()
for name in "${!runsOf[@]}"; do
    (
        for n in ${runsOf[$name]}; do
            t0=$(date +%s%3N)
            set +e
            # shellcheck disable=SC2046
            timeout 120 "$cli" --no-journal --port ZTUSB1 --device "ZTUSB1=unix:$work/run/socket-$name.sock" \
                --trace "$work/run/$n.socket.trace" \
                $(cat "$work/run/$n.args") > "$work/run/$n.socket.out" 2> "$work/run/$n.socket.err" \
                < /dev/null
            echo "$? $(($(date +%s%3N) - t0))" > "$work/run/$n.socket.rc"
        done
    ) &
    socketRuns+=($!)
done
wait "${socketRuns[@]}"
wait "$qemu" || true

# The guest's results, split by run.
awk -v dir="$work/run" '
    { sub(/\r$/, "") }
    /^@@run / { n = $2; print $3 " " $4 > (dir "/" n ".usb.rc"); f = dir "/" n ".usb.out"; next }
    /^@@stderr/ { f = dir "/" n ".usb.err"; next }
    /^@@trace/ { f = dir "/" n ".usb.trace"; next }
    /^@@end/ { f = ""; next }
    f != "" { print > f }' "$work/run/console.log"
grep -q '^@@done' "$work/run/console.log" || {
    echo "kernel rig: the guest did not finish; its console:" >&2
    tail -n 40 "$work/run/console.log" >&2
    exit 1
}

failed=0
for ((i = 1; i <= n; i++)); do
    read -r usbRc usbMs < "$work/run/$i.usb.rc"
    read -r sockRc sockMs < "$work/run/$i.socket.rc"
    touch "$work/run/$i."{usb,socket}.{out,err}
    # The system's own words after a failed transfer name the kind of node (a socket's broken
    # pipe, a USB device gone): the line must stand in both, its words may differ.
    sed -i "s/^The system's reason: .*/The system's reason: (its words)/" \
        "$work/run/$i."{usb,socket}.{out,err}
    verdict=ok
    if [ "$usbRc" != "$sockRc" ] ||
        ! cmp -s "$work/run/$i.usb.out" "$work/run/$i.socket.out" ||
        ! cmp -s "$work/run/$i.usb.err" "$work/run/$i.socket.err"; then
        verdict="DIFFERENT"
    elif [ "$usbMs" -gt $((2 * sockMs + 10000)) ]; then
        # Emulation costs time on every exchange: twice the socket's time and ten seconds more,
        # the most a busy machine has needed; a wait that does not end reaches the time-out.
        verdict="TOO SLOW"
    fi
    printf '%-10s %-28s exit %s/%s  %6s/%6s ms  %s\n' "$verdict" "$(cat "$work/run/$i.args")" \
        "$usbRc" "$sockRc" "$usbMs" "$sockMs" "(usb/socket)"
    if [ "$verdict" != ok ]; then
        failed=1
        diff "$work/run/$i.socket.out" "$work/run/$i.usb.out" | head -n 10 || true
        diff "$work/run/$i.socket.err" "$work/run/$i.usb.err" | head -n 10 || true
    fi
done

# A printer that went silent still gets the close: each of its runs ends with the Exit packet.
exitPacket=00000007010008
while read -r kind name options; do
    case "$kind $options" in printer*--silent-after*) ;; *) continue ;; esac
    runs=$(grep -c "^run $name " tests/kernel/checks)
    for side in usb socket; do
        got=$(od -An -tx1 -v "$work/run/$side-$name.in" | tr -d ' \n' |
            { grep -o "$exitPacket" || true; } | wc -l)
        if [ "$got" -eq "$runs" ]; then
            echo "ok         Exit reached the silent printer in $got of $runs runs ($side)"
        else
            echo "MISSING    Exit reached the silent printer in $got of $runs runs ($side)"
            failed=1
        fi
    done
done < tests/kernel/checks
echo "kernel rig: $((SECONDS - start)) s"
exit $failed
