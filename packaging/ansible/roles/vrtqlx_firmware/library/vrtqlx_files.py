#!/usr/bin/python3
# The station's side of the action plugin action_plugins/vrtqlx_files.py: says which files
# are there already with the wanted content, and moves the ones the controller staged into
# place (whole: a reader of the file never sees part of it).
import os

from ansible.module_utils.basic import AnsibleModule

DOCUMENTATION = r"""
module: vrtqlx_files
short_description: Copy files of the control machine to the station, each only when it differs
description:
  - Looks at all the files on the station at once (SHA-256) and transfers only those that
    are missing or differ, then moves them into place whole, each checked against its
    SHA-256. Makes the destinations' folders.
options:
  files:
    description:
      - The files, each a dict of src (on the control machine), dest (on the station) and
        sha256 (of src, taken on the control machine).
    type: list
    elements: dict
    required: true
  mode: {description: The files' permissions (octal)., type: str, default: "0640"}
  compare:
    description: Whether to look for the files first; false when their folder is new.
    type: bool
    default: true
"""


def main():
    module = AnsibleModule(
        argument_spec={"files": {"type": "list", "elements": "dict", "required": True},
                       "mode": {"type": "str", "default": "0640"}},
        supports_check_mode=True)
    mode = module.params["mode"]
    changed = False
    present = []
    for f in module.params["files"]:
        dest = f["dest"]
        if "staged" in f:
            if module.sha256(f["staged"]) != f["sha256"]:
                module.fail_json(msg="%s arrived without the SHA-256 %s" % (dest, f["sha256"]))
            folder = os.path.dirname(dest)
            try:
                os.makedirs(folder, mode=0o750, exist_ok=True)
            except OSError as e:
                module.fail_json(msg="cannot make %s: %s" % (folder, e))
            module.atomic_move(f["staged"], dest)
            module.set_mode_if_different(dest, mode, True)
            changed = True
        elif os.path.isfile(dest) and not os.path.islink(dest) and module.sha256(dest) == f["sha256"]:
            present.append(dest)
            changed = module.set_mode_if_different(dest, mode, changed)
    module.exit_json(changed=changed, present=present)


if __name__ == "__main__":
    main()
