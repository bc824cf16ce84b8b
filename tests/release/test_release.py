"""The release files in dist/ (made by scripts/package.sh before this runs): the zip's
contents, the checksums, the .deb as a distribution's packager checks it, each MSI installed,
run and removed under Wine as a user would, and the files signed with a throwaway certificate."""
import glob
import gzip
import os
import re
import shutil
import struct
import subprocess
import tempfile
import unittest
import zipfile

from .winebox import ROOT, SAVER, WineBox, machine_arch, sh

DIST = os.path.join(ROOT, "dist")
with open(os.path.join(ROOT, "CMakeLists.txt")) as f:
    VERSION = re.search(r"project\(Fluttera VERSION ([0-9.]+)", f.read()).group(1)
I386, AMD64 = 0x14C, 0x8664
DESKTOP = r"HKCU\Control Panel\Desktop"


def pe_machine(data):
    return struct.unpack_from("<H", data, struct.unpack_from("<I", data, 0x3C)[0] + 4)[0]


def file_version(data):
    """The version in the program's version resource, as "a.b.c.d"."""
    i = data.index(struct.pack("<I", 0xFEEF04BD))
    ms, ls = struct.unpack_from("<II", data, i + 8)
    return f"{ms >> 16}.{ms & 0xFFFF}.{ls >> 16}.{ls & 0xFFFF}"


class Zip(unittest.TestCase):
    def test_both_builds_and_the_read_me_under_the_version(self):
        with zipfile.ZipFile(os.path.join(DIST, f"Fluttera-{VERSION}-windows.zip")) as z:
            top = f"Fluttera-{VERSION}/"
            self.assertEqual(sorted(n for n in z.namelist() if not n.endswith("/")),
                             [top + "LICENSE.txt", top + "README.txt", top + "x64/Fluttera.scr", top + "x86/Fluttera.scr"])
            with open(os.path.join(ROOT, "LICENSE"), "rb") as f:
                self.assertEqual(z.read(top + "LICENSE.txt"), f.read().replace(b"\n", b"\r\n"))
            for folder, machine in (("x86", I386), ("x64", AMD64)):
                scr = z.read(f"{top}{folder}/Fluttera.scr")
                self.assertEqual(pe_machine(scr), machine, folder)
                self.assertEqual(file_version(scr), VERSION + ".0", folder)
            readme = z.read(top + "README.txt")
        self.assertTrue(readme.startswith(b"\xef\xbb\xbf"))
        text = readme.decode("utf-8-sig")
        self.assertNotIn("@VERSION@", text)
        self.assertEqual(text.count("\n"), text.count("\r\n"))
        for words in ("インストール", "アンインストール", "Install", "Uninstall", f"Fluttera-{VERSION}-x64.msi"):
            self.assertIn(words, text)


def install(test, box, msi):
    """Installs the MSI for the user; the installed saver's Windows and Unix paths."""
    r = box.run("msiexec", "/i", "Z:" + msi.replace("/", "\\"), "/qn")
    test.assertEqual(r.returncode, 0, r.stderr[-1000:])
    local = box.run("cmd", "/c", "echo %LOCALAPPDATA%").stdout.strip()
    installed = local + r"\Programs\Fluttera\Fluttera.scr"
    return installed, box.unix_path(installed)


def uninstall(test, box):
    """Removes the one Fluttera installed, as Settings > Apps does."""
    listed = re.findall(r"^(\{[0-9A-F-]+\})\|\|\|Fluttera$", box.run("uninstaller", "--list").stdout, re.M)
    test.assertEqual(len(listed), 1, "not once in the list of installed programs")
    r = box.run("msiexec", "/x", listed[0], "/qn")
    test.assertEqual(r.returncode, 0, r.stderr[-1000:])


def install_run_uninstall(test, box, msi, machine):
    """Installs the MSI for the user, runs the installed saver until petals fall over what the
    screen showed, and removes it again with the settings file written beside it."""
    installed, scr = install(test, box, msi)
    with open(scr, "rb") as f:
        test.assertEqual(pe_machine(f.read()), machine)
    test.assertEqual(box.reg_value(DESKTOP, "SCRNSAVE.EXE"), installed)
    test.assertEqual(box.reg_value(DESKTOP, "ScreenSaveActive"), "1")
    with open(os.path.join(os.path.dirname(scr), "LICENSE.txt"), "rb") as f, open(os.path.join(ROOT, "LICENSE"), "rb") as g:
        test.assertEqual(f.read(), g.read().replace(b"\n", b"\r\n"))

    base = box.screenshot("base.png")
    p = box.start(installed, "/s")
    try:
        test.assertTrue(box.wait_shown(SAVER, p), "the installed saver did not show its window")
        pink = box.pink_over(base)
        print(f"\n  {os.path.basename(msi)}: pink pixels over the screen after start: {pink}")
        test.assertGreaterEqual(pink, 100)
        box.x("xdotool", "key", "space")
        p.wait(15)
    finally:
        if p.poll() is None:
            p.kill()

    # Settings saved beside the saver go with it, and so does what a cut-off save left.
    for name in ("Fluttera.ini", "Fluttera.ini.~save-old", "Fluttera.ini.~save-new"):
        with open(os.path.join(os.path.dirname(scr), name), "wb") as f:
            f.write(b"[Section]\r\n")
    uninstall(test, box)
    test.assertFalse(os.path.exists(os.path.dirname(scr)), "the program's folder is still there")
    test.assertIsNone(box.reg_value(DESKTOP, "SCRNSAVE.EXE"))
    test.assertNotIn("Fluttera", box.run("uninstaller", "--list").stdout)


class Msi(unittest.TestCase):
    """Each MSI under the Wine it is made for: 64-bit everywhere, 32-bit where the kernel runs
    it; where it cannot, the x86 case says it was not run, and why (the test command
    shows that line; it is no pass)."""

    def test_installs_for_the_user_runs_and_uninstalls(self):
        for arch, wine_arch, machine in (("x64", "win64", AMD64), ("x86", "win32", I386)):
            if wine_arch == "win32" and machine_arch() != "win32":
                # Outside any subtest, so the case counts neither as passed nor as failed.
                print(f"not run: the x86 MSI: {sh('fluttera_not_32bit_why').stdout.strip()}, so 32-bit "
                      "Wine cannot install or run it", flush=True)
                continue
            with self.subTest(arch=arch):
                box = WineBox(wine_arch)
                try:
                    if arch == "x86":
                        # 32-bit Windows refuses the 64-bit package.
                        x64 = "Z:" + os.path.join(DIST, f"Fluttera-{VERSION}-x64.msi").replace("/", "\\")
                        self.assertNotEqual(box.run("msiexec", "/i", x64, "/qn").returncode, 0)
                    install_run_uninstall(self, box, os.path.join(DIST, f"Fluttera-{VERSION}-{arch}.msi"), machine)
                finally:
                    box.close()


def package_next_version(dist):
    """The release files of this same source with its patch number raised, as the next
    release would make them: the working tree copied (what is not committed too), the
    project's version raised in the copy, scripts/package.sh run there. Returns the version."""
    major, minor, patch = VERSION.split(".")
    version = f"{major}.{minor}.{int(patch) + 1}"
    src = tempfile.mkdtemp(prefix="fluttera-next-")
    try:
        names = subprocess.run(["git", "ls-files", "-z", "--cached", "--others", "--exclude-standard"], cwd=ROOT,
                               capture_output=True, check=True).stdout.decode().split("\0")
        for name in filter(os.path.isfile, (os.path.join(ROOT, n) for n in names if n)):
            os.makedirs(os.path.dirname(os.path.join(src, os.path.relpath(name, ROOT))), exist_ok=True)
            shutil.copy2(name, os.path.join(src, os.path.relpath(name, ROOT)))
        cmake = os.path.join(src, "CMakeLists.txt")
        with open(cmake) as f:
            text = f.read()
        with open(cmake, "w") as f:
            f.write(text.replace(f"project(Fluttera VERSION {VERSION} ", f"project(Fluttera VERSION {version} ", 1))
        epoch = os.environ.get("SOURCE_DATE_EPOCH") or subprocess.run(
            ["git", "log", "-1", "--format=%ct"], cwd=ROOT, capture_output=True, text=True).stdout.strip()
        r = subprocess.run(["bash", "scripts/package.sh"], cwd=src, capture_output=True, text=True,
                           env=dict(os.environ, FLUTTERA_DIST=dist, SOURCE_DATE_EPOCH=epoch))
        if r.returncode != 0:
            raise RuntimeError("package.sh of the next version failed:\n" + r.stdout[-2000:] + r.stderr[-2000:])
    finally:
        shutil.rmtree(src, ignore_errors=True)
    return version


class Upgrade(unittest.TestCase):
    """This version's MSI, then the next one's over it, as a user upgrades: the settings file
    stays byte for byte, and so does the screen-saver choice where it names another saver; a
    removal takes the choice only while it names Fluttera."""

    def test_upgrade_keeps_the_settings_and_removal_keeps_another_savers_choice(self):
        arch = "x86" if machine_arch() == "win32" else "x64"
        tmp = tempfile.mkdtemp(prefix="fluttera-upgrade-")
        self.addCleanup(shutil.rmtree, tmp, ignore_errors=True)
        nxt = package_next_version(tmp)
        box = WineBox(machine_arch())
        try:
            _, scr = install(self, box, os.path.join(DIST, f"Fluttera-{VERSION}-{arch}.msi"))
            settings = b"; mine\r\n[Fluttera]\r\nPetalCount= 42\r\nBGM_Path=C:\\\x89\xb9\x8a\x79.mp3\r\n"
            ini = os.path.join(os.path.dirname(scr), "Fluttera.ini")
            with open(ini, "wb") as f:
                f.write(settings)
            next_msi = os.path.join(tmp, f"Fluttera-{nxt}-{arch}.msi")
            installed, _ = install(self, box, next_msi)
            self.assertEqual(box.reg_value(DESKTOP, "SCRNSAVE.EXE"), installed)
            self.assertTrue(os.path.exists(ini), "the upgrade removed the settings file")
            with open(ini, "rb") as f:
                self.assertEqual(f.read(), settings, "the upgrade changed the settings file")
            with open(scr, "rb") as f:
                self.assertEqual(file_version(f.read()), nxt + ".0", "the upgrade left the old saver")

            # Removal after the upgrade: Fluttera's own choice goes with the saver.
            uninstall(self, box)
            self.assertIsNone(box.reg_value(DESKTOP, "SCRNSAVE.EXE"))
            self.assertFalse(os.path.exists(os.path.dirname(scr)), "the program's folder is still there")

            # Another saver chosen since, with savers switched off, stays so through an upgrade
            # and a removal.
            install(self, box, os.path.join(DIST, f"Fluttera-{VERSION}-{arch}.msi"))
            other = r"C:\windows\system32\other.scr"
            box.run("reg", "add", DESKTOP, "/v", "SCRNSAVE.EXE", "/d", other, "/f")
            box.run("reg", "add", DESKTOP, "/v", "ScreenSaveActive", "/d", "0", "/f")
            install(self, box, next_msi)
            self.assertEqual((box.reg_value(DESKTOP, "SCRNSAVE.EXE"), box.reg_value(DESKTOP, "ScreenSaveActive")),
                             (other, "0"), "the upgrade chose Fluttera again")
            # A copy of the settings the user kept beside them is the user's: it stays.
            mine = os.path.join(os.path.dirname(scr), "Fluttera.ini.old")
            with open(mine, "wb") as f:
                f.write(settings)
            uninstall(self, box)
            self.assertEqual(box.reg_value(DESKTOP, "SCRNSAVE.EXE"), other)
            with open(mine, "rb") as f:
                self.assertEqual(f.read(), settings, "the removal took the user's own file")
        finally:
            box.close()


def one(pattern, data, flags=0):
    """The first group of the first match, or None."""
    m = re.search(pattern, data, flags)
    return m.group(1) if m else None


class Versions(unittest.TestCase):
    """Every place in the release files that names Fluttera's version names the one of
    CMakeLists.txt (the credit line its first two numbers)."""

    def test_every_release_file_names_the_projects_version(self):
        full, short = VERSION + ".0", VERSION.rsplit(".", 1)[0]
        found = []  # (where, what it names, what it should name)
        with zipfile.ZipFile(os.path.join(DIST, f"Fluttera-{VERSION}-windows.zip")) as z:
            readme = z.read(f"Fluttera-{VERSION}/README.txt").decode("utf-8-sig")
            found.append(("README.txt title", one(r"^Fluttera (\S+) ", readme), VERSION))
            found += [("README.txt package", v, VERSION) for v in re.findall(r"Fluttera-([^-\s]+)-x(?:64|86)\.msi", readme)]
            for arch in ("x86", "x64"):
                scr = z.read(f"Fluttera-{VERSION}/{arch}/Fluttera.scr")
                found += [(f"{arch} version resource", file_version(scr), full),
                          (f"{arch} manifest", one(rb'name="Fluttera\.ScreenSaver" version="([^"]+)"', scr), full.encode()),
                          (f"{arch} credit line", one(rb"Fluttera (\S+)  \(C\) Fluttera", scr), short.encode())]
        for arch in ("x86", "x64"):
            msi = os.path.join(DIST, f"Fluttera-{VERSION}-{arch}.msi")
            props = subprocess.run(["msiinfo", "export", msi, "Property"], capture_output=True, text=True).stdout
            files = subprocess.run(["msiinfo", "export", msi, "File"], capture_output=True, text=True).stdout
            found.append((f"{arch}.msi ProductVersion", one(r"^ProductVersion\t(\S+)", props, re.M), VERSION))
            # Each installed file carries it, so an upgrade replaces even a text of the same size.
            installed = re.findall(r"^([^\t\n]+)\tSaver\t(?:[^\t]*\t){2}([^\t]*)", files, re.M)
            found += [(f"{arch}.msi files", sorted(n for n, _ in installed), ["Fluttera.scr", "LICENSE.txt", "README.txt"])]
            found += [(f"{arch}.msi file version of {n}", v, full) for n, v in installed]
        deb = os.path.join(DIST, f"fluttera_{VERSION}_amd64.deb")
        found.append(("deb control", subprocess.run(["dpkg-deb", "-f", deb, "Version"], capture_output=True,
                                                    text=True).stdout.strip(), VERSION))
        tree = tempfile.mkdtemp(prefix="fluttera-deb-")
        self.addCleanup(shutil.rmtree, tree, ignore_errors=True)
        subprocess.run(["dpkg-deb", "-x", deb, tree], check=True)
        with gzip.open(os.path.join(tree, "usr/share/doc/fluttera/changelog.gz"), "rt") as f:
            found.append(("deb changelog", one(r"^fluttera \(([^)]+)\)", f.read()), VERSION))
        with gzip.open(os.path.join(tree, "usr/share/man/man6/fluttera.6.gz"), "rt") as f:
            found.append(("manual page", one(r'^\.TH FLUTTERA 6 "[^"]*" "Fluttera ([^"]+)"', f.read(), re.M), VERSION))
        print(f"\n  {len(found)} places name a version")
        self.assertEqual([(w, v) for w, v, want in found if v != want], [])


class Checksums(unittest.TestCase):
    def test_sha256sums_lists_every_release_file_with_its_hash(self):
        with open(os.path.join(DIST, "SHA256SUMS")) as f:
            listed = [line.split(None, 1)[1].strip() for line in f if line.strip()]
        self.assertEqual(sorted(listed), sorted(n for n in os.listdir(DIST) if n != "SHA256SUMS"))
        r = subprocess.run(["sha256sum", "--check", "--strict", "SHA256SUMS"], cwd=DIST, capture_output=True, text=True)
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)


class Deb(unittest.TestCase):
    def test_lintian_finds_no_fault_and_the_manual_page_shows_every_option(self):
        deb = os.path.join(DIST, f"fluttera_{VERSION}_amd64.deb")
        r = subprocess.run(["lintian", "--allow-root", "--fail-on", "error,warning", "--display-info",
                            "--pedantic", deb], capture_output=True, text=True)
        print("\n  lintian: " + ("\n  ".join(r.stdout.splitlines()) or "nothing to report"))
        self.assertEqual(r.returncode, 0, r.stdout + r.stderr)
        self.assertEqual([l for l in r.stdout.splitlines() if l[:2] in ("E:", "W:")], [])

        # The Wayland program's library, found by the package's own dependencies.
        depends = subprocess.run(["dpkg-deb", "-f", deb, "Depends"], capture_output=True, text=True).stdout
        self.assertIn("libwayland-client0", depends)

        # The pages as `cmake --install` puts them, read by man: every option of a program's
        # --help is on its page.
        prefix = tempfile.mkdtemp(prefix="fluttera-install-")
        self.addCleanup(shutil.rmtree, prefix, ignore_errors=True)
        native = os.path.join(ROOT, "build", "deb")
        subprocess.run(["cmake", "--install", native, "--prefix", prefix], check=True, capture_output=True)
        for page, program, least, headings in (
                ("man1/fluttera-xscreensaver.1.gz", None, 0, []),
                ("man6/fluttera.6.gz", "fluttera", 6, ["ENVIRONMENT", "FILES", "fluttera --root"]),
                ("man6/fluttera-wayland.6.gz", "fluttera-wayland", 3,
                 ["swayidle -w timeout 300 'fluttera-wayland'", "WHERE IT WORKS", "GNOME"])):
            shown = subprocess.run(["man", "--warnings", "-l", os.path.join(prefix, "share", "man", page)],
                                   capture_output=True, text=True, env=dict(os.environ, LC_ALL="C", MANWIDTH="100"))
            self.assertEqual((shown.returncode, shown.stderr), (0, ""), page)
            if not program:
                continue
            usage = subprocess.run([os.path.join(native, program), "--help"], capture_output=True, text=True).stdout
            options = set(re.findall(r"--[a-z][a-z-]*", usage))
            self.assertGreaterEqual(len(options), least, usage)
            for heading in ["NAME", "SYNOPSIS", "OPTIONS", "EXIT STATUS"] + headings + sorted(options):
                self.assertTrue(heading in shown.stdout, f"{heading!r} is not on {page}")
        # The theme entry names the hack where this install put it, not where the package does.
        with open(os.path.join(prefix, "share", "applications", "screensavers", "fluttera.desktop")) as f:
            self.assertIn(f"Exec={prefix}/libexec/xscreensaver/fluttera --root\n", f.read())

    def test_the_theme_entry_for_mates_saver_validates_and_starts_the_packaged_hack(self):
        tree = tempfile.mkdtemp(prefix="fluttera-deb-")
        self.addCleanup(shutil.rmtree, tree, ignore_errors=True)
        subprocess.run(["dpkg-deb", "-x", os.path.join(DIST, f"fluttera_{VERSION}_amd64.deb"), tree], check=True)
        entry = os.path.join(tree, "usr/share/applications/screensavers/fluttera.desktop")
        r = subprocess.run(["desktop-file-validate", entry], capture_output=True, text=True)
        print("\n  desktop-file-validate: " + (r.stdout.strip() or "nothing to report"))
        # A hint stays: MATE's themes must use its own category, which is no main category.
        self.assertEqual((r.returncode, [l for l in r.stdout.splitlines() if "hint:" not in l]), (0, []))
        with open(entry, encoding="utf-8") as f:
            keys = dict(l.rstrip("\n").split("=", 1) for l in f if "=" in l)
        self.assertEqual((keys.get("Name"), bool(keys.get("Name[ja]"))), ("Fluttera", True))
        self.assertIn("Screensaver", keys["Categories"].split(";"))
        program = keys["Exec"].split()[0]
        self.assertEqual(keys["TryExec"], program)
        self.assertTrue(os.access(tree + program, os.X_OK), f"{program} is not in the package")
        fields = subprocess.run(["dpkg-deb", "-f", os.path.join(DIST, f"fluttera_{VERSION}_amd64.deb"), "Enhances"],
                                capture_output=True, text=True).stdout
        self.assertIn("mate-screensaver", fields)


class Signing(unittest.TestCase):
    """Release files made with a throwaway self-signed certificate: every Windows program and
    package carries a signature that verifies against it, and the signed package still
    installs and runs. The files made without one (dist/) carry none."""

    def test_signed_files_verify_and_the_signed_saver_installs_and_runs(self):
        tmp = tempfile.mkdtemp(prefix="fluttera-signing-")
        self.addCleanup(shutil.rmtree, tmp, ignore_errors=True)
        key, cert, pfx = (os.path.join(tmp, n) for n in ("key.pem", "cert.pem", "cert.pfx"))
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=Fluttera test signing", "-addext", "extendedKeyUsage=codeSigning",
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        subprocess.run(["openssl", "pkcs12", "-export", "-inkey", key, "-in", cert, "-out", pfx,
                        "-passout", "pass:throwaway"], check=True, capture_output=True)
        signed = os.path.join(tmp, "dist")
        r = subprocess.run(["bash", os.path.join(ROOT, "scripts", "package.sh")], capture_output=True, text=True,
                           env=dict(os.environ, FLUTTERA_DIST=signed, FLUTTERA_SIGN_PFX=pfx,
                                    FLUTTERA_SIGN_PASSWORD="throwaway"))
        self.assertEqual(r.returncode, 0, r.stdout[-2000:] + r.stderr[-2000:])
        self.assertIn("Signing with", r.stdout)

        # Each program as it is in the zip and in the MSI, and each MSI.
        files = {}
        with zipfile.ZipFile(os.path.join(signed, f"Fluttera-{VERSION}-windows.zip")) as z:
            for arch in ("x86", "x64"):
                files[f"zip {arch}"] = os.path.join(tmp, f"zip-{arch}.scr")
                with open(files[f"zip {arch}"], "wb") as f:
                    f.write(z.read(f"Fluttera-{VERSION}/{arch}/Fluttera.scr"))
                msi = os.path.join(signed, f"Fluttera-{VERSION}-{arch}.msi")
                files[f"{arch}.msi"] = msi
                out = os.path.join(tmp, f"msi-{arch}")
                subprocess.run(["msiextract", "-C", out, msi], check=True, capture_output=True)
                files[f"scr in {arch}.msi"], = glob.glob(os.path.join(out, "**", "Fluttera.scr"), recursive=True)
        files["unsigned x64.msi in dist/"] = os.path.join(DIST, f"Fluttera-{VERSION}-x64.msi")
        for what, path in files.items():
            with self.subTest(what):
                v = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", path],
                                   capture_output=True, text=True)
                print(f"\n  {what}: " + " / ".join(l for l in v.stdout.splitlines() if "verification" in l.lower()))
                if what.startswith("unsigned"):
                    self.assertNotEqual(v.returncode, 0, "a file made without a certificate is signed")
                    # Only the verdict "no signature" counts, not any failure of the verifier.
                    self.assertRegex(v.stdout + v.stderr, r"MSI file has no signature|No signature found",
                                     v.stdout[-1500:] + v.stderr[-1500:])
                else:
                    self.assertEqual(v.returncode, 0, v.stdout[-1500:] + v.stderr[-1500:])
                    self.assertIn("Signature verification: ok", v.stdout)

        arch, machine = ("x86", I386) if machine_arch() == "win32" else ("x64", AMD64)
        box = WineBox(machine_arch())
        try:
            install_run_uninstall(self, box, files[f"{arch}.msi"], machine)
        finally:
            box.close()


if __name__ == "__main__":
    unittest.main()
