#!/usr/bin/env python3
"""The whole installer under Wine and Xvfb against local servers: pages clicked
with xdotool, results read back from the prefix's registry and files and from
the report endpoint.

    installer_e2e_test.py BUILD_DIR [unittest args]
"""
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools", "demo"))
import zeldemo  # noqa: E402

BUILD = None
OUT = None
GREEN = (0x00, 0xC2, 0x49)

GAME = {
    "supplyid": 1001, "buildid": 77, "sourceid": "e2e", "pkgName": "com.example.game", "gameName": "Example",
    "title": "Example", "bkgPngNumber": 3, "installMarket": True, "installUI": True, "international": 1,
}


def codes(events):
    return [("click", e["code"]) if e["step"] == 101 else (e["code"], e["value5"]) for e in events]


class InstallerTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.xvfb, cls.display = zeldemo.start_xvfb()

    @classmethod
    def tearDownClass(cls):
        cls.xvfb.terminate()

    def stage(self, name, **servers):
        stage = zeldemo.Stage(BUILD, "e2e-" + name)
        self.addCleanup(stage.stop)
        stage.start_servers(**servers)
        return stage

    def shot(self, run, name, rect):
        os.makedirs(OUT, exist_ok=True)
        return run.screenshot(os.path.join(OUT, name + ".png"), rect)

    def complete_page(self, run, rect):
        return run.find_colour((rect[0] + 166, rect[1] + 250, 130, 40), GREEN) is not None

    def test_interactive_install_then_market_and_shortcut(self):
        stage = self.stage("interactive", rate="2m")
        components = [zeldemo.Component(7, size=3 << 20), zeldemo.Component(1, size=3 << 20)]
        stage.publish(components)
        stage.make_installer(GAME)
        with stage.run_installer(self.display) as run:
            _, rect = run.find_window(width=462)
            time.sleep(1.5)
            self.shot(run, "interactive-1-start", rect)
            # Start page: the blue install button.
            self.assertIsNotNone(run.find_colour((rect[0] + 166, rect[1] + 250, 130, 40), (0x0E, 0x6E, 0xFF)))
            run.click("install_btn")
            time.sleep(1.5)
            self.shot(run, "interactive-2-installing", rect)
            self.assertFalse(self.complete_page(run, rect))
            time.sleep(1.5)
            self.shot(run, "interactive-3-installing", rect)
            zeldemo.wait_for(lambda: self.complete_page(run, rect), 120, "the complete page")
            self.shot(run, "interactive-4-complete", rect)
            run.click("complete_btn")
            self.assertEqual(run.wait_exit(), 0)

        market = stage.key("HKLM", r"Software\Velmora\Quillbox\Storefront")
        self.assertIsNotNone(market)
        market_dir = market["installpath"]
        with open(os.path.join(stage.host_path(market_dir), "storefront_runs.txt"), encoding="utf-8") as f:
            started = f.read().splitlines()
        self.assertEqual(len(started), 1)
        # The stand-in records "[<quoted program> <parameters>]".
        parameters = started[0].split('"')[-1][1:-1]
        self.assertEqual(parameters, " -pkg com.example.game -apksupplyid 1001 -displayname Example -from ZELDownloader ")
        self.assertIsNotNone(stage.key("HKLM", r"Software\Velmora\Quillbox\UI"))

        link = stage.wine("tests/bin/read_shortcut.exe", "C:\\users\\root\\Desktop\\Example.lnk").stdout.splitlines()
        self.assertEqual(link[0], "target=%s\\Storefront.exe" % market_dir)
        self.assertEqual(link[1], "args= -startpkg com.example.game  -from DesktopLink")
        self.assertEqual(link[2], "icon=%s\\Icons\\com.example.game\\Game.Ico,0" % market_dir)
        self.assertTrue(os.path.exists(stage.host_path(market_dir + "\\Icons\\com.example.game\\Game.Ico")))

        speed = stage.key("HKCU", r"Software\Velmora\Quillbox\GameDownload")
        self.assertIsInstance(speed["downloadspeed"], int)
        self.assertGreater(speed["downloadspeed"], 0)

        zeldemo.wait_for(lambda: (1003, 10) in codes(stage.events()), 30, "report 1003")
        got = codes(stage.events())
        expected = [(1, 0), ("click", 0), (100, 0), (102, 0), (200, 0), (201, 0), (203, 0), (201, 0), (203, 0),
                    (204, 0), (300, 0), (301, 0), (303, 0), (301, 0), (303, 0), (304, 0), ("click", 4), (1003, 10)]
        self.assertEqual(got, expected)

    def test_typed_install_path_is_validated_and_used_as_typed(self):
        stage = self.stage("typed-path")
        stage.publish([zeldemo.Component(7)])
        stage.make_installer(dict(GAME, installUI=False))
        typed = "D:\\Games\\Mine\\"
        with stage.run_installer(self.display) as run:
            _, rect = run.find_window(width=462)
            time.sleep(1)
            run.click("custom_install_btn")
            time.sleep(1)
            run.click("install_path_edit")
            run.type_text(typed)
            time.sleep(0.5)
            self.shot(run, "typed-path-options", rect)
            run.click("custom_install_btn_install")
            zeldemo.wait_for(lambda: self.complete_page(run, rect), 120, "the complete page")
            run.click("close_btn")
            time.sleep(1)
            run.answer_message_box(first_button=True)
            run.wait_exit()
        self.assertEqual(stage.key("HKLM", r"Software\Velmora\Quillbox\Storefront")["installpath"],
                         typed + "Storefront")
        self.assertTrue(os.path.isdir(stage.host_path(typed + "Storefront")))

    def test_unreachable_servers_show_the_error_page_and_closing_reports(self):
        stage = self.stage("failure", primary=False, fallback=False)
        stage.make_installer(GAME)
        with stage.run_installer(self.display) as run:
            _, rect = run.find_window(width=462)
            time.sleep(1)
            run.click("install_btn")
            zeldemo.wait_for(lambda: (1001, 2) in codes(stage.events()), 60, "report 1001")
            self.shot(run, "failure-error-page", rect)
            run.click("close_btn")
            time.sleep(1)
            run.answer_message_box(first_button=True)
            self.assertEqual(run.wait_exit(), 0)
        zeldemo.wait_for(lambda: (1003, 11) in codes(stage.events()), 30, "report 1003")
        # A first installation that did not finish leaves no product keys.
        self.assertIsNone(stage.key("HKLM", r"Software\Velmora\Quillbox"))
        self.assertIsNone(stage.key("HKCU", r"Software\Velmora\Quillbox"))

    def test_exit_question_no_keeps_window_yes_cancels_the_download(self):
        stage = self.stage("exit", rate="200k")
        stage.publish([zeldemo.Component(7, size=40 << 20)])
        stage.make_installer(GAME)
        with stage.run_installer(self.display) as run:
            _, rect = run.find_window(width=462)
            time.sleep(1)
            run.click("close_btn")
            time.sleep(1)
            run.answer_message_box(first_button=False)
            time.sleep(1)
            self.assertIsNone(run.proc.poll())
            run.find_window(width=462)
            run.click("install_btn")
            zeldemo.wait_for(lambda: (201, 0) in codes(stage.events()), 60, "the download to start")
            run.click("close_btn")
            time.sleep(1)
            started = time.time()
            run.answer_message_box(first_button=True)
            self.assertEqual(run.wait_exit(timeout=30), 0)
            # Closing never waits for the download.
            self.assertLess(time.time() - started, 20)
        zeldemo.wait_for(lambda: (1003, 1) in codes(stage.events()), 30, "report 1003")
        got = codes(stage.events())
        self.assertIn((205, 0), got)
        self.assertLess(got.index((205, 0)), got.index((1003, 1)))
        self.assertIsNone(stage.key("HKLM", r"Software\Velmora\Quillbox"))

    def test_unfinished_run_keeps_earlier_records(self):
        stage = self.stage("keep", rate="200k")
        stage.publish([zeldemo.Component(7, size=40 << 20), zeldemo.Component(1)])
        stage.make_installer(GAME)
        # An earlier game installed the market application.
        stage.wine("C:\\windows\\system32\\reg.exe", "add", "HKLM\\Software\\Velmora\\Quillbox\\Storefront", "/v",
                   "InstallPath", "/t", "REG_SZ", "/d", "C:\\Elsewhere", "/f", "/reg:32")
        with stage.run_installer(self.display) as run:
            run.find_window(width=462)
            time.sleep(1)
            run.click("install_btn")
            zeldemo.wait_for(lambda: (201, 0) in codes(stage.events()), 60, "the download to start")
            run.click("close_btn")
            time.sleep(1)
            run.answer_message_box(first_button=True)
            run.wait_exit(timeout=30)
        earlier = stage.key("HKLM", r"Software\Velmora\Quillbox\Storefront")
        self.assertEqual(earlier["installpath"], "C:\\Elsewhere")
        # This run's own per-user settings go: that key did not exist before it.
        self.assertIsNone(stage.key("HKCU", r"Software\Velmora\Quillbox"))

    def test_everything_installed_completes_at_once(self):
        stage = self.stage("installed")
        stage.make_installer(dict(GAME, installUI=False))
        folder = "C:\\Market"
        for name in ("Storefront.exe", "ShopView.dll"):
            path = stage.host_path(folder + "\\" + name)
            os.makedirs(os.path.dirname(path), exist_ok=True)
            open(path, "w").close()
        for value, data in (("InstallPath", folder), ("Version", "1.0.7.0")):
            stage.wine("C:\\windows\\system32\\reg.exe", "add", "HKLM\\Software\\Velmora\\Quillbox\\Storefront",
                       "/v", value, "/t", "REG_SZ", "/d", data, "/f", "/reg:32")
        with stage.run_installer(self.display) as run:
            _, rect = run.find_window(width=462)
            zeldemo.wait_for(lambda: self.complete_page(run, rect), 30, "the complete page")
            self.shot(run, "installed-complete", rect)
            run.click("close_btn")
            time.sleep(1)
            run.answer_message_box(first_button=True)
            run.wait_exit()
        zeldemo.wait_for(lambda: (1003, 10) in codes(stage.events()), 30, "report 1003")
        got = codes(stage.events())
        self.assertEqual(got[:2], [(1, 0), (2, 0)])
        self.assertNotIn((100, 0), got)
        self.assertEqual(stage.key("HKLM", r"Software\Velmora\Quillbox\Storefront")["installpath"], folder)

    def test_silent_build_installs_without_a_window(self):
        stage = self.stage("silent")
        stage.publish([zeldemo.Component(7)])
        stage.make_installer(dict(GAME, silentMode=1, installUI=False))
        with stage.run_installer(self.display) as run:
            self.assertEqual(run.wait_exit(timeout=120), 0)
        market = stage.key("HKLM", r"Software\Velmora\Quillbox\Storefront")
        self.assertIsNotNone(market)
        with open(os.path.join(stage.host_path(market["installpath"]), "storefront_runs.txt"), encoding="utf-8") as f:
            self.assertEqual(len(f.read().splitlines()), 1)
        self.assertTrue(os.path.exists(os.path.join(stage.prefix, "drive_c", "users", "root", "Desktop",
                                                    "Example.lnk")))
        zeldemo.wait_for(lambda: (1003, 10) in codes(stage.events()), 30, "report 1003")
        self.assertIn((304, 0), codes(stage.events()))

    def test_silent_build_failure_reports_and_exits_zero(self):
        stage = self.stage("silent-failure", primary=False, fallback=False)
        stage.make_installer(dict(GAME, silentMode=1))
        with stage.run_installer(self.display) as run:
            self.assertEqual(run.wait_exit(timeout=120), 0)
        zeldemo.wait_for(lambda: (1003, 11) in codes(stage.events()), 30, "report 1003")
        got = codes(stage.events())
        self.assertIn((1001, 2), got)
        self.assertLess(got.index((1001, 2)), got.index((1003, 11)))


if __name__ == "__main__":
    BUILD = os.path.abspath(sys.argv[1])
    OUT = os.path.join(BUILD, "test-output", "e2e")
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)
