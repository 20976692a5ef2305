"""The translator check run on copies of the shipped language files, each spoiled in one way."""

import contextlib
import io
import os
import shutil
import sys
import tempfile
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tools"))
import check_translations  # noqa: E402


def read_text(path):
    with open(path, "rb") as stream:
        return stream.read()[2:].decode("utf-16-le")


def write_text(path, text, byte_order_mark=b"\xff\xfe", encoding="utf-16-le"):
    with open(path, "wb") as stream:
        stream.write(byte_order_mark + text.encode(encoding))


class TranslationCheck(unittest.TestCase):
    def setUp(self):
        self.directory = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.directory)
        source = os.path.join(ROOT, "res", "Languages")
        for name in os.listdir(source):
            shutil.copy(os.path.join(source, name), self.directory)

    def run_check(self):
        output = io.StringIO()
        with contextlib.redirect_stdout(output):
            status = check_translations.main(["--root", ROOT, "--languages", self.directory])
        return status, output.getvalue()

    def edit(self, name, old, new):
        path = os.path.join(self.directory, name)
        text = read_text(path)
        self.assertIn(old, text)
        write_text(path, text.replace(old, new, 1))

    def set_values(self, *changes):
        """Gives each (file, key, text) its new text."""
        for name, key, text in changes:
            path = os.path.join(self.directory, name)
            lines = read_text(path).split("\r\n")
            at = next((i for i, line in enumerate(lines) if line.startswith(key + "=")), None)
            self.assertIsNotNone(at, f"{name} has no {key}")
            lines[at] = f"{key}={text}"
            write_text(path, "\r\n".join(lines))

    def assert_fails_naming(self, *words):
        status, output = self.run_check()
        self.assertEqual(1, status, output)
        line = next((l for l in output.splitlines() if all(w in l for w in words)), None)
        self.assertIsNotNone(line, f"no line names {words}:\n{output}")

    def test_the_shipped_files_pass(self):
        status, output = self.run_check()
        self.assertEqual(0, status, output)
        self.assertIn("9 language files", output)

    def test_a_missing_an_unknown_or_a_doubled_key_fails_naming_file_and_key(self):
        self.edit("Deutsch.ini", "Exit=Beenden\r\n", "")
        self.edit("Français.ini", "Help=Aide\r\n", "Help=Aide\r\nHelpMe=Au secours\r\n")
        self.edit("日本語.ini", "Close=閉じる\r\n", "Close=閉じる\r\nClose=閉じる\r\n")
        self.assert_fails_naming("Deutsch.ini", "Exit", "missing")
        self.assert_fails_naming("Français.ini", "HelpMe", "not a key")
        self.assert_fails_naming("日本語.ini", "Close", "twice")

    def test_placeholders_must_match_english_in_number_type_and_order(self):
        self.set_values(*((name, "FolderNotFound", text) for name, text in (
            ("English.ini", "Folder %s not found (%d)"),
            ("Deutsch.ini", "Ordner %s fehlt (%d)"),
            ("Italiano.ini", "Cartella (%d) %s mancante"),
            ("Español.ini", "Falta %s"),
            ("Русский.ini", "Папка %u не найдена (%d)"),
            ("简体中文.ini", "找不到 %s (%d) 100%%"))))
        status, output = self.run_check()
        # Order, number, type, and none at all where English has two.
        for name in ("Italiano.ini", "Español.ini", "Русский.ini", "Français.ini"):
            self.assertIn(f"{name}: FolderNotFound: placeholders", output)
        # The same two in the same order, with a plain percent sign beside them.
        self.assertNotIn("Deutsch.ini", output)
        self.assertNotIn("简体中文.ini", output)
        self.assertEqual(1, status)

    def test_a_text_longer_than_its_buffer_fails(self):
        self.edit("Deutsch.ini", "Exit=Beenden", "Exit=" + "B" * 64)
        self.edit("Русский.ini", "Exit=Выход", "Exit=" + "В" * 63)  # exactly fits 64 with the terminator
        status, output = self.run_check()
        self.assertIn("Deutsch.ini: Exit: 64 characters, but its buffer holds 63", output)
        self.assertNotIn("Русский.ini", output)
        self.assertEqual(1, status)

    def test_only_utf16_little_endian_with_its_mark_is_accepted(self):
        english = read_text(os.path.join(self.directory, "Italiano.ini"))
        write_text(os.path.join(self.directory, "Italiano.ini"), english, b"")
        write_text(os.path.join(self.directory, "Deutsch.ini"), english, b"\xfe\xff", "utf-16-be")
        write_text(os.path.join(self.directory, "Español.ini"), english, b"\xef\xbb\xbf", "utf-8")
        for name in ("Italiano.ini", "Deutsch.ini", "Español.ini"):
            self.assert_fails_naming(name, "UTF-16LE")

    def test_mnemonics_follow_english(self):
        # English marks none, so a translation may not either: the dialog places them itself.
        self.edit("Deutsch.ini", "Language=Sprache", "Language=&Sprache")
        self.edit("Français.ini", "Or=ou le", "Or=ou && le")  # a shown ampersand is no mark
        status, output = self.run_check()
        self.assertIn("Deutsch.ini: Language: marks a mnemonic", output)
        self.assertNotIn("Français.ini", output)
        self.assertEqual(1, status)

    def test_marked_mnemonics_may_not_repeat_on_one_options_page_or_menu(self):
        # With English marking them, the pages and the menu come from the sources: Language and
        # Skin share the application page, Exit and Options the item menu, Width and Opacity do not
        # share a page (browsing options and launch bar).
        self.set_values(("English.ini", "Language", "&Language"),
                        *(("Deutsch.ini", key, text) for key, text in (
                            ("Language", "&Sprache"), ("Skin", "&Skin"), ("Exit", "&Beenden"),
                            ("Options", "Optionen (&b)"), ("Width", "&Breite"), ("Opacity", "&Deckkraft"),
                            ("Height", "&Höhe"))))
        status, output = self.run_check()
        lines = [l for l in output.splitlines() if l.startswith("Deutsch.ini")]
        self.assertEqual(2, len(lines), output)
        self.assertIn("Skin: mnemonic 's' is also used by Language on the options page of IDC_APPLICATION_GROUP",
                      output)
        self.assertIn("mnemonic 'b' is also used by Options on the item context menu", output)
        self.assertEqual(1, status)

    def test_english_must_hold_every_key_the_program_declares(self):
        for name in os.listdir(self.directory):
            path = os.path.join(self.directory, name)
            write_text(path, read_text(path).replace("Merged=", "Mixed="))
        self.assert_fails_naming("English.ini", "Merged", "config/Language.h declares it")


if __name__ == "__main__":
    unittest.main()
