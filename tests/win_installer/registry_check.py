"""Compares what `wine reg export` wrote with the registration the MSI was
built from (the output of tamvo_write_installer_registry).

  registry_check.py present TOOL INSTALL_DIR EXPORTS [--shared-classes]
      every value of both registrations is there, with its type and data;
      --shared-classes: the 32-bit registry view has no keys of its own
      below HKCU\Software\Classes\CLSID (Wine's; Windows keeps them in
      Wow6432Node), so there the 64-bit registration, written last, is
      what the 32-bit view shows
  registry_check.py absent TOOL EXPORTS
      no key of either registration is left
EXPORTS is a folder of .reg files, 32-*.reg from the 32-bit registry and
64-*.reg from the 64-bit one (an export of a key that is not there is no
file).
"""

import glob
import subprocess
import sys
import xml.etree.ElementTree as ET

NS = "{http://schemas.microsoft.com/wix/2006/wi}"


def expected_values(tool, install_dir):
    """{(view, key, name): value} with keys below HKEY_CURRENT_USER."""
    include = subprocess.run([tool, "wxi"], check=True, capture_output=True).stdout
    texts = {}
    for line in subprocess.run([tool, "sql"], check=True, capture_output=True).stdout.decode().splitlines():
        # UPDATE `Registry` SET `Value` = 'TEXT' WHERE `Value` = 'PLACEHOLDER'
        text = line.split("'")[1]
        texts[line.split("'")[3]] = text
    values = {}
    for component in ET.fromstring(include):
        view = 64 if component.get("Win64") == "yes" else 32
        for value in component:
            assert value.get("Root") == "HKCU", value.attrib
            data = value.get("Value")
            data = texts.get(data, data).replace("[INSTALLFOLDER]", install_dir)
            if value.get("Type") == "integer":
                data = int(data)
            values[(view, value.get("Key").lower(), (value.get("Name") or "").lower())] = data
    if len(values) < 20 or texts == {}:
        sys.exit(f"the registration tool printed too little: {len(values)} values")
    return values


def unquote(text):
    return text.replace('\\"', '"').replace("\\\\", "\\")


def exported_values(path, view):
    """{(view, key, name): value} from a .reg file, keys below HKEY_CURRENT_USER."""
    raw = open(path, "rb").read()
    values = {}
    key = None
    for line in raw.decode("utf-16").splitlines():
        if line.startswith("[") and line.endswith("]"):
            key = line[1:-1]
            prefix = "HKEY_CURRENT_USER\\"
            key = key[len(prefix):].lower() if key.startswith(prefix) else None
            if key is not None:
                values[(view, key, None)] = None  # the key itself
            continue
        if key is None or "=" not in line:
            continue
        if line.startswith("@="):
            name, data = "", line[2:]
        elif line.startswith('"'):
            end = line.index('"=', 1)
            name, data = unquote(line[1:end]), line[end + 2:]
        else:
            continue
        if data.startswith("dword:"):
            data = int(data[6:], 16)
        elif data.startswith('"') and data.endswith('"'):
            data = unquote(data[1:-1])
        values[(view, key, name.lower())] = data
    return values


def all_exported(folder):
    found = {}
    for view in (32, 64):
        for path in sorted(glob.glob(f"{folder}/{view}-*.reg")):
            found.update(exported_values(path, view))
    return found


def main():
    mode = sys.argv[1]
    if mode == "present":
        tool, install_dir, exports = sys.argv[2:5]
        shared = sys.argv[5:] == ["--shared-classes"]
        found = all_exported(exports)
        expected = expected_values(tool, install_dir)
        if shared:
            for (view, key, name) in list(expected):
                if view == 32 and key.startswith("software\\classes\\clsid\\") and (64, key, name) in expected:
                    expected[(view, key, name)] = expected[(64, key, name)]
        failures = []
        for where, value in sorted(expected.items()):
            if found.get(where, "<missing>") != value:
                failures.append(f"{where}: expected {value!r}, found {found.get(where, '<missing>')!r}")
        if failures:
            sys.exit("registry after install:\n  " + "\n  ".join(failures))
        note = " (the 32-bit view shares the 64-bit class keys)" if shared else ""
        print(f"registry: all {len(expected)} values of both registrations{note}")
    elif mode == "absent":
        tool, exports = sys.argv[2:]
        found = all_exported(exports)
        keys = {(view, key) for (view, key, _) in expected_values(tool, "")}
        left = sorted({(view, key) for (view, key, _) in found} & keys)
        if left:
            sys.exit("registry after uninstall, keys left:\n  " + "\n  ".join(map(str, left)))
        print(f"registry: none of the {len(keys)} keys is left")
    else:
        sys.exit(f"unknown mode {mode}")


main()
