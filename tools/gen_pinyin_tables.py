#!/usr/bin/env python3
"""Generates the pinyin reading table and the GBK code table compiled into the core library.

Usage: gen_pinyin_tables.py [--unihan PATH] [--out FOLDER] [--check]

Reads the Mandarin readings of the Unihan database (Unihan_Readings.txt.bz2, Unicode 15.0 as
Debian's unicode-data package ships it) and Python's 'gbk' codec, and writes two C++ sources:

  PinyinReadingTable.cpp  the 405-entry syllable table and the 24,066-slot reading table, plus
                          what reading word by word adds: the syllables the 400 lack that Unihan
                          gives some character (fo, gei, lia, ...), and the characters whose
                          kMandarin reading is one of them (给 gei), read so when they stand alone
  GbkTable.cpp            the Unicode code point of every GBK double-byte code

Slot (lead, trail) of both tables sits at (lead - 0x81) * 191 + (trail - 0x40), lead 0x81..0xFE,
trail 0x40..0xFE. Only the Python standard library is used, so the output depends on nothing but
the Unihan file and the codec.

With --check the tables are generated into a temporary folder and compared with the files in the
output folder: exit status 0 when they match, 1 when they differ, 77 when the Unihan file is missing.
"""

import argparse
import bz2
import filecmp
import os
import sys
import tempfile
import unicodedata

LEAD_FIRST, LEAD_LAST = 0x81, 0xFE
TRAIL_FIRST, TRAIL_LAST = 0x40, 0xFE
TRAILS_PER_LEAD = TRAIL_LAST - TRAIL_FIRST + 1  # 191
SLOT_COUNT = (LEAD_LAST - LEAD_FIRST + 1) * TRAILS_PER_LEAD  # 24,066

# The 400 toneless syllables the reading table may refer to (u-umlaut written v after l and n).
SYLLABLES = """
a ai an ang ao ba bai ban bang bao bei ben beng bi bian biao bie bin bing bo bu ca cai can cang
cao ce cen ceng cha chai chan chang chao che chen cheng chi chong chou chu chuai chuan chuang chui
chun chuo ci cong cou cu cuan cui cun cuo da dai dan dang dao de deng di dia dian diao die ding
diu dong dou du duan dui dun duo e ei en er fa fan fang fei fen feng fou fu ga gai gan gang gao
ge gen geng gong gou gu gua guai guan guang gui gun guo ha hai han hang hao he hei hen heng hong
hou hu hua huai huan huang hui hun huo ji jia jian jiang jiao jie jin jing jiong jiu ju juan jue
jun ka kai kan kang kao ke ken keng kong kou ku kua kuai kuan kuang kui kun kuo la lai lan lang
lao le lei leng li lian liang liao lie lin ling liu long lou lu luan lue lun luo lv m ma mai man
mang mao me mei men meng mi mian miao mie min ming miu mo mou mu n na nai nan nang nao ne nei nen
neng ni nian niang niao nie nin ning niu nong nou nu nuan nue nuo nv o ou pa pai pan pang pao pei
pen peng pi pian piao pie pin ping po pou pu qi qia qian qiang qiao qie qin qing qiong qiu qu quan
que qun ran rang rao re ren reng ri rong rou ru ruan rui run ruo sa sai san sang sao se sen seng
sha shai shan shang shao she shen sheng shi shou shu shua shuai shuan shuang shui shun shuo si
song sou su suan sui sun suo ta tai tan tang tao te teng ti tian tiao tie ting tong tou tu tuan
tui tun tuo wa wai wan wang wei wen weng wo wu xi xia xian xiang xiao xie xin xing xiong xiu xu
xuan xue xun ya yan yang yao ye yi yin ying yo yong you yu yuan yue yun za zai zan zang zao ze zei
zen zeng zha zhai zhan zhang zhao zhe zhen zheng zhi zhong zhou zhu zhua zhuai zhuan zhuang zhui
zhun zhuo zi zong zou zu zuan zui zun zuo
""".split()

# Five more entries complete the 405-entry table; no character refers to them. The interjection
# syllables are kept for completeness, the empty entry closes the table.
UNUSED_SYLLABLES = ["hm", "hng", "ng", "r"]

# The Unihan fields tried in this order; the first reading that is one of the 400 syllables wins.
# Only the first value of kMandarin counts (its second value is the Taiwan reading).
FIELDS = ["kMandarin", "kHanyuPinyin", "kXHC1983", "kTGHZ2013", "kHanyuPinlu"]

# Characters whose everyday reading is not the first one the fields give.
OVERRIDES = {
    "行": "hang",  # kMandarin gives xing; the table keeps the reading of 银行 and 行业
    "嗯": "en",  # the data gives only the syllabic nasals n and ng
}

# Readings that are not syllables a name should take: the erhua suffix (read er, as 儿 alone).
NOT_WORD_SYLLABLES = {"r"}

LEAD_ROWS_WITH_READINGS = list(range(0x81, 0xA1)) + list(range(0xAA, 0xB0)) + list(range(0xB0, 0xFE))

TONE_MARKS_KEPT = {"\u0308"}  # the diaeresis of u-umlaut; every other combining mark goes


class VersionMismatch(Exception):
    pass


def expected_header_version(text):
    for line in text.splitlines()[:10]:
        if line.startswith("# Unicode version:"):
            return line.split(":", 1)[1].strip()
    return None


def field_readings(field, value):
    """The readings of one Unihan field value, in the order they are listed."""
    if field == "kMandarin":
        return value.split()[:1]
    readings = []
    for item in value.split():
        if field == "kHanyuPinlu":
            readings.append(item.split("(", 1)[0])
        else:  # location[,location...]:reading[,reading...]
            readings.extend(item.rsplit(":", 1)[-1].split(","))
    return readings


def toneless(reading):
    """A reading without its tone, u-umlaut spelled as the syllable table spells it."""
    decomposed = unicodedata.normalize("NFD", reading.strip().lower())
    kept = "".join(ch for ch in decomposed if not unicodedata.combining(ch) or ch in TONE_MARKS_KEPT)
    text = unicodedata.normalize("NFC", kept)
    for initial in "ln":
        text = text.replace(initial + "ü", initial + "v")
    for initial in "jqxy":
        text = text.replace(initial + "ü", initial + "u")
    if text in ("lve", "nve"):
        text = text[0] + "ue"
    return text


def load_readings(path):
    with bz2.open(path, "rt", encoding="utf-8") as handle:
        text = handle.read()
    version = expected_header_version(text)
    if version is None or not version.startswith("15.0"):
        raise VersionMismatch(f"{path}: expected Unicode version 15.0, found {version!r}")
    fields = {}
    for line in text.splitlines():
        if not line or line.startswith("#"):
            continue
        code, field, value = line.split("\t", 2)
        if field in FIELDS:
            fields.setdefault(chr(int(code[2:], 16)), {})[field] = value
    return fields


def pick_syllable(entry, valid):
    for field in FIELDS:
        if field not in entry:
            continue
        for reading in field_readings(field, entry[field]):
            syllable = toneless(reading)
            if syllable in valid:
                return syllable
    return None


def all_syllables(entry):
    """The toneless syllables of every reading of every field, in field order."""
    return [toneless(reading) for field in FIELDS if field in entry
            for reading in (entry[field].split() if field == "kMandarin" else field_readings(field, entry[field]))]


def is_cjk_ideograph(ch):
    name = unicodedata.name(ch, "")
    return name.startswith("CJK UNIFIED IDEOGRAPH") or name.startswith("CJK COMPATIBILITY IDEOGRAPH")


def gbk_character(lead, trail):
    if trail == 0x7F:
        return None
    try:
        text = bytes([lead, trail]).decode("gbk")
    except UnicodeDecodeError:
        return None
    return text if len(text) == 1 else None


def build_tables(readings):
    table = sorted(SYLLABLES + UNUSED_SYLLABLES) + [""]
    assert len(table) == 405 and len(set(table)) == 405
    number = {syllable: index + 1 for index, syllable in enumerate(table)}
    valid = set(SYLLABLES)
    assert len(valid) == 400
    for syllable in OVERRIDES.values():
        assert syllable in valid

    reading_slots = [0] * SLOT_COUNT
    unicode_slots = [0] * SLOT_COUNT
    characters = {}  # slot -> character with a reading
    for lead in range(LEAD_FIRST, LEAD_LAST + 1):
        for trail in range(TRAIL_FIRST, TRAIL_LAST + 1):
            slot = (lead - LEAD_FIRST) * TRAILS_PER_LEAD + (trail - TRAIL_FIRST)
            ch = gbk_character(lead, trail)
            if ch is None:
                continue
            unicode_slots[slot] = ord(ch)
            if lead not in LEAD_ROWS_WITH_READINGS or not is_cjk_ideograph(ch):
                continue
            characters[slot] = ch
            syllable = OVERRIDES.get(ch) or pick_syllable(readings.get(ch, {}), valid)
            if syllable:
                reading_slots[slot] = number[syllable]

    # Word reading: the syllables the 400 lack, numbered after the table, and the characters whose
    # first kMandarin reading needs one of them.
    known = valid | set(UNUSED_SYLLABLES) | NOT_WORD_SYLLABLES
    extra = sorted({syllable for ch in characters.values() for syllable in all_syllables(readings.get(ch, {}))
                    if syllable not in known and syllable.isascii() and syllable.isalpha()})
    for syllable in extra:
        number[syllable] = len(number) + 1
    alone = []
    for slot, ch in sorted(characters.items()):
        mandarin = readings.get(ch, {}).get("kMandarin")
        if mandarin and ch not in OVERRIDES and toneless(mandarin.split()[0]) in extra:
            alone.append((slot, number[toneless(mandarin.split()[0])], ch))
    return table, reading_slots, unicode_slots, extra, alone


def wrap_numbers(values, indent="    ", width=118):
    """The values as C++ initialisers, comma-terminated, packed into lines of at most width bytes."""
    lines, line = [], indent
    for value in values:
        item = f"{value},"
        if len(line) + len(item) > width:
            lines.append(line)
            line = indent
        line += item
    if line.strip():
        lines.append(line)
    return "\n".join(lines)


HEADER = """// Generated by tools/gen_pinyin_tables.py from {source}.
// Do not edit: change the generator and run it again.
// clang-format off
"""


def write_reading_table(path, source, table, slots, extra, alone):
    count = sum(1 for value in slots if value)
    alone_lines = "\n".join(
        f"    {{0x{LEAD_FIRST + slot // TRAILS_PER_LEAD:02X}{TRAIL_FIRST + slot % TRAILS_PER_LEAD:02X}, {n}}}, // {ch}"
        for slot, n, ch in alone)
    text = HEADER.format(source=source) + f"""#include "core/chinese/ChineseToPinyin.h"

namespace cvt::pinyin {{

// Entry n (1..405) is kSyllables[n - 1].
const std::array<const char*, kSyllableCount> kSyllables = {{
{wrap_numbers([f'"{s}"' for s in table])}
}};

// {count} codes have a reading.
const std::array<std::uint16_t, kSlotCount> kReadings = {{
{wrap_numbers(slots)}
}};

// Syllable n (kSyllableCount + 1 onwards) of word reading is kWordSyllables[n - kSyllableCount - 1].
static_assert(kWordSyllableCount == {len(extra)} && kAloneReadingCount == {len(alone)}, "counts in ChineseToPinyin.h");
const std::array<const char*, kWordSyllableCount> kWordSyllables = {{
{wrap_numbers([f'"{s}"' for s in extra])}
}};

// Characters that read otherwise when they stand alone in word reading, sorted by code.
const std::array<AloneReading, kAloneReadingCount> kAloneReadings = {{{{
{alone_lines}
}}}};

}} // namespace cvt::pinyin
"""
    with open(path, "w", encoding="utf-8", newline="\n") as handle:
        handle.write(text)
    return count


def write_gbk_table(path, slots):
    # Each mapped slot holds the difference to the previous mapped slot's code point; 0 marks a
    # code that GBK leaves unassigned. Runs of consecutive code points become runs of 1.
    deltas, previous = [], 0
    for value in slots:
        if value:
            deltas.append(value - previous)
            previous = value
        else:
            deltas.append(0)
    text = HEADER.format(source="Python's gbk codec") + f"""#include "core/chinese/GbkCodec.h"

namespace cvt::gbk {{

// Code point of each double-byte code, stored as the difference to the previous assigned code's.
const std::array<std::int32_t, kSlotCount> kCodePointDeltas = {{
{wrap_numbers(deltas)}
}};

}} // namespace cvt::gbk
"""
    with open(path, "w", encoding="utf-8", newline="\n") as handle:
        handle.write(text)


OUTPUT_FILES = ("PinyinReadingTable.cpp", "GbkTable.cpp")
SKIPPED = 77


def generate(unihan, out):
    readings = load_readings(unihan)
    table, reading_slots, unicode_slots, extra, alone = build_tables(readings)
    os.makedirs(out, exist_ok=True)
    count = write_reading_table(os.path.join(out, OUTPUT_FILES[0]), "Unihan_Readings.txt (Unicode 15.0)", table,
                                reading_slots, extra, alone)
    write_gbk_table(os.path.join(out, OUTPUT_FILES[1]), unicode_slots)
    return count, sum(1 for v in unicode_slots if v)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--unihan", default="/usr/share/unicode/Unihan_Readings.txt.bz2")
    parser.add_argument("--out", default=os.path.join(here, "..", "core", "chinese", "generated"))
    parser.add_argument("--check", action="store_true", help="compare with the files in --out instead")
    args = parser.parse_args()

    if args.check:
        if not os.path.exists(args.unihan):
            print(f"{args.unihan} is missing: nothing to compare")
            return SKIPPED
        with tempfile.TemporaryDirectory() as fresh:
            try:
                generate(args.unihan, fresh)
            except VersionMismatch as mismatch:
                print(f"{mismatch}: the committed tables come from another version")
                return SKIPPED
            stale = [name for name in OUTPUT_FILES
                     if not os.path.exists(os.path.join(args.out, name))
                     or not filecmp.cmp(os.path.join(fresh, name), os.path.join(args.out, name), shallow=False)]
        if stale:
            print("out of date, run tools/gen_pinyin_tables.py: " + ", ".join(stale))
            return 1
        print("generated tables are up to date")
        return 0

    try:
        readings, codes = generate(args.unihan, args.out)
    except VersionMismatch as mismatch:
        sys.exit(str(mismatch))
    print(f"{readings} codes with a reading, {codes} GBK double-byte codes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
