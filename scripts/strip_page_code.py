"""Empties the <style> and <script> elements of the pages given, in place,
so that two builds' pages compare equal when only their style sheets or
scripts moved."""
import re
import sys

ELEMENT = re.compile(r"(<(style|script)\b[^>]*>).*?(</\2>)", re.S)

for path in sys.argv[1:]:
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        page = f.read()
    with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
        f.write(ELEMENT.sub(r"\1\3", page))
