"""The pictures of the system backup and restore windows (BackupDlg.xml,
restore.xml, backupimagelist.xml): small line icons in the skin's blue and
green, and the dark band under the restore window's desktop picture that
carries "点击查看大图". Imported by render.py."""

BLUE = "#0f68af"
GREEN = "#1fbba6"


def svg(width, height, body):
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="0 0 %d %d">%s</svg>'
            % (width, height, width, height, body))


def clock():
    """The backup's date: a clock face."""
    return svg(20, 20, '<circle cx="10" cy="10" r="8" fill="none" stroke="%s" stroke-width="1.8"/>'
                       '<path d="M10 5.5V10L13 12" fill="none" stroke="%s" stroke-width="1.8" '
                       'stroke-linecap="round" stroke-linejoin="round"/>' % (BLUE, GREEN))


def system():
    """The backed-up Windows: a monitor with four panes."""
    return svg(20, 20, '<rect x="2" y="3" width="16" height="11" rx="1.5" fill="none" stroke="%s" '
                       'stroke-width="1.6"/><path d="M7 17.5H13M10 14V17.5" stroke="%s" stroke-width="1.6" '
                       'stroke-linecap="round"/><rect x="7" y="6" width="2.6" height="2.2" fill="%s"/>'
                       '<rect x="10.4" y="6" width="2.6" height="2.2" fill="%s"/><rect x="7" y="8.9" width="2.6" '
                       'height="2.2" fill="%s"/><rect x="10.4" y="8.9" width="2.6" height="2.2" fill="%s"/>'
               % (BLUE, BLUE, GREEN, GREEN, GREEN, GREEN))


def note():
    """The description: a sheet with a pencil."""
    return svg(22, 22, '<path d="M4 3.5H13L17 7.5V18.5H4Z" fill="#eef5fc" stroke="%s" stroke-width="1.6" '
                       'stroke-linejoin="round"/><path d="M7 9.5H13M7 12.5H11" stroke="%s" stroke-width="1.5" '
                       'stroke-linecap="round"/><path d="M12.5 17.5L19.5 10.5L21 12L14 19L12 19.5Z" fill="%s" '
                       'stroke="%s" stroke-width="1" stroke-linejoin="round"/>' % (BLUE, BLUE, GREEN, GREEN))


def disk():
    """A backup image: a disc."""
    return svg(20, 20, '<circle cx="10" cy="10" r="8.2" fill="#e3eff9" stroke="%s" stroke-width="1.6"/>'
                       '<circle cx="10" cy="10" r="2.6" fill="none" stroke="%s" stroke-width="1.6"/>'
                       '<path d="M10 3.6A6.4 6.4 0 0 1 16.4 10" fill="none" stroke="%s" stroke-width="1.4" '
                       'stroke-linecap="round"/>' % (BLUE, BLUE, GREEN))


def picture_band():
    """Under the desktop picture, two states of 440x36 (normal, hot): a dark
    band that fades in from the top, so that white text reads on any picture."""
    body = ""
    for i, strength in enumerate((0.55, 0.72)):
        body += ('<defs><linearGradient id="b%d" x1="0" y1="0" x2="0" y2="1"><stop offset="0" stop-color="#0b2a44" '
                 'stop-opacity="%.2f"/><stop offset="1" stop-color="#0b2a44" stop-opacity="%.2f"/></linearGradient>'
                 '</defs><rect x="0" y="%d" width="440" height="36" fill="url(#b%d)"/>'
                 % (i, strength * 0.6, strength, i * 36, i))
        # A magnifier before the text's place.
        body += ('<g transform="translate(150,%d)"><circle cx="9" cy="17" r="5.5" fill="none" stroke="#fff" '
                 'stroke-width="1.8"/><path d="M13 21L16.5 24.5" stroke="#fff" stroke-width="1.8" '
                 'stroke-linecap="round"/></g>' % (i * 36 - 2))
    return svg(440, 72, body)


def pictures():
    """{path inside skin/: (SVG text, width, height)}"""
    return {
        "backup_clock.png": (clock(), 20, 20),
        "backup_system.png": (system(), 20, 20),
        "backup_note.png": (note(), 22, 22),
        "backup_disk.png": (disk(), 20, 20),
        "picture_band.png": (picture_band(), 440, 72),
    }
