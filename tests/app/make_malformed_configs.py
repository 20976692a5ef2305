#!/usr/bin/env python3
"""Writes the corpus of damaged configuration files that the start-up must survive.

Each file is used by the tests as the folders file, the main configuration file, the user
options file and the language file in turn. Run from anywhere; the output replaces
tests/app/malformed/. The corpus is deterministic (fixed random seed).
"""
import os
import random
import shutil

OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "malformed")
BOM = b"\xff\xfe"


def utf16(text):
    return BOM + text.encode("utf-16-le")


def crlf(lines):
    return "\r\n".join(lines) + "\r\n"


def main():
    rng = random.Random(20261206)
    files = {}

    files["empty"] = b""
    files["bom_only"] = BOM
    files["single_byte"] = b"\xff"
    files["utf16_big_endian"] = b"\xfe\xff" + "[Default]\r\nFolders=1\r\n".encode("utf-16-be")
    files["utf8_with_bom"] = b"\xef\xbb\xbf" + "[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=C:\\\r\n".encode()
    files["ansi_plain"] = b"[Default]\r\nFolders=1\r\n[Folders_0]\r\nFolderPresentationType=2\r\n"
    files["ansi_high_bytes"] = b"[Default]\r\nLanguage=\xe9\xe8\xff\xfe\r\nFolders=1\r\n"
    valid = crlf(["[Default]", "Folders=1", "[Folders_0]", "FolderPresentationType=2", "Path=C:\\",
                  "InclusionFilters=*.exe", "[Pathwren]", "SingleUser=1", "bRunAtStartup=0", "[LaunchBar]",
                  "IconSize=32", "[Language]", "Exit=Quitter"])
    encoded = utf16(valid)
    for cut in (3, 11, 51, len(encoded) // 2 + 1, len(encoded) - 1):
        files["truncated_mid_character_%d" % cut] = encoded[:cut if cut % 2 else cut + 1]
    for index in range(12):
        size = rng.choice([1, 7, 64, 513, 4096, 20000])
        body = bytes(rng.randrange(256) for _ in range(size))
        files["random_%02d" % index] = (BOM if index % 2 else b"") + body
    for index in range(6):
        text = "".join(rng.choice("[]=\r\n;#_ abcZ019\t\x00\u00e9\u4e2d") for _ in range(rng.choice([50, 500, 5000])))
        files["random_ini_characters_%02d" % index] = utf16(text)

    counts = ["4294967295", "-1", "2147483647", "99999999999999999999", "-99999999999", "0x10", "1e9", "abc", ""]
    for index, count in enumerate(counts):
        files["folders_count_%d" % index] = utf16(crlf(["[Default]", "Folders=" + count, "[Folders_0]",
                                                         "FolderPresentationType=2", "Path=C:\\"]))
    for index, count in enumerate(counts[:5]):
        files["merged_count_%d" % index] = utf16(crlf([
            "[Default]", "Folders=1", "[Folders_0]", "FolderPresentationType=3", "DisplayName=Merged",
            "MultipleDirectoriesNumber=" + count, "Directory_0=C:\\", "Directory_1=C:\\windows"]))
        files["icon_positions_count_%d" % index] = utf16(crlf([
            "[Default]", "Folders=1", "[Folders_0]", "FolderPresentationType=2", "Path=C:\\",
            "NbIconsInHomeFolder=" + count, "HomeFolderItemName_0=a", "HomeFolderItemPosX_0=1"]))

    out_of_range = ["FolderPresentationType=77", "FolderViewMode=-5", "ZOrder=4294967295", "BrowserWidth=-100000",
                    "BrowserHeight=99999999999", "HotKeyModifier=255", "HotKeyVirtualKey=70000",
                    "FoldersPositionInPopupMenu=9", "BackgroundType=12", "HotCornerWidth=-8", "TextColor=-1"]
    files["item_values_out_of_range"] = utf16(crlf(["[Default]", "Folders=1", "[Folders_0]", "Path=C:\\"]
                                                   + out_of_range))
    files["options_values_out_of_range"] = utf16(crlf([
        "[Pathwren]", "SingleUser=17", "bRunAtStartup=0", "[Default]", "LaunchMode=99", "bUseSkin=7",
        "SkinName=..\\..\\..\\nowhere", "Language=" + "L" * 300, "[LaunchBar]", "IconSize=4294967295",
        "Opacity=1000", "MinWidth=-1", "Position=200", "ScreenIndex=55"]))
    # Type 3 keeps the start silent: its over-long Path is never resolved, so no missing-folder box.
    files["very_long_values"] = utf16(crlf(["[Default]", "Folders=1", "[Folders_0]", "FolderPresentationType=3",
                                            "Path=" + "p" * 5000, "MultipleDirectoriesNumber=1",
                                            "Directory_0=" + "q" * 5000, "MergedMenuName_0=" + "m" * 900,
                                            "InclusionFilters=" + "*.x;" * 3000, "DisplayName=" + "d" * 4000,
                                            "[Language]", "Exit=" + "x" * 5000, "[Pathwren]",
                                            "SingleUser=" + "1" * 400]))
    files["section_name_300"] = utf16(crlf(["[" + "S" * 300 + "]", "Folders=3", "[Default]", "Folders=1"]))
    files["keys_without_values"] = utf16(crlf(["[Default]", "Folders", "=", "==", "[Folders_0]", "Path",
                                               "FolderPresentationType"]))
    files["unclosed_sections"] = utf16(crlf(["[Default", "Folders=1", "[Folders_0", "Path=C:\\", "[", "]"]))
    files["nul_characters"] = utf16("[Default]\r\nFol\x00ders=1\r\n[Folders_0]\r\nPath=C:\\\x00\\\r\n")
    files["duplicate_sections"] = utf16(crlf(["[Default]", "Folders=1", "[Default]", "Folders=2", "[Folders_0]",
                                              "Path=C:\\", "[Folders_0]", "Path=D:\\nowhere"]))
    files["lone_surrogates"] = BOM + "[Default]\r\nFolders=1\r\n[Folders_0]\r\nDisplayName=".encode("utf-16-le") \
        + b"\x00\xd8\x00\xd8" + "\r\n".encode("utf-16-le")
    files["only_newlines"] = utf16("\r\n" * 10000)
    files["many_sections"] = utf16(crlf(["[S%d]\r\nk=v" % i for i in range(3000)]))

    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    for name, data in sorted(files.items()):
        with open(os.path.join(OUT, name + ".ini"), "wb") as handle:
            handle.write(data)
    print("%d files written to %s" % (len(files), OUT))


if __name__ == "__main__":
    main()
