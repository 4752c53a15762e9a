#!/usr/bin/env python3
"""Generates the two shipped dictionaries of the word-list builder and their copyright notices.

Usage: gen_dictionaries.py [--words PATH] [--jieba PATH] [--zh-count N] [--out FOLDER] [--check]

  en.dct                      every word of Debian's wamerican list (/usr/share/dict/american-english)
                              made of the letters a-z only (no capitals, apostrophes or accents),
                              sorted byte-wise, without duplicates
  zh-cn.dct                   the N (default 10,000) most frequent words of 2 to 4 Chinese characters
                              of the word-frequency list that Debian's python3-jieba ships
                              (jieba/dict.txt), most frequent first, ties in the list's order; only
                              words whose every character is a Han ideograph of GB 2312 are kept, so
                              the words are Simplified Chinese and every character has a GBK code
                              and a pinyin reading
  dictionaries-copyright.txt  the Debian copyright files of both packages, verbatim

Both dictionaries are UTF-8, one entry per line, each line ended by LF. Only the data files of the
packages are read (the jieba package's code is neither imported nor run), and only the Python
standard library is used.

With --check the files are generated into a temporary folder and compared with those in the output
folder: exit status 0 when they match, 1 when they differ, 77 when a source file is missing.
"""

import argparse
import filecmp
import os
import re
import sys
import tempfile
import unicodedata

DEFAULT_WORDS = "/usr/share/dict/american-english"
DEFAULT_JIEBA = "/usr/lib/python3/dist-packages/jieba/dict.txt"
WORDS_COPYRIGHT = "/usr/share/doc/wamerican/copyright"
JIEBA_COPYRIGHT = "/usr/share/doc/python3-jieba/copyright"

DEFAULT_ZH_COUNT = 10000
ZH_MIN_CHARS, ZH_MAX_CHARS = 2, 4

ENGLISH_WORD = re.compile(r"[a-z]+")


class MissingSource(Exception):
    pass


def read_lines(path):
    if not os.path.isfile(path):
        raise MissingSource(path)
    with open(path, encoding="utf-8") as source:
        return source.read().splitlines()


def english_words(lines):
    return sorted({line for line in lines if ENGLISH_WORD.fullmatch(line)})


def is_simplified_han(char):
    if not unicodedata.name(char, "").startswith("CJK UNIFIED IDEOGRAPH"):
        return False
    try:
        # GB 2312 holds the Simplified characters only; it is a subset of GBK.
        char.encode("gb2312")
        char.encode("gbk")
    except UnicodeEncodeError:
        return False
    return True


def chinese_words(lines, count):
    """Picks the most frequent words from lines of the form "word frequency [tag]"."""
    candidates = []
    seen = set()
    for order, line in enumerate(lines):
        fields = line.split()
        if len(fields) < 2 or not fields[1].isdigit():
            continue
        word, frequency = fields[0], int(fields[1])
        if not ZH_MIN_CHARS <= len(word) <= ZH_MAX_CHARS or word in seen:
            continue
        if not all(is_simplified_han(char) for char in word):
            continue
        seen.add(word)
        candidates.append((-frequency, order, word))
    candidates.sort()
    return [word for _, _, word in candidates[:count]]


def write_lines(path, lines):
    with open(path, "w", encoding="utf-8", newline="\n") as target:
        for line in lines:
            target.write(line + "\n")


def write_copyright(path):
    parts = [
        ("en.dct", "wamerican", WORDS_COPYRIGHT),
        ("zh-cn.dct", "python3-jieba (its file jieba/dict.txt)", JIEBA_COPYRIGHT),
    ]
    with open(path, "w", encoding="utf-8", newline="\n") as target:
        for index, (file_name, package, copyright_path) in enumerate(parts):
            if index > 0:
                target.write("\n")
            target.write("=" * 78 + "\n")
            target.write(f"{file_name} is derived from the Debian package {package}.\n")
            target.write(f"The package's copyright file ({copyright_path}) follows.\n")
            target.write("=" * 78 + "\n\n")
            target.write("\n".join(read_lines(copyright_path)) + "\n")


def generate(args, out):
    english = english_words(read_lines(args.words))
    chinese = chinese_words(read_lines(args.jieba), args.zh_count)
    if len(chinese) < args.zh_count:
        print(f"warning: only {len(chinese)} Chinese words found", file=sys.stderr)
    write_lines(os.path.join(out, "en.dct"), english)
    write_lines(os.path.join(out, "zh-cn.dct"), chinese)
    write_copyright(os.path.join(out, "dictionaries-copyright.txt"))
    return len(english), len(chinese)


OUTPUT_FILES = ["en.dct", "zh-cn.dct", "dictionaries-copyright.txt"]


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description="Generates data/en.dct and data/zh-cn.dct.")
    parser.add_argument("--words", default=DEFAULT_WORDS, help="the wamerican word list")
    parser.add_argument("--jieba", default=DEFAULT_JIEBA, help="jieba's word-frequency file dict.txt")
    parser.add_argument("--zh-count", type=int, default=DEFAULT_ZH_COUNT, help="Chinese words to keep")
    parser.add_argument("--out", default=os.path.join(here, "..", "data"), help="output folder")
    parser.add_argument("--check", action="store_true", help="compare with the files in the output folder")
    args = parser.parse_args()
    if args.zh_count < 1:
        parser.error("--zh-count must be positive")

    try:
        if not args.check:
            english, chinese = generate(args, args.out)
            print(f"en.dct: {english} words, zh-cn.dct: {chinese} words")
            return 0
        with tempfile.TemporaryDirectory() as scratch:
            generate(args, scratch)
            differing = [
                name
                for name in OUTPUT_FILES
                if not os.path.isfile(os.path.join(args.out, name))
                or not filecmp.cmp(os.path.join(scratch, name), os.path.join(args.out, name), shallow=False)
            ]
    except MissingSource as missing:
        print(f"source file missing: {missing}", file=sys.stderr)
        return 77
    if differing:
        print("differs from the generator's output: " + ", ".join(differing), file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
