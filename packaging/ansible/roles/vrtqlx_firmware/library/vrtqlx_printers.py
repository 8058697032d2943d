#!/usr/bin/python3
# One run per station for all its printers: each printer's record is read, its job is run
# with --dry-run (which opens no port, so it runs in check mode too), and the printers that
# need their image are downloaded into, side by side where their targets differ. Every
# printer gets its row; a failed printer does not fail the module, the role decides.
import json
import os
import subprocess
import tempfile
import time

from ansible.module_utils.basic import AnsibleModule

DOCUMENTATION = r"""
module: vrtqlx_printers
short_description: Dry-run and download firmware into the printers of one station
description:
  - Reads each printer's record of its last download, runs its job with --dry-run, downloads
    into the printers that need their image (not in check mode) and records what they took.
options:
  program: {description: The vrtqlx program to run., type: path, required: true}
  run_dir: {description: Where the program runs., type: path, required: true}
  log_file: {description: The program's log; empty for its own., type: str, default: ""}
  environment: {description: Environment of the program's runs., type: dict, default: {}}
  force: {description: Download even where the record shows the same image., type: bool, default: false}
  allow_empty: {description: Whether a 0-byte image may be sent., type: bool, default: false}
  host: {description: The station's name in the report., type: str, required: true}
  printers:
    description: The station's printers, each with its image (path, sha256) and record path.
    type: list
    elements: dict
    required: true
"""

# What is read of a record and of a run's output: a record is a few hundred bytes, the
# program's JSON answer a few kilobytes.
RECORD_LIMIT = 65536
OUTPUT_LIMIT = 1 << 20


def read_record(path):
    """The record's dict, or None for a missing, unreadable or damaged one (download again)."""
    try:
        with open(path, "rb") as f:
            record = json.loads(f.read(RECORD_LIMIT))
    except (OSError, ValueError):
        return None
    return record if isinstance(record, dict) else None


def write_record(path, record):
    """Whole or not at all: written beside and renamed into place."""
    os.makedirs(os.path.dirname(path), mode=0o750, exist_ok=True)
    with open(path + ".new", "w", encoding="utf-8") as f:
        json.dump(record, f)
    os.chmod(path + ".new", 0o640)
    os.replace(path + ".new", path)


def job_args(printer):
    """The job's arguments after the script options; every value its own argument."""
    args = ["-s", "-p", str(printer["port"])]
    if printer.get("address") is not None:
        args.append(str(printer["address"]))
    if printer.get("tcpport") is not None:
        args += ["-tcpport", str(printer["tcpport"])]
    if printer.get("baud") is not None:
        args += ["-b", str(printer["baud"])]
    args += ["-m", str(printer["model"])]
    if printer.get("image"):
        args += ["-f", str(printer["image"])]
    return args


def bounded(f):
    f.seek(0)
    return f.read(OUTPUT_LIMIT).decode("utf-8", "replace")


def run_all(argvs, cwd, env):
    """Runs the programs side by side; (rc, stdout, stderr) of each, output read up to a bound."""
    started = []
    try:
        for argv in argvs:
            out, err = tempfile.TemporaryFile(), tempfile.TemporaryFile()
            started.append((out, err))
            try:
                proc = subprocess.Popen(argv, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                                        stdout=out, stderr=err)
            except OSError as e:
                err.write(str(e).encode())
                proc = None
            started[-1] = (proc, out, err)
        return [(proc.wait() if proc else -1, bounded(out), bounded(err))
                for proc, out, err in started]
    finally:
        for entry in started:
            for f in entry[-2:]:
                f.close()


def answer(rc, out, err):
    """The program's JSON answer; a run that printed none (no program, a crash) still gets one."""
    out = out.strip()
    if out.startswith("{") and out.endswith("}"):
        try:
            result = json.loads(out)
            if isinstance(result, dict):
                return result
        except ValueError:
            pass
    lines = err.strip().splitlines()
    return {"outcome": "failed", "exit_code": rc, "reason": lines[-1] if lines else ""}


def plan(printer, rc, dry, record, params):
    if rc != 0 or dry.get("outcome") != "would download":
        return "refused"
    warnings = dry.get("warnings") if isinstance(dry.get("warnings"), list) else []
    allow_empty = printer.get("allow_empty")
    if any("is empty" in str(w) for w in warnings) and not (
            params["allow_empty"] if allow_empty is None else module_bool(allow_empty)):
        return "empty"
    sha = printer.get("sha256") or ""
    record = record or {}
    if (not params["force"] and sha and record.get("sha256") == sha
            and record.get("model") == str(printer["model"])
            and record.get("port") == str(printer["port"])
            and record.get("target", "") == dry.get("target", "")):
        return "current"
    return "download"


def module_bool(value):
    return str(value).strip().lower() in ("1", "true", "yes", "on", "y", "t")


def side_by_side(indexes, targets):
    """Rounds of printers to download at once: two printers on one target never together."""
    rounds = []
    for i in indexes:
        for r in rounds:
            if targets[i] not in {targets[j] for j in r}:
                r.append(i)
                break
        else:
            rounds.append([i])
    return rounds


def main():
    module = AnsibleModule(
        argument_spec=dict(
            program=dict(type="path", required=True),
            run_dir=dict(type="path", required=True),
            log_file=dict(type="str", default=""),
            environment=dict(type="dict", default={}),
            force=dict(type="bool", default=False),
            allow_empty=dict(type="bool", default=False),
            host=dict(type="str", required=True),
            printers=dict(type="list", elements="dict", required=True),
        ),
        supports_check_mode=True,
    )
    p = module.params
    env = dict(os.environ)
    env.update({str(k): str(v) for k, v in p["environment"].items()})
    opts = [p["program"], "--json"] + (["--log", p["log_file"]] if p["log_file"] else [])
    printers = p["printers"]
    for printer in printers:
        if printer.get("model") is None or printer.get("port") is None:
            module.fail_json(msg="every printer needs a model and a port")

    records = [read_record(pr["record"]) for pr in printers]
    dry_raw = run_all([opts + ["--dry-run", "--quiet"] + job_args(pr) for pr in printers],
                      p["run_dir"], env)
    dry_runs = [answer(*r) for r in dry_raw]
    actions = [plan(pr, raw[0], dry, rec, p)
               for pr, raw, dry, rec in zip(printers, dry_raw, dry_runs, records)]
    results = list(dry_runs)
    if not module.check_mode:
        wanted = [i for i, a in enumerate(actions) if a == "download"]
        for group in side_by_side(wanted, [str(d.get("target", "")) for d in dry_runs]):
            runs = run_all([opts + ["--quiet"] + job_args(printers[i]) for i in group],
                           p["run_dir"], env)
            for i, run in zip(group, runs):
                results[i] = answer(*run)

    rows = []
    changed = False
    for printer, action, result in zip(printers, actions, results):
        row = {
            "host": p["host"], "printer": printer.get("name") or "", "model": str(printer["model"]),
            "port": str(printer["port"]), "target": result.get("target", ""),
            "file": printer.get("file") or result.get("file", ""), "sha256": printer.get("sha256") or "",
            "outcome": {"current": "current", "empty": "failed"}.get(action, result.get("outcome", "")),
            "exit_code": "" if action in ("current", "empty") else result.get("exit_code", ""),
            "bytes_sent": result.get("bytes_sent", 0), "bytes_total": result.get("bytes_total", 0),
            "seconds": 0 if action == "current" else result.get("seconds", 0),
            "reason": {"empty": "empty image", "current": ""}.get(action, result.get("reason", "")),
        }
        rows.append(row)
        if action == "download" and row["outcome"] == "downloaded":
            changed = True
            if row["sha256"]:
                write_record(printer["record"], {
                    "printer": row["printer"], "port": row["port"], "target": row["target"],
                    "model": row["model"], "sha256": row["sha256"], "file": row["file"],
                    "time": time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime())})
    module.exit_json(changed=changed, results=rows)


if __name__ == "__main__":
    main()
