#!/usr/bin/env python3
"""Message box window tests: runs msgbox_probe under Wine on an X display of
its own, clicks and types with xdotool at the positions the probe reports from
the layout, checks the results, and checks screenshots at a few pixels. The
screenshots stay in the output folder for people to look at.

usage: msgbox_window_test.py BUILD_DIR OUTPUT_DIR [unittest arguments]
"""
import os
import random
import signal
import socket
import subprocess
import sys
import time
import unittest

HARNESS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'harness')

BUILD_DIR = OUTPUT_DIR = None
LANGUAGES = ['en', 'id', 'ko', 'pt', 'ru', 'th', 'tr', 'vi', 'zh_CN', 'zh_TW']
EXIT_QUESTION = 'owned|@sure_to_exit_install|@wnd_exit_title|@text_yes|@text_no'
GREEN = (0x00, 0xC2, 0x49)
BOX_BACKGROUND = (0x3C, 0x3D, 0x5E)
WHITE = (0xFF, 0xFF, 0xFF)


def near(pixel, colour, tolerance=24):
    return all(abs(a - b) <= tolerance for a, b in zip(pixel, colour))


def inset(rect, n):
    return (rect[0] + n, rect[1] + n, rect[2] - n, rect[3] - n)


def is_light(p):
    return min(p) > 170


class Screenshot:
    """Pixels of a window's image; positions are screen coordinates."""

    def __init__(self, path, rect):
        self.left, self.top = rect[0], rect[1]
        self.width = rect[2] - rect[0]
        self.data = subprocess.run(['convert', path, '-depth', '8', 'rgb:-'], check=True,
                                   capture_output=True).stdout
        assert len(self.data) == self.width * (rect[3] - rect[1]) * 3, 'screenshot size'

    def pixel(self, x, y):
        i = ((y - self.top) * self.width + (x - self.left)) * 3
        return tuple(self.data[i:i + 3])

    def count(self, rect, predicate):
        left, top, right, bottom = rect
        return sum(1 for y in range(top, bottom) for x in range(left, right) if predicate(self.pixel(x, y)))


class Display:
    """An Xvfb of the test's own. Display numbers are picked at random from a
    high range, since other test runs start servers of their own."""

    def __init__(self):
        for _ in range(20):
            n = random.randrange(200, 900)
            if os.path.exists('/tmp/.X11-unix/X%d' % n):
                continue
            proc = subprocess.Popen(['Xvfb', ':%d' % n, '-screen', '0', '1280x800x24', '-nolisten', 'tcp',
                                     '-noreset'], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            deadline = time.time() + 15
            while time.time() < deadline and proc.poll() is None:
                if self.reachable(n):
                    self.proc, self.name = proc, ':%d' % n
                    return
                time.sleep(0.1)
            if proc.poll() is None:
                proc.kill()
            proc.wait()
        raise AssertionError('no X display could be started')

    @staticmethod
    def reachable(n):
        s = socket.socket(socket.AF_UNIX)
        try:
            s.connect('\0/tmp/.X11-unix/X%d' % n)
            return True
        except OSError:
            return False
        finally:
            s.close()

    def stop(self):
        self.proc.terminate()
        self.proc.wait()


class Probe:
    """One run of msgbox_probe.exe with a list of steps."""

    def __init__(self, name, steps, display):
        self.display = display
        self.report = os.path.join(OUTPUT_DIR, name + '.txt')
        if os.path.exists(self.report):
            os.remove(self.report)
        rel = os.path.relpath(self.report, BUILD_DIR).replace('/', '\\')
        exe = os.path.join(BUILD_DIR, 'tests', 'bin', 'msgbox_probe.exe')
        env = dict(os.environ, ZEL_BUILD_DIR=BUILD_DIR, ZEL_WINE_X=display)
        # A session of its own, so a failed test can stop everything it started.
        self.proc = subprocess.Popen([os.path.join(HARNESS, 'wine-run'), exe, 'T:\\' + rel] + steps, env=env,
                                     stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, start_new_session=True)
        self.boxes = 0

    def lines(self):
        try:
            with open(self.report, encoding='utf-8') as f:
                return f.read().splitlines()
        except FileNotFoundError:
            return []

    def wait_for(self, prefix, timeout=60):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if any(line.startswith(prefix) for line in self.lines()):
                return next(line for line in self.lines() if line.startswith(prefix))
            if self.proc.poll() is not None:
                raise AssertionError('probe ended (%s) before %r: %s' % (self.proc.returncode, prefix,
                                                                         self.proc.stderr.read()[-2000:]))
            time.sleep(0.1)
        raise AssertionError('no %r in %s' % (prefix, self.report))

    def next_box(self):
        """Waits for the next box and returns what the probe reported of it."""
        self.boxes += 1
        self.wait_for('ready %d' % self.boxes)
        lines = self.lines()
        start = max(i for i, l in enumerate(lines) if l.startswith('window '))
        box = {'controls': {}, 'texts': {}}
        for line in lines[start:]:
            words = line.split(' ')
            if words[0] == 'window':
                box['window'] = tuple(map(int, words[1:5]))
            elif words[0] == 'control':
                box['controls'][words[1]] = {'rect': tuple(map(int, words[2:6])), 'visible': words[6] == 'visible=1',
                                             'focused': words[7] == 'focused=1'}
            elif words[0] == 'text':
                box['texts'][words[1]] = ' '.join(words[2:])
            elif words[0] == 'owner_enabled':
                box['owner_enabled'] = words[1] == '1'
            elif words[0] == 'ready':
                break
        return box

    def result(self):
        """(result, owner enabled afterwards) of the current box."""
        words = self.wait_for('result %d ' % self.boxes).split()
        return int(words[2]), words[4] == '1'

    def xdo(self, *args):
        env = dict(os.environ, DISPLAY=self.display)
        subprocess.run(['xdotool'] + list(args), env=env, check=True, capture_output=True)

    def click(self, rect):
        x, y = (rect[0] + rect[2]) // 2, (rect[1] + rect[3]) // 2
        self.xdo('mousemove', str(x), str(y))
        time.sleep(0.2)  # let the control see the hover before the press
        self.xdo('click', '1')

    def screenshot(self, name, rect):
        """Captures the box's own X window into OUTPUT_DIR/name.png (the root
        window's image does not show Wine's windows under Xvfb)."""
        path = os.path.join(OUTPUT_DIR, name + '.png')
        env = dict(os.environ, DISPLAY=self.display)
        found = subprocess.run(['xdotool', 'search', '--name', '^MessageBox$'], env=env, capture_output=True,
                               text=True, check=True)
        xwd = subprocess.run(['xwd', '-id', found.stdout.split()[0], '-display', self.display],
                             capture_output=True, check=True)
        subprocess.run(['convert', 'xwd:-', 'png:' + path], input=xwd.stdout, check=True)
        return Screenshot(path, rect)

    def stop(self):
        """Ends the run if it is still going (after a failure)."""
        if self.proc.poll() is not None:
            return
        # Wine's processes end on TERM; the runner then removes its prefix.
        os.killpg(self.proc.pid, signal.SIGTERM)
        try:
            self.proc.wait(timeout=20)
        except subprocess.TimeoutExpired:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()

    def finish(self):
        self.wait_for('done')
        self.proc.wait(timeout=60)
        self.proc.stderr.close()
        return self.proc.returncode


class MessageBoxWindowTest(unittest.TestCase):
    def start(self, name, steps):
        display = Display()
        self.addCleanup(display.stop)
        probe = Probe(name, steps, display.name)
        self.addCleanup(probe.stop)
        return probe

    def check_buttons_painted(self, shot, box):
        yes = box['controls']['yes_btn']['rect']
        no = box['controls']['no_btn']['rect']
        self.assertTrue(near(shot.pixel(yes[0] + 2, yes[1] + 2), GREEN), shot.pixel(yes[0] + 2, yes[1] + 2))
        self.assertTrue(near(shot.pixel(no[0], (no[1] + no[3]) // 2), WHITE), 'border of no_btn')
        self.assertTrue(near(shot.pixel(no[0] + 2, no[1] + 2), BOX_BACKGROUND))
        # White text inside each button (away from the border and focus frame).
        self.assertGreater(shot.count(inset(yes, 5), is_light), 8, 'text of yes_btn')
        self.assertGreater(shot.count(inset(no, 5), is_light), 8, 'text of no_btn')
        content = box['controls']['content_label']['rect']
        self.assertGreater(shot.count(content, lambda p: not near(p, BOX_BACKGROUND, 30)), 20, 'content text')

    def test_buttons_close_glyph_keys_and_owner(self):
        probe = self.start('msgbox_interaction', [
            'lang=en', EXIT_QUESTION, EXIT_QUESTION, EXIT_QUESTION,
            'free|@error_invalid_path|@error_wnd_title|@text_ok|',
            'free|No buttons here.|Notice||'])

        # Exit question: two buttons, "Yes" focused, owner disabled; "Yes" gives 1.
        box = probe.next_box()
        c = box['controls']
        self.assertEqual((box['texts']['title_label'], box['texts']['yes_btn'], box['texts']['no_btn']),
                         ('Warning', 'Yes', 'No'))
        self.assertEqual(box['texts']['content_label'], 'Do you want to stop installing Playvane?')
        self.assertTrue(c['yes_btn']['visible'] and c['no_btn']['visible'])
        self.assertTrue(c['yes_btn']['focused'])
        self.assertFalse(box['owner_enabled'])
        self.assertEqual((box['window'][2] - box['window'][0], box['window'][3] - box['window'][1]), (280, 140))
        shot = probe.screenshot('msgbox_exit_question', box['window'])
        self.check_buttons_painted(shot, box)
        icon = c['icon']['rect']
        self.assertTrue(near(shot.pixel(icon[0] + 4, icon[1] + 8), (0x2D, 0x8C, 0xFF), 40), 'information icon')
        probe.click(c['yes_btn']['rect'])
        self.assertEqual(probe.result(), (1, True))

        # "No" and the close glyph give 0.
        box = probe.next_box()
        probe.click(box['controls']['no_btn']['rect'])
        self.assertEqual(probe.result(), (0, True))
        box = probe.next_box()
        probe.click(box['controls']['close_btn']['rect'])
        self.assertEqual(probe.result(), (0, True))

        # One button: the second is hidden, "OK" is focused and Enter presses
        # it; a box without owner leaves the owner enabled.
        box = probe.next_box()
        c = box['controls']
        self.assertTrue(c['yes_btn']['visible'] and c['yes_btn']['focused'])
        self.assertFalse(c['no_btn']['visible'])
        self.assertTrue(box['owner_enabled'])
        shot = probe.screenshot('msgbox_one_button', box['window'])
        self.assertEqual(shot.count(inset(c['no_btn']['rect'], 1), is_light), 0, 'hidden no_btn is not painted')
        probe.xdo('key', 'Return')
        self.assertEqual(probe.result(), (1, True))

        # No buttons: only a close request ends it, with 0.
        box = probe.next_box()
        self.assertFalse(box['controls']['yes_btn']['visible'] or box['controls']['no_btn']['visible'])
        probe.screenshot('msgbox_no_buttons', box['window'])
        probe.xdo('key', 'alt+F4')
        self.assertEqual(probe.result(), (0, True))
        self.assertEqual(probe.finish(), 0)

    def test_exit_question_in_every_language(self):
        steps = []
        for lang in LANGUAGES:
            steps += ['lang=' + lang, EXIT_QUESTION]
        probe = self.start('msgbox_languages', steps)
        english = None
        for lang in LANGUAGES:
            with self.subTest(lang=lang):
                box = probe.next_box()
                shot = probe.screenshot('msgbox_' + lang, box['window'])
                texts = (box['texts']['title_label'], box['texts']['content_label'], box['texts']['yes_btn'])
                if english is None:
                    english = texts
                else:
                    self.assertNotEqual(texts, english)
                product = 'Tallowmere' if lang == 'zh_CN' else 'Playvane'
                self.assertIn(product, box['texts']['content_label'])
                self.check_buttons_painted(shot, box)
                probe.click(box['controls']['yes_btn']['rect'])
                self.assertEqual(probe.result(), (1, True))
        self.assertEqual(probe.finish(), 0)


if __name__ == '__main__':
    BUILD_DIR = os.path.abspath(sys.argv[1])
    OUTPUT_DIR = os.path.abspath(sys.argv[2])
    os.makedirs(OUTPUT_DIR, exist_ok=True)
    unittest.main(argv=[sys.argv[0], '-v'] + sys.argv[3:])
