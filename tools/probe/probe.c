/* The device probe: a small Windows CE program that setup.exe writes to the handheld
 * as "\cVN.exe" and starts there. It leaves what it finds out about the device in
 * HKEY_LOCAL_MACHINE\Software\Tarrow\Corvane, where the setup reads it back:
 * "Platform" (the platform type text), "XScale" (1 for an Intel PXA processor),
 * "Serial" (the device identifier in hexadecimal) and, last, "Finished" = 1.
 *
 * Built without a C library for the four processor families by make-images.py. The
 * functions of COREDLL.dll are called through the import address table, which the
 * linker script places at `imports`. Every call passes at least four arguments, and
 * SH calls put four more words between the register arguments and the stacked ones:
 * the CE calling standard on SH (as on MIPS, where the compiler already does it)
 * gives the callee a 16-byte home area for R4-R7 below its stacked arguments. */

typedef unsigned int u32;
typedef unsigned short wchar;
typedef long (*CeFunction)();

/* The order is the order of the import address table in make-images.py. */
struct Imports {
    CeFunction RegCreateKeyExW;
    CeFunction RegSetValueExW;
    CeFunction RegCloseKey;
    CeFunction SystemParametersInfoW;
    CeFunction GetVersionExW;
    CeFunction KernelIoControl;
};
extern struct Imports imports;

#if defined(__sh__)
#define HOME , 0, 0, 0, 0
#else
#define HOME
#endif

#define HKEY_LOCAL_MACHINE 0x80000002u
#define KEY_ALL_ACCESS 0xF003Fu
#define REG_SZ 1
#define REG_DWORD 4
#define SPI_GETPLATFORMTYPE 257
#define IOCTL_HAL_GET_DEVICEID 0x01010054u
#define IOCTL_PROCESSOR_INFORMATION 0x01010064u

enum { kPlatformChars = 260, kProcessorInfoBytes = 576, kDeviceIdBytes = 260 };

/* PROCESSOR_INFO: WORD version, WCHAR core[40], WORD core revision, WCHAR name[40]. */
enum { kProcessorNameOffset = 84, kProcessorNameChars = 40 };

static u32 Length(const wchar* text, u32 limit) {
    u32 n = 0;
    while (n < limit && text[n])
        ++n;
    return n;
}

static void SetString(u32 key, const wchar* name, const wchar* text, u32 limit) {
    imports.RegSetValueExW(key, name, 0, REG_SZ HOME, text, (Length(text, limit) + 1) * 2);
}

static void SetNumber(u32 key, const wchar* name, u32 value) {
    imports.RegSetValueExW(key, name, 0, REG_DWORD HOME, &value, 4);
}

static wchar Upper(wchar c) {
    return c >= 'a' && c <= 'z' ? (wchar)(c - 32) : c;
}

/* The platform text is compared without regard to case: device makers are not
 * consistent in the spelling of "PocketPC". */
static int IsPocketPC(const wchar* text) {
    static const char kName[] = "POCKETPC";
    u32 i = 0;
    for (; kName[i]; ++i)
        if (Upper(text[i]) != (wchar)kName[i]) return 0;
    return text[i] == 0;
}

static int NameHasPXA(const wchar* name) {
    for (u32 i = 0; i + 3 <= kProcessorNameChars && name[i]; ++i)
        if (name[i] == 'P' && name[i + 1] == 'X' && name[i + 2] == 'A') return 1;
    return 0;
}

/* Appends the bytes [offset, offset + count) of the identifier record as "%02X" each;
 * a part reaching past the record is cut at its end. */
static u32 AppendHex(wchar* out, u32 at, const unsigned char* record, u32 offset, u32 count) {
    static const char kDigits[] = "0123456789ABCDEF";
    for (u32 i = 0; i < count && offset < kDeviceIdBytes && i < kDeviceIdBytes - offset; ++i) {
        const unsigned char b = record[offset + i];
        out[at++] = (wchar)kDigits[b >> 4];
        out[at++] = (wchar)kDigits[b & 15];
    }
    return at;
}

int ProbeMain(void) {
    u32 key = 0, disposition = 0;
    if (imports.RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Tarrow\\Corvane", 0, 0 HOME, 0,
                                KEY_ALL_ACCESS, 0, &key, &disposition) != 0)
        return 0;

    wchar platform[kPlatformChars + 1];
    for (u32 i = 0; i <= kPlatformChars; ++i)
        platform[i] = 0;
    if (imports.SystemParametersInfoW(SPI_GETPLATFORMTYPE, kPlatformChars * 2, platform, 0 HOME))
        SetString(key, L"Platform", platform, kPlatformChars);

    /* OSVERSIONINFOW: size, major, minor, build, platform id, 128 characters. */
    u32 version[69];
    for (u32 i = 0; i < 69; ++i)
        version[i] = 0;
    version[0] = sizeof version;
    imports.GetVersionExW(version, 0, 0, 0 HOME);
    const u32 major = version[1];

    if (major < 3) {
        SetNumber(key, L"XScale", 0);
        SetString(key, L"Serial", L"", 1);
    } else {
        u32 processor[kProcessorInfoBytes / 4];
        for (u32 i = 0; i < kProcessorInfoBytes / 4; ++i)
            processor[i] = 0;
        u32 returned = 0;
        if (imports.KernelIoControl(IOCTL_PROCESSOR_INFORMATION, 0, 0, processor HOME, kProcessorInfoBytes,
                                    &returned))
            SetNumber(key, L"XScale",
                      NameHasPXA((const wchar*)((const unsigned char*)processor + kProcessorNameOffset)));

        if (major <= 3 && !IsPocketPC(platform)) {
            SetString(key, L"Serial", L"", 1);
        } else {
            /* DEVICE_ID: size, preset offset, preset bytes, platform offset, platform bytes. */
            u32 id[kDeviceIdBytes / 4];
            for (u32 i = 0; i < kDeviceIdBytes / 4; ++i)
                id[i] = 0;
            id[0] = kDeviceIdBytes;
            if (imports.KernelIoControl(IOCTL_HAL_GET_DEVICEID, 0, 0, id HOME, kDeviceIdBytes, &returned)) {
                wchar serial[2 * kDeviceIdBytes * 2 + 1];
                const unsigned char* record = (const unsigned char*)id;
                u32 n = AppendHex(serial, 0, record, id[1], id[2]);
                n = AppendHex(serial, n, record, id[3], id[4]);
                serial[n] = 0;
                SetString(key, L"Serial", serial, n);
            }
        }
    }

    SetNumber(key, L"Finished", 1);
    imports.RegCloseKey(key, 0, 0, 0 HOME);
    return 0;
}
