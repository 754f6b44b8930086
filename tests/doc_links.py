#!/usr/bin/env python3
"""doc_links.py SOURCE: every relative link and image in the Markdown files git tracks leads to a
file of the repository, and every anchor to a heading of its page, as code hosts name them."""
import os
import re
import subprocess
import sys

LINK = re.compile(r"!?\[(?:[^\[\]]|\[[^\]]*\])*\]\(\s*<?([^)\s>]+)>?(?:\s+\"[^\"]*\")?\s*\)")


def prose(text):
    """The page without its fenced blocks and code spans, where brackets are not links."""
    text = re.sub(r"^(```|~~~).*?^\1", "", text, flags=re.S | re.M)
    return re.sub(r"(`+).*?\1", "", text, flags=re.S)


def anchors(text):
    """The anchors a code host gives the page's headings: lower case, spaces as hyphens,
    punctuation dropped, a repeated name numbered."""
    seen, found = {}, set()
    for heading in re.findall(r"^#{1,6}\s+(.*?)\s*#*\s*$", prose(text), flags=re.M):
        heading = re.sub(r"\[([^\]]*)\]\([^)]*\)", r"\1", heading)
        slug = re.sub(r"[^\w\- ]", "", heading.lower()).replace(" ", "-")
        count = seen.get(slug, 0)
        seen[slug] = count + 1
        found.add(slug if count == 0 else "%s-%d" % (slug, count))
    return found


def broken(root, page):
    text = open(os.path.join(root, page), encoding="utf-8").read()
    for target in LINK.findall(prose(text)):
        if re.match(r"^[a-z][a-z0-9+.-]*:", target, flags=re.I):
            continue  # an address, not a file of ours
        path, _, anchor = target.partition("#")
        where = os.path.normpath(os.path.join(os.path.dirname(page), path)) if path else page
        if where.startswith(".."):
            yield "%s: %s leads out of the repository" % (page, target)
        elif not os.path.exists(os.path.join(root, where)):
            yield "%s: %s: no such file" % (page, target)
        elif anchor and (not where.endswith(".md") or anchor not in anchors(
                open(os.path.join(root, where), encoding="utf-8").read())):
            yield "%s: %s: no heading makes the anchor #%s" % (page, target, anchor)


def main():
    root = sys.argv[1]
    pages = subprocess.run(["git", "-C", root, "ls-files", "*.md"], capture_output=True,
                           text=True, check=True).stdout.split()
    faults = [fault for page in pages for fault in broken(root, page)]
    for fault in faults:
        print(fault)
    print("%d Markdown files, %d broken links" % (len(pages), len(faults)))
    return 1 if faults or not pages else 0


if __name__ == "__main__":
    sys.exit(main())
