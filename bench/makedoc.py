#!/usr/bin/env python3
"""Writes a deterministic CR LF text document of a given size for the load benchmark.

Usage: makedoc.py SIZE_MB FOLDER  -> prints the path of FOLDER/bench-<SIZE>MB.txt

1 MB here is 1 MiB (1,048,576 bytes), so "100 MB" is exactly the size at which some
editors start to refuse a file. The same seed always gives the same bytes, so a cached
file is only rewritten when it is missing or has the wrong size.
"""
import os
import random
import sys

SEED = 20240611
MIB = 1024 * 1024

# Common English words, so line breaking, word wrapping and glyph shaping cost what they
# would on real prose rather than on one repeated token.
WORDS = """
the of and to in is was that for it with as his on be at by had not are but from or have
an they which one you were her all she there would their we him been has when who will
more no if out so said what up its about into than them can only other new some could time
these two may then do first any my now such like our over man me even most made after also
did many before must through back years where much your way well down should because each
just those people how too little state good very make world still own see men work long get
here between both life being under never day same another know while last might us great
old year off come since against go came right used take three small window letter garden
river morning evening question answer number water paper country house school family city
account report market history system program office public market friend interest reason
""".split()
PUNCTUATION = [".", ".", ".", ",", ",", ",", ";", ":", "?", "!"]


def line(rng):
    target = rng.randint(10, 120)
    text = ""
    while True:
        word = rng.choice(WORDS)
        if not text or text[-1] in ".?!":
            word = word.capitalize()
        if rng.random() < 0.12:
            word += rng.choice(PUNCTUATION)
        longer = f"{text} {word}" if text else word
        if len(longer) > target and len(text) >= 10:
            return text
        text = longer[:120]


def write(size_mb, folder):
    path = os.path.join(folder, f"bench-{size_mb}MB.txt")
    wanted = size_mb * MIB
    if os.path.isfile(path) and os.path.getsize(path) == wanted:
        return path
    os.makedirs(folder, exist_ok=True)
    rng = random.Random(SEED)
    partial = path + ".part"
    written = 0
    with open(partial, "wb") as out:
        chunk = []
        chunk_size = 0
        while written + chunk_size < wanted:
            data = (line(rng) + "\r\n").encode("ascii")
            chunk.append(data)
            chunk_size += len(data)
            if chunk_size > MIB and written + chunk_size < wanted:
                out.write(b"".join(chunk))
                written += chunk_size
                chunk, chunk_size = [], 0
        # The last line is cut so the file has the exact size and still ends with CR LF.
        tail = b"".join(chunk)[: wanted - written - 2]
        if tail.endswith(b"\r"):
            tail = tail[:-1] + b"x"
        out.write(tail + b"\r\n")
    os.replace(partial, path)
    return path


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit("usage: makedoc.py SIZE_MB FOLDER")
    print(write(int(sys.argv[1]), sys.argv[2]))
