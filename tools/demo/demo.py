#!/usr/bin/env python3
"""The demo: a whole installation under Wine against local servers.

    demo.py BUILD_DIR

Publishes three stand-in components on nginx, writes a channel configuration
into a copy of the installer with zel-config, runs it on the user's display
(or an Xvfb of its own), clicks through the pages, then runs it once more with
the manifest servers down to show the error page. Prints what happened and
leaves a screenshot of every page in BUILD_DIR/stage/demo-shots.
"""
import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import zeldemo  # noqa: E402

CONFIG = {
    "supplyid": 1001, "buildid": 1234, "sourceid": "demo-campaign", "pkgName": "com.example.game",
    "gameName": "Example", "title": "Example", "bkgPngNumber": 3, "installMarket": True, "installUI": True,
    "installRootfs": True, "international": 1,
}


def say(text=""):
    print(text, flush=True)


def display_for_demo():
    display = os.environ.get("DISPLAY")
    if display and shutil.which("xdpyinfo") and subprocess.run(["xdpyinfo"], capture_output=True).returncode == 0:
        return None, display
    return zeldemo.start_xvfb()


def main():
    build = os.path.abspath(sys.argv[1])
    shots = os.path.join(build, "stage", "demo-shots")
    shutil.rmtree(shots, ignore_errors=True)
    os.makedirs(shots)
    xvfb, display = display_for_demo()
    say("display: %s%s" % (display, " (Xvfb)" if xvfb else ""))
    stage = zeldemo.Stage(build, "demo")
    try:
        components = [zeldemo.Component(7, size=6 << 20), zeldemo.Component(1, size=12 << 20),
                      zeldemo.Component(10, size=6 << 20)]
        stage.start_servers(rate="3m")
        stage.publish(components, supplyid=CONFIG["supplyid"])
        stage.make_installer(CONFIG)
        say("installer: %s (channel %d, package %s)" % (stage.installer, CONFIG["supplyid"], CONFIG["pkgName"]))

        pages = []
        with stage.run_installer(display) as run:
            wid, rect = run.find_window(width=462)
            time.sleep(2)
            pages.append(("start", run.screenshot(os.path.join(shots, "1-start.png"), rect)))
            run.click("custom_install_btn")
            time.sleep(1.5)
            pages.append(("custom_install", run.screenshot(os.path.join(shots, "2-custom_install.png"), rect)))
            run.click("custom_install_btn_install")
            time.sleep(4)
            pages.append(("installing", run.screenshot(os.path.join(shots, "3-installing.png"), rect)))
            # The complete page's button is green where the installing page has none.
            btn = (rect[0] + 166, rect[1] + 250, 130, 40)
            zeldemo.wait_for(lambda: run.find_colour(btn, (0x00, 0xC2, 0x49)) is not None, 180, "the complete page")
            time.sleep(1)
            pages.append(("complete", run.screenshot(os.path.join(shots, "4-complete.png"), rect)))
            run.click("complete_btn")
            run.wait_exit()
        say("exit code: %s" % run.exit_code)

        market = stage.key("HKLM", r"Software\Velmora\Quillbox\Storefront") or {}
        say("\ncomponents installed:")
        for c in components:
            values = stage.key("HKLM", c.regkey) or {}
            say("  %-3d %-16s InstallPath=%s Version=%s" % (c.id, c.name, values.get("installpath"),
                                                              values.get("version")))
        product = stage.key("HKLM", r"Software\Velmora\Quillbox") or {}
        user = stage.key("HKCU", r"Software\Velmora\Quillbox") or {}
        speed = stage.key("HKCU", r"Software\Velmora\Quillbox\GameDownload") or {}
        say("\nregistry:")
        say("  HKLM SupplyId=%s" % product.get("supplyid"))
        for name in ("temppath", "userlanguage", "keyword"):
            say("  HKCU %s=%s" % (name, user.get(name)))
        say("  HKCU GameDownload DownloadSpeed=%s kb/s" % speed.get("downloadspeed"))
        runs = os.path.join(stage.host_path(market.get("installpath", "C:\\")), "storefront_runs.txt")
        say("\nmarket application started with:")
        if os.path.exists(runs):
            with open(runs, encoding="utf-8") as f:
                for line in f:
                    say("  " + line.rstrip())
        else:
            say("  (not started)")
        desktop = os.path.join(stage.prefix, "drive_c", "users", "root", "Desktop")
        say("desktop: %s" % ", ".join(sorted(os.listdir(desktop))) if os.path.isdir(desktop) else "desktop: -")

        # A second run with the manifest servers down shows the error page.
        stage.stop()
        down = zeldemo.Stage(build, "demo-error")
        try:
            down.start_servers(primary=False, fallback=False)
            down.make_installer(CONFIG)
            with down.run_installer(display) as run:
                wid, rect = run.find_window(width=462)
                time.sleep(1.5)
                run.click("install_btn")
                time.sleep(8)
                pages.append(("error", run.screenshot(os.path.join(shots, "5-error.png"), rect)))
                run.click("close_btn")
                time.sleep(1)
                run.answer_message_box(first_button=True)
                run.wait_exit()
            error_events = down.events()
        finally:
            down.stop()

        say("\npages seen:")
        for name, path in pages:
            say("  %-15s %s" % (name, path))
        say("\nevents received (installing run):")
        say("  " + " ".join(("click:%d" if e["step"] == 101 else "%d") % e["code"] for e in stage.events()))
        say("events received (error run):")
        say("  " + " ".join(("click:%d" if e["step"] == 101 else "%d") % e["code"] for e in error_events))
        logs = stage.log_lines()
        say("\nlog file: %s" % (os.path.join(stage.prefix, "drive_c", "users", "root", "Temp", "GameDownloadLog")))
        for line in logs:
            say("  " + line)
    finally:
        stage.stop()
        if xvfb:
            xvfb.terminate()


if __name__ == "__main__":
    main()
