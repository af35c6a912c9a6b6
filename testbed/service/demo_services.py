"""The demo's network part: the program's start-up report and service threads
against the local test service, which is down for the first seconds."""

import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, HERE)
sys.path.insert(0, os.path.dirname(HERE))
from localservice import LocalService, free_port  # noqa: E402
from machine_drives import MachineDrives, machine_path  # noqa: E402


def size(n):
    return "%.1f GiB" % (n / (1 << 30)) if n >= (1 << 30) / 10 else "%d MiB" % (n >> 20)


def demo_services(box, build, machine="second-disk-first"):
    print("\n== 服务: 启动报告与后台线程 (%s) ==" % machine)
    qnbdiag = os.path.join(build, "tools", "qnbdiag", "qnbdiag.exe")
    users = os.path.join(box.drive_c(), "users")
    for user in os.listdir(users):  # the prefix's own desktop, not the host's home
        desktop = os.path.join(users, user, "Desktop")
        if os.path.islink(desktop):
            os.remove(desktop)
        os.makedirs(desktop, exist_ok=True)
    port = free_port()
    with MachineDrives(box, machine_path(machine)) as drives, LocalService() as reports, \
            LocalService(port=port, switches={"update": "newer"}) as service:
        service.stop()
        env = dict(box.env, **drives.env())
        env.update(QNB_API_HOST="127.0.0.1", QNB_API_PORT=str(port), QNB_REPORT_HOST="127.0.0.1",
                   QNB_REPORT_PORT=str(reports.port), WINEDLLOVERRIDES=env.get("WINEDLLOVERRIDES", "") + ";winemenubuilder.exe=d")
        program = subprocess.Popen(["wine", qnbdiag, "startup-services", "60"], env=env, stdout=subprocess.PIPE)
        time.sleep(3)
        print("  服务在 3 秒后才启动 (端口 %d)" % port)
        service.start()
        out, _ = program.communicate(timeout=180)
        state = json.loads(out.decode("utf-8"))
        catalogue = state["catalogue"]
        print("  目录        %d 项%s" % (catalogue["count"],
                                       ", 服务未启动时曾标记为失败 (-1)" if state["saw_catalogue_failed"] else ""))
        for group in catalogue["groups"]:
            print("    [%s]" % group["name"])
            for e in catalogue["entries"]:
                if e["groupid"] == group["id"]:
                    print("      %s %-28s %9s  类型码 %-2d%s" % ("*" if e["selected"] else " ", e["name"], size(e["size"]),
                                                           e["imagetype"], "  推荐" if e["brecommend"] else ""))
        print("  PE 包地址   %s" % state["package_url"])
        setting = drives.host(state["workspace"] + "SETTING.JSON")
        print("  LocalPeUrl  %s (SETTING.JSON)" % json.loads(open(setting, "rb").read().decode("gbk"))["LocalPeUrl"])
        update = state["update"]
        print("  更新        %s" % ("启动时服务未启动, 没有回答" if update["state"] == 0 else
                                   "新版本 %s: %s" % (update["vername"], update["description"])))
        copy = drives.host(state["workspace"] + "QNBReinstaller.exe")
        print("  程序副本    %s (%s)" % (state["workspace"] + "QNBReinstaller.exe",
                                     "%d 字节" % os.path.getsize(copy) if os.path.exists(copy) else "没有"))
        print("  服务日志:")
        for entry in sorted(service.log() + reports.log(), key=lambda e: e["time"]):
            print("    %-5s %s%s" % (entry["status"], entry["path"], "?" + entry["query"] if entry["query"] else ""))
    return catalogue["count"] > 0
