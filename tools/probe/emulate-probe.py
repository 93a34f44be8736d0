#!/usr/bin/env python3
"""Runs the ARM and the MIPS device probe images, as committed in
src/install/DeviceProbeImages.cpp, in an emulated processor (unicorn) with COREDLL.dll
played by Python functions, and checks the registry values each writes for a few
devices. (unicorn has no SH processor; the SH images come from the same source.)"""

import re
import struct
import sys

import unicorn
from unicorn import arm_const, mips_const

SOURCE = sys.argv[1] if len(sys.argv) > 1 else "src/install/DeviceProbeImages.cpp"
HKLM = 0x80000002
KEY = 0x4B1D
STUBS, RETURN, STACK = 0x80000, 0x90000, 0x100000


def images():
    """The images assembled from their runs as the C++ source does."""
    text = open(SOURCE, encoding="utf-8").read()
    pool = bytes(int(b, 16) for b in re.findall(
        r"0x([0-9a-f]{2})", re.search(r"kBytes\[\] = \{(.*?)\};", text, re.S).group(1)))
    found = {}
    for name, runs in re.findall(r"constexpr TRun k(\w+)Runs\[\] = \{(.*?)\};", text):
        size = int(re.search(r"Assembled\(kBytes, (\d+), k%sRuns\)" % name, text).group(1))
        image = bytearray(size)
        for offset, length, start in re.findall(r"\{(0x[0-9a-f]+), (\d+), (\d+)\}", runs):
            offset, length, start = int(offset, 16), int(length), int(start)
            image[offset:offset + length] = pool[start:start + length]
        found[name] = bytes(image)
    return found


class Device:
    def __init__(self, platform, major, minor, processor_name=None, device_id=None):
        self.platform, self.major, self.minor = platform, major, minor
        self.processor_name, self.device_id = processor_name, device_id


class Cpu:
    def __init__(self, kind, image):
        self.kind = kind
        if kind == "arm":
            self.uc = unicorn.Uc(unicorn.UC_ARCH_ARM, unicorn.UC_MODE_ARM)
            self.args = [arm_const.UC_ARM_REG_R0 + i for i in range(4)]
            self.sp, self.ret, self.link = arm_const.UC_ARM_REG_SP, arm_const.UC_ARM_REG_R0, arm_const.UC_ARM_REG_LR
            self.home = 0
            stub = struct.pack("<I", 0xE1A0F00E)  # mov pc, lr
        else:
            self.uc = unicorn.Uc(unicorn.UC_ARCH_MIPS, unicorn.UC_MODE_MIPS32 | unicorn.UC_MODE_LITTLE_ENDIAN)
            self.args = [mips_const.UC_MIPS_REG_A0 + i for i in range(4)]
            self.sp, self.ret, self.link = mips_const.UC_MIPS_REG_SP, mips_const.UC_MIPS_REG_V0, mips_const.UC_MIPS_REG_RA
            self.home = 16  # stacked arguments follow the home area of a0-a3
            stub = struct.pack("<II", 0x03E00008, 0)  # jr ra; nop
        pe = struct.unpack_from("<I", image, 0x3C)[0]
        sections = struct.unpack_from("<H", image, pe + 6)[0]
        optional = pe + 24
        self.entry = struct.unpack_from("<I", image, optional + 16)[0]
        self.base = struct.unpack_from("<I", image, optional + 28)[0]
        size = struct.unpack_from("<I", image, optional + 56)[0]
        self.uc.mem_map(self.base, size)
        for s in range(sections):
            at = optional + 224 + 40 * s
            _, vsize, rva, raw, ptr = struct.unpack_from("<8sIIII", image, at)
            self.uc.mem_write(self.base + rva, image[ptr:ptr + min(raw, vsize)])
        # The loader's part: every import address table slot gets a stub that returns.
        iat_rva, iat_size = struct.unpack_from("<II", image, optional + 96 + 12 * 8)
        directory = struct.unpack_from("<I", image, optional + 96 + 8)[0]
        lookup = struct.unpack_from("<I", self.read(self.base + directory, 4))[0]
        self.uc.mem_map(STUBS, 0x1000)
        self.uc.mem_map(RETURN, 0x1000)
        self.uc.mem_map(STACK, 0x10000)
        self.stubs = {}
        for i in range(iat_size // 4 - 1):
            hint_name = struct.unpack_from("<I", self.read(self.base + lookup + 4 * i, 4))[0]
            name = self.read(self.base + hint_name + 2, 64).split(b"\0")[0].decode()
            self.stubs[STUBS + 16 * i] = name
            self.uc.mem_write(STUBS + 16 * i, stub)
            self.uc.mem_write(self.base + iat_rva + 4 * i, struct.pack("<I", STUBS + 16 * i))

    def read(self, address, n):
        return bytes(self.uc.mem_read(address, n))

    def u32(self, address):
        return struct.unpack("<I", self.read(address, 4))[0]

    def put32(self, address, value):
        self.uc.mem_write(address, struct.pack("<I", value))

    def wide(self, address):
        out = b""
        while True:
            c = self.read(address + len(out), 2)
            if c == b"\0\0":
                return out.decode("utf-16-le")
            out += c

    def arg(self, i):
        if i < 4:
            return self.uc.reg_read(self.args[i])
        return self.u32(self.uc.reg_read(self.sp) + self.home + 4 * (i - 4))

    def run(self, device):
        device.values, device.calls, device.closed = [], [], False
        def on_code(uc, address, size, _):
            name = self.stubs.get(address)
            if name:
                self.uc.reg_write(self.ret, getattr(Coredll, name)(self, device))

        self.uc.hook_add(unicorn.UC_HOOK_CODE, on_code, None, STUBS, STUBS + 0xFFF)
        self.uc.reg_write(self.sp, STACK + 0x10000 - 64)
        self.uc.reg_write(self.link, RETURN)
        self.uc.emu_start(self.base + self.entry, RETURN, count=200000)
        assert self.uc.reg_read(self.sp) == STACK + 0x10000 - 64, "the stack is not balanced"


class Coredll:
    @staticmethod
    def RegCreateKeyExW(cpu, device):
        device.calls.append("RegCreateKeyExW")
        assert cpu.arg(0) == HKLM and cpu.wide(cpu.arg(1)) == "Software\\Tarrow\\Corvane"
        cpu.put32(cpu.arg(7), KEY)
        if cpu.arg(8):
            cpu.put32(cpu.arg(8), 1)
        return 0

    @staticmethod
    def RegSetValueExW(cpu, device):
        assert cpu.arg(0) == KEY and not device.closed
        name, kind, data, size = cpu.wide(cpu.arg(1)), cpu.arg(3), cpu.arg(4), cpu.arg(5)
        raw = cpu.read(data, size)
        if kind == 4:
            value = struct.unpack("<I", raw)[0]
        else:  # the size counts the terminating NUL
            assert raw.endswith(b"\0\0") and size % 2 == 0, raw
            value = raw[:-2].decode("utf-16-le")
        device.values.append((name, kind, value))
        return 0

    @staticmethod
    def RegCloseKey(cpu, device):
        assert cpu.arg(0) == KEY
        device.closed = True
        return 0

    @staticmethod
    def SystemParametersInfoW(cpu, device):
        assert cpu.arg(0) == 257 and cpu.arg(1) >= 520  # SPI_GETPLATFORMTYPE, bytes
        if device.platform is None:
            return 0
        cpu.uc.mem_write(cpu.arg(2), (device.platform + "\0").encode("utf-16-le"))
        return 1

    @staticmethod
    def GetVersionExW(cpu, device):
        info = cpu.arg(0)
        assert cpu.u32(info) == 276  # sizeof(OSVERSIONINFOW)
        cpu.put32(info + 4, device.major)
        cpu.put32(info + 8, device.minor)
        return 1

    @staticmethod
    def KernelIoControl(cpu, device):
        code, out, size, returned = cpu.arg(0), cpu.arg(3), cpu.arg(4), cpu.arg(5)
        device.calls.append(hex(code))
        if code == 0x01010064:
            assert size == 576
            if device.processor_name is None:
                return 0
            cpu.uc.mem_write(out + 84, (device.processor_name + "\0").encode("utf-16-le"))
        elif code == 0x01010054:
            assert size == 260 and cpu.u32(out) == 260
            if device.device_id is None:
                return 0
            cpu.uc.mem_write(out, device.device_id)
        else:
            raise AssertionError("unexpected control code %x" % code)
        if returned:
            cpu.put32(returned, size)
        return 1


def device_id(preset, platform):
    """A DEVICE_ID record: the header, then the preset and the platform parts."""
    header = struct.pack("<IIIII", 260, 20, len(preset), 20 + len(preset), len(platform))
    return header + preset + platform


CASES = [
    # A Pocket PC 2003 with an XScale: everything, the serial from both identifier parts.
    (Device("PocketPC", 4, 20, "PXA255", device_id(b"\xde\xad\xbe\xef", b"\x01\x0a")),
     [("Platform", 1, "PocketPC"), ("XScale", 4, 1), ("Serial", 1, "DEADBEEF010A"), ("Finished", 4, 1)],
     ["RegCreateKeyExW", "0x1010064", "0x1010054"]),
    # An OS 2 device: no hardware questions at all.
    (Device("Jupiter", 2, 11),
     [("Platform", 1, "Jupiter"), ("XScale", 4, 0), ("Serial", 1, ""), ("Finished", 4, 1)],
     ["RegCreateKeyExW"]),
    # OS 3 and not a Pocket PC: the processor is asked, the identifier is not.
    (Device("HPC2000", 3, 0, "SA1110"),
     [("Platform", 1, "HPC2000"), ("XScale", 4, 0), ("Serial", 1, ""), ("Finished", 4, 1)],
     ["RegCreateKeyExW", "0x1010064"]),
    # Both hardware questions refused, no platform text: only what is known is written.
    (Device(None, 5, 1), [("Finished", 4, 1)], ["RegCreateKeyExW", "0x1010064", "0x1010054"]),
]


def main():
    found = images()
    failures = 0
    for kind, name in (("arm", "Arm"), ("mips", "Mips")):
        for device, values, calls in CASES:
            cpu = Cpu(kind, found[name])
            try:
                cpu.run(device)
                assert device.values == values, device.values
                assert device.calls == calls, device.calls
                assert device.closed
            except (AssertionError, unicorn.UcError) as e:
                failures += 1
                print("FAIL %s %s: %r" % (kind, device.platform, e))
    print("%d failures" % failures)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
