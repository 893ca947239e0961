#!/usr/bin/env python3
"""What the package lists of a command would install on a fresh Debian 12
machine: the number of packages, their download size and the disk space they
take, from apt's own resolver.

usage: package_footprint.py LIST... (names of scripts/packages-LIST.txt; each
       further argument adds to the ones before, as `make test` adds `test`
       to `run`)

The fresh machine is a minimal Debian 12 base, as debootstrap's minbase and
the debian:12 container image make it: every package of priority "required"
and apt. Its dpkg status is made up from this machine's apt lists (run
`apt-get update` first) and handed to `apt-get --simulate`, so nothing is
installed or downloaded.
"""
import email
import os
import re
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))


def stanzas(text):
    """Each package's block of apt's list and its fields (the same form as a mail header)."""
    for block in text.split("\n\n"):
        fields = email.message_from_string(block)
        if "Package" in fields:
            yield block, fields


def read_list(name):
    with open(os.path.join(HERE, f"packages-{name}.txt")) as source:
        return [line.strip() for line in source
                if line.strip() and not line.startswith("#")]


def simulate(status, packages):
    """The packages, with their versions, that apt would install."""
    result = subprocess.run(
        ["apt-get", "--simulate", "--no-install-recommends", "-o",
         f"Dir::State::status={status}", "-o", "Debug::NoLocking=1", "install"] + packages,
        check=True, capture_output=True, text=True).stdout
    return re.findall(r"^Inst (\S+) \((\S+)", result, re.M)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    available = subprocess.run(["apt-cache", "dumpavail"], check=True, capture_output=True,
                               text=True).stdout
    blocks, sizes, required = {}, {}, []
    for block, fields in stanzas(available):
        key = (fields["Package"], fields.get("Version"))
        blocks[key] = block
        sizes[fields["Package"]] = (int(fields.get("Size", 0)),
                                    int(fields.get("Installed-Size", 0)))
        if fields.get("Priority") == "required" or fields["Package"] == "apt":
            required.append(fields["Package"])
    with tempfile.TemporaryDirectory() as scratch:
        status = os.path.join(scratch, "status")
        # The base: the required packages and apt with what they depend on,
        # as debootstrap resolves them onto an empty machine.
        open(status, "w").close()
        base = simulate(status, sorted(set(required)))
        with open(status, "w") as out:
            for package, version in base:
                block = blocks[(package, version)]
                out.write(block.replace("\nVersion:", "\nStatus: install ok installed\nVersion:", 1)
                          + "\n\n")
        wanted = []
        for count, name in enumerate(sys.argv[1:], start=1):
            wanted += read_list(name)
            installed = [package for package, _ in simulate(status, wanted)]
            download = sum(sizes.get(p, (0, 0))[0] for p in installed)
            disk = sum(sizes.get(p, (0, 0))[1] for p in installed)
            print(f"{'+'.join(sys.argv[1:count + 1])}: {len(installed)} packages, "
                  f"{download / 1e6:.0f} MB to download, {disk / 1024:.0f} MB on disk "
                  f"(over a base of {len(base)} packages)")


if __name__ == "__main__":
    main()
