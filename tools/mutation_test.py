#!/usr/bin/python3
"""Plants known bugs one at a time and reports which ones the tests catch.

A developer tool, not part of CI. Each mutation from the list file is applied
to a private copy of the tree (a git worktree of HEAD with its own build
folder), the changed code is rebuilt and the unit and GL tests run under a
private Xvfb. A mutation is "caught" when a test fails, "missed" when all pass
and "broken" when the mutated code does not compile (fix the list entry).

List file: one mutation per line, four fields separated by " | " (pipe with a
space either side): file, exact original text, replacement, description.
In the texts "\\n" stands for a line break and "\\|" for a literal pipe. The
original must occur exactly once in the file. Lines starting with "#" and
blank lines are ignored.

  /usr/bin/python3 tools/mutation_test.py --only 3,7        # two mutations
  /usr/bin/python3 tools/mutation_test.py --match terrain   # by description or file
  /usr/bin/python3 tools/mutation_test.py --list            # just show the list

Under a shared ccache, a work folder below the same base folder as the main
build (e.g. --work build/mutation) reuses its compiled objects.
"""

import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import time
from dataclasses import dataclass
from pathlib import Path

REPO = Path(__file__).resolve().parent.parent
DEFAULT_LIST = REPO / "tools" / "mutations.txt"


@dataclass
class Mutation:
    number: int
    file: str
    original: str
    replacement: str
    description: str


def unescape(text):
    return text.replace("\\|", "|").replace("\\n", "\n")


def read_mutations(path):
    mutations = []
    for lineno, raw in enumerate(Path(path).read_text(encoding="utf-8").splitlines(), 1):
        line = raw.strip()
        if not line or line.startswith("#"):
            continue
        fields = re.split(r"(?<!\\) \| ", line)
        if len(fields) != 4:
            sys.exit(f"{path}:{lineno}: expected 4 fields separated by ' | ', got {len(fields)}")
        mutations.append(Mutation(len(mutations) + 1, fields[0], unescape(fields[1]), unescape(fields[2]), fields[3]))
    return mutations


def check_applies(tree, m):
    """None when the original occurs exactly once, else why not."""
    path = tree / m.file
    if not path.is_file():
        return f"no file {m.file}"
    count = path.read_text(encoding="utf-8").count(m.original)
    return None if count == 1 else f"original text found {count} times in {m.file}"


def run(cmd, cwd, log, env=None, timeout=None):
    with open(log, "a", encoding="utf-8") as out:
        out.write(f"\n$ {' '.join(map(str, cmd))}\n")
        out.flush()
        try:
            return subprocess.run(cmd, cwd=cwd, stdout=out, stderr=subprocess.STDOUT, env=env, timeout=timeout).returncode
        except subprocess.TimeoutExpired:
            out.write("timed out\n")
            return 124


def prepare_tree(work, jobs, log):
    """A worktree of HEAD at `work` with a configured build folder (kept between runs)."""
    tree = work / "tree"
    if not (tree / ".git").exists():
        work.mkdir(parents=True, exist_ok=True)
        if run(["git", "worktree", "add", "--detach", str(tree), "HEAD"], REPO, log) != 0:
            sys.exit(f"could not create the worktree (see {log})")
    else:
        # Follow the current commit; a mutation left behind by a killed run is undone here.
        run(["git", "checkout", "--detach", "--force", subprocess.check_output(["git", "rev-parse", "HEAD"], cwd=REPO, text=True).strip()], tree, log)
    build = tree / "build"
    if not (build / "CMakeCache.txt").exists():
        data = REPO / "build" / "Data"
        if data.is_dir() and not (build / "Data").exists():
            (build / "data-preview").mkdir(parents=True, exist_ok=True)
            shutil.copytree(data, build / "Data", symlinks=True)
            (build / "data-preview" / ".generated").touch()
        cmd = ["cmake", "-S", ".", "-B", "build", "-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DQV_BUILD_TESTS=ON",
               "-DQV_BUILD_BENCH=OFF", "-DQV_GENERATE_DATA=ON"]
        if shutil.which("ccache"):
            cmd += ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache"]
        if run(cmd, tree, log) != 0:
            sys.exit(f"configuring failed (see {log})")
    return tree, build


def test_programs(tree):
    """The executables behind the unit and GL tests, known once the tree has been built whole."""
    out = subprocess.run(["ctest", "--test-dir", "build", "--show-only=json-v1", "-L", "unit|gl"], cwd=tree,
                         capture_output=True, text=True)
    if out.returncode != 0:
        return []
    try:
        tests = json.loads(out.stdout).get("tests", [])
    except ValueError:
        return []
    return sorted({Path(t["command"][0]).name for t in tests if t.get("command")})


_programs = []


def build_and_test(tree, build, jobs, log, timeout):
    """'broken', 'caught' (with the failing tests) or 'missed'."""
    # Only the test programs are rebuilt once they are known: the game, benchmarks and
    # generated data play no part in the verdict and cost minutes per mutation.
    cmd = ["cmake", "--build", "build", f"-j{jobs}"] + (["--target", *_programs] if _programs else [])
    if run(cmd, tree, log) != 0:
        return "broken", []
    if not _programs:
        _programs.extend(test_programs(tree))
    env = dict(os.environ, QV_REQUIRE_GL="1", SDL_AUDIODRIVER="dummy", LIBGL_ALWAYS_SOFTWARE="1")
    before = Path(log).stat().st_size
    code = run([str(tree / "tools" / "ci" / "with_xvfb.sh"), "ctest", "--test-dir", "build", "-L", "unit|gl",
                f"-j{jobs}", "--timeout", str(timeout), "--stop-on-failure"], tree, log, env=env)
    if code == 0:
        return "missed", []
    with open(log, encoding="utf-8", errors="replace") as f:
        f.seek(before)
        failed = re.findall(r"^\s*\d+ - (\S+) \(", f.read(), re.M)
    return "caught", failed


def main():
    ap = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    ap.add_argument("--mutations", default=str(DEFAULT_LIST), help="list file (default tools/mutations.txt)")
    ap.add_argument("--only", help="comma-separated mutation numbers")
    ap.add_argument("--match", help="only mutations whose file or description contains this text")
    ap.add_argument("--work", default="/tmp/qv-mutation", help="folder for the worktree and logs")
    ap.add_argument("--jobs", type=int, default=2)
    ap.add_argument("--timeout", type=int, default=600, help="seconds per test")
    ap.add_argument("--list", action="store_true", help="print the mutations and check they apply, then stop")
    ap.add_argument("--no-baseline", action="store_true", help="skip the unmutated run")
    ap.add_argument("--remove", action="store_true", help="remove the worktree afterwards (kept by default for quick reruns)")
    args = ap.parse_args()

    mutations = read_mutations(args.mutations)
    chosen = mutations
    if args.only:
        wanted = {int(n) for n in args.only.split(",")}
        chosen = [m for m in mutations if m.number in wanted]
    if args.match:
        chosen = [m for m in chosen if args.match.lower() in (m.file + " " + m.description).lower()]

    if args.list:
        bad = 0
        for m in chosen:
            problem = check_applies(REPO, m)
            bad += problem is not None
            print(f"{m.number:3d} {m.file}: {m.description}" + (f"  [{problem}]" if problem else ""))
        print(f"{len(chosen)} mutations, {bad} that do not apply")
        return 1 if bad else 0

    work = Path(args.work)
    work.mkdir(parents=True, exist_ok=True)
    log = work / "mutation.log"
    log.write_text("", encoding="utf-8")
    tree, build = prepare_tree(work, args.jobs, log)
    print(f"worktree {tree}, log {log}", flush=True)

    if not args.no_baseline:
        status, failed = build_and_test(tree, build, args.jobs, log, args.timeout)
        if status != "missed":
            sys.exit(f"the unmutated tree is not green ({status} {' '.join(failed)}); see {log}")
        print("baseline green", flush=True)

    results = []
    for m in chosen:
        problem = check_applies(tree, m)
        if problem:
            results.append((m, "invalid", [problem]))
            print(f"{m.number:3d} invalid  {m.description}: {problem}", flush=True)
            continue
        path = tree / m.file
        original = path.read_text(encoding="utf-8")
        start = time.monotonic()
        try:
            path.write_text(original.replace(m.original, m.replacement, 1), encoding="utf-8")
            status, failed = build_and_test(tree, build, args.jobs, log, args.timeout)
        finally:
            path.write_text(original, encoding="utf-8")
        results.append((m, status, failed))
        took = time.monotonic() - start
        print(f"{m.number:3d} {status:8s} {m.file}: {m.description} ({took:.0f} s)"
              + (f" <- {', '.join(failed[:4])}" if failed else ""), flush=True)

    counted = [r for r in results if r[1] in ("caught", "missed")]
    caught = sum(1 for r in counted if r[1] == "caught")
    print(f"\ncaught {caught} of {len(counted)}"
          + (f" ({100 * caught / len(counted):.0f} %)" if counted else "")
          + f"; broken {sum(r[1] == 'broken' for r in results)}, invalid {sum(r[1] == 'invalid' for r in results)}")
    for m, status, _ in results:
        if status != "caught":
            print(f"  {status}: {m.number} {m.file}: {m.description}")
    if args.remove:
        run(["git", "worktree", "remove", "--force", str(tree)], REPO, log)
    return 0 if all(r[1] == "caught" for r in results) else 1


if __name__ == "__main__":
    sys.exit(main())
