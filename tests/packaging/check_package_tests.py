#!/usr/bin/python3
"""scripts/check-package against a release folder made here, then changed one rule at a time: each
change must be refused with its reason, and what the formats allow must pass."""
import hashlib
import importlib.machinery
import importlib.util
import json
import sys
import tempfile
import unittest
import zipfile
from pathlib import Path

import yaml

ROOT = Path(__file__).resolve().parents[2]
loader = importlib.machinery.SourceFileLoader("check_package", str(ROOT / "scripts/check-package"))
spec = importlib.util.spec_from_loader("check_package", loader)
check_package = importlib.util.module_from_spec(spec)
loader.exec_module(check_package)

VERSION = "0.1.0"
ZIP = f"gaugelet-{VERSION}-windows-x64.zip"
URL = f"https://example.com/releases/download/v{VERSION}/{ZIP}"
README = f"Gaugelet {VERSION}\r\n\r\nA read-me.\r\n".encode()


def release():
    """The documents of a good release, before the zip's hash is filled in."""
    common = {"PackageIdentifier": "Gaugelet.Gaugelet", "PackageVersion": VERSION, "ManifestVersion": "1.6.0"}
    return {
        "zip": {"gaugelet.exe": b"MZ", "gaugelet-cli.exe": b"MZ", "LICENSE": b"MIT", "README.txt": README},
        "version": {**common, "DefaultLocale": "en-US", "ManifestType": "version"},
        "installer": {**common, "MinimumOSVersion": "10.0.15063.0", "InstallerType": "zip",
                      "NestedInstallerType": "portable",
                      "NestedInstallerFiles": [{"RelativeFilePath": "gaugelet.exe"},
                                               {"RelativeFilePath": "gaugelet-cli.exe"}],
                      "Installers": [{"Architecture": "x64", "InstallerUrl": URL, "InstallerSha256": None}],
                      "ReleaseDate": "2026-12-08", "ManifestType": "installer"},
        "defaultLocale": {**common, "PackageLocale": "en-US", "Publisher": "Gaugelet", "PackageName": "Gaugelet",
                          "License": "MIT", "LicenseUrl": "https://example.com/blob/v0.1.0/LICENSE",
                          "Copyright": "Copyright (c) 2026 The Gaugelet developers",
                          "ShortDescription": "Usage gauges.", "Moniker": "gaugelet",
                          "ManifestType": "defaultLocale"},
        "scoop": {"version": VERSION, "description": "Usage gauges.", "homepage": "https://example.com",
                  "license": "MIT", "architecture": {"64bit": {"url": URL, "hash": None}},
                  "bin": ["gaugelet-cli.exe"], "shortcuts": [["gaugelet.exe", "Gaugelet"]],
                  "checkver": {"url": "https://example.com/releases/latest", "regex": "v([\\d.]+)"},
                  "autoupdate": {"architecture": {"64bit": {
                      "url": "https://example.com/releases/download/v$version/gaugelet-$version-windows-x64.zip"}}}},
    }


def write(folder, documents):
    archive = folder / ZIP
    with zipfile.ZipFile(archive, "w") as z:
        for name, data in documents["zip"].items():
            z.writestr(name, data)
    digest = hashlib.sha256(archive.read_bytes()).hexdigest()
    (folder / (ZIP + ".sha256")).write_text(f"{digest}  {ZIP}\n")
    documents["installer"]["Installers"][0]["InstallerSha256"] = (
        documents["installer"]["Installers"][0]["InstallerSha256"] or digest.upper())
    documents["scoop"]["architecture"]["64bit"]["hash"] = documents["scoop"]["architecture"]["64bit"]["hash"] or digest
    winget = folder / "winget/manifests/g/Gaugelet/Gaugelet" / VERSION
    winget.mkdir(parents=True)
    names = {"version": "Gaugelet.Gaugelet.yaml", "installer": "Gaugelet.Gaugelet.installer.yaml",
             "defaultLocale": "Gaugelet.Gaugelet.locale.en-US.yaml"}
    for kind, name in names.items():
        (winget / name).write_text(yaml.safe_dump(documents[kind], sort_keys=False), encoding="utf-8")
    (folder / "scoop").mkdir()
    (folder / "scoop/gaugelet.json").write_text(json.dumps(documents["scoop"]), encoding="utf-8")


def check(change):
    """None when the changed release passes, else the checker's reason."""
    documents = release()
    change(documents)
    with tempfile.TemporaryDirectory() as folder:
        write(Path(folder), documents)
        try:
            archive, digest = check_package.check_zip(Path(folder), VERSION)
            check_package.check_winget(Path(folder), VERSION, archive, digest)
            check_package.check_scoop(Path(folder), VERSION, archive, digest)
        except check_package.Problem as problem:
            return str(problem)
    return None


def setting(kind, key, value):
    def change(documents):
        documents[kind][key] = value
    return change


def removing(kind, key):
    def change(documents):
        del documents[kind][key]
    return change


def zip_member(name, data):
    def change(documents):
        documents["zip"].pop("README.txt")
        documents["zip"][name] = data
    return change


def installer_entry(key, value):
    def change(documents):
        documents["installer"]["Installers"][0][key] = value
    return change


ACCEPTED = [
    ("the release as made", lambda d: None),
    ("a locale key of 1.6.0 not written today", setting("defaultLocale", "PrivacyUrl", "https://example.com/p")),
    ("an installer key of 1.6.0 not written today", setting("installer", "InstallModes", ["silent"])),
    ("an installer entry key of 1.6.0", installer_entry("ElevationRequirement", "elevationProhibited")),
    ("a later Windows", setting("installer", "MinimumOSVersion", "10.0.19041.0")),
]

REFUSED = [
    ("an unknown locale key", setting("defaultLocale", "Homepage", "https://example.com"), "does not know"),
    ("an unknown installer entry key", installer_entry("Silent", True), "does not know"),
    ("another manifest version", setting("version", "ManifestVersion", "1.5.0"), "must be 1.6.0"),
    ("no MinimumOSVersion", removing("installer", "MinimumOSVersion"), "lacks ['MinimumOSVersion']"),
    ("Windows older than 1703", setting("installer", "MinimumOSVersion", "10.0.14393.0"), "older than"),
    ("a MinimumOSVersion that is no version", setting("installer", "MinimumOSVersion", "10.0.x"), "not a version"),
    ("a ReleaseDate in another format", setting("installer", "ReleaseDate", "08/12/2026"), "not a date"),
    ("a ReleaseDate that is no day", setting("installer", "ReleaseDate", "2026-13-01"), "not a date"),
    ("no Moniker", removing("defaultLocale", "Moniker"), "lacks ['Moniker']"),
    ("no Copyright", removing("defaultLocale", "Copyright"), "lacks ['Copyright']"),
    ("a LicenseUrl that is no web address", setting("defaultLocale", "LicenseUrl", "LICENSE"), "not a web address"),
    ("the tray program shimmed by scoop", setting("scoop", "bin", ["gaugelet.exe", "gaugelet-cli.exe"]),
     "must not shim"),
    ("no Start-menu shortcut", setting("scoop", "shortcuts", []), "no scoop Start-menu shortcut"),
    ("the developer read-me in the zip", zip_member("README.md", b"# Gaugelet"), "the zip holds"),
    ("a read-me with Unix line endings", zip_member("README.txt", README.replace(b"\r\n", b"\n")),
     "Windows line endings"),
    ("a read-me without the version", zip_member("README.txt", b"Gaugelet\r\n"), "does not name the version"),
    ("a hash of another zip", installer_entry("InstallerSha256", "A" * 64), "does not match the zip"),
]


class CheckPackage(unittest.TestCase):
    def test_what_the_format_allows_passes(self):
        for name, change in ACCEPTED:
            with self.subTest(name):
                self.assertIsNone(check(change))

    def test_each_broken_rule_is_refused_with_its_reason(self):
        for name, change, reason in REFUSED:
            with self.subTest(name):
                found = check(change)
                self.assertIsNotNone(found, "passed")
                self.assertIn(reason, found)


if __name__ == "__main__":
    sys.exit(unittest.main(argv=[sys.argv[0], "-v"] if "-v" in sys.argv else None))
