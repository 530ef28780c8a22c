#!/usr/bin/env python3
"""Prepares the test Wine prefix for the window tests: the faces the players' machines have
("宋体", "微软雅黑") map to the packaged CJK font, so the skinned texts are drawn instead of
silently left out (GDI+ draws nothing with a face it cannot find).
"""
import os
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
WINE_RUN = os.path.join(HERE, "..", "..", "scripts", "wine-run")

SETTINGS = """Windows Registry Editor Version 5.00

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"宋体"="WenQuanYi Micro Hei"
"微软雅黑"="WenQuanYi Micro Hei"
"SimSun"="WenQuanYi Micro Hei"
"Microsoft YaHei"="WenQuanYi Micro Hei"
"""


def apply():
    with tempfile.NamedTemporaryFile("wb", suffix=".reg", delete=False) as f:
        f.write(b"\xff\xfe" + SETTINGS.replace("\n", "\r\n").encode("utf-16-le"))
        path = f.name
    try:
        # regedit reads Unix paths through the Z: drive.
        result = subprocess.run([WINE_RUN, "regedit", "/S", "Z:" + path.replace("/", "\\")],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return result.returncode
    finally:
        os.remove(path)


if __name__ == "__main__":
    sys.exit(apply())
