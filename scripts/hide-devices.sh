# Wine links the machine's serial and parallel nodes as COM and LPT ports in every new
# prefix and opens them to see what they are, and the machine's console lives on them.
# rerun_with_devices_hidden <script> <arguments>…: runs the script again (as root) in a
# private mount namespace in which those nodes, and the USB printer nodes, are /dev/null;
# returns at once when that is done already, or for another user (who cannot open them).
rerun_with_devices_hidden() {
  [ -z "${VRTQLX_DEVICES_HIDDEN:-}" ] && [ "$(id -u)" -eq 0 ] || return 0
  exec env VRTQLX_DEVICES_HIDDEN=1 unshare --mount --propagation private bash -c '
    for node in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/lp[0-9]* /dev/parport* /dev/usb/*; do
      [ -c "$node" ] && { mount --bind /dev/null "$node" || exit 1; }
    done
    exec bash "$0" "$@"' "$@"
}
