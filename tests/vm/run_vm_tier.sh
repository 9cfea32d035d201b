#!/usr/bin/env bash
# Boots a virtual machine with Debian's own kernel in which imageburner-cli
# (without --sim) drives the simulated recorder presented as a real USB
# mass-storage device (imageburner-sim-gadget on dummy_hcd), and saves the
# serial console to BUILD_DIR/vm-tier/console.log for check_console.sh and the
# files the guest sent (a recording) to BUILD_DIR/vm-tier/files/.
#
#   run_vm_tier.sh BUILD_DIR SOURCE_DIR
#
# The kernel package that linux-image-amd64 depends on is fetched with
# apt-get download and kept in BUILD_DIR/vm-tier/cache; nothing is installed.
# The binaries come from BUILD_DIR as built (sanitizer builds included: their
# runtime libraries travel along through ldd). IMAGEBURNER_VM_TIME_LIMIT (seconds,
# default 600) bounds the virtual machine's run.
set -euo pipefail

build_dir=$(cd "$1" && pwd)
source_dir=$(cd "$2" && pwd)
tier_dir=$build_dir/vm-tier
cache_dir=$tier_dir/cache
staging=$tier_dir/initramfs
console=$tier_dir/console.log
guest_files=$tier_dir/files
guest_time_limit=${IMAGEBURNER_VM_TIME_LIMIT:-600}

fail() {
    echo "vm tier: $*" >&2
    exit 1
}

need_tools() {
    local missing=()
    for tool in qemu-system-x86_64 cpio dpkg-deb apt-get apt-cache; do
        command -v "$tool" > /dev/null || missing+=("$tool")
    done
    [ -x /bin/busybox ] && file_is_static /bin/busybox || missing+=("busybox-static")
    [ ${#missing[@]} -eq 0 ] || fail "missing ${missing[*]}: run scripts/install-deps.sh"
}

file_is_static() { ! ldd "$1" > /dev/null 2>&1; }

# The package linux-image-amd64 depends on now, e.g. linux-image-6.1.0-57-amd64.
kernel_package() {
    apt-cache depends linux-image-amd64 2> /dev/null | awk '/Depends: linux-image-/ { print $2; exit }'
}

refresh_package_lists() {
    [ "$(id -u)" -eq 0 ] || return 1
    echo "vm tier: apt-get update" >&2
    apt-get update -qq >&2
}

# Downloads a package version into the cache, whole or not at all; older kernels are dropped.
download_into_cache() {
    local package=$1 version=$2
    local incoming=$cache_dir/incoming
    rm -rf "$incoming"
    mkdir -p "$incoming"
    (cd "$incoming" && apt-get download -q -o APT::Sandbox::User=root "$package=$version" >&2) || return 1
    find "$cache_dir" -mindepth 1 -maxdepth 1 -name 'linux-image-*' -exec rm -rf {} +
    mv "$incoming"/*.deb "$cache_dir/"
    rm -rf "$incoming"
}

# Prints the path of the cached .deb of the kernel, downloading it when needed.
fetch_kernel_deb() {
    local package
    package=$(kernel_package)
    if [ -z "$package" ] && refresh_package_lists; then package=$(kernel_package); fi
    if [ -z "$package" ]; then
        # Offline with no package lists: the newest kernel fetched earlier will do.
        local cached
        cached=$(find "$cache_dir" -maxdepth 1 -name 'linux-image-*.deb' | sort -V | tail -n 1)
        [ -n "$cached" ] || fail "cannot tell which kernel linux-image-amd64 depends on (no package lists)"
        echo "vm tier: no package lists, using the cached $(basename "$cached")" >&2
        echo "$cached"
        return
    fi
    local version
    version=$(apt-cache policy "$package" | awk '/Candidate:/ { print $2; exit }')
    local deb=$cache_dir/${package}_${version//:/%3a}_amd64.deb
    if [ ! -s "$deb" ]; then
        echo "vm tier: apt-get download $package ($version)" >&2
        if ! download_into_cache "$package" "$version"; then
            # Lists older than the mirror name a file that is gone: refresh once.
            refresh_package_lists || fail "apt-get download $package failed"
            version=$(apt-cache policy "$package" | awk '/Candidate:/ { print $2; exit }')
            deb=$cache_dir/${package}_${version//:/%3a}_amd64.deb
            download_into_cache "$package" "$version" || fail "apt-get download $package failed"
        fi
    fi
    [ -s "$deb" ] || fail "the download did not leave $deb"
    echo "$deb"
}

# The modules the guest loads, in dependency order, with their parameters (two emulated
# device controllers, one for each recorder of update-all; usb-storage is to use a new
# device at once). The guest reads this order from lib/modules/load-order.
modules=(configfs usb-common usbcore udc-core "dummy_hcd num=2" libcomposite usb_f_fs scsi_common scsi_mod
         "usb-storage delay_use=0" sg crct10dif_common crct10dif_generic crc64 crc64_rocksoft_generic
         crc-t10dif crc64-rocksoft t10-pi sd_mod)

module_names() { for module in "${modules[@]}"; do echo "${module%% *}"; done; }

# Unpacks vmlinuz and the modules the guest loads, once per package; prints the folder.
extract_kernel() {
    local deb=$1
    local unpacked
    unpacked=$cache_dir/$(basename "$deb" .deb)
    if [ ! -e "$unpacked/.complete" ]; then
        rm -rf "$unpacked"
        mkdir -p "$unpacked"
        local patterns=('./boot/vmlinuz-*')
        for name in $(module_names); do patterns+=("*/$name.ko"); done
        dpkg-deb --fsys-tarfile "$deb" | tar -x -C "$unpacked" --wildcards "${patterns[@]}"
        touch "$unpacked/.complete"
    fi
    echo "$unpacked"
}

# Copies a program and the shared libraries it loads to the same paths in the staging tree.
stage_program() {
    local program=$1 target=$2
    mkdir -p "$(dirname "$staging/$target")"
    # Without debug sections the initramfs is a fraction of the size; symbols stay for reports.
    objcopy --strip-debug "$program" "$staging/$target" 2> /dev/null || cp "$program" "$staging/$target"
    chmod +x "$staging/$target"
    file_is_static "$program" && return
    ! ldd "$program" | grep -q 'not found' || fail "$program needs a library that is not installed"
    ldd "$program" | awk '/=> \// { print $3 } /^\t\// { print $1 }' | while read -r library; do
        if [ ! -e "$staging/$library" ]; then
            mkdir -p "$(dirname "$staging/$library")"
            cp -L "$library" "$staging/$library"
        fi
    done
}

build_initramfs() {
    local kernel_dir=$1
    rm -rf "$staging"
    mkdir -p "$staging"/{bin,lib/modules,ib/src,ib/tools}
    cp /bin/busybox "$staging/bin/busybox"
    cp "$source_dir/tests/vm/guest/init" "$staging/init"
    cp "$source_dir/tests/vm/guest/scenarios.sh" "$staging/scenarios.sh"
    cp "$source_dir/tests/recordings/corpus-folder.sh" "$staging/corpus-folder.sh"
    chmod +x "$staging/init"
    for name in $(module_names); do
        local found
        found=$(find "$kernel_dir/lib/modules" -name "$name.ko" | head -n 1)
        [ -n "$found" ] || fail "the kernel package has no $name.ko"
        cp "$found" "$staging/lib/modules/"
    done
    printf '%s\n' "${modules[@]}" > "$staging/lib/modules/load-order"
    for program in src/imageburner-cli src/imageburner-sim-gadget tools/TreeBaler tools/mergeimg; do
        [ -x "$build_dir/$program" ] || fail "$build_dir/$program is not built"
        stage_program "$build_dir/$program" "ib/$program"
    done
    cp -rL "$source_dir/examples" "$staging/work"
    (cd "$staging" && find . -print0 | cpio --null -o -H newc --quiet) > "$tier_dir/initramfs.cpio"
}

boot() {
    local kernel_dir=$1
    local vmlinuz
    vmlinuz=$(ls "$kernel_dir"/boot/vmlinuz-*)
    local status=0
    # KVM cannot run stock kernels on this kind of machine, so the CPU is emulated.
    timeout "$guest_time_limit" qemu-system-x86_64 -accel tcg -m 512 -smp 1 -nographic -no-reboot \
        -nodefaults -serial stdio -kernel "$vmlinuz" -initrd "$tier_dir/initramfs.cpio" \
        -append "console=ttyS0 panic=-1 quiet" < /dev/null > "$console" 2>&1 || status=$?
    tr -d '\r' < "$console" > "$console.tmp" && mv "$console.tmp" "$console"
    cat "$console"
    [ "$status" -ne 124 ] || fail "the virtual machine did not finish within $guest_time_limit s"
    [ "$status" -eq 0 ] || fail "qemu ended with status $status"
    grep -q '^@@ guest done$' "$console" || fail "the guest did not finish its scenarios"
    # The scenarios' own lines are check_console.sh's; the rest is the harness around them.
    local harness
    harness=$(awk '/^@@ scenario / { on = 1 } !on { print } /^@@ end / { on = 0 }' "$console")
    ! grep '^check .*: FAILED' <<< "$harness" || fail "the guest's harness failed"
    ! grep -E 'ERROR: (AddressSanitizer|LeakSanitizer)|runtime error:' "$console" ||
        fail "a sanitizer reported an error in the guest"
}

# Files the guest sent (send_to_host in guest/scenarios.sh), as base64 between
# "@@ file NAME" and "@@ end file NAME", into BUILD_DIR/vm-tier/files/NAME.
keep_guest_files() {
    local name
    for name in $(sed -n 's/^@@ file //p' "$console"); do
        [[ $name =~ ^[A-Za-z0-9][A-Za-z0-9._-]*$ ]] || fail "the guest sent a file named '$name'"
        awk -v name="$name" '$0 == "@@ end file " name { on = 0 } on { print } $0 == "@@ file " name { on = 1 }' \
            "$console" | base64 -d > "$guest_files/$name" || fail "the guest's $name does not decode"
        echo "vm tier: the guest sent $name ($(stat -c %s "$guest_files/$name") bytes)"
    done
}

main() {
    need_tools
    mkdir -p "$cache_dir"
    rm -f "$console"
    rm -rf "$guest_files"
    mkdir -p "$guest_files"
    local started=$SECONDS
    local deb kernel_dir
    deb=$(fetch_kernel_deb)
    kernel_dir=$(extract_kernel "$deb")
    build_initramfs "$kernel_dir"
    local prepared=$SECONDS
    boot "$kernel_dir"
    keep_guest_files
    echo "vm tier: kernel $(basename "$deb"), preparation $((prepared - started)) s," \
        "virtual machine $((SECONDS - prepared)) s"
}

main
