#!/usr/bin/env python3
"""Checks the language files in res/Languages against English.ini and the program's sources.

Every file must be UTF-16LE with a byte order mark (what the program reads and writes), hold the
section "Language" with exactly the keys of English.ini, each text short enough for its buffer in
config/Language.h, with the same printf placeholders as English in the same order, and follow
English's rule for mnemonics: where English marks none ("&" before a letter) the program places
them itself; where it marks them, no letter may be used twice on one options page or one menu.
The pages and menus are read from the sources, so a control moved to another page is checked
where it now is.

Prints one line per problem, naming the file and the key, and exits with 1 when there is any.
    tools/check_translations.py [--root DIRECTORY] [--languages DIRECTORY]
"""

import argparse
import os
import re
import sys

SECTION = "Language"
BYTE_ORDER_MARK = b"\xff\xfe"

# printf conversions as the program's formatting functions read them; "%%" is a plain percent.
PLACEHOLDER = re.compile(r"%(?:%|[-+ #0]*(?:\d+|\*)?(?:\.(?:\d+|\*))?(?:hh|h|ll|l|L|z|j|t|I64|I32|I)?[diouxXeEfFgGaAcsSpn])")
# A mnemonic mark: "&" before anything but another "&" ("&&" shows one ampersand).
MNEMONIC = re.compile(r"&(?!&)(\w)")


class Problems:
    def __init__(self):
        self.lines = []

    def add(self, file_name, key, text):
        where = f"{file_name}: {key}: " if key else f"{file_name}: "
        self.lines.append(where + text)


def read_language_file(path, problems):
    """The file's keys and texts in file order, or None when it cannot be read as a language file."""
    name = os.path.basename(path)
    with open(path, "rb") as stream:
        data = stream.read()
    if not data.startswith(BYTE_ORDER_MARK):
        problems.add(name, None, "not UTF-16LE with a byte order mark (FF FE)")
        return None
    try:
        text = data[len(BYTE_ORDER_MARK):].decode("utf-16-le")
    except UnicodeDecodeError as error:
        problems.add(name, None, f"not valid UTF-16LE ({error.reason} at byte {error.start + 2})")
        return None
    entries = []
    section = None
    for line in text.splitlines():
        stripped = line.strip()
        if not stripped or stripped.startswith(";"):
            continue
        if stripped.startswith("[") and stripped.endswith("]"):
            section = stripped[1:-1].strip()
            continue
        if section is None or section.lower() != SECTION.lower():
            continue
        key, equals, value = line.partition("=")
        if not equals:
            problems.add(name, stripped, "a line without '='")
            continue
        entries.append((key.strip(), value))
    if section is None:
        problems.add(name, None, f'no section "[{SECTION}]"')
        return None
    return entries


def read_buffer_sizes(root):
    """Key -> characters its buffer holds, terminator included, from config/Language.h."""
    with open(os.path.join(root, "config", "Language.h"), encoding="utf-8") as stream:
        source = stream.read()
    return {key: int(size) for key, size in re.findall(r"KEY\((\w+),\s*(\d+)\)", source)}


def read_resource_numbers(root):
    with open(os.path.join(root, "res", "resource.h"), encoding="utf-8") as stream:
        numbers = {name: int(value) for name, value in re.findall(r"#define\s+(\w+)\s+(\d+)", stream.read())}
    numbers.update({"IDOK": 1, "IDCANCEL": 2})
    return numbers


def read_dialog_controls(root, dialog):
    """The numbers of the dialog template's controls in order, each with whether it starts a group."""
    with open(os.path.join(root, "res", "Pathwren.rc"), encoding="utf-8") as stream:
        script = stream.read()
    body = re.search(dialog + r"\s+DIALOGEX.*?\nBEGIN\n(.*?)\nEND", script, re.S).group(1)
    controls = []
    for line in body.splitlines():
        match = re.match(r'\s*CONTROL\s+"[^"]*",\s*(\d+),\s*"[^"]*",\s*([^,]*)', line)
        if match:
            controls.append((int(match.group(1)), "WS_GROUP" in match.group(2)))
    return controls


def group_members(controls, first):
    """The control and those after it up to the next one that starts a group, as the dialog walks them."""
    numbers = [number for number, _ in controls]
    if first not in numbers:
        return []
    start = numbers.index(first)
    members = [first]
    for number, starts_group in controls[start + 1:]:
        if starts_group:
            break
        members.append(number)
    return members


def read_options_pages(root):
    """Each options page as its name and the language keys of its controls, the OK and Cancel buttons included."""
    with open(os.path.join(root, "options", "OptionsLanguage.cpp"), encoding="utf-8") as stream:
        source = stream.read()
    numbers = read_resource_numbers(root)
    controls = read_dialog_controls(root, "IDD_OPTIONS")
    keys_by_control = {}
    for control, key in re.findall(r"\{(\w+),\s*LANGUAGE_TEXT\((\w+)\)\}", source):
        keys_by_control.setdefault(numbers.get(control), []).append(key)
    frame_keys = keys_by_control.get(numbers["IDOK"], []) + keys_by_control.get(numbers["IDCANCEL"], [])
    pages_source = re.search(r"kMnemonicPages\[\]\s*=\s*\{(.*?)\};", source, re.S).group(1)
    pages = []
    for page in re.findall(r"\{([^{}]*)\}", pages_source):
        groups = re.findall(r"\w+", page)
        keys = list(frame_keys)
        for group in groups:
            for control in group_members(controls, numbers.get(group)):
                keys += keys_by_control.get(control, [])
        pages.append((f"options page of {groups[0]}", keys))
    return pages


def read_menus(root):
    """The context menu of the item containers as a name and its language keys, in menu order."""
    with open(os.path.join(root, "containers", "ContainerBase.cpp"), encoding="utf-8") as stream:
        source = stream.read()
    keys = re.findall(r"return l\.(\w+);", source)
    return [("item context menu", keys)]


def placeholders(text):
    return [found for found in PLACEHOLDER.findall(text) if found != "%%"]


def mnemonic_letter(text):
    match = MNEMONIC.search(text)
    return match.group(1).lower() if match else None


def check_mnemonics(name, texts, english_marks_mnemonics, groups, problems):
    if not english_marks_mnemonics:
        for key, text in texts.items():
            if mnemonic_letter(text):
                problems.add(name, key, "marks a mnemonic with '&', but English marks none: the program places them")
        return
    for group_name, keys in groups:
        owner = {}
        for key in dict.fromkeys(keys):  # a key shown twice on a page is one text
            letter = mnemonic_letter(texts.get(key, ""))
            if letter is None:
                continue
            if letter in owner:
                problems.add(name, key, f"mnemonic '{letter}' is also used by {owner[letter]} on the {group_name}")
            else:
                owner[letter] = key


def check_file(path, english, sizes, english_marks_mnemonics, groups, problems):
    name = os.path.basename(path)
    entries = read_language_file(path, problems)
    if entries is None:
        return
    texts = {}
    for key, value in entries:
        if key in texts:
            problems.add(name, key, "appears twice")
        texts[key] = value
    for key in english:
        if key not in texts:
            problems.add(name, key, "missing (English has it)")
    for key, text in texts.items():
        if key not in english:
            problems.add(name, key, "not a key of English.ini")
            continue
        expected = placeholders(english[key])
        found = placeholders(text)
        if found != expected:
            problems.add(name, key, f"placeholders {found or 'none'} differ from English's {expected or 'none'}")
        size = sizes.get(key)
        if size is not None and len(text) > size - 1:
            problems.add(name, key, f"{len(text)} characters, but its buffer holds {size - 1}")
    check_mnemonics(name, texts, english_marks_mnemonics, groups, problems)


def main(arguments):
    parser = argparse.ArgumentParser(description="Checks the language files against English.ini.")
    repository = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser.add_argument("--root", default=repository, help="the source tree whose code is read")
    parser.add_argument("--languages", help="the language files' directory (default: ROOT/res/Languages)")
    options = parser.parse_args(arguments)
    languages = options.languages or os.path.join(options.root, "res", "Languages")

    problems = Problems()
    sizes = read_buffer_sizes(options.root)
    english_entries = read_language_file(os.path.join(languages, "English.ini"), problems)
    if english_entries is None:
        print("\n".join(problems.lines))
        return 1
    english = dict(english_entries)
    # English is the reference every translation is held to, so it must itself hold every key the program reads.
    for key in sizes:
        if key not in english:
            problems.add("English.ini", key, "missing (config/Language.h declares it)")
    for key in english:
        if key not in sizes:
            problems.add("English.ini", key, "not declared in config/Language.h")
    english_marks_mnemonics = any(mnemonic_letter(text) for text in english.values())
    groups = read_options_pages(options.root) + read_menus(options.root)

    files = sorted(f for f in os.listdir(languages) if f.lower().endswith(".ini"))
    for file_name in files:
        check_file(os.path.join(languages, file_name), english, sizes, english_marks_mnemonics, groups, problems)
    if problems.lines:
        print("\n".join(problems.lines))
        return 1
    print(f"{len(files)} language files checked: every key, placeholder and mnemonic as English.ini has them.")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
