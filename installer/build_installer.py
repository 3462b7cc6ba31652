#!/usr/bin/python3
"""Builds install.exe: draws the installer's bitmaps, then runs makensis on discdeck.nsi.

    /usr/bin/python3 installer/build_installer.py --version 1.2.3 --publisher NAME --output install.exe
                     [--work DIR] [--sign COMMAND]

Version and publisher are the project's (CMake); the bitmaps go to --work (default: beside the
output). --sign names a command that signs the file it is given (tools/package/sign-code): makensis
runs it on the uninstaller before packing it and on install.exe.
"""

import argparse
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--version", required=True, help="three numbers, e.g. 1.0.0")
    parser.add_argument("--output", required=True)
    parser.add_argument("--publisher", required=True)
    parser.add_argument("--work")
    parser.add_argument("--sign")
    args = parser.parse_args()
    parts = args.version.split(".")
    if len(parts) != 3 or not all(p.isdigit() for p in parts):
        sys.exit(f"build_installer: version '{args.version}' is not three numbers")

    output = os.path.abspath(args.output)
    work = os.path.abspath(args.work or os.path.join(os.path.dirname(output), "installer-art"))
    subprocess.run([sys.executable, os.path.join(HERE, "make_installer_art.py"), work], check=True)
    sign = [f"-DSIGN={args.sign}"] if args.sign else []
    subprocess.run(["makensis", "-V2", "-NOCD", *sign,
                    f"-DVERSION={args.version}", f"-DPUBLISHER={args.publisher}", f"-DART={work}",
                    "-DICON=" + os.path.join(ROOT, "res", "icons", "player.ico"),
                    f"-DOUTFILE={output}", os.path.join(HERE, "discdeck.nsi")], check=True)


if __name__ == "__main__":
    main()
