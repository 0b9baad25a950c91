#!/usr/bin/python3
"""Checks the resources and the image properties of the built Quenloft.exe.

Usage: check_resources.py EXE

Every expected value is written out below, independently of the resource
scripts, and compared with what the linked executable really carries: the
resource compiler adds style bits and terminators of its own, so only the
built bytes count. Prints one line per case and a final count; the exit
status is 1 when any case failed.
"""

import struct
import sys
import xml.etree.ElementTree as ET
from collections import namedtuple

import pefile

Case = namedtuple("Case", "name expected actual")


class Hex(int):
    """An int shown in hex in failure messages: styles and flags read better so."""

    def __repr__(self):
        return f"0x{self:08X}"


RT_ICON, RT_DIALOG, RT_STRING, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 3, 5, 6, 14, 16, 24
EN, FR, JA = 1033, 1036, 1041
LANGUAGES = (EN, FR, JA)

# --- Expected values ------------------------------------------------------

RESOURCE_LAYOUT = {
    RT_ICON: {image_id: [JA] for image_id in range(1, 9)},
    RT_DIALOG: {102: [EN, FR, JA]},
    RT_STRING: {9: [EN, FR, JA]},  # block 9 holds the ids 128 to 143
    RT_GROUP_ICON: {129: [JA]},
    RT_VERSION: {1: [EN]},
    RT_MANIFEST: {1: [EN]},
}

APOS = "\u2019"  # typographic apostrophe, unlike the plain ' of string 131
FULLWIDTH_QUESTION = "\uff1f"

STRINGS = {
    EN: {
        130: "Quenloft",
        131: "You must restart your computer before the new settings will take effect."
             "\n\nDo you want to restart?",
        132: "Please execute by administrator authority.",
        133: "This application program does not work properly under the current version"
             " of Windows.",
        134: "This application does not support current version of Windows."
             "\nDo you want to continue launching this application?",
    },
    FR: {
        130: "Quenloft",
        131: "Il est nécessaire de redémarrer l'ordinateur pour appliquer les nouveaux"
             " réglages.\n\nRedémarrer maintenant?",
        132: f"Exécutez avec les privilèges d{APOS}administrateur.",
        133: "Ce programme ne fonctionne pas bien sous cette version de Windows.",
        134: f"Cette application n{APOS}est pas prise en charge par cette version de Windows."
             f"\n\nLancer quand même l{APOS}application ?",
    },
    JA: {
        130: "Quenloft",
        131: "新しい設定を有効にするには、コンピュータを再起動する必要があります。"
             f"\n\n今すぐ再起動しますか{FULLWIDTH_QUESTION}",
        132: "管理者権限で実行してください。",
        133: "現在のOSでは使用できません",
        134: f"現在のOSはサポート対象外です。\nこのままアプリケーションを起動しますか{FULLWIDTH_QUESTION}",
    },
}

DIALOG_HEADER = {
    "version": 1, "signature": 0xFFFF, "help id": 0,
    "exstyle": Hex(0x00040000), "style": Hex(0x90C808C8), "control count": 5,
    "rect": (0, 0, 219, 67), "menu": "", "class": "", "caption": "Quenloft",
    "font": (8, 400, 0, 128, "MS Shell Dlg"),
}

BUTTON_ATOM = 0x0080
DIALOG_CONTROLS = (  # id, style, rect, texts
    (-1, Hex(0x50000007), (7, 7, 144, 53),
     {EN: "Fast resume settings", FR: "Réglages de reprise rapide", JA: "高速リジューム設定"}),
    (1000, Hex(0x50020009), (16, 22, 125, 10),
     {EN: "&Disabled", FR: "&Désactiver", JA: "無効"}),
    (1001, Hex(0x50000009), (16, 38, 125, 10),
     {EN: "&Enabled ( Windows standard )", FR: "&Activer ( Windows standard )",
      JA: "有効 ( Windows標準 )"}),
    (1, Hex(0x50010000), (162, 10, 50, 14), {EN: "OK", FR: "OK", JA: "OK"}),
    (2, Hex(0x50010001), (162, 27, 50, 14), {EN: "Cancel", FR: "Annuler", JA: "キャンセル"}),
)

ASM_V1 = "{urn:schemas-microsoft-com:asm.v1}"
ASM_V3 = "{urn:schemas-microsoft-com:asm.v3}"
EXECUTION_LEVEL_PATH = (ASM_V3 + "security", ASM_V3 + "requestedPrivileges",
                        ASM_V3 + "requestedExecutionLevel")
COMMON_CONTROLS_PATH = (ASM_V1 + "dependentAssembly", ASM_V1 + "assemblyIdentity")
EXECUTION_LEVEL = {"level": "highestAvailable", "uiAccess": "false"}
COMMON_CONTROLS = {
    "type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
    "processorArchitecture": "x86", "publicKeyToken": "6595b64144ccf1df", "language": "*",
}

VERSION_FIXED = {  # VS_FIXEDFILEINFO, in field order
    "signature": Hex(0xFEEF04BD), "structure version": Hex(0x00010000),
    "file version": (1, 0, 1200, 0), "product version": (1, 0, 1200, 0),
    "flags mask": Hex(0x3F), "flags": Hex(0), "os": Hex(4), "type": 1, "subtype": 0,
    "date": (0, 0),
}
VERSION_STRINGS = (
    ("CompanyName", "Korvantis"),
    ("FileDescription", "Quenloft"),
    ("FileVersion", "1, 0, 1200, 0"),
    ("InternalName", "Quenloft.exe"),
    ("LegalCopyright", "Copyright \u00a9 2026 Korvantis"),
    ("LegalTrademarks", "Quenloft is a trademark of Korvantis."),
    ("OriginalFilename", "Quenloft.exe"),
    ("ProductName", "Quenloft"),
    ("ProductVersion", "Release 1.0"),
)
VERSION_TRANSLATION = struct.pack("<HH", 0x0409, 0x04B0)

ICON_GROUP_ID = 129
ICON_IMAGES = (  # size in pixels, bits per pixel; image ids are 1, 2, ...
    (32, 4), (16, 4), (48, 8), (32, 8), (16, 8), (48, 32), (32, 32), (16, 32),
)

MACHINE_I386 = 0x014C
PE32_MAGIC = 0x010B
SUBSYSTEM_WINDOWS_GUI = 2
RELOCS_STRIPPED = 0x0001
LARGE_ADDRESS_AWARE = 0x0020
DLL_CHARACTERISTICS = 0x0040 | 0x0100 | 0x8000  # dynamic base, NX, terminal-server aware
IMPORTED_DLLS = ["advapi32.dll", "kernel32.dll", "user32.dll"]
# Looked up at run time, so that the program still loads where they are missing.
RUNTIME_ONLY_FUNCTIONS = ("GetNativeSystemInfo", "GetProductInfo")

# --- Decoding helpers -----------------------------------------------------


def align4(offset):
    return (offset + 3) & ~3


def read_wstring(data, offset):
    """A zero-terminated UTF-16 string; returns it and the offset after it."""
    end = offset
    while data[end:end + 2] != b"\0\0":
        if end + 2 > len(data):
            raise ValueError(f"unterminated string at offset {offset}")
        end += 2
    return data[offset:end].decode("utf-16-le"), end + 2


def read_sz_or_ord(data, offset):
    """"" for none, an int for an ordinal, else the string."""
    (first,) = struct.unpack_from("<H", data, offset)
    if first == 0:
        return "", offset + 2
    if first == 0xFFFF:
        return struct.unpack_from("<H", data, offset + 2)[0], offset + 4
    return read_wstring(data, offset)


# --- Resources ------------------------------------------------------------


def entry_key(entry):
    return str(entry.name) if entry.name is not None else entry.id


def resource_table(pe):
    """{type: {name: {language: bytes}}} of the whole resource directory."""
    table = {}
    directory = getattr(pe, "DIRECTORY_ENTRY_RESOURCE", None)
    for type_entry in directory.entries if directory else []:
        names = table.setdefault(entry_key(type_entry), {})
        for name_entry in type_entry.directory.entries:
            languages = names.setdefault(entry_key(name_entry), {})
            for lang_entry in name_entry.directory.entries:
                data = lang_entry.data.struct
                languages[lang_entry.id] = pe.get_data(data.OffsetToData, data.Size)
    return table


def ordered(keys):
    """Numeric ids first, then names: a resource directory may hold both."""
    numbers = sorted(k for k in keys if isinstance(k, int))
    names = sorted(k for k in keys if isinstance(k, str))
    return numbers + names


def check_resource_layout(pe, resources):
    yield Case("resource types", ordered(RESOURCE_LAYOUT), ordered(resources))
    for res_type, expected in RESOURCE_LAYOUT.items():
        actual = {name: sorted(langs) for name, langs in resources.get(res_type, {}).items()}
        yield Case(f"resource type {res_type} names and languages", expected, actual)


def resource(resources, res_type, name, lang):
    return resources.get(res_type, {}).get(name, {}).get(lang)


# --- String table ---------------------------------------------------------


def decode_string_block(data):
    """The 16 strings of one string-table block."""
    strings, offset = [], 0
    for _ in range(16):
        (length,) = struct.unpack_from("<H", data, offset)
        strings.append(data[offset + 2:offset + 2 + 2 * length].decode("utf-16-le"))
        offset += 2 + 2 * length
    return strings


def check_strings(pe, resources):
    for lang in LANGUAGES:
        data = resource(resources, RT_STRING, 9, lang)
        if data is None:
            continue  # reported by the layout check
        block = dict(zip(range(128, 144), decode_string_block(data)))
        for string_id, text in STRINGS[lang].items():
            yield Case(f"string {string_id} lang {lang}", text, block[string_id])
        unused = {i: s for i, s in block.items() if i not in STRINGS[lang] and s}
        yield Case(f"strings 128-143 lang {lang} outside 130-134", {}, unused)


# --- Dialog template ------------------------------------------------------


def decode_dialog_header(data):
    fields = struct.unpack_from("<HHIIIHhhhh", data, 0)
    header = dict(zip(("version", "signature", "help id", "exstyle", "style",
                       "control count"), fields[:6]))
    header["exstyle"], header["style"] = Hex(header["exstyle"]), Hex(header["style"])
    header["rect"] = fields[6:10]
    header["menu"], offset = read_sz_or_ord(data, 26)
    header["class"], offset = read_sz_or_ord(data, offset)
    header["caption"], offset = read_wstring(data, offset)
    point_size, weight, italic, charset = struct.unpack_from("<HHBB", data, offset)
    face, offset = read_wstring(data, offset + 6)
    header["font"] = (point_size, weight, italic, charset, face)
    return header, offset


def decode_dialog_control(data, offset):
    offset = align4(offset)
    help_id, exstyle, style, x, y, cx, cy, control_id = struct.unpack_from(
        "<IIIhhhhi", data, offset)
    window_class, offset = read_sz_or_ord(data, offset + 24)
    text, offset = read_sz_or_ord(data, offset)
    (extra,) = struct.unpack_from("<H", data, offset)
    control = {"help id": help_id, "exstyle": Hex(exstyle), "style": Hex(style),
               "rect": (x, y, cx, cy), "id": control_id, "class": window_class,
               "text": text, "extra bytes": extra}
    return control, offset + 2 + extra


def decode_dialog(data):
    header, offset = decode_dialog_header(data)
    controls = []
    for _ in range(header["control count"]):
        control, offset = decode_dialog_control(data, offset)
        controls.append(control)
    return header, controls


def expected_control(lang, control_id, style, rect, texts):
    return {"help id": 0, "exstyle": 0, "style": style, "rect": rect, "id": control_id,
            "class": BUTTON_ATOM, "text": texts[lang], "extra bytes": 0}


def check_dialogs(pe, resources):
    for lang in LANGUAGES:
        data = resource(resources, RT_DIALOG, 102, lang)
        if data is None:
            continue
        header, controls = decode_dialog(data)
        for field, value in DIALOG_HEADER.items():
            yield Case(f"dialog 102 lang {lang} {field}", value, header[field])
        for index, control_row in enumerate(DIALOG_CONTROLS[:len(controls)]):
            expected = expected_control(lang, *control_row)
            for field, value in expected.items():
                yield Case(f"dialog 102 lang {lang} control {index} (id {control_row[0]}) {field}",
                           value, controls[index][field])


# --- Manifest -------------------------------------------------------------


def descend(element, path):
    for tag in path:
        element = element.find(tag) if element is not None else None
    return element


def attributes(element):
    return dict(element.attrib) if element is not None else None


def check_manifest(pe, resources):
    data = resource(resources, RT_MANIFEST, 1, EN)
    if data is None:
        return
    root = ET.fromstring(data)
    yield Case("manifest root", ASM_V1 + "assembly", root.tag)
    yield Case("manifest version", "1.0", root.get("manifestVersion"))
    yield Case("manifest children", [ASM_V3 + "trustInfo", ASM_V1 + "dependency"],
               [child.tag for child in root])
    yield Case("manifest requestedExecutionLevel", EXECUTION_LEVEL,
               attributes(descend(root.find(ASM_V3 + "trustInfo"), EXECUTION_LEVEL_PATH)))
    yield Case("manifest common controls assemblyIdentity", COMMON_CONTROLS,
               attributes(descend(root.find(ASM_V1 + "dependency"), COMMON_CONTROLS_PATH)))
    unwanted = [e.tag for e in root.iter()
                if e.tag.split("}")[-1].lower() in ("compatibility", "dpiaware", "dpiawareness")]
    yield Case("manifest has no compatibility or DPI setting", [], unwanted)


# --- Version block --------------------------------------------------------

VersionNode = namedtuple("VersionNode", "key value_type value children")


def decode_version_node(data, offset):
    length, value_length, value_type = struct.unpack_from("<HHH", data, offset)
    if length < 6:
        raise ValueError(f"version node at offset {offset} has length {length}")
    key, pos = read_wstring(data, offset + 6)
    pos = align4(pos)
    value_size = value_length * 2 if value_type == 1 else value_length
    value = data[pos:pos + value_size]
    pos = align4(pos + value_size)
    children = []
    while pos < offset + length:
        child, child_length = decode_version_node(data, pos)
        children.append(child)
        pos = align4(pos + child_length)
    return VersionNode(key, value_type, value, children), length


def dotted_version(most_significant, least_significant):
    return (most_significant >> 16, most_significant & 0xFFFF,
            least_significant >> 16, least_significant & 0xFFFF)


def decode_fixed_file_info(value):
    fields = tuple(Hex(field) for field in struct.unpack("<13I", value))
    info = dict(zip(("signature", "structure version"), fields[:2]))
    info["file version"] = dotted_version(*fields[2:4])
    info["product version"] = dotted_version(*fields[4:6])
    info.update(zip(("flags mask", "flags", "os", "type", "subtype"), fields[6:11]))
    info["date"] = fields[11:13]
    return info


def text_value(node):
    text = node.value.decode("utf-16-le")
    return text[:-1] if text.endswith("\0") else text


def child(node, key):
    return next((c for c in node.children if c.key == key), VersionNode(key, 0, b"", []))


def check_version(pe, resources):
    data = resource(resources, RT_VERSION, 1, EN)
    if data is None:
        return
    root, _ = decode_version_node(data, 0)
    yield Case("version root key", "VS_VERSION_INFO", root.key)
    fixed = decode_fixed_file_info(root.value)
    for field, value in VERSION_FIXED.items():
        yield Case(f"version fixed {field}", value, fixed[field])
    yield Case("version blocks", ["StringFileInfo", "VarFileInfo"], [c.key for c in root.children])
    tables = child(root, "StringFileInfo").children
    yield Case("version string tables", ["040904b0"], [t.key for t in tables])
    strings = tables[0].children if tables else []
    yield Case("version string keys in order", [k for k, _ in VERSION_STRINGS],
               [s.key for s in strings])
    actual = {s.key: text_value(s) for s in strings}
    for key, value in VERSION_STRINGS:
        yield Case(f"version string {key}", value, actual.get(key))
    translation = child(child(root, "VarFileInfo"), "Translation")
    yield Case("version Translation", VERSION_TRANSLATION.hex(), translation.value.hex())


# --- Icons ----------------------------------------------------------------


def decode_group_icon(data):
    header = struct.unpack_from("<HHH", data, 0)
    entries = [struct.unpack_from("<BBBBHHIH", data, 6 + 14 * i) for i in range(header[2])]
    return header, entries


def dib_size(size, bitcount):
    palette = 4 << bitcount if bitcount <= 8 else 0
    colour_rows = align4(size * bitcount // 8) * size
    mask_rows = align4((size + 7) // 8) * size
    return 40 + palette + colour_rows + mask_rows


def check_icon_group(pe, resources):
    data = resource(resources, RT_GROUP_ICON, ICON_GROUP_ID, JA)
    if data is None:
        return
    header, entries = decode_group_icon(data)
    yield Case("icon group header (reserved, type, count)", (0, 1, len(ICON_IMAGES)), header)
    for index, (size, bitcount) in enumerate(ICON_IMAGES[:len(entries)]):
        image_id = index + 1
        image = resource(resources, RT_ICON, image_id, JA) or b""
        expected = (size, size, 16 if bitcount == 4 else 0, 0, 1, bitcount, len(image), image_id)
        yield Case(f"icon group entry {index} (width, height, colours, reserved, planes,"
                   " bits, bytes, id)", expected, entries[index])


def check_icon_images(pe, resources):
    for index, (size, bitcount) in enumerate(ICON_IMAGES):
        image_id = index + 1
        data = resource(resources, RT_ICON, image_id, JA)
        if data is None:
            continue
        header = struct.unpack_from("<IiiHHI", data, 0)
        yield Case(f"icon image {image_id} header (size, width, height, planes, bits,"
                   " compression)", (40, size, 2 * size, 1, bitcount, 0), header)
        yield Case(f"icon image {image_id} bytes", dib_size(size, bitcount), len(data))


# --- Executable image -----------------------------------------------------


def imported_dlls(pe):
    return [e.dll.decode().lower() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]


def imported_names(pe):
    return [i.name.decode() for e in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])
            for i in e.imports if i.name]


def reloc_section_size(pe):
    return sum(s.SizeOfRawData for s in pe.sections if s.Name.rstrip(b"\0") == b".reloc")


def data_directory(pe, name):
    return pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY[name]]


def check_image_headers(pe, resources):
    file_header, optional = pe.FILE_HEADER, pe.OPTIONAL_HEADER
    yield Case("image machine", Hex(MACHINE_I386), Hex(file_header.Machine))
    yield Case("image optional header magic (PE32)", Hex(PE32_MAGIC), Hex(optional.Magic))
    yield Case("image subsystem", SUBSYSTEM_WINDOWS_GUI, optional.Subsystem)
    yield Case("image OS version", (5, 0), (optional.MajorOperatingSystemVersion,
                                            optional.MinorOperatingSystemVersion))
    yield Case("image subsystem version", (5, 0), (optional.MajorSubsystemVersion,
                                                   optional.MinorSubsystemVersion))
    yield Case("image not large-address aware", Hex(0),
               Hex(file_header.Characteristics & LARGE_ADDRESS_AWARE))
    yield Case("image DllCharacteristics", Hex(DLL_CHARACTERISTICS),
               Hex(optional.DllCharacteristics))


def check_relocations(pe, resources):
    base_relocs = data_directory(pe, "IMAGE_DIRECTORY_ENTRY_BASERELOC")
    yield Case("image relocations not stripped", Hex(0),
               Hex(pe.FILE_HEADER.Characteristics & RELOCS_STRIPPED))
    yield Case("image base relocation directory non-empty", True,
               base_relocs.VirtualAddress != 0 and base_relocs.Size > 0)
    yield Case("image .reloc section non-empty", True, reloc_section_size(pe) > 0)


def check_imports(pe, resources):
    yield Case("image imported DLLs", IMPORTED_DLLS, sorted(imported_dlls(pe)))
    yield Case("image delay-load imports (directory size)", 0,
               data_directory(pe, "IMAGE_DIRECTORY_ENTRY_DELAY_IMPORT").Size)
    yield Case("image imports none of the run-time-only functions", [],
               [n for n in imported_names(pe) if n in RUNTIME_ONLY_FUNCTIONS])


# --- Runner ---------------------------------------------------------------

CHECKS = (check_resource_layout, check_strings, check_dialogs, check_manifest,
          check_version, check_icon_group, check_icon_images,
          check_image_headers, check_relocations, check_imports)

DECODE_ERRORS = (struct.error, ValueError, IndexError, ET.ParseError)


def run_check(check, pe, resources):
    """Yields (passed, line) for each case of one check."""
    try:
        for case in check(pe, resources):
            if case.expected == case.actual:
                yield True, f"ok   {case.name}"
            else:
                yield False, f"FAIL {case.name}: expected {case.expected!r}, got {case.actual!r}"
    except DECODE_ERRORS as error:
        yield False, f"FAIL {check.__name__}: cannot decode: {error}"


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    try:
        pe = pefile.PE(argv[1])
    except (OSError, pefile.PEFormatError) as error:
        print(f"FAIL image {argv[1]}: cannot read: {error}")
        return 1
    resources = resource_table(pe)
    total = failed = 0
    for check in CHECKS:
        for passed, line in run_check(check, pe, resources):
            print(line)
            total += 1
            failed += not passed
    print(f"{total} cases, {failed} failed")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
