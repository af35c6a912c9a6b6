#!/usr/bin/env python3
"""The system backup and restore flows of the program under Wine, end to
end: QNBReinstaller.exe on a simulated machine, its windows driven through
the automation channel, the package downloaded from the local test
service, the installer against the stand-ins of bcdedit.exe and
shutdown.exe, and inside the preinstallation environment the stand-in of
X:\\windows\\changeDesk.exe. The steps are in system_backup_flows.py,
which the demo runs too.
"""

import os
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from boot_store import BootTools  # noqa: E402
from scenarios import Runner  # noqa: E402
import system_backup_flows as flows  # noqa: E402
from ui_session import UiSession  # noqa: E402

runner = Runner(__doc__, prefix="qnb-sysbackup", gui=True)
runner.argument("--build", required=True, help="the win64 build folder")
runner.argument("--bcdedit", required=True)
runner.argument("--shutdown", required=True)
runner.argument("--changedesk", required=True)


@runner.shared
def prefix(box, args, xvfb):
    box.hide_system_ntdll()
    yield {"session": UiSession(box, xvfb, os.path.abspath(args.build)),
           "tools": BootTools(box, args.bcdedit, args.shutdown)}


def bed(s, machine, pe=False, **kwargs):
    return flows.Bed(s.box, s.shared["session"], s.shared["tools"], s.args.changedesk, machine, pe=pe, **kwargs)


@runner.after_each
def end_programs(s):
    subprocess.run(["wineserver", "-k"], env=s.box.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)


@runner.scenario
def backup(s):
    with bed(s, "gpt-uefi") as b:
        flows.backup_flow(s, b)


@runner.scenario
def restore(s):
    with bed(s, "gpt-uefi") as b:
        flows.restore_flow(s, b)


@runner.scenario
def restore_list_in_another_zone(s):
    with bed(s, "gpt-uefi", zone="America/New_York") as b:
        flows.list_in_another_zone(s, b)


@runner.scenario
def backup_in_environment(s):
    with bed(s, "pe-win7-x64", pe=True) as b:
        flows.backup_in_environment(s, b)


@runner.scenario
def restore_in_environment(s):
    with bed(s, "pe-win7-x64", pe=True) as b:
        flows.restore_in_environment(s, b)


@runner.scenario
def failed_download(s):
    with bed(s, "gpt-uefi", service_switches={"pe_url": "{base}/gen/1048576/TessalyPE.wim?fail=404"}) as b:
        flows.failed_download(s, b)


if __name__ == "__main__":
    sys.exit(runner.main())
