# Writes a file of the control machine from one of the role's templates. The reports are
# rendered and written here, in the controller: a module run for each (two, with the stat
# that `template` runs first) costs a start of Python for every wave.
import os
import stat
import tempfile

from ansible.errors import AnsibleActionFail
from ansible.module_utils.common.text.converters import to_bytes, to_native, to_text
from ansible.plugins.action import ActionBase
from ansible.template import AnsibleEnvironment


class ActionModule(ActionBase):
    TRANSFERS_FILES = False
    _VALID_ARGS = frozenset(("src", "dest", "mode"))

    def run(self, tmp=None, task_vars=None):
        result = super().run(tmp, task_vars)
        try:
            source = self._find_needle("templates", self._task.args["src"])
            dest = str(self._task.args["dest"])
            mode = int(str(self._task.args.get("mode", "0644")), 8)
            with open(source, "rb") as f:
                template = to_text(f.read())
        except (KeyError, ValueError, OSError) as e:
            raise AnsibleActionFail("vrtqlx_report needs src, dest and an octal mode: %s" % to_native(e))
        templar = self._templar.copy_with_new_env(
            environment_class=AnsibleEnvironment, searchpath=[os.path.dirname(source)],
            available_variables=task_vars)
        data = to_bytes(templar.do_template(template, preserve_trailing_newlines=True,
                                            escape_backslashes=False))
        try:
            with open(dest, "rb") as f:
                unchanged = (f.read(len(data) + 1) == data
                             and stat.S_IMODE(os.fstat(f.fileno()).st_mode) == mode)
        except OSError:
            unchanged = False
        result.update(changed=not unchanged, dest=dest)
        if unchanged or self._play_context.check_mode:
            return result
        # Whole or not at all: written beside and renamed into place.
        folder = os.path.dirname(os.path.abspath(dest))
        try:
            fd, temporary = tempfile.mkstemp(dir=folder, prefix=".vrtqlx-report.")
            try:
                with os.fdopen(fd, "wb") as f:
                    f.write(data)
                    os.fchmod(f.fileno(), mode)
                os.replace(temporary, dest)
            except BaseException:
                os.unlink(temporary)
                raise
        except OSError as e:
            raise AnsibleActionFail("cannot write %s: %s" % (dest, to_native(e)))
        return result
