"""Copies small files of the generated Data folder into one seed folder per fuzz target.

usage: make_seeds.py <Data folder> <seed folder>

Large files are left out (the fuzzers run with small inputs); the default world
is too large as a whole, so it also gives a shortened save with a few records
of every section, which keeps the file's structure within the fuzzers' reach.
"""
import pathlib
import shutil
import sys

LIMIT = 16 * 1024


def copy_small(files, out):
    out.mkdir(parents=True, exist_ok=True)
    for f in files:
        if f.is_file() and f.stat().st_size <= LIMIT:
            shutil.copyfile(f, out / f.name)


def shortened_save(text):
    """Header, two templates of each list, a strip of terrain, two units and two clouds."""
    lines = text.split("\n")
    out, section, kept = [], "header", 0
    for line in lines:
        if line.startswith("*****") and line.endswith("*****"):
            out.append(line)
            section, kept = line, 0
            continue
        if section == "header":
            out.append(line)
        elif "Terrain" in section:
            if kept < 40:
                out.append(line)
            kept += 1
        else:
            if kept < 2:
                out.append(line)
            if line.startswith("**") and line.endswith("**"):
                kept += 1
    return "\n".join(out)


def main():
    data, seeds = pathlib.Path(sys.argv[1]), pathlib.Path(sys.argv[2])
    copy_small(sorted((data / "Images").glob("*.png")), seeds / "png")
    copy_small(sorted((data / "Models").glob("*.obj")), seeds / "obj")
    copy_small(sorted((data / "Fonts").glob("*.fnt")), seeds / "font")
    (seeds / "settings").mkdir(parents=True, exist_ok=True)
    (seeds / "save").mkdir(parents=True, exist_ok=True)
    world = data / "Default World.sav"
    if world.is_file():
        (seeds / "save" / "default-world-short.sav").write_text(shortened_save(world.read_text()))
    return 0


if __name__ == "__main__":
    sys.exit(main())
