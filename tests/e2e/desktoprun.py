#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""A whole classified run of the real zanora program on a real X server, driven with xdotool.

The program starts in a working folder of its own against the stand-in ad server with the demo
ad set. The test chooses the three folders through Qt's folder chooser by typing each path,
answers the two count boxes, clicks "分类输出", answers the missing-images dialog with "确定" and
the completion box, then checks the output tree file by file, the ad store and the tiles on
screen. Screenshots of the main window and of the dialog go to --screenshots.

Needs DISPLAY (scripts/test.sh runs it under xvfb-run), xdotool and ImageMagick; without them it
exits with 77, which CTest reports as skipped.
"""

import argparse
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

SKIP = 77
WAIT = 60  # seconds for any one window or file to show up on a loaded machine

# Picks (small images) and originals (big images), with the classified output they must give.
PICKS = [
    "IMG_0001.jpg",
    "family/IMG_0002-edit.jpg",
    "family/notes.txt",  # not an image: neither listed nor matched
    "family/kids/DSC_0100 (2).PNG",
    "wedding/IMG_0003_bw.JPG",
    "wedding/lost.jpg",  # no original: the missing-images dialog lists it
]
ORIGINALS = [
    "shoot1/IMG_0001.CR2",
    "shoot1/IMG_0001.jpg",
    "shoot1/IMG_0001.xmp",
    "shoot1/IMG_0002.NEF",
    "shoot2/DSC_0100.RAF",
    "shoot2/IMG_0003.RW2",
    "shoot2/IMG_0004.CR2",  # picked by nobody
]
EXPECTED_OUTPUT = {
    "IMG_0001.CR2": "shoot1/IMG_0001.CR2",
    "IMG_0001.jpg": "shoot1/IMG_0001.jpg",
    "IMG_0001.xmp": "shoot1/IMG_0001.xmp",
    "family/IMG_0002.NEF": "shoot1/IMG_0002.NEF",
    "family/kids/DSC_0100.RAF": "shoot2/DSC_0100.RAF",
    "wedding/IMG_0003.RW2": "shoot2/IMG_0003.RW2",
}


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def run(*args, **kwargs):
    return subprocess.run(args, check=True, capture_output=True, text=True, **kwargs).stdout


def xdotool(*args):
    return run("xdotool", *args)


def visible_windows(title_pattern):
    result = subprocess.run(["xdotool", "search", "--onlyvisible", "--name", title_pattern],
                            capture_output=True, text=True)
    return result.stdout.split()


def poll(condition, seconds=WAIT):
    deadline = time.monotonic() + seconds
    while True:
        result = condition()
        if result or time.monotonic() > deadline:
            return result
        time.sleep(0.1)


def window_shown(title_pattern):
    return lambda: (visible_windows(title_pattern) or [None])[-1]


def window_gone(window):
    return lambda: window not in visible_windows(".")


def wait_for_window(title_pattern, what):
    window = poll(window_shown(title_pattern))
    check(window, f"{what} (window title matching {title_pattern!r}) did not appear")
    time.sleep(0.3)  # let it finish its first paint
    return window


def wait_until_gone(window, what):
    check(poll(window_gone(window)), f"{what} did not close")


def click(window, rect):
    x, y, w, h = rect
    xdotool("mousemove", "--window", window, str(x + w // 2), str(y + h // 2), "click", "1")


def click_until(window, rect, condition, what):
    """Clicks until the condition holds. Only for clicks that do no harm when repeated: a click
    that lands while a window is still coming back from a modal dialog can be lost."""
    for _ in range(3):
        click(window, rect)
        result = poll(condition, WAIT / 3)
        if result:
            return result
    raise Failure(f"clicking brought no {what}")


def pixels(window, rect):
    x, y, w, h = rect
    return subprocess.run(["import", "-window", window, "-crop", f"{w}x{h}+{x}+{y}", "rgb:-"],
                          check=True, capture_output=True).stdout


def answer_yes(window, what):
    # The boxes are Yes/No boxes; Alt+Y presses "&Yes" whether or not it is the default button.
    for _ in range(3):
        xdotool("windowfocus", window)
        xdotool("key", "alt+y")
        if poll(window_gone(window), WAIT / 3):
            return
    raise Failure(f"{what} did not close")


def screenshot(window, path):
    run("import", "-window", window, path)


def widget_rects(ui_file):
    """Each named widget's rectangle in its top-level window, from the Designer form."""
    rects = {}

    def walk(element, ox, oy, top):
        for child in element.findall("widget"):
            rect = child.find("property[@name='geometry']/rect")
            x = y = 0
            if rect is not None and not top:
                x, y = (int(rect.find(k).text) for k in ("x", "y"))
                rects[child.get("name")] = (ox + x, oy + y, int(rect.find("width").text),
                                            int(rect.find("height").text))
            walk(child, ox + x, oy + y, False)

    root = ElementTree.parse(ui_file).getroot()
    walk(root, 0, 0, True)
    return rects


def mean_colour(image, crop=None):
    args = ["convert", image]
    if crop:
        x, y, w, h = crop
        args += ["-crop", f"{w}x{h}+{x}+{y}", "+repage"]
    args += ["-alpha", "off", "-scale", "1x1!", "-format",
             "%[fx:int(255*r)] %[fx:int(255*g)] %[fx:int(255*b)]", "info:"]
    return tuple(int(v) for v in run(*args).split())


def make_tree(root, paths):
    for relative in paths:
        path = os.path.join(root, relative)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "wb") as f:
            f.write(f"{relative}\n".encode() * 64)


def relative_files(root):
    found = set()
    for folder, _, files in os.walk(root):
        for name in files:
            found.add(os.path.relpath(os.path.join(folder, name), root))
    return found


def read_file(path):
    with open(path, "rb") as f:
        return f.read()


def demo_ads(ads_folder):
    """(image file, link) of each GG1 ... GG9 in the demo set's links.txt."""
    ads = {}
    with open(os.path.join(ads_folder, "links.txt"), encoding="utf-8") as f:
        for line in f:
            parts = line.strip().split(maxsplit=1)
            if parts and not parts[0].startswith("#"):
                ads[parts[0].split(".")[0]] = (parts[0], parts[1] if len(parts) > 1 else "")
    return ads


def decode_link_file(data):
    links = []
    for _ in range(9):
        (length,) = struct.unpack(">I", data[:4])
        links.append(data[4:4 + length].decode("utf-16-be"))
        data = data[4 + length:]
    return links


def check_ad_store(work, ads_folder, ads):
    store = os.path.join(work, "GG")
    deadline = time.monotonic() + WAIT
    while not os.path.exists(os.path.join(store, "setOHS.RDAT")):
        check(time.monotonic() < deadline, "the ad store GG/ was not written from the ad server")
        time.sleep(0.2)
    for base, (image, _) in sorted(ads.items()):
        stored = os.path.join(store, base + (".dats" if image.endswith(".gif") else ".dat"))
        check(os.path.exists(stored) and read_file(stored)
              == read_file(os.path.join(ads_folder, image)),
              f"{stored} does not hold the demo ad {image}")
    links = decode_link_file(read_file(os.path.join(store, "setOHS.RDAT")))
    check(links == [ads[f"GG{i}"][1] for i in range(1, 10)],
          f"the link file holds {links}")


def check_tiles(window, rects, ads_folder, ads, shot):
    """Every tile shows its ad: the tile's mean colour on screen is the ad image's."""
    deadline = time.monotonic() + WAIT
    while True:
        screenshot(window, shot)
        wrong = []
        for base, (image, _) in sorted(ads.items()):
            x, y, w, h = rects[base]
            expected = mean_colour(os.path.join(ads_folder, image) + "[0]")
            shown = mean_colour(shot, (x, y, w, h))
            if max(abs(a - b) for a, b in zip(expected, shown)) > 24:
                wrong.append(f"{base}: shows mean colour {shown}, the ad {expected}")
        if not wrong:
            return
        check(time.monotonic() < deadline, "tiles not filled: " + "; ".join(wrong))
        time.sleep(0.5)


def choose_folder(main, button, label, path, counts_box):
    before = pixels(main, label)
    chooser = click_until(main, button, window_shown(r"^请选择模板保存路径\.\.\.$"),
                          "folder chooser")
    xdotool("windowfocus", chooser)
    xdotool("key", "ctrl+a")
    xdotool("type", "--delay", "10", path)
    xdotool("key", "Return")
    wait_until_gone(chooser, "the folder chooser")
    if counts_box:
        answer_yes(wait_for_window("^信息$", "the count box"), "the count box")
    # The label beside the button shows the path once the window is back in its own event loop.
    check(poll(lambda: pixels(main, label) != before), f"{path} did not show beside the button")


def drive(args, work, trees, shots):
    ads_folder = os.path.join(args.source, "tools", "demo", "ads")
    ads = demo_ads(ads_folder)
    main_rects = widget_rects(os.path.join(args.source, "ui", "kelto.ui"))
    dialog_rects = widget_rects(os.path.join(args.source, "ui", "errorlist.ui"))
    small, big, out = (os.path.join(trees, name) for name in ("small", "big", "out"))

    main = wait_for_window(r"^Zanora V3\.1$", "the main window")
    check_ad_store(work, ads_folder, ads)
    check_tiles(main, main_rects, ads_folder, ads, os.path.join(shots, "e2e-main-window.png"))

    for button, label, path, counts_box in (("seletDataTree", "label_smallPath", small, True),
                                            ("seletInput", "label_bigPath", big, True),
                                            ("seletOutput", "label_output", out, False)):
        choose_folder(main, main_rects[button], main_rects[label], path, counts_box)

    click(main, main_rects["output_classified"])
    dialog = wait_for_window("^Dialog$", "the missing-images dialog")
    screenshot(dialog, os.path.join(shots, "e2e-missing-images-dialog.png"))
    click_until(dialog, dialog_rects["pushButton"], window_gone(dialog), "end of the dialog")  # 确定

    done = wait_for_window("^信息$", "the completion box")
    screenshot("root", os.path.join(shots, "e2e-completion.png"))
    answer_yes(done, "the completion box")
    screenshot(main, os.path.join(shots, "e2e-after-run.png"))

    found = relative_files(out)
    check(found == set(EXPECTED_OUTPUT),
          f"output tree: missing {sorted(set(EXPECTED_OUTPUT) - found)}, "
          f"unexpected {sorted(found - set(EXPECTED_OUTPUT))}")
    for copy, original in sorted(EXPECTED_OUTPUT.items()):
        check(read_file(os.path.join(out, copy)) == read_file(os.path.join(big, original)),
              f"out/{copy} is not a copy of big/{original}")
    check(relative_files(small) == set(PICKS) and relative_files(big) == set(ORIGINALS),
          "the picks or the originals were changed")


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--zanora", required=True)
    parser.add_argument("--adserver", required=True)
    parser.add_argument("--source", required=True, help="the source tree")
    parser.add_argument("--screenshots", required=True, help="folder for the screenshots")
    args = parser.parse_args()

    missing = [tool for tool in ("xdotool", "import", "convert") if not shutil.which(tool)]
    if not os.environ.get("DISPLAY") or missing:
        print(f"skipped: needs an X display and {', '.join(missing) or 'nothing more'}")
        return SKIP
    os.makedirs(args.screenshots, exist_ok=True)
    failure_shot = os.path.join(args.screenshots, "e2e-failure.png")
    if os.path.exists(failure_shot):
        os.remove(failure_shot)

    with tempfile.TemporaryDirectory(prefix="zanora-e2e-") as temp:
        work = os.path.join(temp, "work")
        trees = os.path.join(temp, "trees")
        os.makedirs(work)
        make_tree(os.path.join(trees, "small"), PICKS)
        make_tree(os.path.join(trees, "big"), ORIGINALS)
        os.makedirs(os.path.join(trees, "out"))
        shutil.copy(os.path.join(args.source, "tools", "demo", "myTitle.png"), work)

        server = subprocess.Popen(
                [args.adserver, "--port", "0", "--ads",
                 os.path.join(args.source, "tools", "demo", "ads")],
                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
        program = None
        log_path = os.path.join(args.screenshots, "e2e-zanora.log")
        try:
            listening = re.match(r"Listening on 127\.0\.0\.1:(\d+)", server.stdout.readline())
            check(listening, "the ad server did not start")
            with open(os.path.join(work, "config.json"), "w") as f:
                f.write('{\n    "HostIP": "127.0.0.1",\n    "HostPORT": %s\n}\n'
                        % listening.group(1))

            # The real X server, the Chinese window whatever the user's language, and Qt's folder
            # chooser history kept out of the home folder.
            env = dict(os.environ, QT_QPA_PLATFORM="xcb", ZANORA_LANG="zh",
                       XDG_CONFIG_HOME=os.path.join(temp, "config"))
            with open(log_path, "w") as log:
                program = subprocess.Popen([args.zanora], cwd=work, env=env,
                                           stdout=log, stderr=subprocess.STDOUT)
            drive(args, work, trees, args.screenshots)
            log_text = read_file(log_path).decode("utf-8", "replace")
            check("childQirsNum: 3" in log_text and "childFilesNum: 5" in log_text,
                  "the small-image picker counted wrong (want 3 folders, 5 images)")
            check(program.poll() is None, "the program has exited")
        except (Failure, subprocess.CalledProcessError) as error:
            subprocess.run(["import", "-window", "root", failure_shot])
            print(f"FAIL: {error}", file=sys.stderr)
            if os.path.exists(log_path):
                print(read_file(log_path).decode("utf-8", "replace")[-4000:], file=sys.stderr)
            return 1
        finally:
            for process in (program, server):
                if process and process.poll() is None:
                    process.terminate()
                    process.wait(10)
    print(f"passed; screenshots in {args.screenshots}")
    return 0


if __name__ == "__main__":
    sys.exit(main())
