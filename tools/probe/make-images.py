#!/usr/bin/env python3
"""Builds the four device probe images from probe.c with Debian's cross compilers and
writes them into src/install/DeviceProbeImages.cpp, so that building setup.exe needs no
cross tools. With --check it only compares what it would write with the file there.

Each image is a Windows CE GUI executable: a fixed image base without relocations
(every CE process has its own address slot, so an EXE always loads at its base), the
code in .text and the import table of COREDLL.dll, imported by name, in .idata, whose
raw size pads the file to the size the setup writes to the device."""

import argparse
import os
import struct
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
OUTPUT = os.path.join(ROOT, "src", "install", "DeviceProbeImages.cpp")

IMAGE_BASE = 0x10000
TEXT_RVA = 0x1000
IDATA_RVA = 0x2000  # probe.ld puts `imports` here
FILE_ALIGN = 0x200
DLL = b"COREDLL.dll"
# The order of struct Imports in probe.c.
IMPORTS = ["RegCreateKeyExW", "RegSetValueExW", "RegCloseKey", "SystemParametersInfoW",
           "GetVersionExW", "KernelIoControl"]

CFLAGS = ["-std=gnu17", "-Os", "-ffreestanding", "-fno-builtin", "-nostdlib", "-fshort-wchar",
          "-fno-pic", "-fno-stack-protector", "-fno-tree-loop-distribute-patterns",
          "-fno-unwind-tables", "-fno-asynchronous-unwind-tables", "-ffunction-sections",
          "-Wall", "-Wextra", "-Werror"]

# name, PE machine, file size, compiler, its flags, assembler flags (None: compile to an
# object directly), linker, linker flags
FAMILIES = [
    ("Arm", 0x1C0, 4096, "arm-linux-gnueabi-gcc", ["-marm", "-march=armv4", "-mfloat-abi=soft"],
     None, "arm-linux-gnueabi-ld", []),
    ("Mips", 0x166, 4608, "mips-linux-gnu-gcc",
     ["-EL", "-march=mips2", "-mabi=32", "-mno-abicalls", "-G0", "-msoft-float", "-mno-llsc"],
     None, "mips-linux-gnu-ld", ["-EL"]),
    # The SH compiler of Debian builds for SH4 only; code without floating point is
    # SH3 code as well, which the assembler confirms with -isa=sh3.
    ("Sh3", 0x1A2, 4096, "sh4-linux-gnu-gcc", ["-ml", "-m4-nofpu", "-mrenesas"],
     ["sh4-linux-gnu-as", "-little", "-isa=sh3"], "sh4-linux-gnu-ld", []),
    ("Sh4", 0x1A6, 4096, "sh4-linux-gnu-gcc", ["-ml", "-m4-nofpu", "-mrenesas"],
     ["sh4-linux-gnu-as", "-little", "-isa=sh4"], "sh4-linux-gnu-ld", []),
]


def run(args):
    subprocess.run(args, check=True)


def compile_code(family, work):
    name, _, _, cc, flags, asm, ld, ldflags = family
    source = os.path.join(HERE, "probe.c")
    obj = os.path.join(work, name + ".o")
    if asm:
        s = os.path.join(work, name + ".s")
        run([cc] + CFLAGS + flags + ["-S", source, "-o", s])
        run(asm + [s, "-o", obj])
    else:
        run([cc] + CFLAGS + flags + ["-c", source, "-o", obj])
    elf = os.path.join(work, name + ".elf")
    run([ld] + ldflags + ["-T", os.path.join(HERE, "probe.ld"), "--no-warn-rwx-segments",
                          "-o", elf, obj])
    binary = os.path.join(work, name + ".bin")
    run([cc.replace("-gcc", "-objcopy"), "-O", "binary", "-j", ".text", elf, binary])
    symbols = subprocess.run([cc.replace("-gcc", "-nm"), elf], check=True, capture_output=True,
                             text=True).stdout
    entry = next(int(line.split()[0], 16) for line in symbols.splitlines()
                 if line.split()[-1] == "ProbeMain")
    with open(binary, "rb") as f:
        return f.read(), entry - IMAGE_BASE


def align(n, a):
    return (n + a - 1) // a * a


def import_section():
    """The import address table first (at `imports`), then the directory, the lookup
    table, the library's name and the hint/name entries."""
    count = len(IMPORTS) + 1
    iat = 0
    directory = iat + 4 * count
    lookup = directory + 2 * 20
    dll_name = lookup + 4 * count
    names = align(dll_name + len(DLL) + 1, 2)
    entries, hint_names = b"", []
    for imp in IMPORTS:
        hint_names.append(IDATA_RVA + names + len(entries))
        entry = struct.pack("<H", 0) + imp.encode() + b"\0"
        entries += entry + (b"\0" if len(entry) % 2 else b"")
    thunks = b"".join(struct.pack("<I", rva) for rva in hint_names) + b"\0\0\0\0"
    data = thunks
    data += struct.pack("<IIIII", IDATA_RVA + lookup, 0, 0, IDATA_RVA + dll_name, IDATA_RVA + iat)
    data += b"\0" * 20
    data += thunks
    data += DLL + b"\0" * (names - dll_name - len(DLL))
    data += entries
    return data, IDATA_RVA + directory, IDATA_RVA + iat, 4 * count


def build_pe(machine, size, code, entry):
    text_raw = align(len(code), FILE_ALIGN)
    idata, directory_rva, iat_rva, iat_size = import_section()
    idata_raw = size - FILE_ALIGN - text_raw
    assert len(idata) <= idata_raw <= 0x1000, "the image does not fit its size"
    assert TEXT_RVA <= entry < TEXT_RVA + len(code)

    dos = bytearray(64)
    dos[0:2] = b"MZ"
    struct.pack_into("<I", dos, 0x3C, 64)
    # relocations stripped, executable, no line numbers or local symbols, 32-bit
    coff = struct.pack("<HHIIIHH", machine, 2, 0, 0, 0, 224, 0x010F)
    dirs = [(0, 0)] * 16
    dirs[1] = (directory_rva, 40)
    dirs[12] = (iat_rva, iat_size)
    optional = struct.pack("<HBBIIIIIIIIIHHHHHHIIIIHHIIIIII", 0x10B, 6, 0, text_raw, idata_raw, 0,
                           entry, TEXT_RVA, IDATA_RVA, IMAGE_BASE, 0x1000, FILE_ALIGN,
                           2, 0, 0, 0, 2, 0,  # OS, image and CE subsystem version 2.0
                           0, 0x3000, FILE_ALIGN, 0, 9, 0,  # subsystem 9: Windows CE GUI
                           0x10000, 0x1000, 0x100000, 0x1000, 0, 16)
    optional += b"".join(struct.pack("<II", rva, n) for rva, n in dirs)
    text = struct.pack("<8sIIIIIIHHI", b".text", len(code), TEXT_RVA, text_raw, FILE_ALIGN,
                       0, 0, 0, 0, 0x60000020)
    data = struct.pack("<8sIIIIIIHHI", b".idata", idata_raw, IDATA_RVA, idata_raw,
                       FILE_ALIGN + text_raw, 0, 0, 0, 0, 0xC0000040)
    headers = bytes(dos) + b"PE\0\0" + coff + optional + text + data
    image = headers + b"\0" * (FILE_ALIGN - len(headers))
    image += code + b"\0" * (text_raw - len(code))
    image += idata + b"\0" * (idata_raw - len(idata))
    assert len(image) == size
    return image


def machine_offset(image):
    return struct.unpack_from("<I", image, 0x3C)[0] + 4


def machine_of(image):
    return struct.unpack_from("<H", image, machine_offset(image))[0]


def without_machine(image):
    at = machine_offset(image)
    return image[:at] + image[at + 2:]


def parts_of(image):
    """The image's runs of bytes apart from its stretches of 16 or more zeros."""
    parts, at = [], 0
    while at < len(image):
        while at < len(image) and image[at] == 0:
            at += 1
        if at == len(image):
            break
        end = at
        while end < len(image) and image[end:end + 16] != bytes(min(16, len(image) - end)):
            end += 1
        end = len(image[:end].rstrip(b"\0"))
        parts.append((at, image[at:end]))
        at = end
    return parts


def source_text(images):
    out = ["// Generated by tools/probe/make-images.py from tools/probe/probe.c; do not edit.",
           "// The device probe program for each processor family, as written to the device.",
           '#include "install/RapiTool.h"', "", "#include <algorithm>", "", "namespace cvn {", "",
           "namespace {", "",
           "// Where a run of an image's bytes lies and where it starts in kBytes; the bytes",
           "// between the runs are zeros.",
           "struct TRun {", "    uint16_t offset, length, from;", "};", "",
           "// An image is put together when it is asked for, once for each connection: as",
           "// constants the images would take their whole size in setup.exe.",
           "template <size_t B, size_t R>",
           "std::vector<uint8_t> Assembled(const uint8_t (&bytes)[B], size_t size, const TRun (&runs)[R]) {",
           "    std::vector<uint8_t> image(size);",
           "    for (const TRun& run : runs)",
           "        std::copy_n(bytes + run.from, run.length, image.begin() + run.offset);",
           "    return image;", "}", "",
           "// The image with another machine type in its file header.",
           "std::vector<uint8_t> WithMachine(std::vector<uint8_t> image, uint16_t machine) {",
           "    const size_t header = size_t(image[0x3C]) | size_t(image[0x3D]) << 8;",
           "    image[header + 4] = uint8_t(machine);",
           "    image[header + 5] = uint8_t(machine >> 8);",
           "    return image;", "}", "", "// clang-format off"]
    # An image that differs from an earlier one only in its machine type (SH3 and SH4
    # share their code) is that image with the machine type changed.
    same_code, pool, run_lines = {}, {}, []
    for name, image in images:
        for earlier, other in images:
            if earlier == name:
                break
            if len(other) == len(image) and without_machine(other) == without_machine(image):
                same_code[name] = earlier
                break
        if name in same_code:
            continue
        runs = []
        for at, part in parts_of(image):
            # Runs the images share (the import table) are in kBytes once.
            if part not in pool:
                pool[part] = sum(len(p) for p in pool)
            runs.append("{0x%04x, %d, %d}" % (at, len(part), pool[part]))
        run_lines.append("constexpr TRun k%sRuns[] = {%s};" % (name, ", ".join(runs)))
    data = b"".join(pool)
    out.append("constexpr uint8_t kBytes[] = {")
    for i in range(0, len(data), 16):
        out.append("    " + ",".join("0x%02x" % b for b in data[i:i + 16]) + ",")
    out.append("};")
    out += run_lines
    out.append("// clang-format on")
    made = {}
    for name, image in images:
        if name in same_code:
            made[name] = "WithMachine(%s, 0x%04X)" % (made[same_code[name]], machine_of(image))
        else:
            made[name] = "Assembled(kBytes, %d, k%sRuns)" % (len(image), name)
    out += ["", "} // namespace", "",
            "std::vector<uint8_t> DeviceProbeImage(TProcessorFamily family) {",
            "    switch (family) {"]
    for name, _ in images:
        out += ["    case TProcessorFamily::%s:" % name, "        return %s;" % made[name]]
    out += ["    default:", "        return {};", "    }", "}", "", "} // namespace cvn", ""]
    return "\n".join(out)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--check", action="store_true",
                        help="fail when the committed images differ from freshly built ones")
    parser.add_argument("--images", help="also write each image to this folder as <family>.exe")
    args = parser.parse_args()
    images = []
    with tempfile.TemporaryDirectory() as work:
        for family in FAMILIES:
            code, entry = compile_code(family, work)
            images.append((family[0], build_pe(family[1], family[2], code, entry)))
    if args.images:
        os.makedirs(args.images, exist_ok=True)
        for name, image in images:
            with open(os.path.join(args.images, name.lower() + ".exe"), "wb") as f:
                f.write(image)
    text = source_text(images)
    if args.check:
        with open(OUTPUT, encoding="utf-8") as f:
            if f.read() != text:
                print("make-images: %s differs from the images built from probe.c" % OUTPUT,
                      file=sys.stderr)
                return 1
        return 0
    with open(OUTPUT, "w", encoding="utf-8") as f:
        f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main())
