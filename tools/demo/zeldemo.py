"""A whole installation under Wine against local servers, for the demo and the
end-to-end tests (Python standard library only).

    stage = Stage(build_dir, "demo")          # a work folder inside the build dir
    stage.start_servers()                       # nginx (manifest, packages), reports
    stage.publish([Component(7), Component(1)]) # packages + manifest on the servers
    stage.make_installer({"pkgName": ...})      # a channel build via zel-config
    with stage.run_installer() as run:          # Xvfb, the installer in a prefix
        run.click("install_btn") ...
    stage.registry_value(...), stage.reports(), stage.stop()

The installer must be built with the loopback addresses of PORTS (see
LOOPBACK_CMAKE_ARGS); the servers listen there.
"""
import glob
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.abspath(os.path.join(HERE, "..", ".."))
HARNESS = os.path.join(ROOT, "tests", "harness")

PORTS = {"primary": 47443, "fallback": 47444, "report": 47445}
LOOPBACK_CMAKE_ARGS = [
    "-DZEL_MANIFEST_PRIMARY=https://localhost:%d" % PORTS["primary"],
    "-DZEL_MANIFEST_FALLBACK=https://localhost:%d" % PORTS["fallback"],
    "-DZEL_REPORT_URL=https://localhost:%d" % PORTS["report"],
    "-DZEL_REPORT_HOST=localhost:%d" % PORTS["report"],
]

# Component id -> (package name, registry key, sub-folder), as a maker's
# manifest would list them; the keys are those the installer reads back.
COMPONENTS = {
    7: ("Storefront.exe", r"Software\Velmora\Quillbox\Storefront", "Storefront"),
    1: ("EngineFront.exe", r"Software\Velmora\Quillbox\UI", "EngineFront"),
    3: ("DiskImages.exe", r"Software\Velmora\Quillbox\VDI_0", "DiskImages"),
    8: ("DiskImages71.exe", r"Software\Velmora\Quillbox\VDI_100", "DiskImages71"),
    10: ("Rootfs.exe", r"Software\Velmora\Quillbox\Ember_Rootfs", "Rootfs"),
    2: ("AndroidKiln.exe", r"Software\AndroidKiln", "AndroidKiln"),
}

# Window-relative centres of the main window's controls (462 x 312 layout:
# a 35-pixel header, then the visible page 195 pixels further down).
MAIN_CONTROLS = {
    "install_btn": (231, 270),
    "custom_install_btn": (384, 265),
    "complete_btn": (231, 270),
    "create_icon_opt": (332, 271),
    "close_btn": (446, 15),
    "minimum_btn": (429, 15),
    "install_path_edit": (150, 301),
    "custom_install_btn_install": (402, 270),
}


def win_path(build_dir, path):
    """Windows path of a host file inside the build directory (drive T:)."""
    rel = os.path.relpath(os.path.abspath(path), os.path.abspath(build_dir))
    return "T:\\" + rel.replace("/", "\\")


class Component:
    def __init__(self, cid, size=64 * 1024, exit_code=0, kit_exit=0, no_setupkit=False, wait_ms=0):
        self.id = cid
        self.size = size
        self.exit_code = exit_code
        self.kit_exit = kit_exit
        self.no_setupkit = no_setupkit
        self.wait_ms = wait_ms
        self.name, self.regkey, self.subdir = COMPONENTS[cid]


class Stage:
    def __init__(self, build_dir, name, drive_size="500G", locale="en_US.UTF-8"):
        self.locale = locale
        self.build = os.path.abspath(build_dir)
        self.work = os.path.join(self.build, "stage", name)
        self.www = os.path.join(self.work, "www")
        self.prefix = os.path.join(self.work, "prefix")
        self.drive_d = os.path.join(self.work, "drive-d")
        # A run that was killed may have left its drive mounted.
        if os.path.ismount(self.drive_d):
            subprocess.run(["umount", "-l", self.drive_d])
        shutil.rmtree(self.work, ignore_errors=True)
        os.makedirs(self.work, exist_ok=True)
        self.drive_size = drive_size
        self.procs = []
        self.mounted = False
        self.certs = subprocess.run([os.path.join(HARNESS, "tls", "make-certs.sh"),
                                     os.path.join(self.build, "test-tls")],
                                    check=True, capture_output=True, text=True).stdout.strip()
        self._make_prefix()

    # ---- Wine prefix ---------------------------------------------------
    def env(self, display=None):
        env = dict(os.environ)
        env.update({
            "WINEPREFIX": self.prefix,
            "WINEARCH": "win64",
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree=;mshtml=;winemenubuilder.exe=d",
            "HOME": os.path.join(self.prefix, "home"),
            # Wine takes the user's locale and ANSI code page from here.
            "LC_ALL": self.locale,
        })
        env.pop("DISPLAY", None)
        if display:
            env["DISPLAY"] = display
        return env

    def _make_prefix(self):
        subprocess.run(["bash", "-c", '. "%s/wine-env.sh"; zel_wine_template "$1"; zel_wine_clone "$1" "$2"'
                        % HARNESS, "x", self.build, self.prefix], check=True)
        os.makedirs(os.path.join(self.prefix, "home"), exist_ok=True)
        dosdevices = os.path.join(self.prefix, "dosdevices")
        os.symlink(self.build, os.path.join(dosdevices, "t:"))
        os.symlink(ROOT, os.path.join(dosdevices, "s:"))
        # The largest fixed drive gets the download and install folders.
        os.makedirs(self.drive_d, exist_ok=True)
        if subprocess.run(["mount", "-t", "tmpfs", "-o", "size=" + self.drive_size, "tmpfs", self.drive_d]).returncode == 0:
            self.mounted = True
        os.symlink(self.drive_d, os.path.join(dosdevices, "d:"))
        ca = win_path(self.build, os.path.join(self.certs, "ca.der"))
        self.wine("tests/bin/add_root_ca.exe", ca)

    def wine(self, program, *args, display=None, check=True, timeout=300):
        exe = program if re.match(r"^[A-Za-z]:\\", program) else win_path(self.build, os.path.join(self.build, program))
        r = subprocess.run(["wine", exe] + list(args), env=self.env(display), capture_output=True, text=True,
                           timeout=timeout)
        if check and r.returncode != 0:
            raise RuntimeError("%s failed (%d): %s %s" % (program, r.returncode, r.stdout, r.stderr))
        return r

    def wait_wineserver(self):
        subprocess.run(["wineserver", "-w"], env=self.env())

    def host_path(self, windows_path):
        """Host path of a path on drive C:, D: or T: of the prefix."""
        drive, rest = windows_path[0].lower(), windows_path[3:].replace("\\", "/")
        base = {"c": os.path.join(self.prefix, "drive_c"), "d": self.drive_d, "t": self.build}[drive]
        return os.path.join(base, rest)

    # ---- Servers -------------------------------------------------------
    def start_servers(self, primary=True, fallback=True, rate=None):
        """nginx for the manifest and packages (`rate`: bytes per second per
        package download, e.g. "2m"), and the report endpoint."""
        os.makedirs(self.www, exist_ok=True)
        conf = os.path.join(self.work, "nginx.conf")
        servers = ""
        for name, on in (("primary", primary), ("fallback", fallback)):
            if on:
                servers += """
    server {
        listen 127.0.0.1:%d ssl;
        server_name localhost;
        ssl_certificate %s/localhost.pem;
        ssl_certificate_key %s/localhost.key;
        root %s;
        access_log %s/access-%s.log;
        location /packages/ { %s }
    }""" % (PORTS[name], self.certs, self.certs, self.www, self.work, name,
            "limit_rate %s;" % rate if rate else "")
        with open(conf, "w") as f:
            f.write("""daemon off;
user root;
worker_processes 1;
pid %s/nginx.pid;
error_log %s/nginx-error.log;
events { worker_connections 64; }
http {
    types { application/octet-stream exe; text/xml xml; }
    default_type application/octet-stream;
    sendfile on;
    client_body_temp_path %s/tmp; proxy_temp_path %s/tmp; fastcgi_temp_path %s/tmp;
    uwsgi_temp_path %s/tmp; scgi_temp_path %s/tmp;
%s
}
""" % ((self.work,) * 7 + (servers,)))
        os.makedirs(os.path.join(self.work, "tmp"), exist_ok=True)
        if primary or fallback:
            self.procs.append(subprocess.Popen(["nginx", "-c", conf, "-p", self.work], stderr=subprocess.DEVNULL))
        self.report_log = os.path.join(self.work, "reports.jsonl")
        self.procs.append(subprocess.Popen(
            ["python3", os.path.join(HERE, "report_endpoint.py"), "--port", str(PORTS["report"]),
             "--certs", self.certs, "--log", self.report_log]))
        for name, on in (("primary", primary), ("fallback", fallback), ("report", True)):
            if on:
                self._wait_port(PORTS[name])

    @staticmethod
    def _wait_port(port, timeout=20):
        import socket
        end = time.time() + timeout
        while time.time() < end:
            with socket.socket() as s:
                if s.connect_ex(("127.0.0.1", port)) == 0:
                    return
            time.sleep(0.1)
        raise RuntimeError("nothing listens on port %d" % port)

    def stop(self):
        for p in self.procs:
            p.send_signal(signal.SIGTERM)
        for p in self.procs:
            try:
                p.wait(10)
            except subprocess.TimeoutExpired:
                p.kill()
        subprocess.run(["wineserver", "-k"], env=self.env(), capture_output=True)
        if self.mounted:
            subprocess.run(["umount", "-l", self.drive_d])
            self.mounted = False

    # ---- Packages, manifest, installer ----------------------------------
    def publish(self, components, supplyid=1001):
        pkg_dir = os.path.join(self.www, "packages")
        os.makedirs(pkg_dir, exist_ok=True)
        items = []
        for c in components:
            out = os.path.join(pkg_dir, c.name)
            args = [win_path(self.build, out), "--id", str(c.id), "--exit", str(c.exit_code),
                    "--kit-exit", str(c.kit_exit), "--size", str(c.size), "--regkey", c.regkey]
            if c.no_setupkit:
                args.append("--no-setupkit")
            if c.wait_ms:
                args += ["--wait", str(c.wait_ms)]
            self.wine("tests/bin/make_package.exe", *args)
            with open(out, "rb") as f:
                digest = hashlib.md5(f.read()).hexdigest()
            items.append('<Item id="%d" name="%s" version="1.0.%d.0" localaddpath="%s" installInX86="1" '
                         'installInX64="1" writePathToRegKey="%s" DL_ID="%d" hash="%s" filesize="%d" '
                         'url="https://localhost:%d/packages/%s"/>'
                         % (c.id, c.name, c.id, c.subdir, c.regkey, c.id, digest, os.path.getsize(out),
                            PORTS["primary"], c.name))
        body = "\n    ".join(items)
        manifest = ('<?xml version="1.0" encoding="UTF-8"?>\n<Components>\n    %s\n    <other><OtherConfig>'
                    '<ChannelComponents ChannelRange="%d">\n    %s\n    </ChannelComponents></OtherConfig></other>\n'
                    '</Components>\n' % (body, supplyid, body))
        for rel in ("downloads/xml", "open/vexa/xml"):
            os.makedirs(os.path.join(self.www, rel), exist_ok=True)
            with open(os.path.join(self.www, rel, "compoment.xml"), "w") as f:
                f.write(manifest)

    def make_installer(self, config):
        """A channel build of the installer carrying `config`."""
        src = os.path.join(self.build, "ZELDownloader.exe")
        self.installer = os.path.join(self.work, "ZELDownloader.exe")
        cfg = os.path.join(self.work, "channel.json")
        with open(cfg, "w") as f:
            json.dump(config, f)
        tool = os.path.join(self.build, "host", "zel-config", "zel-config")
        subprocess.run([tool, "write", src, "--json", cfg, "--out", self.installer], check=True,
                       capture_output=True)
        return self.installer

    def run_installer(self, display):
        return InstallerRun(self, display)

    # ---- What happened ----------------------------------------------------
    def registry(self, hive):
        """Keys and values of the prefix's machine ("HKLM") or user ("HKCU") hive."""
        self.wait_wineserver()
        path = os.path.join(self.prefix, "system.reg" if hive == "HKLM" else "user.reg")
        keys, current = {}, None
        with open(path, encoding="utf-8", errors="replace") as f:
            for line in f:
                line = line.rstrip("\n")
                m = re.match(r"^\[(.*)\] \d+", line)
                if m:
                    current = keys.setdefault(m.group(1).replace("\\\\", "\\").lower(), {})
                    continue
                m = re.match(r'^"((?:[^"\\]|\\.)*)"=(.*)$', line)
                if m and current is not None:
                    name, raw = m.group(1), m.group(2)
                    if raw.startswith("dword:"):
                        value = int(raw[6:], 16)
                    elif raw.startswith('"'):
                        value = raw[1:-1].replace("\\\\", "\\")
                    else:
                        value = raw
                    current[name.lower()] = value
        return keys

    def key(self, hive, path):
        """Values of one key; machine keys of the 32-bit installer live in Wow6432Node."""
        keys = self.registry(hive)
        path = path.lower()
        if hive == "HKLM" and path.startswith("software\\"):
            wow = "software\\wow6432node\\" + path[len("software\\"):]
            if wow in keys:
                return keys[wow]
        return keys.get(path)

    def reports(self):
        """Report requests the endpoint received, in order."""
        if not os.path.exists(self.report_log):
            return []
        with open(self.report_log) as f:
            return [json.loads(line) for line in f if line.strip()]

    def events(self):
        """(code, value5) of every event the endpoint received, in order."""
        out = []
        for r in self.reports():
            for e in r.get("events", []):
                out.append(e)
        return out

    def log_lines(self):
        pattern = os.path.join(self.prefix, "drive_c", "users", "*", "Temp", "GameDownloadLog", "ZELDownloader_*.log")
        lines = []
        for path in sorted(glob.glob(pattern)):
            with open(path, encoding="utf-8", errors="replace") as f:
                lines += f.read().splitlines()
        return lines


class InstallerRun:
    """The installer running on an X display; a context manager."""

    def __init__(self, stage, display):
        self.stage = stage
        self.display = display
        self.exit_code = None
        exe = win_path(stage.build, stage.installer)
        self.proc = subprocess.Popen(["wine", exe], env=stage.env(display), stdout=subprocess.DEVNULL,
                                     stderr=subprocess.DEVNULL)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if self.proc.poll() is None:
            self.proc.kill()
            subprocess.run(["wineserver", "-k"], env=self.stage.env())
        return False

    def xdo(self, *args, check=True):
        r = subprocess.run(["xdotool"] + list(args), env={"DISPLAY": self.display, "PATH": os.environ["PATH"]},
                           capture_output=True, text=True)
        if check and r.returncode != 0:
            raise RuntimeError("xdotool %s: %s" % (" ".join(args), r.stderr))
        return r.stdout

    def find_window(self, name="ZELDownloader", timeout=60, width=None):
        end = time.time() + timeout
        while time.time() < end:
            out = self.xdo("search", "--onlyvisible", "--name", "^%s$" % name, check=False)
            for wid in out.split():
                x, y, w, h = self.geometry(wid)
                if width is None or w == width:
                    return wid, (x, y, w, h)
            if self.proc.poll() is not None:
                raise RuntimeError("the installer ended (exit code %s)" % self.proc.returncode)
            time.sleep(0.3)
        raise RuntimeError("no window named %s" % name)

    def geometry(self, wid):
        out = self.xdo("getwindowgeometry", "--shell", wid)
        g = dict(line.split("=", 1) for line in out.split())
        return int(g["X"]), int(g["Y"]), int(g["WIDTH"]), int(g["HEIGHT"])

    def click_at(self, x, y):
        self.xdo("mousemove", str(x), str(y))
        time.sleep(0.2)
        self.xdo("click", "1")

    def click(self, control, window=None):
        wid, (x, y, w, h) = window or self.find_window(width=462)
        dx, dy = MAIN_CONTROLS[control]
        self.click_at(x + dx, y + dy)

    def type_text(self, text):
        self.xdo("key", "ctrl+a")
        self.xdo("type", "--delay", "30", text)

    def screenshot(self, path, rect=None):
        raw = path + ".xwd"
        with open(raw, "wb") as f:
            subprocess.run(["xwd", "-root", "-silent", "-display", self.display], stdout=f, check=True)
        args = ["convert", "xwd:" + raw]
        if rect:
            x, y, w, h = rect
            args += ["-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage"]
        subprocess.run(args + [path], check=True)
        os.remove(raw)
        return path

    def pixels(self, rect):
        """RGB rows of a screen rectangle."""
        x, y, w, h = rect
        raw = subprocess.run("xwd -root -silent -display %s | convert xwd:- -crop %dx%d+%d+%d +repage rgb:-"
                             % (self.display, w, h, x, y), shell=True, capture_output=True, check=True).stdout
        return [[tuple(raw[(r * w + c) * 3:(r * w + c) * 3 + 3]) for c in range(w)] for r in range(h)]

    def find_colour(self, rect, colour, tolerance=30):
        """Centre of the pixels of one colour inside a screen rectangle, or None."""
        rows = self.pixels(rect)
        hits = [(c, r) for r, row in enumerate(rows) for c, p in enumerate(row)
                if all(abs(a - b) <= tolerance for a, b in zip(p, colour))]
        if not hits:
            return None
        xs = sorted(h[0] for h in hits)
        ys = sorted(h[1] for h in hits)
        return rect[0] + xs[len(xs) // 2], rect[1] + ys[len(ys) // 2]

    def answer_message_box(self, first_button, timeout=30):
        """Clicks the first (green) or second button of the open message box."""
        wid, (x, y, w, h) = self.find_window(name=".*", timeout=timeout, width=280)
        time.sleep(0.5)
        # Buttons of 80 x 26 at the right of the 280 x 140 box, 20 pixels apart,
        # below a text of one or two lines.
        self.click_at(x + (120 if first_button else 220), y + 92)

    def wait_exit(self, timeout=120):
        self.exit_code = self.proc.wait(timeout)
        self.stage.wait_wineserver()
        return self.exit_code


def wait_for(predicate, timeout, what):
    """Polls `predicate` until it holds; AssertionError naming `what` after `timeout` seconds."""
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return
        time.sleep(0.5)
    raise AssertionError("timed out waiting for " + what)


def start_xvfb():
    """An Xvfb on a free display: (process, ":N")."""
    r, w = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(w), "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
                            pass_fds=(w,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(w)
    with os.fdopen(r) as f:
        number = f.readline().strip()
    return proc, ":" + number
