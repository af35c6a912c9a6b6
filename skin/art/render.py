#!/usr/bin/env python3
"""Renders the skin's pictures from the drawings in this folder.

    render.py --list                 the pictures it makes (paths inside skin/)
    render.py --out DIR [--icon ICO] renders them into DIR (and the program's icon)

Hand-drawn pictures are SVG files here; the sprites of button states, the
product badges and the step pictures of the security guide are drawn by
this script from a few shapes. Everything goes through rsvg-convert, the
icon through ImageMagick. Text in pictures uses WenQuanYi Micro Hei, which
the build machine has (fonts-wqy-microhei).
"""

import argparse
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import backup_art  # noqa: E402

HERE = os.path.dirname(os.path.abspath(__file__))

BLUE = "#0f68af"
BLUE_LIGHT = "#2b8fdb"
BLUE_DARK = "#0b5591"
GREEN = "#1fbba6"
TEXT = "#333333"
GREY = "#8a95a1"
LINE = "#dde3ea"
FONT = "WenQuanYi Micro Hei, Microsoft YaHei, sans-serif"


def svg(width, height, body):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">%s</svg>'
            % (width, height, width, height, body))


def text(x, y, content, size=14, fill=TEXT, weight="normal", anchor="start"):
    return ('<text x="%s" y="%s" font-family="%s" font-size="%s" font-weight="%s" fill="%s" text-anchor="%s">%s</text>'
            % (x, y, FONT, size, weight, fill, anchor, content))


# ---------------------------------------------------------------------------
# Title bar buttons: normal, hot and pushed side by side, 40x40 each.

GLYPHS = {
    "menu": '<path d="M13 14H27M13 20H27M13 26H27" stroke="#fff" stroke-width="2" stroke-linecap="round"/>',
    "min": '<path d="M13 21H27" stroke="#fff" stroke-width="2" stroke-linecap="round"/>',
    "close": '<path d="M14 14L26 26M26 14L14 26" stroke="#fff" stroke-width="2" stroke-linecap="round"/>',
}


def title_button(glyph):
    hot, pushed = ("#e5484d", "#c93a3f") if glyph == "close" else ("#ffffff33", "#ffffff55")
    cells = []
    for i, back in enumerate([None, hot, pushed]):
        cell = '<g transform="translate(%d,0)">' % (i * 40)
        if back:
            cell += '<rect x="2" y="2" width="36" height="36" rx="4" fill="%s"/>' % back
        cells.append(cell + GLYPHS[glyph] + "</g>")
    return svg(120, 40, "".join(cells))


# ---------------------------------------------------------------------------
# The main window's big button: three states of 240x240.

def install_button():
    states = [("#2b8fdb", "#0f68af", 0.10), ("#3a9ae6", "#1675c2", 0.16), ("#0f64a6", "#0a4f87", 0.20)]
    body = ""
    for i, (top, bottom, halo) in enumerate(states):
        body += ('<defs><linearGradient id="g%d" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="%s"/>'
                 '<stop offset="1" stop-color="%s"/></linearGradient></defs>' % (i, top, bottom))
        body += '<g transform="translate(%d,0)">' % (i * 240)
        body += '<circle cx="120" cy="120" r="118" fill="%s" fill-opacity="%.2f"/>' % (BLUE, halo)
        body += '<circle cx="120" cy="120" r="102" fill="url(#g%d)"/>' % i
        # A monitor with a turning arrow on its screen.
        body += ('<rect x="84" y="56" width="72" height="50" rx="6" fill="none" stroke="#fff" stroke-width="5"/>'
                 '<path d="M112 106V118M100 120H140" stroke="#fff" stroke-width="5" stroke-linecap="round"/>'
                 '<path d="M129.5 74A11 11 0 1 0 131 86" fill="none" stroke="#fff" stroke-width="4" '
                 'stroke-linecap="round"/><path d="M133 66L133 77L123 74Z" fill="#fff"/>')
        body += "</g>"
    return svg(720, 240, body)


# ---------------------------------------------------------------------------
# The main window's two pill buttons: normal, hot and pushed, 180x50 each
# (stretched between their round ends).

def pill_button():
    body = ""
    for i, (fill, stroke) in enumerate([("#ffffff", BLUE), ("#e8f2fb", BLUE), ("#d5e7f7", BLUE_DARK)]):
        body += ('<rect x="%.1f" y="0.75" width="178.5" height="48.5" rx="24.25" fill="%s" stroke="%s" '
                 'stroke-width="1.5"/>' % (i * 180 + 0.75, fill, stroke))
    return svg(540, 50, body)


# ---------------------------------------------------------------------------
# Small icons.

def icon_backup():
    return svg(24, 24, '<path d="M4 14V18.5A1.5 1.5 0 0 0 5.5 20H18.5A1.5 1.5 0 0 0 20 18.5V14" fill="none" '
                       'stroke="%s" stroke-width="2" stroke-linecap="round"/><path d="M12 15V4M7.5 8.5L12 4L16.5 8.5" '
                       'fill="none" stroke="%s" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>'
               % (BLUE, BLUE))


def icon_restore():
    return svg(24, 24, '<path d="M5.2 9.5A7.5 7.5 0 1 1 4.5 13" fill="none" stroke="%s" stroke-width="2" '
                       'stroke-linecap="round"/><path d="M3.5 5V10H8.5" fill="none" stroke="%s" stroke-width="2" '
                       'stroke-linecap="round" stroke-linejoin="round"/><path d="M12 8.5V12.5L14.5 14" fill="none" '
                       'stroke="%s" stroke-width="2" stroke-linecap="round"/>' % (BLUE, BLUE, GREEN))


def badge(colour, glyph):
    return svg(16, 16, '<circle cx="8" cy="8" r="7.5" fill="%s"/>%s' % (colour, glyph))


def icon_warn(size=24):
    return svg(size, size, '<g transform="scale(%s)"><path d="M12 2.5L22.5 20.5H1.5Z" fill="#ffb020" '
                           'stroke="#ffb020" stroke-width="1.5" stroke-linejoin="round"/><path d="M12 9V14" '
                           'stroke="#fff" stroke-width="2.2" stroke-linecap="round"/><circle cx="12" cy="17.3" '
                           'r="1.3" fill="#fff"/></g>' % (size / 24.0))


# ---------------------------------------------------------------------------
# Shields: the warning picture, the guide's product badges.

SHIELD = "M0 -44 L36 -30 V2 C36 26 18 40 0 48 C-18 40 -36 26 -36 2 V-30 Z"

PRODUCT_GLYPHS = {
    "check": '<path d="M-14 2L-4 12L16 -10" fill="none" stroke="#fff" stroke-width="7" stroke-linecap="round" '
             'stroke-linejoin="round"/>',
    "plus": '<path d="M0 -16V18M-17 1H17" stroke="#fff" stroke-width="7" stroke-linecap="round"/>',
    "lock": '<rect x="-15" y="-4" width="30" height="22" rx="4" fill="#fff"/><path d="M-9 -4V-11A9 9 0 0 1 9 -11V-4" '
            'fill="none" stroke="#fff" stroke-width="5"/>',
    "home": '<path d="M-17 2L0 -14L17 2" fill="none" stroke="#fff" stroke-width="6" stroke-linecap="round" '
            'stroke-linejoin="round"/><path d="M-11 0V17H11V0" fill="none" stroke="#fff" stroke-width="6" '
            'stroke-linejoin="round"/>',
    "bolt": '<path d="M4 -20L-13 4H0L-4 22L13 -4H0Z" fill="#fff" stroke="#fff" stroke-width="2" '
            'stroke-linejoin="round"/>',
}

# picture, shield colours (top, bottom), glyph
PRODUCTS = {
    "360safe": ("#4cc86a", "#27a048", "check"),
    "360sd": ("#4a95f0", "#2470d6", "plus"),
    "WindowsDefender": ("#2b8fdb", "#0f68af", "lock"),
    "qqguanjia": ("#35b5f5", "#0d8fd8", "home"),
    "duba": ("#ffa43a", "#ec7a00", "bolt"),
}


def shield(cx, cy, scale, top, bottom, glyph, ident):
    return ('<defs><linearGradient id="%s" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="%s"/>'
            '<stop offset="1" stop-color="%s"/></linearGradient></defs><g transform="translate(%s,%s) scale(%s)">'
            '<path d="%s" fill="url(#%s)"/>%s</g>' % (ident, top, bottom, cx, cy, scale, SHIELD, ident,
                                                      PRODUCT_GLYPHS[glyph]))


def product_badge(name):
    top, bottom, glyph = PRODUCTS[name]
    return svg(100, 110, shield(50, 40, 0.62, top, bottom, glyph, "s"))


def option_frame(selected):
    body = '<rect x="1" y="1" width="98" height="108" rx="8" fill="%s" fill-opacity="0.07" stroke="%s" ' \
           'stroke-width="2"/>' % (BLUE, BLUE if selected else "#9cc3e6")
    if selected:
        body += '<circle cx="86" cy="14" r="9" fill="%s"/><path d="M81.5 14L85 17.5L91 10.5" fill="none" ' \
                'stroke="#fff" stroke-width="2" stroke-linecap="round" stroke-linejoin="round"/>' % GREEN
    return svg(100, 110, body)


def waring_banner():
    body = ('<defs><linearGradient id="b" x1="0" y1="0" x2="1" y2="1"><stop offset="0" stop-color="%s"/>'
            '<stop offset="1" stop-color="%s"/></linearGradient></defs><rect width="400" height="170" fill="url(#b)"/>'
            % (BLUE_LIGHT, BLUE))
    for cx, cy, r in [(40, 30, 60), (360, 150, 80), (330, 20, 26), (70, 150, 18)]:
        body += '<circle cx="%d" cy="%d" r="%d" fill="#fff" fill-opacity="0.07"/>' % (cx, cy, r)
    body += ('<g transform="translate(200,88) scale(1.25)"><path d="%s" fill="#fff"/>'
             '<path d="M0 -26V8" stroke="#ff9f1a" stroke-width="9" stroke-linecap="round"/>'
             '<circle cx="0" cy="24" r="5.5" fill="#ff9f1a"/></g>' % SHIELD)
    return svg(400, 170, body)


def guide_banner():
    body = '<rect width="600" height="64" rx="8" fill="#eef5fc"/>'
    body += shield(36, 32, 0.42, BLUE_LIGHT, BLUE, "lock", "s")
    body += text(70, 27, "安装或备份时，安全软件可能会拦截本程序的操作", 15, TEXT, "bold")
    body += text(70, 49, "照着下面的教程暂时退出它们，完成后再重新打开即可。", 13, GREY)
    return svg(600, 64, body)


# ---------------------------------------------------------------------------
# The guide's step pictures: 640x300, a drawing of the screen on the left,
# the step and what to do on the right; the bottom right stays free for
# the "下一步" button (392,244 - 562,288).

def cursor(x, y):
    return ('<path transform="translate(%s,%s)" d="M0 0L0 17L4.5 13L7.5 20L10.5 18.7L7.5 12L13 12Z" '
            'fill="#fff" stroke="#222" stroke-width="1.2" stroke-linejoin="round"/>' % (x, y))


def product_icon(name, cx, cy, scale, ident):
    top, bottom, glyph = PRODUCTS[name]
    return shield(cx, cy, scale, top, bottom, glyph, ident)


def screen(content):
    """The card on the left that holds the drawing of the screen."""
    return ('<rect x="24" y="24" width="340" height="252" rx="10" fill="#e9f1f8"/>'
            '<clipPath id="card"><rect x="24" y="24" width="340" height="252" rx="10"/></clipPath>'
            '<g clip-path="url(#card)">%s</g>' % content)


def taskbar(name, ring=True):
    body = '<rect x="24" y="240" width="340" height="36" fill="#1f2a36"/>'
    body += '<rect x="34" y="249" width="18" height="18" rx="3" fill="#3f8fd8"/>'
    for x in (240, 262):
        body += '<rect x="%d" y="252" width="14" height="12" rx="2" fill="#6c7a89"/>' % x
    body += text(338, 263, "10:30", 11, "#dfe6ee", anchor="middle")
    if ring:
        body += '<circle cx="295" cy="258" r="14" fill="none" stroke="%s" stroke-width="2.5"/>' % GREEN
    body += product_icon(name, 295, 257, 0.2, "tray")
    return body


def menu(x, y, width, items, highlight):
    height = len(items) * 30 + 8
    body = '<rect x="%d" y="%d" width="%d" height="%d" rx="4" fill="#fff" stroke="#c9d3de"/>' % (
        x, y, width, height)
    for i, item in enumerate(items):
        iy = y + 4 + i * 30
        if i == highlight:
            body += '<rect x="%d" y="%d" width="%d" height="30" fill="%s"/>' % (x + 2, iy, width - 4, BLUE)
        body += text(x + 16, iy + 20, item, 13, "#fff" if i == highlight else TEXT)
    return body


def dialog(x, y, width, height, title, lines, buttons, highlight, name):
    body = ('<rect x="%d" y="%d" width="%d" height="%d" rx="6" fill="#fff" stroke="#c9d3de"/>'
            '<path d="M%d %dH%dV%dH%dZ" fill="%s"/>' % (x, y, width, height, x, y + 30, x + width, y + 6,
                                                        x, "#f1f5f9"))
    body += '<rect x="%d" y="%d" width="%d" height="30" rx="6" fill="#f1f5f9"/>' % (x, y, width)
    body += product_icon(name, x + 16, y + 15, 0.18, "dlg")
    body += text(x + 30, y + 20, title, 12, TEXT)
    for i, line in enumerate(lines):
        body += text(x + 16, y + 56 + i * 20, line, 12, TEXT)
    bx = x + width - 12
    at = (0, 0)
    for i, label in reversed(list(enumerate(buttons))):
        w = 14 * len(label) + 24
        bx -= w
        on = i == highlight
        body += '<rect x="%d" y="%d" width="%d" height="26" rx="4" fill="%s" stroke="%s"/>' % (
            bx, y + height - 38, w, BLUE if on else "#fff", BLUE if on else "#c9d3de")
        body += text(bx + w / 2, y + height - 20, label, 12, "#fff" if on else TEXT, anchor="middle")
        if on:
            at = (bx + w - 14, y + height - 26)
        bx -= 10
    return body, at


def step_picture(number, total, lines, drawing):
    body = '<rect width="640" height="300" fill="#ffffff"/>' + screen(drawing)
    body += '<rect x="396" y="40" width="84" height="28" rx="14" fill="%s"/>' % BLUE
    body += text(438, 59, "第 %d 步" % number, 14, "#fff", "bold", "middle")
    body += text(490, 59, "共 %d 步" % total, 12, GREY)
    for i, line in enumerate(lines):
        body += text(396, 104 + i * 26, line, 15, TEXT)
    # Progress dots above the button's place.
    for i in range(total):
        body += '<circle cx="%d" cy="214" r="4" fill="%s"/>' % (400 + i * 14, BLUE if i < number else LINE)
    return svg(640, 300, body)


# product key: (shown name, tray menu items with the exit item's index, dialog title, lines, buttons, confirm)
TRAY_PRODUCTS = {
    "360safe": ("360安全卫士", (["打开主界面", "设置", "退出"], 2), "360安全卫士",
                ["退出后电脑将失去保护，", "确定要退出吗？"], ["继续退出", "取消"], 0),
    "360sd": ("360杀毒", (["打开360杀毒", "设置", "退出"], 2), "360杀毒",
              ["退出后将无法实时防护，", "确定退出吗？"], ["确定", "取消"], 0),
    "qqpcmgr": ("腾讯电脑管家", (["打开电脑管家", "设置中心", "退出电脑管家"], 2), "电脑管家",
                ["确定要退出电脑管家吗？"], ["确定退出", "取消"], 0),
    "duba": ("金山毒霸", (["打开金山毒霸", "设置", "退出"], 2), "金山毒霸",
             ["退出后电脑将处于无保护状态。"], ["仍然退出", "取消"], 0),
}
PICTURE_OF = {"360safe": "360safe", "360sd": "360sd", "qqpcmgr": "qqguanjia", "duba": "duba"}


def tray_steps(key):
    shown, (items, exit_index), title, lines, buttons, confirm = TRAY_PRODUCTS[key]
    picture = PICTURE_OF[key]
    desktop = '<rect x="24" y="24" width="340" height="216" fill="#dbe8f4"/>'
    one = desktop + taskbar(picture) + cursor(299, 262) + text(262, 228, "单击右键", 12, BLUE, "bold")
    two = (desktop + taskbar(picture, ring=False) + menu(206, 240 - len(items) * 30 - 14, 140, items, exit_index)
           + cursor(300, 240 - 14 - (len(items) - exit_index) * 30 + 18))
    box, at = dialog(64, 70, 260, 140, title, lines, buttons, confirm, picture)
    three = desktop + taskbar(picture, ring=False) + box + cursor(*at)
    return [
        step_picture(1, 3, ["在屏幕右下角的任务栏里找到", shown + " 的图标，", "用鼠标右键单击它。"], one),
        step_picture(2, 3, ["在弹出的菜单里，", "点击“%s”。" % items[exit_index]], two),
        step_picture(3, 3, ["在弹出的提示里点击", "“%s”。" % buttons[confirm], "图标从任务栏消失就退出了，",
                            "重装完成后可以再打开它。"], three),
    ]


def defender_steps():
    window = ('<rect x="40" y="40" width="308" height="196" rx="6" fill="#fff" stroke="#c9d3de"/>'
              '<rect x="40" y="40" width="308" height="26" rx="6" fill="#f1f5f9"/>')
    start = ('<rect x="24" y="24" width="340" height="216" fill="#dbe8f4"/><rect x="24" y="240" width="340" '
             'height="36" fill="#1f2a36"/><rect x="36" y="248" width="20" height="20" rx="3" fill="#3f8fd8"/>'
             '<rect x="24" y="92" width="170" height="148" fill="#2a3744"/>')
    start += ('<rect x="30" y="196" width="158" height="30" rx="3" fill="%s"/>' % BLUE
              + '<circle cx="46" cy="211" r="7" fill="none" stroke="#fff" stroke-width="2.5" stroke-dasharray="3 2"/>'
              + text(60, 216, "设置", 13, "#fff"))
    start += text(40, 118, "开始", 13, "#dfe6ee") + cursor(46, 256)
    tiles = window + text(56, 58, "设置", 12, TEXT)
    names = ["系统", "设备", "网络", "应用", "隐私", "更新和安全"]
    for i, name in enumerate(names):
        x = 56 + (i % 3) * 96
        y = 80 + (i // 3) * 70
        on = name == "更新和安全"
        tiles += '<rect x="%d" y="%d" width="86" height="58" rx="4" fill="%s" stroke="%s"/>' % (
            x, y, "#e3effa" if on else "#f7f9fb", BLUE if on else LINE)
        tiles += text(x + 43, y + 36, name, 11, BLUE if on else TEXT, "bold" if on else "normal", "middle")
    tiles += cursor(318, 184)
    nav = window + text(56, 58, "更新和安全", 12, TEXT)
    for i, name in enumerate(["Windows 更新", "Windows 安全中心", "备份", "恢复"]):
        on = i == 1
        nav += '<rect x="44" y="%d" width="120" height="28" fill="%s"/>' % (74 + i * 32, "#e3effa" if on else "#fff")
        nav += text(54, 93 + i * 32, name, 11, BLUE if on else TEXT)
    nav += '<rect x="176" y="78" width="160" height="44" rx="4" fill="#e3effa" stroke="%s"/>' % BLUE
    nav += product_icon("WindowsDefender", 196, 100, 0.22, "nav") + text(214, 105, "病毒和威胁防护", 12, BLUE)
    nav += '<rect x="176" y="130" width="160" height="44" rx="4" fill="#f7f9fb" stroke="%s"/>' % LINE
    nav += text(214, 157, "防火墙和网络保护", 12, TEXT) + cursor(300, 108)
    manage = window + text(56, 58, "病毒和威胁防护", 12, TEXT)
    manage += product_icon("WindowsDefender", 74, 100, 0.3, "mng")
    manage += text(100, 96, "“病毒和威胁防护”设置", 13, TEXT, "bold") + text(100, 118, "无需执行任何操作。", 11, GREY)
    manage += '<rect x="98" y="138" width="92" height="26" rx="4" fill="#e3effa" stroke="%s"/>' % BLUE
    manage += text(144, 156, "管理设置", 12, BLUE, "bold", "middle") + cursor(180, 156)

    def toggle(on):
        body = window + text(56, 58, "病毒和威胁防护设置", 12, TEXT) + text(60, 100, "实时保护", 14, TEXT, "bold")
        body += text(60, 124, "查找并停止恶意软件在设备上安装或运行。", 11, GREY)
        body += '<rect x="60" y="146" width="44" height="22" rx="11" fill="%s" stroke="%s"/>' % (
            BLUE if on else "#fff", BLUE if on else "#6c7a89")
        body += '<circle cx="%d" cy="157" r="7" fill="%s"/>' % (93 if on else 71, "#fff" if on else "#6c7a89")
        body += text(114, 162, "开" if on else "关", 12, TEXT)
        return body
    five = toggle(False) + cursor(74, 162)
    return [
        step_picture(1, 5, ["点击屏幕左下角的“开始”按钮，", "再点击“设置”。"], start),
        step_picture(2, 5, ["在设置窗口中点击", "“更新和安全”。"], tiles),
        step_picture(3, 5, ["点击左侧的", "“Windows 安全中心”，", "再点击“病毒和威胁防护”。"], nav),
        step_picture(4, 5, ["在“病毒和威胁防护”设置下，", "点击“管理设置”。"], manage),
        step_picture(5, 5, ["把“实时保护”的开关", "拨到“关”。", "系统询问是否允许更改时，", "点击“是”。"], five),
    ]



# ---------------------------------------------------------------------------
# The backup-file page: the six options' pictures (48x48), the check box
# (off, off hot, on, on hot; 16x16 each), the folder list's folder and its
# round delete button (normal, hot, pushed; 20x20 each).

def option_icon(kind):
    body = '<circle cx="24" cy="24" r="23" fill="#eaf3fb"/>'
    if kind == "desktop":
        body += ('<rect x="11" y="13" width="26" height="18" rx="2.5" fill="none" stroke="%s" stroke-width="2.4"/>'
                 '<path d="M20 35H28M24 31V35" stroke="%s" stroke-width="2.4" stroke-linecap="round"/>'
                 '<rect x="15" y="17" width="5" height="4" rx="1" fill="%s"/><rect x="15" y="23" width="5" height="4" '
                 'rx="1" fill="%s"/>' % (BLUE, BLUE, GREEN, BLUE_LIGHT))
    elif kind == "picture":
        body += ('<rect x="11" y="13" width="26" height="22" rx="3" fill="none" stroke="%s" stroke-width="2.4"/>'
                 '<circle cx="18.5" cy="20" r="2.6" fill="%s"/><path d="M13 32L21 25L26 29L30 25L35 30V32Z" '
                 'fill="%s"/>' % (BLUE, GREEN, BLUE_LIGHT))
    elif kind == "music":
        body += ('<path d="M20 31V15L34 12V28" fill="none" stroke="%s" stroke-width="2.4" stroke-linejoin="round"/>'
                 '<ellipse cx="16.5" cy="31.5" rx="4" ry="3.3" fill="%s"/><ellipse cx="30.5" cy="28.5" rx="4" ry="3.3" '
                 'fill="%s"/>' % (BLUE, BLUE, GREEN))
    elif kind == "qq":
        body += ('<path d="M12 14H36A2.5 2.5 0 0 1 38.5 16.5V28.5A2.5 2.5 0 0 1 36 31H22L15 36V31H12A2.5 2.5 0 0 1 '
                 '9.5 28.5V16.5A2.5 2.5 0 0 1 12 14Z" fill="none" stroke="%s" stroke-width="2.4" '
                 'stroke-linejoin="round"/><circle cx="18" cy="22.5" r="1.8" fill="%s"/><circle cx="24" cy="22.5" '
                 'r="1.8" fill="%s"/><circle cx="30" cy="22.5" r="1.8" fill="%s"/>' % (BLUE, GREEN, GREEN, GREEN))
    elif kind == "document":
        body += ('<path d="M15 10H28L35 17V37A1.5 1.5 0 0 1 33.5 38.5H15A1.5 1.5 0 0 1 13.5 37V11.5A1.5 1.5 0 0 1 '
                 '15 10Z" fill="none" stroke="%s" stroke-width="2.4" stroke-linejoin="round"/><path d="M28 10V17H35" '
                 'fill="none" stroke="%s" stroke-width="2.4" stroke-linejoin="round"/><path d="M18.5 24H30M18.5 29H30M18.5 '
                 '34H25" stroke="%s" stroke-width="2.2" stroke-linecap="round"/>' % (BLUE, BLUE, GREEN))
    elif kind == "video":
        body += ('<rect x="9.5" y="15" width="21" height="18" rx="3" fill="none" stroke="%s" stroke-width="2.4"/>'
                 '<path d="M30.5 21L38.5 16.5V31.5L30.5 27Z" fill="none" stroke="%s" stroke-width="2.4" '
                 'stroke-linejoin="round"/><path d="M17 19.5V28.5L24 24Z" fill="%s"/>' % (BLUE, BLUE, GREEN))
    return svg(48, 48, body)


def check_box():
    cells = []
    for i, (on, hot) in enumerate([(False, False), (False, True), (True, False), (True, True)]):
        cell = '<g transform="translate(%d,0)">' % (i * 16)
        if on:
            cell += ('<rect x="1" y="1" width="14" height="14" rx="3" fill="%s"/><path d="M4.2 8.2L6.9 10.9L11.9 5.4" '
                     'fill="none" stroke="#fff" stroke-width="1.9" stroke-linecap="round" stroke-linejoin="round"/>'
                     % (BLUE_LIGHT if hot else BLUE))
        else:
            cell += ('<rect x="1.5" y="1.5" width="13" height="13" rx="2.5" fill="#fff" stroke="%s" stroke-width="1.3"/>'
                     % (BLUE if hot else "#9aa6b2"))
        cells.append(cell + "</g>")
    return svg(64, 16, "".join(cells))


def folder_icon():
    return svg(24, 24, '<path d="M2.5 6A1.5 1.5 0 0 1 4 4.5H9.5L11.5 7H20A1.5 1.5 0 0 1 21.5 8.5V18.5A1.5 1.5 0 0 1 '
                       '20 20H4A1.5 1.5 0 0 1 2.5 18.5Z" fill="#ffc94d"/><path d="M2.5 9.5H21.5V18.5A1.5 1.5 0 0 1 '
                       '20 20H4A1.5 1.5 0 0 1 2.5 18.5Z" fill="#ffb020"/>')


def wizard_step():
    """The wizard's current step in its left column: a light band with a bar."""
    return svg(150, 44, '<rect width="150" height="44" fill="#e3effa"/><rect width="4" height="44" fill="%s"/>' % BLUE)


def round_button():
    cells = []
    for i, (back, cross) in enumerate([("#e6ebf0", "#8a95a1"), ("#e5484d", "#ffffff"), ("#c93a3f", "#ffffff")]):
        cells.append('<g transform="translate(%d,0)"><circle cx="10" cy="10" r="9" fill="%s"/>'
                     '<path d="M6.8 6.8L13.2 13.2M13.2 6.8L6.8 13.2" stroke="%s" stroke-width="1.8" '
                     'stroke-linecap="round"/></g>' % (i * 20, back, cross))
    return svg(60, 20, "".join(cells))

# ---------------------------------------------------------------------------
# The image choice for a local ISO: a disc, the disc under a magnifier
# while it is analysed, and the combo box's frame with its arrow in three
# states of 250x32.

def disc(cx, cy, r, ring="#ffffff", face="#dbe8f4", stroke=BLUE):
    return ('<circle cx="%s" cy="%s" r="%s" fill="%s" stroke="%s" stroke-width="%s"/>'
            '<circle cx="%s" cy="%s" r="%s" fill="none" stroke="#ffffff" stroke-opacity="0.8" stroke-width="%s"/>'
            '<circle cx="%s" cy="%s" r="%s" fill="%s" stroke="%s" stroke-width="%s"/>'
            % (cx, cy, r, face, stroke, r / 14.0, cx, cy, r * 0.66, r / 10.0, cx, cy, r * 0.22, ring, stroke,
               r / 14.0))


def iso_small():
    return svg(20, 20, disc(10, 10, 8.5, ring="#0f68af", face="#ffffff", stroke="#ffffff"))


def iso_analyse():
    body = disc(32, 32, 26)
    body += ('<path d="M12 22A22 22 0 0 1 22 12" fill="none" stroke="%s" stroke-width="3" stroke-linecap="round"/>'
             % BLUE_LIGHT)
    body += ('<circle cx="50" cy="50" r="12" fill="#ffffff" fill-opacity="0.85" stroke="%s" stroke-width="4"/>'
             '<path d="M59 59L68 68" stroke="%s" stroke-width="6" stroke-linecap="round"/>' % (GREEN, GREEN))
    return svg(72, 72, body)


def combo_frame():
    body = ""
    for i, (fill, stroke) in enumerate([("#ffffff", "#c9d3de"), ("#f5f9fd", BLUE_LIGHT), ("#e8f2fb", BLUE)]):
        y = i * 32
        body += ('<rect x="0.5" y="%.1f" width="249" height="31" rx="4" fill="%s" stroke="%s"/>'
                 % (y + 0.5, fill, stroke))
        body += '<path d="M224 %d V%d" stroke="%s"/>' % (y + 6, y + 26, LINE)
        body += ('<path d="M232 %d L237 %d L242 %d" fill="none" stroke="%s" stroke-width="2" '
                 'stroke-linecap="round" stroke-linejoin="round"/>' % (y + 13, y + 18, y + 13, GREY if i == 0 else BLUE))
    return svg(250, 96, body)


# ---------------------------------------------------------------------------
# The reinstall wizard: the step titles in the caption strip (260x36), the
# tip pictures of the right column (190x236; the systems' as JPEG), the
# "recommended" badge, the catalogue groups' option (normal, hot and
# selected, 125x34 each, 10 apart), the animations of the hardware check and
# of the catalogue's loading, the failed catalogue, and the disc of the
# local image option on white.

def wizard_title(number, name):
    body = '<rect x="0.5" y="2.5" width="259" height="31" rx="15.5" fill="#ffffff" fill-opacity="0.14"/>'
    body += '<circle cx="19" cy="18" r="12" fill="#ffffff"/>'
    body += text(19, 23, str(number), 14, BLUE, "bold", "middle")
    body += text(40, 24, name, 16, "#ffffff", "bold")
    for i in range(4):
        body += '<circle cx="%d" cy="18" r="3.5" fill="#ffffff" fill-opacity="%s"/>' % (
            196 + i * 14, "1" if i < number else "0.35")
    return svg(260, 36, body)


def tip_card(art_body, title, lines, accent=BLUE):
    body = ('<defs><linearGradient id="bg" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#e6f0fa"/>'
            '<stop offset="1" stop-color="#f4f7fa"/></linearGradient></defs>'
            '<rect width="190" height="236" fill="url(#bg)"/>')
    for cx, cy, r in [(170, 22, 40), (18, 150, 26)]:
        body += '<circle cx="%d" cy="%d" r="%d" fill="#ffffff" fill-opacity="0.55"/>' % (cx, cy, r)
    body += art_body
    body += text(95, 170, title, 16, accent, "bold", "middle")
    for i, line in enumerate(lines):
        body += text(95, 194 + i * 19, line, 12, GREY, anchor="middle")
    return svg(190, 236, body)


def tip_hardware():
    art_body = ('<rect x="48" y="34" width="94" height="66" rx="7" fill="#ffffff" stroke="%s" stroke-width="4"/>'
                '<path d="M84 100V114M70 116H120" stroke="%s" stroke-width="4" stroke-linecap="round"/>'
                '<rect x="74" y="50" width="42" height="34" rx="4" fill="%s"/>' % (BLUE, BLUE, BLUE_LIGHT))
    for i in range(4):
        art_body += '<path d="M%d 46V50M%d 84V88" stroke="%s" stroke-width="2.4" stroke-linecap="round"/>' % (
            80 + i * 10, 80 + i * 10, BLUE_LIGHT)
    art_body += ('<circle cx="132" cy="96" r="17" fill="%s"/><path d="M124 96L130 102L141 90" fill="none" '
                 'stroke="#fff" stroke-width="3.4" stroke-linecap="round" stroke-linejoin="round"/>' % GREEN)
    return tip_card(art_body, "检测电脑环境", ["确认硬件与分区", "满足一键重装的要求"])


WINDOWS = {
    # picture: (name, bits, panes (colours clockwise from top left), style, line)
    "xp": ("Windows XP", "32位", ["#f25022", "#7fba00", "#ffb900", "#00a4ef"], "wave", "适合十年以上的老电脑"),
    "win7_32": ("Windows 7", "32位", ["#f25022", "#7fba00", "#ffb900", "#00a4ef"], "round", "适合内存较小的电脑"),
    "win7_64": ("Windows 7", "64位", ["#f25022", "#7fba00", "#ffb900", "#00a4ef"], "round", "兼容老软件和游戏"),
    "win8_32": ("Windows 8.1", "32位", ["#1ba1e2"] * 4, "flat", "触屏设备可选"),
    "win8_64": ("Windows 8.1", "64位", ["#1ba1e2"] * 4, "flat", "触屏设备可选"),
    "win10_32": ("Windows 10", "32位", ["#0078d7"] * 4, "tilt", "适合内存小于4GB的电脑"),
    "win10_64": ("Windows 10", "64位", ["#0078d7"] * 4, "tilt", "新电脑的首选"),
}


def windows_logo(colours, style):
    cx, cy, size, gap = 95, 74, 30, 5
    body = ""
    cells = [(-1, -1), (1, -1), (-1, 1), (1, 1)]
    order = [0, 1, 3, 2]  # top left, top right, bottom left, bottom right
    for (sx, sy), colour in zip(cells, [colours[i] for i in order]):
        x = cx + (gap / 2 if sx > 0 else -gap / 2 - size)
        y = cy + (gap / 2 if sy > 0 else -gap / 2 - size)
        if style == "tilt":
            skew = 6 if sx < 0 else 0
            body += '<path d="M%.1f %.1fL%.1f %.1fL%.1f %.1fL%.1f %.1fZ" fill="%s"/>' % (
                x, y + (skew if sy < 0 else 0) * 0.3, x + size, y + (0 if sx > 0 else 2) - (3 if sy < 0 and sx > 0 else 0),
                x + size, y + size + (3 if sy > 0 and sx > 0 else 0), x, y + size - (skew if sy > 0 else 0) * 0.3,
                colour)
        elif style == "wave":
            body += ('<path d="M%.1f %.1fQ%.1f %.1f %.1f %.1fV%.1fQ%.1f %.1f %.1f %.1fZ" fill="%s"/>'
                     % (x, y + 4, x + size / 2, y - 4, x + size, y + 2, y + size - 2, x + size / 2, y + size - 8,
                        x, y + size, colour))
        else:
            body += '<rect x="%.1f" y="%.1f" width="%d" height="%d" rx="%d" fill="%s"/>' % (
                x, y, size, size, 7 if style == "round" else 1, colour)
    return body


def tip_windows(key):
    name, bits, colours, style, line = WINDOWS[key]
    art_body = '<circle cx="95" cy="74" r="52" fill="#ffffff"/>' + windows_logo(colours, style)
    art_body += ('<rect x="118" y="112" width="44" height="22" rx="11" fill="%s"/>' % GREEN
                 + text(140, 127, bits, 12, "#ffffff", "bold", "middle"))
    return tip_card(art_body, name, [line, "下载后自动安装"])


def tip_default():
    art_body = ('<circle cx="95" cy="74" r="52" fill="#ffffff"/>'
                '<circle cx="95" cy="74" r="34" fill="none" stroke="%s" stroke-width="4" stroke-dasharray="8 6"/>'
                % BLUE_LIGHT + text(95, 88, "?", 40, BLUE, "bold", "middle"))
    return tip_card(art_body, "请选择系统", ["在左侧列表中勾选", "要安装的Windows系统"])


def tip_backup():
    art_body = ('<path d="M46 52A6 6 0 0 1 52 46H80L90 58H138A6 6 0 0 1 144 64V112A6 6 0 0 1 138 118H52A6 6 0 0 1 '
                '46 112Z" fill="#ffc94d"/><path d="M46 70H144V112A6 6 0 0 1 138 118H52A6 6 0 0 1 46 112Z" '
                'fill="#ffb020"/>')
    art_body += ('<g transform="translate(128,104) scale(0.42)"><path d="%s" fill="%s"/>'
                 '<path d="M-14 2L-4 12L16 -10" fill="none" stroke="#fff" stroke-width="8" stroke-linecap="round" '
                 'stroke-linejoin="round"/></g>' % (SHIELD, GREEN))
    return tip_card(art_body, "重要资料先备份", ["资料保存到非系统分区的", "“文件备份”文件夹"], GREEN)


def tip_end():
    art_body = ('<circle cx="95" cy="74" r="50" fill="none" stroke="#dbe8f4" stroke-width="10"/>'
                '<path d="M95 24A50 50 0 1 1 48.5 92" fill="none" stroke="%s" stroke-width="10" '
                'stroke-linecap="round"/>' % GREEN)
    art_body += ('<path d="M95 50V82M81 70L95 84L109 70" fill="none" stroke="%s" stroke-width="6" '
                 'stroke-linecap="round" stroke-linejoin="round"/><path d="M78 96H112" stroke="%s" '
                 'stroke-width="6" stroke-linecap="round"/>' % (BLUE, BLUE))
    return tip_card(art_body, "正在准备重装", ["下载与备份完成后", "自动安装PE并重启电脑"])


def recommended_badge():
    return svg(52, 22, '<rect x="0.5" y="0.5" width="51" height="21" rx="10.5" fill="#ff8a00"/>'
                       + text(26, 15.5, "推荐", 12, "#ffffff", "bold", "middle"))


def group_option():
    body = ""
    for i, fill in enumerate(["#6f9cc6", BLUE_LIGHT, BLUE]):
        body += '<rect x="0" y="%d" width="125" height="34" rx="4" fill="%s"/>' % (i * 44, fill)
    return svg(125, 122, body)


def spinner_frames(size, count, back, centre=""):
    frames = []
    c = size / 2.0
    r = size / 2.0 - 5
    for i in range(count):
        angle = i * 360.0 / count
        body = '<rect width="%d" height="%d" fill="%s"/>' % (size, size, back)
        body += '<circle cx="%s" cy="%s" r="%s" fill="none" stroke="#dbe8f4" stroke-width="4"/>' % (c, c, r)
        body += ('<g transform="rotate(%s %s %s)"><path d="M%s %sA%s %s 0 0 1 %s %s" fill="none" stroke="%s" '
                 'stroke-width="4" stroke-linecap="round"/></g>' % (angle, c, c, c, c - r, r, r, c + r, c, GREEN))
        frames.append(svg(size, size, body + centre))
    return frames


def hardware_check_frames():
    chip = ('<rect x="19" y="19" width="18" height="18" rx="3" fill="%s"/>' % BLUE
            + "".join('<path d="M%d 15V19M%d 37V41M15 %dH19M37 %dH41" stroke="%s" stroke-width="2" '
                      'stroke-linecap="round"/>' % (23 + i * 5, 23 + i * 5, 23 + i * 5, 23 + i * 5, BLUE_LIGHT)
                      for i in range(3)))
    return spinner_frames(56, 12, "#ffffff", chip)


def load_error():
    body = ('<path d="M28 60A16 16 0 0 1 26 28A22 22 0 0 1 68 24A18 18 0 0 1 72 60Z" fill="#e3edf6"/>'
            '<circle cx="70" cy="52" r="15" fill="#ffb020"/><path d="M70 44V53" stroke="#fff" stroke-width="3.4" '
            'stroke-linecap="round"/><circle cx="70" cy="59" r="2" fill="#fff"/>')
    return svg(96, 72, body)


def install_flow():
    """The install page's way to the restart: four stations on a line."""
    glyphs = [
        '<path d="M0 -9V5M-6 0L0 6L6 0M-8 9H8" fill="none" stroke="#fff" stroke-width="2.4" stroke-linecap="round" '
        'stroke-linejoin="round"/>',
        '<path d="M-9 -6A1.5 1.5 0 0 1 -7.5 -7.5H-3L-1 -5H7.5A1.5 1.5 0 0 1 9 -3.5V6.5A1.5 1.5 0 0 1 7.5 8H-7.5A1.5 '
        '1.5 0 0 1 -9 6.5Z" fill="#fff"/>',
        '<rect x="-7" y="-7" width="14" height="14" rx="2" fill="#fff"/><path d="M-3 -10V-7M3 -10V-7M-3 7V10M3 7V10'
        'M-10 -3H-7M-10 3H-7M7 -3H10M7 3H10" stroke="#fff" stroke-width="1.8" stroke-linecap="round"/>',
        '<path d="M-5.5 -6A8.5 8.5 0 1 0 5.5 -6" fill="none" stroke="#fff" stroke-width="2.4" stroke-linecap="round"/>'
        '<path d="M0 -10V-1" stroke="#fff" stroke-width="2.4" stroke-linecap="round"/>',
    ]
    names = ["下载镜像", "备份资料", "安装PE", "重启装机"]
    colours = [BLUE, GREEN, BLUE_LIGHT, "#8a95a1"]
    body = '<path d="M66 22H454" stroke="%s" stroke-width="2" stroke-dasharray="4 5"/>' % LINE
    for i, (glyph, name, colour) in enumerate(zip(glyphs, names, colours)):
        cx = 66 + i * 129.3
        body += '<circle cx="%.1f" cy="22" r="20" fill="%s"/>' % (cx, colour)
        body += '<g transform="translate(%.1f,22)">%s</g>' % (cx, glyph)
        body += text("%.1f" % cx, 60, name, 12, GREY, anchor="middle")
    return svg(520, 66, body)


def iso_local():
    return svg(20, 20, disc(10, 10, 8.5))


# ---------------------------------------------------------------------------

def pictures():
    """{path inside skin/: SVG text}"""
    with open(os.path.join(HERE, "logo.svg"), encoding="utf-8") as f:
        logo = f.read()
    made = {
        "logo.png": (logo, 36, 36),
        "sys_menu.png": (title_button("menu"), 120, 40),
        "sys_min.png": (title_button("min"), 120, 40),
        "sys_close.png": (title_button("close"), 120, 40),
        "install.png": (install_button(), 720, 240),
        "pill.png": (pill_button(), 540, 50),
        "icon_backup.png": (icon_backup(), 24, 24),
        "icon_restore.png": (icon_restore(), 24, 24),
        "icon_warn.png": (icon_warn(), 24, 24),
        "ver1.png": (badge("#b8c2cc", '<path d="M4.5 8.2L7 10.7L11.5 5.8" fill="none" stroke="#fff" '
                                      'stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>'), 16, 16),
        "ver12.png": (badge("#ff8a00", '<path d="M8 12V4.5M5 7.5L8 4.5L11 7.5" fill="none" stroke="#fff" '
                                       'stroke-width="1.8" stroke-linecap="round" stroke-linejoin="round"/>'), 16, 16),
        "waring.png": (waring_banner(), 400, 170),
        "guide_banner.png": (guide_banner(), 600, 64),
        "safe_frame.png": (option_frame(False), 100, 110),
        "safe_frame_sel.png": (option_frame(True), 100, 110),
        "checkbox.png": (check_box(), 64, 16),
        "folderico.png": (folder_icon(), 24, 24),
        "round.png": (round_button(), 60, 20),
        "step_sel.png": (wizard_step(), 150, 44),
        "iso_small.png": (iso_small(), 20, 20),
        "iso_analyse.png": (iso_analyse(), 72, 72),
        "combo.png": (combo_frame(), 250, 96),
        "iso_local.png": (iso_local(), 20, 20),
        "install_flow.png": (install_flow(), 520, 66),
        "title0.png": (wizard_title(1, "环境检测"), 260, 36),
        "title1.png": (wizard_title(2, "选择系统"), 260, 36),
        "title3.png": (wizard_title(3, "备份资料"), 260, 36),
        "title4.png": (wizard_title(4, "下载安装"), 260, 36),
        "Tip_Hardware.png": (tip_hardware(), 190, 236),
        "default.jpg": (tip_default(), 190, 236),
        "tip_backup.jpg": (tip_backup(), 190, 236),
        "tip_end.jpg": (tip_end(), 190, 236),
        "hwfix.png": (recommended_badge(), 52, 22),
        "soft_option.png": (group_option(), 125, 122),
        "load_error.png": (load_error(), 96, 72),
        "check.gif": (hardware_check_frames(), 56, 56),
        "loading.gif": (spinner_frames(48, 12, "#fafbfc"), 48, 48),
    }
    for key in WINDOWS:
        made[key + ".jpg"] = (tip_windows(key), 190, 236)
    for kind in ("desktop", "picture", "music", "qq", "document", "video"):
        made["backup_%s.png" % kind] = (option_icon(kind), 48, 48)
    for name in PRODUCTS:
        made[name + ".png"] = (product_badge(name), 100, 110)
    for key in TRAY_PRODUCTS:
        for i, picture in enumerate(tray_steps(key)):
            made["safeGuide/%s%d.png" % (key, i + 1)] = (picture, 640, 300)
    for i, picture in enumerate(defender_steps()):
        made["safeGuide/windowsDefender%d.png" % (i + 1)] = (picture, 640, 300)
    made.update(backup_art.pictures())
    return made


def render(source, width, height, target, work):
    """One SVG to a PNG; a JPEG through ImageMagick; a list of SVGs to the
    frames of an animated GIF (80 ms each)."""
    os.makedirs(os.path.dirname(target), exist_ok=True)
    if isinstance(source, list):
        frames = []
        for i, frame in enumerate(source):
            png = os.path.join(work, "frame%02d.png" % i)
            render(frame, width, height, png, work)
            frames.append(png)
        subprocess.run(["convert", "-delay", "8", "-loop", "0", *frames, target], check=True)
        return
    path = os.path.join(work, "picture.svg")
    with open(path, "w", encoding="utf-8") as f:
        f.write(source)
    if target.endswith(".jpg"):
        png = os.path.join(work, "picture.png")
        subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height), "-o", png, path], check=True)
        subprocess.run(["convert", png, "-background", "#f4f7fa", "-flatten", "-quality", "92", target], check=True)
        return
    subprocess.run(["rsvg-convert", "-w", str(width), "-h", str(height), "-o", target, path], check=True)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--list", action="store_true")
    parser.add_argument("--out")
    parser.add_argument("--icon")
    args = parser.parse_args()
    made = pictures()
    if args.list:
        print(";".join(sorted(made)))
        return 0
    if not args.out:
        parser.error("--out or --list")
    with tempfile.TemporaryDirectory(prefix="qnb-skin-") as work:
        for name, (source, width, height) in sorted(made.items()):
            render(source, width, height, os.path.join(args.out, name), work)
        if args.icon:
            with open(os.path.join(HERE, "logo.svg"), encoding="utf-8") as f:
                logo = f.read()
            sizes = []
            for size in (16, 24, 32, 48, 256):
                png = os.path.join(work, "icon%d.png" % size)
                render(logo, size, size, png, work)
                sizes.append(png)
            subprocess.run(["convert", *sizes, args.icon], check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
