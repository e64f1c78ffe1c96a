#!/usr/bin/python3
"""Writes the whole Data folder (pictures, fonts, models, music, sounds) and the
contact sheets. Deterministic: two runs give byte-identical files."""
import argparse
import importlib
import os
import sys
import time

GENERATORS = ["images", "fonts", "models", "audio"]


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--out", required=True, help="the Data folder to write")
    ap.add_argument("--preview", required=True, help="where the contact sheets go")
    ap.add_argument("--only", nargs="*", help="run only these generators")
    args = ap.parse_args()
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    os.makedirs(args.out, exist_ok=True)
    os.makedirs(args.preview, exist_ok=True)
    for name in args.only or GENERATORS:
        try:
            module = importlib.import_module("qvdata." + name)
        except ModuleNotFoundError as e:
            if e.name == "qvdata." + name:
                print("gen_data: no generator for %s yet" % name)
                continue
            raise
        start = time.time()
        module.generate(args.out, args.preview)
        print("gen_data: %s done in %.1f s" % (name, time.time() - start))


if __name__ == "__main__":
    main()
