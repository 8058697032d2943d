# Copies files of the control machine to the station: one look at the station for all of
# them (each file's SHA-256, as the task gives it: the file is not read again here), one
# transfer for each file that is missing or differs there and one module run that moves
# them into place. A `copy` loop pays two module runs and two temporary folders for every
# file, which is most of a rollout's time on a station with several printers.
import os

from ansible.errors import AnsibleAction, AnsibleActionFail
from ansible.module_utils.common.text.converters import to_native
from ansible.module_utils.parsing.convert_bool import boolean
from ansible.plugins.action import ActionBase


class ActionModule(ActionBase):
    TRANSFERS_FILES = False
    _VALID_ARGS = frozenset(("files", "mode", "compare"))

    def run(self, tmp=None, task_vars=None):
        self._supports_check_mode = True
        result = super().run(tmp, task_vars)
        try:
            files, mode, compare = self._arguments()
            return self._copy(result, files, mode, compare, task_vars)
        except AnsibleAction as e:
            result.update(e.result)
            return result
        finally:
            if self._connection._shell.tmpdir:
                self._remove_tmp_path(self._connection._shell.tmpdir)

    def _arguments(self):
        try:
            files = [{"src": str(f["src"]), "dest": str(f["dest"]), "sha256": str(f["sha256"])}
                     for f in self._task.args["files"]]
            mode = str(self._task.args.get("mode", "0640"))
            compare = boolean(self._task.args.get("compare", True), strict=True)
        except (KeyError, TypeError, ValueError) as e:
            raise AnsibleActionFail("vrtqlx_files needs files (src, dest and sha256 each), a mode "
                                    "and compare true or false: %s" % to_native(e))
        for f in files:
            if not os.path.isfile(f["src"]):
                raise AnsibleActionFail("%s is not a file of the control machine" % f["src"])
        return files, mode, compare

    def _copy(self, result, files, mode, compare, task_vars):
        if not files:
            result.update(changed=False, copied=[])
            return result
        present = set()
        if compare:
            looked = self._place(files, mode, task_vars)
            if looked.get("failed"):
                return looked
            present = set(looked["present"])
            result["changed"] = looked["changed"]
        missing = [f for f in files if f["dest"] not in present]
        if missing and not self._play_context.check_mode:
            folder = self._connection._shell.tmpdir or self._make_tmp_path()
            for index, f in enumerate(missing):
                f["staged"] = self._connection._shell.join_path(folder, "file%d" % index)
                self._transfer_file(f["src"], f["staged"])
            self._fixup_perms2([folder] + [f["staged"] for f in missing])
            placed = self._place(missing, mode, task_vars)
            if placed.get("failed"):
                return placed
        result.update(changed=result.get("changed", False) or bool(missing),
                      copied=[f["dest"] for f in missing])
        return result

    def _place(self, files, mode, task_vars):
        return self._execute_module(module_name="vrtqlx_files", module_args={"files": files, "mode": mode},
                                    task_vars=task_vars)
