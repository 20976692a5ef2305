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

    # Encodings the profile functions see as ANSI: only FF FE makes a file UTF-16.
    plain = "[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=C:\\\r\nDisplayName=Caf\u00e9\r\n"
    files["utf8_without_bom"] = plain.encode("utf-8")
    files["utf16_without_bom"] = plain.encode("utf-16-le")
    files["utf16_big_endian_without_bom"] = plain.encode("utf-16-be")
    files["ansi_cp1252"] = plain.encode("cp1252")
    files["ansi_comments_and_unknown_keys"] = crlf(["; written by hand", "[Default]", "# not a comment to the API",
                                                    "Folders=1", "Unknown=kept", "[Folders_0]", ";Path=D:\\",
                                                    "Path=C:\\"]).encode("cp1252")
    files["line_10_megabytes"] = b"[Default]\r\nFolders=1\r\n[Folders_0]\r\nPath=" + b"x" * (10 * 1024 * 1024) \
        + b"\r\nFolderPresentationType=3\r\n"
    files["sections_100000"] = utf16("".join("[S%d]\r\nk=%d\r\n" % (i, i) for i in range(100000))
                                     + "[Default]\r\nFolders=0\r\n")
    for name, count in (("zero", "0"), ("max_unsigned", "4294967295"), ("minus_one", "-1"),
                        ("thirty_digits", "123456789012345678901234567890"), ("negative", "-2147483648"),
                        ("plus_sign", "+2"), ("hex", "0x2"), ("upper_hex", "0X2"), ("octal", "0o2"),
                        ("binary", "0b10"), ("leading_blanks", " \t 2"), ("quoted", '"2"'), ("trailing_text", "2abc")):
        files["count_" + name] = utf16(crlf(["[Default]", "Folders=" + count, "[Folders_0]", "Path=C:\\",
                                             "[Folders_1]", "FolderPresentationType=3", "DisplayName=Second"]))
    numbers = ["-1", "-0", "99999999999999999999999999999", "-99999999999999999999999999999", "4294967296",
               "2147483648", "  42  ", '"7"', "'7'", "0x", "0xFFFFFFFF", "0b", "--1", "+-1", "1e3", "\u0661\u0662"]
    for index, number in enumerate(numbers):
        files["number_%02d" % index] = utf16(crlf(["[Default]", "Folders=1", "[Folders_0]", "FolderPresentationType=2",
                                                   "Path=C:\\", "FolderViewMode=" + number, "TextColor=" + number,
                                                   "HotCornerWidth=" + number]))
    body = ["[Default]", "Folders=2", "[Folders_0]", "Path=C:\\", "DisplayName=One", "[Folders_1]",
            "FolderPresentationType=3", "DisplayName=Two"]
    files["line_ends_cr_only"] = utf16("\r".join(body) + "\r")
    files["line_ends_lf_only"] = utf16("\n".join(body))
    files["line_ends_mixed"] = utf16("".join(line + ("\r", "\n", "\r\n", "\n\r", "\r\r\n")[i % 5]
                                             for i, line in enumerate(body)))
    files["line_ends_mixed_ansi"] = "".join(line + ("\n", "\r", "\r\n")[i % 3] for i, line in enumerate(body)).encode()
    quotes = ['"unterminated', "'unterminated", '"', "'", '""', "''", '"a"b"', "'a'", "\"a'", ' "spaced" ',
              '"C:\\"', "'" * 3]
    for index, quoted in enumerate(quotes):
        files["quotes_%02d" % index] = utf16(crlf(["[Default]", "Folders=1", "[Folders_0]", "FolderPresentationType=3",
                                                   "DisplayName=" + quoted, "InclusionFilters=" + quoted,
                                                   "[Language]", "Exit=" + quoted]))
    files["duplicate_keys"] = utf16(crlf(["[Default]", "Folders=1", "Folders=3", "[Folders_0]", "DisplayName=first",
                                          "FolderPresentationType=3", "displayname=second", "DISPLAYNAME=third"]))
    files["duplicate_sections_second_only"] = utf16(crlf(["[Default]", "Folders=1", "[Folders_0]",
                                                          "FolderPresentationType=3", "[folders_0]",
                                                          "DisplayName=never read", "[DEFAULT]", "Folders=2"]))
    files["section_case_and_blanks"] = utf16(crlf(["[ Default ]", "Folders=2", "[default]", "Folders=1",
                                                   "[FOLDERS_0]  ", "  FolderPresentationType = 3 ",
                                                   "\tDisplayName\t=\t spaced \t"]))
    files["section_without_bracket"] = utf16(crlf(["[Default", "Folders=1", "[Default]", "[Folders_0",
                                                   "FolderPresentationType=3", "[Folders_0]]", "DisplayName=x"]))
    files["section_text_after_bracket"] = utf16(crlf(["[Default] ; comment", "Folders=1", "[Folders_0]]]",
                                                      "FolderPresentationType=3", "[a]b]", "k=v", "[]", "k=empty"]))
    files["keys_before_any_section"] = utf16(crlf(["Folders=1", "FolderPresentationType=3", "[Default]",
                                                   "Folders=0"]))
    files["nameless_entries"] = utf16(crlf(["[Default]", "=1", "=2", " = 3", "Folders=1", "=4", "[Folders_0]",
                                            "=", "FolderPresentationType=3"]))
    files["unicode_blanks"] = utf16(crlf(["\u3000[Default]\u00a0", "Folders\u2003=\u20051", "[Folders_0]",
                                          "FolderPresentationType=\u00853", "DisplayName=\u200bzero width",
                                          "\x1a", "Path=\x1aC:\\\x1a"]))
    files["unicode_case"] = utf16(crlf(["[Default]", "Folders=1", "[Folders_0]", "FolderPresentationType=3",
                                        "[\u00c9t\u00e9]", "\u0413\u043e\u0440=1", "\u0434\u043e\u043c=2",
                                        "[\u00e9t\u00e9]", "k=3", "[\u0130I]", "k=4", "[\u0131i]", "k=5"]))
    files["nul_in_names"] = utf16("[Def\x00x]\r\nFolders=1\r\n[Default]\r\nFol\x00ders=1\r\n[Folders_0]\r\n"
                                  "Display\x00Name=x\r\nFolderPresentationType=3\x004\r\n")
    files["control_characters"] = utf16(crlf(["[Default]", "Folders=\x011", "[Folders_0]",
                                              "FolderPresentationType=\x1f3", "DisplayName=\x07bell\x1c"]))
    files["odd_length_utf16"] = utf16(crlf(["[Default]", "Folders=1", "[Folders_0]", "FolderPresentationType=3"]))[:-1]
    files["count_with_missing_sections"] = utf16(crlf(["[Default]", "Folders=5", "[Folders_0]", "Path=C:\\",
                                                       "[Folders_3]", "FolderPresentationType=3"]))
    for index in range(80):
        lines = []
        for _ in range(rng.randrange(1, 40)):
            kind = rng.randrange(6)
            name = rng.choice(["Default", "Folders_0", "Folders_1", "Language", "Pathwren", "LaunchBar", "x", ""])
            # No "Path": a well-formed item on a folder that does not exist rightly shows a message box.
            key = rng.choice(["Folders", "FolderPresentationType", "DisplayName", "MultipleDirectoriesNumber",
                              "Directory_0", "Exit", "SingleUser", "IconSize", ";c", "", "k"])
            value = rng.choice(["1", "-1", "3", "C:\\", '"q"', "'", "", "4294967295", "0x10", " 2 ", "\u00e9"])
            pad = rng.choice(["", " ", "\t", "  "])
            if kind == 0:
                lines.append(pad + "[" + pad + name + pad + rng.choice(["]", "", "]x", "]]"]) + pad)
            elif kind == 1:
                lines.append(pad + key)
            else:
                lines.append(pad + key + pad + "=" + pad + value + pad)
        end = rng.choice(["\r\n", "\n", "\r"])
        text = end.join(lines) + rng.choice(["", end])
        files["random_structured_%02d" % index] = utf16(text) if index % 3 else text.encode("cp1252", "replace")

    shutil.rmtree(OUT, ignore_errors=True)
    os.makedirs(OUT)
    for name, data in sorted(files.items()):
        with open(os.path.join(OUT, name + ".ini"), "wb") as handle:
            handle.write(data)
    print("%d files written to %s" % (len(files), OUT))


if __name__ == "__main__":
    main()
