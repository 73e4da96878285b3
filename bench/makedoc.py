#!/usr/bin/env python3
"""Writes a deterministic CR LF text document of a given size for the load benchmark.

Usage: makedoc.py SIZE_MB FOLDER [LANGUAGE]  -> prints the path of FOLDER/bench-<SIZE>MB.txt

LANGUAGE is english (ASCII, the default), french (Windows-1252, with accented letters) or
russian (Windows-1251); the last two are written to bench-<SIZE>MB-<LANGUAGE>.txt.

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
# Words of the two legacy documents, about one in three with a letter beyond ASCII for the
# French one, as in real French prose; every Russian letter is beyond it.
FRENCH = """
le la les de des du un une et est en que qui dans pour pas sur au avec il elle nous vous
été élève où très déjà français façade garçon hôtel forêt même père mère noël naïf âge
côté château bientôt fenêtre théâtre après première système année lumière rivière école
jardin matin soir question réponse nombre eau papier pays maison famille ville marché
""".split()
RUSSIAN = """
и в не на я что он с как а то все она так его но да ты к у же вы за бы по только ее мне
было вот от меня еще нет о из ему теперь когда даже ну вдруг ли если уже или ни быть был
него до вас нибудь опять уж вам ведь там потом себя ничего ей может они тут где есть надо
окно письмо сад река утро вечер вопрос ответ число вода бумага страна дом школа семья город
""".split()
LANGUAGES = {"english": (WORDS, "ascii"), "french": (FRENCH, "cp1252"),
             "russian": (RUSSIAN, "cp1251")}
PUNCTUATION = [".", ".", ".", ",", ",", ",", ";", ":", "?", "!"]


def line(rng, words=WORDS):
    target = rng.randint(10, 120)
    text = ""
    while True:
        word = rng.choice(words)
        if not text or text[-1] in ".?!":
            word = word.capitalize()
        if rng.random() < 0.12:
            word += rng.choice(PUNCTUATION)
        longer = f"{text} {word}" if text else word
        if len(longer) > target and len(text) >= 10:
            return text
        text = longer[:120]


def write(size_mb, folder, language="english"):
    words, encoding = LANGUAGES[language]
    suffix = "" if language == "english" else f"-{language}"
    path = os.path.join(folder, f"bench-{size_mb}MB{suffix}.txt")
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
            data = (line(rng, words) + "\r\n").encode(encoding)
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
    if len(sys.argv) not in (3, 4) or (len(sys.argv) == 4 and sys.argv[3] not in LANGUAGES):
        sys.exit("usage: makedoc.py SIZE_MB FOLDER [english|french|russian]")
    print(write(int(sys.argv[1]), sys.argv[2], *sys.argv[3:]))
