#!/usr/bin/env python3
"""Generates the shipped suffix catalogue and its copyright notice from a zone database snapshot.

Usage: gen_suffixes.py [--zones PATH] [--out FOLDER] [--check]

  suffixes.tsv             one line per suffix a user can register names under, with how its
                           registry is asked (format in the file's header comment)
  suffixes-closed.tsv      the zones left out because they are not open to the public, with the
                           reason, so that a user asking for one is told why it cannot be asked
  suffixes-copyright.txt   where the data comes from and its licence (ODbL 1.0, LICENSE-DATA.md
                           beside the source, kept verbatim), under which the catalogue is shared

The source (default ../shared/data/zones/zones.json from the repository root) is a JSON object with
"source" (a line naming the database, its date and licence) and "zones", a list of objects with
"zone" (lower case, IDN zones as U-labels) and optionally "tags", "whoisServer", "rdapURLs" and
"nameServers".

Which zones become suffixes:
  - A zone tagged brand, closed, retired, withdrawn, private, infrastructure, special or reserved is
    not open to the public and is left out, and so is every zone below it.
  - So is a zone whose own label is kept for governments, the military, schools or treaty bodies
    below the top level (RESTRICTED_LABELS: gov, edu, mil, ac, sch, ...: gov.uk, ac.in), and the
    top-level zones kept for them (RESTRICTED_TOP_LEVEL: gov, edu, mil, int); top-level zones that
    merely share such a label (ac, school, army, navy) are open to the public.
  - A top-level zone is kept when it has tags (the database gives untagged top-level zones no data at
    all, so nothing says they are open) and a way to ask its registry: an RDAP base or a WHOIS server.
  - A second-level zone is kept when its parent is kept and either it names its own WHOIS server or
    RDAP base, or it shares a name server with its parent (the parent's registry runs it). When its
    own WHOIS server is the parent's, or it names none and shares the parent's name servers, the
    parent's registry answers for it and it inherits whatever of the parent's RDAP base and WHOIS
    server it does not name itself. A second-level zone with servers of its own (a separate
    registry) keeps only those. Zones three or more levels deep are left out.
  - RDAP bases are kept only over HTTPS (a plain-HTTP base is dropped; the suffix is then asked by
    WHOIS) and always end with "/"; the first HTTPS base is used.
  - Host names (WHOIS server, name servers) are lower-cased, written with A-labels ("guðrun.nic.fo"
    becomes "xn--gurun-jta.nic.fo") and checked to be plain DNS names; a zone whose data fails that
    check stops the generator rather than shipping a guess.

Groups: "chinese" when the suffix has a Han character, else "country" when the zone (or, for a
second-level zone, its parent) is tagged country, else "geographic" when tagged geo, else "generic".

The known registered name of a suffix is the name directly under it that holds its WHOIS server,
its RDAP server or one of its name servers, in that order (a host the suffix's own service relies
on must exist), unless that name is a zone of the database itself; empty when none qualifies.

IDN suffixes are written as U-label (NFC, as the source has them) and A-label ("xn--" plus Punycode
of each label).

With --check the files are generated into a temporary folder and compared with those in the output
folder: exit status 0 when they match, 1 when they differ, 77 when the source is missing.
"""

import argparse
import filecmp
import json
import os
import re
import sys
import tempfile
import unicodedata

OUTPUT_FILES = ("suffixes.tsv", "suffixes-closed.tsv", "suffixes-copyright.txt")
SKIPPED = 77

CLOSED_TAGS = {"brand", "closed", "retired", "withdrawn", "private", "infrastructure", "special", "reserved"}
RESTRICTED_TOP_LEVEL = {"gov", "edu", "mil", "int"}
RESTRICTED_LABELS = {
    "gov", "gob", "gouv", "govt", "go", "fed", "mil", "army", "navy", "police", "parliament",
    "edu", "ac", "sch", "school", "k12", "ed", "int", "nic",
}
HOST = re.compile(r"[a-z0-9]([a-z0-9-]*[a-z0-9])?(\.[a-z0-9]([a-z0-9-]*[a-z0-9])?)*")
DATE = re.compile(r"\d{4}-\d{2}-\d{2}")


class MissingSource(Exception):
    pass


class BadSource(Exception):
    pass


def a_label(suffix):
    labels = []
    for label in suffix.split("."):
        if label.isascii():
            labels.append(label)
        else:
            labels.append("xn--" + label.encode("punycode").decode("ascii"))
    return ".".join(labels)


def is_han(suffix):
    return any(unicodedata.name(c, "").startswith("CJK UNIFIED IDEOGRAPH") for c in suffix)


def host(zone, value):
    name = a_label(unicodedata.normalize("NFC", value.strip().lower().rstrip(".")))
    if not HOST.fullmatch(name):
        raise BadSource(f"{zone}: {value!r} is not a host name")
    return name


def rdap_base(zone):
    for url in zone.get("rdapURLs", []):
        if url.startswith("https://") and " " not in url and "\t" not in url:
            return url if url.endswith("/") else url + "/"
    return ""


def is_restricted(name):
    label = name.split(".")[0]
    return label in RESTRICTED_TOP_LEVEL if "." not in name else label in RESTRICTED_LABELS


def is_open(zone):
    return not (set(zone.get("tags", [])) & CLOSED_TAGS) and not is_restricted(zone["zone"])


def closed_reason(zone):
    """Why a zone is not open to the public: its first closing tag (alphabetically), "restricted"
    for a label kept for governments, schools and the like; empty when it is open."""
    closing = sorted(set(zone.get("tags", [])) & CLOSED_TAGS)
    if closing:
        return closing[0]
    return "restricted" if is_restricted(zone["zone"]) else ""


def closed_zones(zones):
    """The top- and second-level zones not open to the public, directly or through their parent,
    as (suffix, ascii, reason), sorted like the catalogue."""
    closed = {}
    for name, zone in zones.items():
        if name.count(".") > 1:
            continue
        reason = closed_reason(zone)
        if not reason and "." in name:
            parent = zones.get(name.split(".", 1)[1])
            reason = closed_reason(parent) if parent else ""
        if reason:
            suffix = unicodedata.normalize("NFC", name)
            closed[name] = (suffix, a_label(suffix), reason)
    return sorted(closed.values(), key=lambda line: (line[1].count("."), line[1]))


def group_of(zone, parent):
    tags = set(zone.get("tags", [])) | (set(parent.get("tags", [])) if parent else set())
    if is_han(zone["zone"]):
        return "chinese"
    if "country" in tags:
        return "country"
    if "geo" in tags:
        return "geographic"
    return "generic"


def known_registered(ascii, hosts, zone_names):
    """The first name registered directly under the suffix that one of the hosts lies in; a name
    that is itself a zone of the database (net.cn for whois.cnnic.net.cn under cn) is a suffix, not
    a registered name, and is passed over."""
    for name in hosts:
        if name.endswith("." + ascii):
            registered = name[: -len(ascii) - 1].split(".")[-1] + "." + ascii
            if registered not in zone_names:
                return registered
    return ""


def entry(zone, parent, rdap, whois, zone_names):
    suffix = unicodedata.normalize("NFC", zone["zone"])
    ascii = a_label(suffix)
    servers = sorted({host(suffix, ns) for ns in zone.get("nameServers", [])})
    rdap_host = rdap.split("/")[2].split(":")[0] if rdap else ""
    registered = known_registered(ascii, [whois, rdap_host] + servers, zone_names)
    return (suffix, ascii, group_of(zone, parent), rdap, whois, ",".join(servers), registered)


def top_level_entry(zone, zone_names):
    rdap = rdap_base(zone)
    whois = host(zone["zone"], zone["whoisServer"]) if zone.get("whoisServer") else ""
    if not zone.get("tags") or not (rdap or whois):
        return None
    return entry(zone, None, rdap, whois, zone_names)


def second_level_entry(zone, parent, parent_entry, zone_names):
    own_rdap = rdap_base(zone)
    own_whois = host(zone["zone"], zone["whoisServer"]) if zone.get("whoisServer") else ""
    parent_rdap, parent_whois = parent_entry[3], parent_entry[4]
    shares_servers = bool(set(zone.get("nameServers", [])) & set(parent.get("nameServers", [])))
    if own_rdap or own_whois:
        if own_whois and own_whois == parent_whois:
            return entry(zone, parent, own_rdap or parent_rdap, own_whois, zone_names)
        return entry(zone, parent, own_rdap, own_whois, zone_names)
    if shares_servers:
        return entry(zone, parent, parent_rdap, parent_whois, zone_names)
    return None


def load(path):
    if not os.path.isfile(path):
        raise MissingSource(path)
    with open(path, encoding="utf-8") as handle:
        data = json.load(handle)
    zones = {}
    for zone in data["zones"]:
        name = zone["zone"]
        if name != name.lower() or not name or name in zones:
            raise BadSource(f"zone {name!r} is not lower case, empty or listed twice")
        zones[name] = zone
    return data["source"], zones


def catalogue(zones):
    names = {a_label(name) for name in zones}
    kept = {}
    for name, zone in zones.items():
        if "." not in name and is_open(zone):
            line = top_level_entry(zone, names)
            if line:
                kept[name] = line
    for name, zone in zones.items():
        if name.count(".") != 1 or not is_open(zone):
            continue
        parent_name = name.split(".", 1)[1]
        if parent_name not in kept:
            continue
        line = second_level_entry(zone, zones[parent_name], kept[parent_name], names)
        if line:
            kept[name] = line
    return sorted(kept.values(), key=lambda line: (line[1].count("."), line[1]))


def header(source, lines):
    date = DATE.search(source)
    counts = {}
    for line in lines:
        counts[line[2]] = counts.get(line[2], 0) + 1
    by_group = ", ".join(f"{group} {counts[group]}" for group in sorted(counts))
    return f"""\
# Corvantide suffix catalogue: the suffixes open to the public and how their registries are asked.
# Generated by tools/gen_suffixes.py; do not edit by hand, run the generator instead.
#
# Source: {source}
# Source date: {date.group(0) if date else "unknown"}
# Licence: this catalogue is a derived database shared under the Open Database License (ODbL) 1.0,
# like its source; see suffixes-copyright.txt installed beside it.
#
# Format: UTF-8, lines ended by LF; lines starting with "#" and empty lines are comments. Every other
# line is one suffix: seven fields separated by one TAB each, an empty field meaning "none":
#   1 suffix        as written by users, lower case; an IDN suffix as U-label (NFC)
#   2 ascii         the same suffix in ASCII: the A-label ("xn--...") of an IDN, else field 1
#   3 group         generic, country, geographic or chinese
#   4 rdap          the RDAP base address (https, ends with "/"); queries append "domain/NAME"
#   5 whois         the WHOIS server's host name (port 43)
#   6 nameservers   the suffix's name servers, comma-separated, sorted
#   7 registered    a name under the suffix that must be registered, since the suffix's WHOIS server,
#                   RDAP server or a name server lies in it (whois.nic.shop gives nic.shop)
# A suffix has an RDAP base, a WHOIS server or both. Second-level suffixes that the parent's registry
# answers for carry the parent's servers. Top-level suffixes come first, each level sorted by field 2.
#
# {len(lines)} suffixes: {by_group}.
"""


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as handle:
        handle.write(text)


def generate(zones_path, out):
    source, zones = load(zones_path)
    lines = catalogue(zones)
    licence_path = os.path.join(os.path.dirname(zones_path), "LICENSE-DATA.md")
    if not os.path.isfile(licence_path):
        raise MissingSource(licence_path)
    with open(licence_path, encoding="utf-8") as handle:
        licence = handle.read()
    os.makedirs(out, exist_ok=True)
    write(os.path.join(out, OUTPUT_FILES[0]),
          header(source, lines) + "".join("\t".join(line) + "\n" for line in lines))
    closed = closed_zones(zones)
    write(os.path.join(out, OUTPUT_FILES[1]), f"""\
# Corvantide: the zones that are not open to the public, left out of suffixes.tsv.
# Generated by tools/gen_suffixes.py from the same source; shared under the same licence.
#
# Format: UTF-8, lines ended by LF; lines starting with "#" are comments. Every other line is one
# zone: suffix (an IDN as U-label), its ASCII form and why it is closed, separated by one TAB each:
# brand, closed, infrastructure, private, reserved, retired, special or withdrawn (the zone's tag,
# or its parent's), or restricted (kept for governments, the military, schools or treaty bodies).
#
# {len(closed)} zones.
""" + "".join("\t".join(line) + "\n" for line in closed))
    write(os.path.join(out, OUTPUT_FILES[2]), f"""\
suffixes.tsv, the suffix catalogue of Corvantide

Contains information from the database named below, which is made available here under the
Open Database License (ODbL) 1.0 (https://opendatacommons.org/licenses/odbl/1-0/).

Source: {source}

suffixes.tsv and suffixes-closed.tsv are a Derivative Database of that database, made by
tools/gen_suffixes.py (the method of making it, in machine-readable form, as section 4.6 of the
licence asks). It is shared under the
same terms: the Open Database License 1.0, whose text follows as it came with the source.

-----------------------------------------------------------------------------------------------------

{licence}""")
    return lines


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    root = os.path.join(here, "..")
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--zones", default=os.path.join(root, "..", "shared", "data", "zones", "zones.json"))
    parser.add_argument("--out", default=os.path.join(root, "data"))
    parser.add_argument("--check", action="store_true", help="compare with the files in --out instead")
    args = parser.parse_args()

    try:
        if args.check:
            with tempfile.TemporaryDirectory() as fresh:
                generate(args.zones, fresh)
                stale = [name for name in OUTPUT_FILES
                         if not os.path.exists(os.path.join(args.out, name))
                         or not filecmp.cmp(os.path.join(fresh, name), os.path.join(args.out, name), shallow=False)]
            if stale:
                print("out of date, run tools/gen_suffixes.py: " + ", ".join(stale))
                return 1
            print("suffix catalogue is up to date")
            return 0
        lines = generate(args.zones, args.out)
    except MissingSource as missing:
        print(f"{missing} is missing: nothing to {'compare' if args.check else 'generate'}")
        return SKIPPED
    except (BadSource, KeyError, ValueError) as bad:
        print(f"{args.zones}: {bad}", file=sys.stderr)
        return 2
    print(f"{len(lines)} suffixes")
    return 0


if __name__ == "__main__":
    sys.exit(main())
