#!/usr/bin/python3
"""Writes the install benchmark's payload: 52 files in 14 folders, about 27 MB, shaped like a
touch-frame product (programs in the root, drivers per bus and processor, firmware, help,
language resources), with a manifest that carries files only.

The bytes are the same on every run (SHAKE-256 of fixed seeds; no random module, no clock).
Three kinds of content, so that compressors meet what they meet in a real product:
  - "noise": already-compressed data (firmware images, the compiled help, pictures, signed
    catalogs, the resources embedded in programs); no compressor shrinks it;
  - "code": machine-code-like bytes (a skewed choice among 256 short instruction-like byte
    strings, with random operands now and then); LZMA keeps about 40% of it;
  - "text": INF files, licences, scripts, HTML (words from a small vocabulary); LZMA keeps a
    few per cent.
Programs and DLLs are 70% code and 30% noise. Overall half the bytes are noise.

Usage: make-payload.py OUT_DIR   (writes OUT_DIR/payload/ and OUT_DIR/manifest.xml and prints
one line: the byte count of each kind of content)
       make-payload.py --scale MB OUT_DIR   (the same 52 files and folders, every size scaled
so that the whole is MB megabytes, every byte "noise": for the payload-scale table, where only
the amount of work counts; written a megabyte at a time, so any size costs little memory;
prints the largest file's size)
"""
import hashlib
import os
import sys

MB = 1000 * 1000
KB = 1000


def noise(seed, size):
    return hashlib.shake_256(b"noise:" + seed.encode()).digest(size)


def _vocabulary():
    raw = hashlib.shake_256(b"vocabulary").digest(256 * 8)
    words = []
    for i in range(256):
        length = 1 + raw[i * 8] % 6
        words.append(raw[i * 8 + 1 : i * 8 + 1 + length])
    # A skewed choice: the first words come up far more often, as common instructions do.
    table = []
    for i, word in enumerate(words):
        table.extend([word] * max(1, 24 - i // 4))
    return table


VOCABULARY = _vocabulary()


def code(seed, size):
    # Every pair of picks yields at least one byte, so twice the size in picks is enough.
    picks = hashlib.shake_256(b"code:" + seed.encode()).digest(2 * size + 2)
    table, n = VOCABULARY, len(VOCABULARY)
    out = bytearray()
    for j in range(0, len(picks) - 1, 2):
        if len(out) >= size:
            break
        out += table[(picks[j] << 8 | picks[j + 1]) % n]
        # Now and then an operand: an address or immediate no compressor can predict.
        if picks[j] & 7 == 0:
            out.append(picks[j + 1] ^ picks[j])
    return bytes(out[:size])


WORDS = (
    "Device Driver Touch Frame USB HID Install Service Version Class Manufacturer "
    "x86 amd64 NTamd64 NTx86 CopyFiles AddReg DelReg HKR Signature $Windows NT$ Provider "
    "the of and to a in is for on with this that panel calibration point contact screen "
    "licence software product user warranty agreement right use copy distribute"
).split()


def text(seed, size):
    picks = hashlib.shake_256(b"text:" + seed.encode()).digest(size)
    out = []
    length = 0
    for i, b in enumerate(picks):
        word = WORDS[b % len(WORDS)]
        sep = "\r\n" if b % 11 == 0 else " "
        out.append(word + sep)
        length += len(word) + len(sep)
        if length >= size:
            break
    return "".join(out).encode()[:size]


PROGRAM_CODE_SHARE = 0.7


def program(seed, size):
    head = int(size * PROGRAM_CODE_SHARE)
    return code(seed, head) + noise(seed, size - head)


KINDS = {"noise": noise, "code": code, "text": text, "program": program}

# (path, kind, size). KorvelPanel.exe takes what is left of TOTAL.
TOTAL = 27394646
FILES = [
    ("KorvelPanel.exe", "program", None),
    ("VantrelService.exe", "program", 3200 * KB),
    ("Calibrate.exe", "program", 2600 * KB),
    ("Uninstall.exe", "program", 900 * KB),
    ("PanelSdk.dll", "program", 1800 * KB),
    ("License.txt", "text", 21 * KB),
    ("License_en.txt", "text", 24 * KB),
    ("License_it.txt", "text", 26 * KB),
    ("License_de.txt", "text", 27 * KB),
    ("License_ko.txt", "text", 22 * KB),
    ("driver\\InstallUsbDriverX86.bat", "text", 2 * KB),
    ("driver\\InstallUsbDriverX64.bat", "text", 2 * KB),
    ("driver\\UninstallUsbDriverX86.bat", "text", 1 * KB),
    ("driver\\UninstallUsbDriverX64.bat", "text", 1 * KB),
    ("driver\\InstallHidDriverX86.bat", "text", 2 * KB),
    ("driver\\InstallHidDriverX64.bat", "text", 2 * KB),
    ("driver\\UninstallHidDriverX86.bat", "text", 1 * KB),
    ("driver\\UninstallHidDriverX64.bat", "text", 1 * KB),
    ("driver\\USB\\readme.txt", "text", 3 * KB),
    ("driver\\USB\\x86\\korvelusb.sys", "code", 310 * KB),
    ("driver\\USB\\x86\\korvelusb.inf", "text", 9 * KB),
    ("driver\\USB\\x86\\korvelusb.cat", "noise", 12 * KB),
    ("driver\\USB\\amd64\\korvelusb.sys", "code", 380 * KB),
    ("driver\\USB\\amd64\\korvelusb.inf", "text", 9 * KB),
    ("driver\\USB\\amd64\\korvelusb.cat", "noise", 12 * KB),
    ("driver\\HID\\readme.txt", "text", 3 * KB),
    ("driver\\HID\\x86\\korvelhid.sys", "code", 260 * KB),
    ("driver\\HID\\x86\\korvelhid.inf", "text", 8 * KB),
    ("driver\\HID\\x86\\korvelhid.cat", "noise", 11 * KB),
    ("driver\\HID\\amd64\\korvelhid.sys", "code", 320 * KB),
    ("driver\\HID\\amd64\\korvelhid.inf", "text", 8 * KB),
    ("driver\\HID\\amd64\\korvelhid.cat", "noise", 11 * KB),
    ("driver\\tools\\tools.ini", "text", 1 * KB),
    ("driver\\tools\\x86\\touchdiag.exe", "program", 700 * KB),
    ("driver\\tools\\x86\\drvsetup.exe", "program", 450 * KB),
    ("driver\\tools\\amd64\\touchdiag.exe", "program", 820 * KB),
    ("driver\\tools\\amd64\\drvsetup.exe", "program", 520 * KB),
    ("firmware\\frame_v5.bin", "noise", 2400 * KB),
    ("firmware\\frame_v6.bin", "noise", 2600 * KB),
    ("firmware\\firmware.txt", "text", 4 * KB),
    ("help\\manual.chm", "noise", 3100 * KB),
    ("help\\index.html", "text", 38 * KB),
    ("help\\images\\panel.png", "noise", 180 * KB),
    ("help\\images\\calibrate.png", "noise", 150 * KB),
    ("help\\images\\device.png", "noise", 120 * KB),
    ("help\\images\\service.png", "noise", 90 * KB),
    ("help\\images\\logo.png", "noise", 40 * KB),
    ("lang\\zh.dll", "code", 160 * KB),
    ("lang\\en.dll", "code", 140 * KB),
    ("lang\\it.dll", "code", 150 * KB),
    ("lang\\de.dll", "code", 155 * KB),
    ("lang\\ko.dll", "code", 165 * KB),
]

MANIFEST = """<?xml version="1.0" encoding="UTF-8"?>
<!-- Files only: no services, scripts, shortcuts or registry records, so that every installer
     being compared does the same work. -->
<InstallerPackage root="KorvelServerV6" payload="payload">
  <Company name="Brenmark"/>
  <Product name="KorvelServerV6"/>
</InstallerPackage>
"""


def write_noise(target, seed, size):
    with open(target, "wb") as f:
        for block in range(0, size, MB):
            n = min(MB, size - block)
            f.write(hashlib.shake_256(f"noise:{seed}:{block}".encode()).digest(n))


def scaled(out, megabytes):
    factor = megabytes * MB / TOTAL
    sizes = [(path, int((size if size else 0) * factor)) for path, _, size in FILES]
    rest = megabytes * MB - sum(size for _, size in sizes)
    largest = 0
    for path, size in sizes:
        size = size if size else rest
        largest = max(largest, size)
        target = os.path.join(out, "payload", *path.split("\\"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        write_noise(target, path, size)
    with open(os.path.join(out, "manifest.xml"), "w") as f:
        f.write(MANIFEST)
    print(largest)


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--scale":
        scaled(sys.argv[3], int(sys.argv[2]))
        return
    if len(sys.argv) != 2:
        sys.exit("usage: make-payload.py [--scale MB] OUT_DIR")
    out = sys.argv[1]
    rest = TOTAL - sum(size for _, _, size in FILES if size)
    shares = {"noise": 0, "code": 0, "text": 0}
    for path, kind, size in FILES:
        size = size if size else rest
        target = os.path.join(out, "payload", *path.split("\\"))
        os.makedirs(os.path.dirname(target), exist_ok=True)
        with open(target, "wb") as f:
            f.write(KINDS[kind](path, size))
        if kind == "program":
            shares["code"] += int(size * PROGRAM_CODE_SHARE)
            shares["noise"] += size - int(size * PROGRAM_CODE_SHARE)
        else:
            shares[kind] += size
    with open(os.path.join(out, "manifest.xml"), "w") as f:
        f.write(MANIFEST)
    print(" ".join(f"{kind} {count}" for kind, count in shares.items()))


if __name__ == "__main__":
    main()
