#!/usr/bin/env python3
"""Writes a deterministic synthetic site for Quillon's benchmark.

  make_site.py OUT --pages N [--links 20] [--page-size 10240] [--seed 1]
  make_site.py OUT --chain N

Pages lie in a root and a tree of sub-folders; every page is reachable from
index.html through a spanning tree of links, and each page carries about
--links anchors: mostly links to other pages (relative paths), and a share of
external links, links to missing files, fragment-only links and links to
existing images. Chain mode writes N tiny pages where page i links only to
page i+1. The same arguments always give the same bytes; file times are set
to one fixed moment.
"""
import argparse
import os
import random

FOLDERS = ["", "docs/", "blog/", "news/", "docs/api/", "docs/guide/",
           "blog/2023/", "blog/2024/", "news/archive/", "shop/", "help/",
           "about/team/"]
WORDS = ("lorem ipsum dolor sit amet site page map link index folder archive "
         "garden river stone window market winter summer letter number report "
         "caf\u00e9 Z\u00fcrich").split()
STAMP = 1420070400  # 2015-01-01T00:00:00Z


def rel(src_dir, dst):
    depth = src_dir.count("/")
    return "../" * depth + dst


def write(path, text):
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)
    os.utime(path, (STAMP, STAMP))


def site(out, pages, links, page_size, seed):
    rng = random.Random(seed)
    # Filler text: slices of one long run of words, cut at blanks.
    filler = " ".join(rng.choice(WORDS) for _ in range(200000))
    for d in FOLDERS:
        os.makedirs(os.path.join(out, d), exist_ok=True)
    names = ["index.html"] + [
        FOLDERS[rng.randrange(len(FOLDERS))] + "p%d.%s" % (i, "htm" if i % 3 == 0 else "html")
        for i in range(1, pages)]
    assets = ["img/pic%d.png" % i for i in range(max(1, pages // 50))]
    os.makedirs(os.path.join(out, "img"), exist_ok=True)
    for a in assets:
        write(os.path.join(out, a), "png")
    for i, name in enumerate(names):
        here = name[: name.rfind("/") + 1]
        targets = [names[c] for c in range(4 * i + 1, min(4 * i + 5, pages))]
        n = max(len(targets), rng.randint(links // 2, links * 3 // 2))
        hrefs = [rel(here, t) for t in targets]
        while len(hrefs) < n:
            r = rng.random()
            if r < 0.10:
                hrefs.append("https://www.example%d.com/%s/%d" % (rng.randrange(12), rng.choice(WORDS), rng.randrange(1000)))
            elif r < 0.15:
                hrefs.append(rel(here, "missing/gone%d.html" % rng.randrange(pages)))
            elif r < 0.20:
                hrefs.append("#s%d" % rng.randrange(4))
            elif r < 0.25:
                hrefs.append(rel(here, rng.choice(assets)))
            else:
                hrefs.append(rel(here, names[rng.randrange(pages)]))
        rng.shuffle(hrefs)
        body = []
        size = 0
        target_size = rng.randint(page_size // 2, page_size * 3 // 2)
        per_anchor = max(1, target_size // (len(hrefs) + 1))
        for k, h in enumerate(hrefs):
            start = filler.find(" ", rng.randrange(len(filler) - per_anchor - 1)) + 1
            words = filler[start:start + max(0, per_anchor - 40)]
            tag = '<a href="%s">' % h if k % 7 else "<A HREF='%s'>" % h
            line = "<p>%s %slink %d</a></p>\n" % (words, tag, k)
            body.append(line)
            size += len(line)
        write(os.path.join(out, name),
              '<!DOCTYPE html>\n<html><head><meta charset="utf-8">'
              '<title>Page %d</title></head><body>\n<h1 id="s0">Page %d</h1>\n%s'
              '</body></html>\n' % (i, i, "".join(body)))


def chain(out, pages):
    os.makedirs(out, exist_ok=True)
    for i in range(pages):
        name = "index.html" if i == 0 else "c%d.html" % i
        nxt = '<a href="c%d.html">next</a>' % (i + 1) if i + 1 < pages else ""
        write(os.path.join(out, name), "<html><body>%s</body></html>\n" % nxt)


def main():
    p = argparse.ArgumentParser()
    p.add_argument("out")
    p.add_argument("--pages", type=int, default=1000)
    p.add_argument("--links", type=int, default=20)
    p.add_argument("--page-size", type=int, default=10240)
    p.add_argument("--seed", type=int, default=1)
    p.add_argument("--chain", type=int, default=0)
    a = p.parse_args()
    if os.path.exists(a.out) and os.listdir(a.out):
        raise SystemExit("make_site.py: %s is not empty" % a.out)
    if a.chain:
        chain(a.out, a.chain)
    else:
        site(a.out, a.pages, a.links, a.page_size, a.seed)


if __name__ == "__main__":
    main()
