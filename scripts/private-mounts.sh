# rerun_with_private_mounts <flag> <setup> <script> <arguments>…: runs the script again (as
# root) in a private mount namespace, once the shell commands <setup> (which exit non-zero
# when they fail) have changed what it sees there; returns at once when the variable named
# <flag> says that is done already, or for another user (who cannot mount).
rerun_with_private_mounts() {
  local flag=$1 setup=$2
  shift 2
  [ -z "${!flag:-}" ] && [ "$(id -u)" -eq 0 ] || return 0
  exec env "$flag=1" unshare --mount --propagation private bash -c "$setup"'
    exec bash "$0" "$@"' "$@"
}

# Wine links the machine's serial and parallel nodes as COM and LPT ports in every new
# prefix and opens them to see what they are, and the machine's console lives on them.
# rerun_with_devices_hidden <script> <arguments>…: the script again with those nodes, and
# the USB printer nodes, bound to /dev/null.
rerun_with_devices_hidden() {
  rerun_with_private_mounts VRTQLX_DEVICES_HIDDEN '
    for node in /dev/ttyS* /dev/ttyUSB* /dev/ttyACM* /dev/lp[0-9]* /dev/parport* /dev/usb/*; do
      [ -c "$node" ] && { mount --bind /dev/null "$node" || exit 1; }
    done' "$@"
}
