"""The demo's reinstall: the program's main job end to end on a simulated
Windows 7 64-bit machine, under Wine on a private X server with a
compositing manager, against the local test service (downloads slowed down
so that their progress shows) and the stand-ins of the boot store and of
shutdown.exe. It keeps one picture per wizard step, of the local image
choice and of the catalogue's loading and error views in docs/screens/, and
prints what the program prepared: SETTING.JSON, the boot entry, the saved
user files, the restart.

    python3 testbed/demo_reinstall.py --build build/win64 --screens docs/screens
"""

import argparse
import os
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.join(HERE, "service"))
from boot_store import ENTRY_ID, BootTools  # noqa: E402
from localservice import LocalService, free_port  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402
from reinstall_flow import (MAIN, WIZARD, WORKSPACE, backup_step, controls, end_program, hardware_step,  # noqa: E402
                            service_env, system_step, through_notice, tree, user_files, watch_install, write)
from ui_session import UiSession  # noqa: E402
from winebox import WineBox  # noqa: E402
from xvfb import Xvfb  # noqa: E402


class Pictures:
    def __init__(self, session, xvfb, folder):
        self.session = session
        self.xvfb = xvfb
        self.folder = folder
        os.makedirs(folder, exist_ok=True)

    def wizard(self, name, margin=24):
        time.sleep(0.4)  # the last change painted
        path = os.path.join(self.folder, name)
        self.session.screenshot(WIZARD, path, margin=margin)
        print("  %s" % os.path.relpath(path))

    def around_wizard(self, name):
        """The wizard with a dialog of its own over it."""
        time.sleep(0.6)
        left, top, right, bottom = self.session.window(WIZARD)["rect"]
        path = os.path.join(self.folder, name)
        self.xvfb.screenshot(path, (left - 24, top - 24, right + 24, bottom + 24))
        print("  %s" % os.path.relpath(path))


def show_bytes(title, data, encoding):
    print("  %s (%d 字节, %s):" % (title, len(data), encoding))
    for line in data.decode(encoding).splitlines():
        print("    | " + line)


def reinstall(box, session, pictures, build):
    tools = BootTools(box, os.path.join(build, "testbed", "bcdedit.exe"), os.path.join(build, "testbed", "shutdown.exe"))
    tools.reset(gpt=False)
    with MachineDrives(box, machine_path("win7-x64-mbr")) as drives, \
            LocalService(switches={"gen.rate": "98304"}) as service:
        user_files(box)
        write(drives.host("D:\\镜像\\WIN7_SP1.GHO"), b"a local image")
        # Started in the data drive's root, where the file-open dialog then begins.
        program = session.start(env=service_env(service, drives, tools), cwd=drives.host("D:\\"))
        session.wait(MAIN)
        through_notice(session, service)
        rows = hardware_step(session, "Windows 7 旗舰版 64位")
        pictures.wizard("wizard-hardware.png")
        print("  硬件检测: " + ", ".join("%s %s" % kv for kv in rows.items()))

        system_step(session)
        pictures.wizard("wizard-system.png")
        # The local image choice: the file-open dialog, then the image as the choice ...
        session.click(WIZARD, "option_sys_local_img")
        session.poll(lambda: any(m["visible"] for m in session.windows()["messages"]), what="the file-open dialog")
        pictures.around_wizard("wizard-local-image-dialog.png")
        session.pick("D:\\镜像\\WIN7_SP1.GHO")
        session.poll(lambda: controls(session)["lab_sys_task"]["text"] == "稍后将转移镜像", what="the local image")
        pictures.wizard("wizard-local-image.png")
        print("  本地镜像: %s (%s)" % (controls(session)["lab_selected_sys"]["text"],
                                   controls(session)["lab_sys_task"]["text"]))
        # ... and back to the catalogue's recommended image.
        session.click(WIZARD, "sys_list[0]/check_sys")

        backup_step(session, "C:\\资料\\合同")
        pictures.wizard("wizard-backup.png")
        session.click(WIZARD, "btn_next")
        session.poll(lambda: 35 <= controls(session)["circle_progress"]["value"] < 90, seconds=120,
                     what="the downloads under way")
        pictures.wizard("wizard-install.png")
        c = controls(session)
        print("  下载中: %s %s %s %s" % (c["circle_progress"]["text"], c["lab_speed2"]["text"],
                                      c["lab_size2"]["text"], c["time_remain"]["text"]))
        _, ending = watch_install(session)
        print("  结束: %s" % {"countdown": "重启倒计时", "message": "提问"}.get(ending, ending))
        session.click("showpicture", "btn_reboot")
        session.wait_gone("showpicture")
        session.poll(lambda: controls(session)["time_remain"]["text"] == "PE安装完成", what="PE安装完成")
        print("  QNBReinstaller.exe 退出码 %d" % end_program(session, program))

        workspace = drives.host(WORKSPACE)
        with open(os.path.join(workspace, "SETTING.JSON"), "rb") as f:
            show_bytes("SETTING.JSON", f.read(), "gbk")
        entry = tools.store()["objects"].get(ENTRY_ID, {}).get("elements", {})
        print("  启动项 %s (bcdedit 运行 %d 次):" % (ENTRY_ID, len(tools.bcdedit_log())))
        for key in sorted(entry):
            print("    %-12s %s" % (key, entry[key]))
        manager = tools.store()["objects"]["{bootmgr}"]["elements"]
        print("    默认启动项 %s, 等待 %s 秒" % ("本项" if manager["default"] == ENTRY_ID else manager["default"],
                                          manager["timeout"]))
        saved = tree(os.path.join(workspace, "文件备份"))
        print("  保存的文件 (%s文件备份):" % WORKSPACE)
        for name in sorted(saved):
            print("    %-28s %d 字节" % (name, len(saved[name])))
        print("  重启: shutdown.exe %s" % " / ".join(tools.shutdown_log()))
        reports = [e["path"].rstrip("/").rsplit("/", 1)[-1] for e in service.requests("report")]
        print("  使用报告: %s" % " → ".join(reports))


def without_catalogue(box, session, pictures, build):
    """The catalogue page while the service does not answer: loading, then after 12 empty fills the error view."""
    tools = BootTools(box, os.path.join(build, "testbed", "bcdedit.exe"), os.path.join(build, "testbed", "shutdown.exe"))
    port = free_port()  # nothing listens there
    with MachineDrives(box, machine_path("win7-x64-mbr")) as drives:
        env = dict(drives.env(), QNB_API_HOST="127.0.0.1", QNB_API_PORT=str(port), QNB_REPORT_HOST="127.0.0.1",
                   QNB_REPORT_PORT=str(port))
        env.update(tools.env())
        program = session.start(env=env)
        session.wait(MAIN)
        session.ui("hold-timers", "on")
        session.click(MAIN, "btn_install")
        session.wait("Waring")
        session.ui("tick", "Waring", 232, 5)
        session.click("Waring", "btn_iknow")
        session.wait(WIZARD)
        hardware_step(session, "Windows 7 旗舰版 64位", network="未链接")
        session.click(WIZARD, "btn_next")
        session.poll(lambda: controls(session)["sys_loading"]["visible"], what="the loading view")
        session.ui("hold-timers", "off")
        pictures.wizard("wizard-loading.png")
        session.ui("hold-timers", "on")
        session.ui("tick", WIZARD, 1, 12)
        session.poll(lambda: controls(session)["load_error"]["visible"], what="the error view")
        session.ui("hold-timers", "off")
        pictures.wizard("wizard-error.png")
        print("  无目录: 加载中, 第 12 次空填充后显示错误和“点击重试”")
        end_program(session, program, "btn_close")


def run(build, screens):
    print("\n== 一键重装 (win7-x64-mbr, 本地服务, 启动项与 shutdown.exe 的替身) ==")
    with Xvfb(compositor=True) as x, WineBox("qnb-demo-reinstall", display=x.display) as box:
        box.hide_system_ntdll()
        session = UiSession(box, x, build)
        pictures = Pictures(session, x, screens)
        reinstall(box, session, pictures, build)
        without_catalogue(box, session, pictures, build)
    return True


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", required=True, help="the win64 build folder")
    parser.add_argument("--screens", required=True, help="where the pictures go")
    args = parser.parse_args()
    return 0 if run(os.path.abspath(args.build), os.path.abspath(args.screens)) else 1


if __name__ == "__main__":
    sys.exit(main())
