#!/usr/bin/env python3
"""Writes a hand-written-looking UTF-8 HTML page for the search benchmarks.

    make_search_page.py OUT MEGABYTES WORD COUNT [--mixed-case] [--seed N]

The page has about MEGABYTES * 10^6 bytes in CR LF lines, with WORD planted COUNT times at random
places (with --mixed-case, also as WORD.upper() and WORD.lower(), in turn). Nothing else in
the page contains WORD in any letter case, so the expected number of matches is COUNT.
"""
import argparse
import random

WORDS = ("the page editor upload server Hello world, text and of table cell link image list form "
         "caf\u00e9 Gr\u00f6\u00dfe na\u00efve \u2014 \u00a9 2026 &amp; &nbsp; &#169; index.html colour").split()
TAGS = ["p", "div", "td", "li", "span", "b", "i", "a", "em", "h2"]
ATTRIBUTES = ['class="main"', 'href="index.html"', 'width="100"', 'align="left"', 'style="color: red"']


def line_of(rng):
    tag = rng.choice(TAGS)
    attributes = " ".join(rng.sample(ATTRIBUTES, rng.randrange(3)))
    words = " ".join(rng.choice(WORDS) for _ in range(rng.randrange(3, 12)))
    indent = "  " * rng.randrange(5)
    return f"{indent}<{tag}{' ' if attributes else ''}{attributes}>{words}</{tag}>"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("out")
    parser.add_argument("megabytes", type=float)
    parser.add_argument("word")
    parser.add_argument("count", type=int)
    parser.add_argument("--mixed-case", action="store_true")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()

    rng = random.Random(args.seed)
    target = int(args.megabytes * 1_000_000)
    lines = []
    size = 0
    while size < target:
        line = line_of(rng)
        lines.append(line)
        size += len(line.encode("utf-8")) + 2
    variants = [args.word]
    if args.mixed_case:
        variants += [args.word.upper(), args.word.lower()]
    for i, index in enumerate(sorted(rng.sample(range(len(lines)), min(args.count, len(lines))))):
        line = lines[index]
        at = line.index(">") + 1
        lines[index] = line[:at] + variants[i % len(variants)] + " " + line[at:]
    # More plants than lines: the rest go to lines that already hold one.
    for i in range(len(lines), args.count):
        index = rng.randrange(len(lines))
        lines[index] = variants[i % len(variants)] + " " + lines[index]
    with open(args.out, "wb") as out:
        out.write("\r\n".join(lines).encode("utf-8"))


if __name__ == "__main__":
    main()
