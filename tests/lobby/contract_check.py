#!/usr/bin/env python3
# README.md's table of the main client's messages against lobby/protocol.h:
# the same numbers, names and directions, so that the two cannot drift.
#   contract_check.py README.md lobby/protocol.h
import re
import sys

readme, header = (open(path, encoding="utf-8").read() for path in sys.argv[1:3])
declared = set()
for enum, direction in (("ControlMessage", "to browser"), ("Command", "to main client")):
    body = re.search(r"enum %s\b[^{]*\{(.*?)\}" % enum, header, re.S).group(1)
    declared |= {(int(number), name, direction) for name, number in re.findall(r"(\w+)\s*=\s*(\d+)", body)}
section = readme.partition("\n## The main client's messages\n")[2].partition("\n## ")[0]
listed = set()
for line in section.splitlines():
    if not re.match(r"\| *\d", line):
        continue
    cells = [cell.strip() for cell in line.strip().strip("|").split("|")]
    if len(cells) != 7:
        sys.exit("README.md: a row of %d cells, not 7: %s" % (len(cells), line))
    listed.add((int(cells[0]), cells[1].strip("`"), re.sub(r" \(.*", "", cells[2])))
for entry in sorted(declared - listed):
    print("lobby/protocol.h has %d %s (%s), the README's table has not" % entry)
for entry in sorted(listed - declared):
    print("README.md's table has %d %s (%s), lobby/protocol.h has not" % entry)
sys.exit(1 if declared != listed or not declared else 0)
