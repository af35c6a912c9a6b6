"""The reinstall flow through the program's windows, step by step, as the
scenarios (reinstall_scenarios.py) and the demo drive it: the machine's user
files, the notice, the wizard's steps, the install stage, the files the
program prepared.
"""

import os
import re
import shutil
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))

from localservice import generated_sha256  # noqa: E402
from scenarios import Failed  # noqa: E402
from ui_session import UiError  # noqa: E402

MAIN = "PEInstallerDlg"
WIZARD = "installdlg"
WORKSPACE = "D:\\Quenbrook\\Data\\"
IMAGE = "win7_x64_ultimate.wim"
IMAGE_SIZE = 8388608
PACKAGE_SIZE = 3145728
IMAGE_FAILED = "系统镜像下载失败,请关闭安全软件或检查网络连接。"
ERRORS_QUESTION = ("准备工作已全部完成，但在这期间出现了一些错误，您是否需要处理这些错误？\r\n"
                   "如果您选择“否”，我们将立即为您重启计算机。")


def expect(condition, what):
    if not condition:
        raise Failed(what)


# -- the machine ---------------------------------------------------------------

def user_folders(box):
    """The prefix's own user folders, made real: Wine links some of them to
    the host's home, which a backup of the system drive must never walk.
    Returns the host path of the desktop."""
    users = os.path.join(box.drive_c(), "users")
    desktop = None
    for user in os.listdir(users):
        home = os.path.join(users, user)
        if not os.path.isdir(home) or os.path.islink(home):
            continue
        for name in os.listdir(home):
            path = os.path.join(home, name)
            if os.path.islink(path):
                os.remove(path)
                os.makedirs(path)
        if user != "Public":
            desktop = os.path.join(home, "Desktop")
            shutil.rmtree(desktop, ignore_errors=True)  # what an earlier scenario left there
            os.makedirs(desktop)
    return desktop


def saved_files(folder):
    """The backup's copies, without the program's own desktop shortcut (its
    start-up puts one there while the flow runs)."""
    return {k: v for k, v in tree(folder).items() if not k.endswith(".lnk")}


def host_c(box, path):
    return os.path.join(box.drive_c(), *[p for p in path[3:].split("\\") if p])


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(data)


def user_files(box):
    """Files to save: two on the desktop, pictures of the same name in two
    folders of C:, and a folder the user adds to the list."""
    desktop = user_folders(box)
    files = {
        os.path.join(desktop, "note.txt"): b"desktop note\r\n",
        os.path.join(desktop, "报告.docx"): b"report",
        host_c(box, "C:\\资料\\照片\\a.jpg"): b"first picture",
        host_c(box, "C:\\资料\\照片\\旅行\\a.jpg"): b"second picture",
        host_c(box, "C:\\资料\\合同\\合同.pdf"): b"contract",
        host_c(box, "C:\\资料\\合同\\附件\\清单.txt"): b"list",
    }
    for path, data in files.items():
        write(path, data)
    return desktop


def tree(folder):
    """Relative paths (with /) of the files below folder, and their bytes."""
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            with open(path, "rb") as f:
                found[os.path.relpath(path, folder).replace(os.sep, "/")] = f.read()
    return found


def setting_bytes(values):
    """SETTING.JSON as the program writes it: keys in byte order, three
    blanks of indentation, CR LF, the ANSI code page."""
    def literal(v):
        if isinstance(v, bool):
            return "true" if v else "false"
        if isinstance(v, int):
            return str(v)
        return '"%s"' % v.replace("\\", "\\\\")
    lines = ['   "%s" : %s' % (k, literal(values[k])) for k in sorted(values)]
    return ("{\r\n" + ",\r\n".join(lines) + "\r\n}\r\n").encode("gbk")


def expected_setting(service, image, same_disk=True, disk=0, partition=1):
    return setting_bytes({
        # The package answer as the service gives it, its hash included.
        "LocalPeUrl": service.base + "/gen/%d/TessalyPE.wim#sha256=%s" % (PACKAGE_SIZE, generated_sha256(PACKAGE_SIZE)),
        "Option": 0, "QQLogFolder": "",
        "SoftCount": 0, "bLocalImage": False, "bRepart": False, "bSameDisk": same_disk, "bShowedNote": True,
        "nSelDisk": disk, "nSelPar": partition, "nWIMPart": 0, "strImagePath": image})


def service_env(service, drives, tools):
    env = dict(drives.env(), QNB_REPORT_HOST=service.host, QNB_REPORT_PORT=str(service.port),
               QNB_API_HOST=service.host, QNB_API_PORT=str(service.port))
    env.update(tools.env())
    return env


def catalogue_with(image_url):
    """The test service's catalogue with another address for the Windows 7 64-bit image."""
    with open(os.path.join(HERE, "service", "catalogue.json"), encoding="utf-8") as f:
        text = f.read()
    text = text.replace("{base}/gen/8388608/win7_x64_ultimate.wim", image_url)
    handle, path = tempfile.mkstemp(prefix="qnb-catalogue.", suffix=".json")
    with os.fdopen(handle, "w", encoding="utf-8") as f:
        f.write(text)
    return path


# -- the flow ------------------------------------------------------------------

def controls(session):
    return session.controls(WIZARD)


def rows_of(session, list_name, *cells):
    """The texts of named cells of each row of a list."""
    for node in _walk(session.tree(WIZARD)):
        if node.get("name") == list_name:
            result = []
            for row in node.get("children", []):
                texts = {n["name"]: n["text"] for n in _walk(row) if n.get("name")}
                result.append(tuple(texts.get(c) for c in cells))
            return result
    raise Failed("no list %s" % list_name)


def _walk(node):
    yield node
    for child in node.get("children", []):
        yield from _walk(child)


def through_notice(session, service):
    """一键重装系统 once the catalogue is in, the notice's countdown, 我知道了."""
    expect(service.wait_for_log(lambda e: e["group"] == "syslist"), "the program asks for the catalogue")
    session.ui("hold-timers", "on")
    session.click(MAIN, "btn_install")
    session.wait("Waring")
    session.ui("tick", "Waring", 232, 5)
    session.poll(lambda: session.controls("Waring")["btn_iknow"]["enabled"], what="the notice's button")
    session.ui("hold-timers", "off")
    session.click("Waring", "btn_iknow")
    session.wait(WIZARD)


def hardware_step(session, os_text, network="正常"):
    """Step 0 fills with this machine's rows and enables 下一步."""
    session.poll(lambda: controls(session)["label_doing"]["text"] == "运行环境检测完成", seconds=30,
                 what="the end of the hardware check")
    c = controls(session)
    expect(c["btn_next"]["enabled"] and c["btn_recheck"]["enabled"], "下一步 and 重新检测 are enabled")
    expect(c["prog_hardware"]["value"] == 100, "the check's bar is full")
    rows = dict(rows_of(session, "list_hw", "hwkey", "hwvalue"))
    expect(rows.get("网络链接") == network, "the network row: %s" % rows.get("网络链接"))
    expect(rows.get("操作系统") == os_text, "the system row: %s" % rows.get("操作系统"))
    expect(re.match(r"^\d+\.\dGB\(已用\d+%\)$", rows.get("内存", "")), "the memory row: %s" % rows.get("内存"))
    expect(rows.get("处理器"), "a processor row")
    return rows


def system_step(session):
    """Step 1: the service's groups; in 系统 7 the recommended row first, badged and checked."""
    session.click(WIZARD, "btn_next")
    session.poll(lambda: controls(session)["install_main_tab"]["value"] == 1, what="the system step")
    groups = [child["text"] for node in _walk(session.tree(WIZARD)) if node.get("name") == "sys_img_groups"
              for child in node.get("children", [])]
    expect(groups == ["Windows 10 系统", "Windows 7 系统", "其他系统"], "the groups: %s" % groups)
    session.click(WIZARD, "sys_img_groups[1]")
    first = rows_of(session, "sys_list", "itemname", "size")[0]
    expect(first == ("Windows 7 64位 旗舰版", "8.0MB"), "the first row: %s" % (first,))
    row = [n for n in _walk(session.tree(WIZARD)) if n.get("name") == "sys_list"][0]["children"][0]
    cells = {n["name"]: n for n in _walk(row) if n.get("name")}
    expect(cells["check_sys"]["checked"] and cells["tip"]["visible"], "the recommended row is checked and badged")
    expect(controls(session)["lab_selected_sys"]["text"] == "Windows 7 64位 旗舰版", "the strip names the choice")


def start_and_choose(session, service, drives, tools):
    """The program started on the Windows 7 machine, through the notice, the
    hardware step and the system step (the recommended image checked)."""
    program = session.start(env=service_env(service, drives, tools))
    session.wait(MAIN)
    through_notice(session, service)
    hardware_step(session, "Windows 7 旗舰版 64位")
    system_step(session)
    return program


def to_backup_step(session):
    session.click(WIZARD, "btn_next")
    session.poll(lambda: controls(session)["install_main_tab"]["value"] == 3, what="the backup-file step")


def backup_step(session, folder):
    """Step 2: the desktop and pictures checked, one folder added through the picker."""
    to_backup_step(session)
    expect(controls(session)["btn_next"]["text"] == "完成", "下一步 reads 完成")
    session.click(WIZARD, "check_desktop")
    session.click(WIZARD, "check_picture")
    session.click(WIZARD, "btn_add_folder")
    session.pick(folder)

    def listed():
        try:
            return rows_of(session, "folder_list", "folderpath") == [(folder,)]
        except UiError:
            return False  # the window may not answer while the picker goes away
    try:
        session.poll(listed, seconds=10)
    except UiError:
        raise Failed("the folder list holds %s" % rows_of(session, "folder_list", "folderpath"))


def watch_install(session, seconds=240):
    """The install stage until the countdown or a message box shows; what
    the page showed meanwhile."""
    seen = []
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        windows = session.windows()
        if any(w["class"] == "showpicture" and w["visible"] for w in windows["windows"]):
            return seen, "countdown"
        if any(m["visible"] for m in windows["messages"]):
            return seen, "message"
        if any(w["class"] == "LostFile" and w["visible"] for w in windows["windows"]):
            return seen, "error"
        try:
            c = controls(session)
        except UiError:
            return seen, "gone"
        seen.append({k: c[k]["text"] for k in ("circle_progress", "lab_speed2", "lab_size2", "time_remain",
                                                "backup_task", "lab_sys_task2")})
        seen[-1]["circle"] = c["circle_progress"]["value"]
        time.sleep(0.25)
    raise Failed("the install stage did not end within %d s" % seconds)


def end_program(session, program, button="btn_cancle_install"):
    """Out of the wizard through 取消重装 (or another button that asks) and its question, then the main window closes."""
    session.click(WIZARD, button)
    session.wait_message("退出？")
    session.answer("退出？", "yes")
    session.wait_gone(WIZARD)
    return session.stop(program)


def reports(service):
    return [e["path"].rstrip("/").rsplit("/", 1)[-1] for e in service.requests("report")]
