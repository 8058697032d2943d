#!/usr/bin/python3
# The documentation of the action plugin action_plugins/vrtqlx_report.py, which does the
# work in the controller; Ansible and ansible-lint find a task's action by this file.
DOCUMENTATION = r"""
module: vrtqlx_report
short_description: Write a file of the control machine from one of the role's templates
description:
  - Renders the template in the controller and writes it whole (beside, then renamed) when
    its content differs. Used with delegate_to localhost and run_once for the reports.
options:
  src: {description: The template, found in the role's templates folder., type: str, required: true}
  dest: {description: The file on the control machine., type: path, required: true}
  mode: {description: Its permissions (octal)., type: str, default: "0644"}
"""
