#!/usr/bin/env bash
# Mutation testing: how many small, deliberate faults in the product code do
# the tests catch?
#
#   scripts/mutate.sh [--count N] [--seed S] [--build DIR] [--list] [--only FILE:LINE]
#                     [--save FILE] [--sample FILE]
#
# Makes a fixed, seeded sample of mutants of the product code (a comparison
# flipped, a "+ 1" / "- 1" dropped or added, a condition negated, a return value
# changed, a statement deleted), spread over data/, seismology/, shell/, views/,
# sound/, dialogs/ and maintenance/ (fileio/ counts with data/). For each one it rebuilds what the file
# touches in a build folder of its own (build-mutate/ by default), runs the
# test programs that were relinked with it (the others run unchanged code)
# and counts the mutant killed when a test fails or hangs. A
# mutant that does not compile is not counted and the next candidate of the
# same folder takes its place, so the sample is the same for the same product
# code whatever the tests are. Prints the kill rate and the survivors
# (file:line, what was changed).
#
# --save FILE writes the mutants that were built (file, line, the line before
# and after), and --sample FILE runs exactly those again, each found by its
# original text nearest to its old line number, so that a run after the tests
# or unrelated code changed measures the same faults. scripts/mutants-baseline.jsonl
# is the sample the test suite's kill rate is tracked on.
#
# Every file is restored when the script ends, also on Ctrl-C or kill; a copy
# of the file under mutation is kept in the build folder, and a run that finds
# one left behind by a killed run (kill -9, power cut) restores it first.
#
# Needs python3 (Debian package python3) besides what the build needs.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
count=84
seed=20261206
build="$top/build-mutate"
list=0
only=""
save=""
samplefile=""
while [[ $# -gt 0 ]]; do
    case "$1" in
        --count) count="$2"; shift 2;;
        --seed) seed="$2"; shift 2;;
        --build) build="$2"; shift 2;;
        --list) list=1; shift;;
        --only) only="$2"; shift 2;;
        --save) save="$(realpath -m "$2")"; shift 2;;
        --sample) samplefile="$(realpath "$2")"; shift 2;;
        -h|--help) sed -n '2,28p' "$0"; exit 0;;
        *) echo "mutate.sh: unknown option $1" >&2; exit 2;;
    esac
done
command -v python3 >/dev/null || { echo "mutate.sh needs python3 (apt-get install python3)" >&2; exit 2; }

export OV_TOP="$top" OV_BUILD="$build" OV_COUNT="$count" OV_SEED="$seed" OV_LIST="$list" OV_ONLY="$only" OV_SAVE="$save" OV_SAMPLE="$samplefile"
exec python3 - <<'PYTHON'
import json, os, random, re, shutil, signal, subprocess, sys, time

top = os.environ["OV_TOP"]
build = os.environ["OV_BUILD"]
count = int(os.environ["OV_COUNT"])
seed = int(os.environ["OV_SEED"])
list_only = os.environ["OV_LIST"] == "1"
only = os.environ["OV_ONLY"]
save_path = os.environ["OV_SAVE"]
sample_path = os.environ["OV_SAMPLE"]
folders = ["data", "seismology", "shell", "views", "sound", "dialogs", "maintenance"]
# fileio/ was split off data/ and shares its part of the sample.
sources_of = {f: [f] for f in folders}
sources_of["data"] = ["data", "fileio"]
backup = os.path.join(build, "mutate-backup")
backup_name = os.path.join(build, "mutate-backup.path")


def restore():
    """Puts back a file left mutated, by this run or by one that was killed."""
    if os.path.exists(backup_name):
        with open(backup_name) as f:
            path = f.read().strip()
        if path and os.path.exists(backup):
            shutil.copy2(backup, path)
            os.utime(path)  # newer than any mutant's object, so it is rebuilt
        os.remove(backup_name)
        if os.path.exists(backup):
            os.remove(backup)


def on_signal(signum, frame):
    restore()
    sys.exit(130)


signal.signal(signal.SIGINT, on_signal)
signal.signal(signal.SIGTERM, on_signal)
signal.signal(signal.SIGHUP, on_signal)

# ---------------------------------------------------------------- candidates
COMPARISONS = [(" < ", " >= "), (" <= ", " > "), (" > ", " <= "), (" >= ", " < "),
               (" == ", " != "), (" != ", " == ")]
SKIP_LINE = re.compile(r"^\s*(#|//|\*|/\*)|static_assert|template\s*<|std::\w+\s*<|<<|>>")
DECL_START = re.compile(r"^\s*(const\s+|static\s+|constexpr\s+|auto\s|unsigned\s|int\s|bool\s|"
                        r"double\s|float\s|char\s|long\s|short\s|size_t\s|std::|Q[A-Z]\w*\s|"
                        r"return\b|case\b|default\b|break\b|continue\b|goto\b|else\b|do\b|"
                        r"if\b|for\b|while\b|switch\b|public|private|protected|using\b|"
                        r"namespace\b|class\b|struct\b|enum\b|typedef\b|[A-Z]\w*(::\w+)*\s+[*&]?\w+\s*[=;({])")


def matching_paren(text, start):
    depth = 0
    for i in range(start, len(text)):
        if text[i] == "(":
            depth += 1
        elif text[i] == ")":
            depth -= 1
            if depth == 0:
                return i
    return -1


def candidates_of(path):
    rel = os.path.relpath(path, top)
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        lines = f.read().split("\n")
    out = []
    in_block_comment = False
    for n, line in enumerate(lines):
        stripped = line.strip()
        if in_block_comment:
            if "*/" in stripped:
                in_block_comment = False
            continue
        if stripped.startswith("/*") and "*/" not in stripped:
            in_block_comment = True
            continue
        if not stripped or SKIP_LINE.search(line) or '"' in line and line.count('"') % 2:
            continue
        code = line.split("//")[0]
        for a, b in COMPARISONS:
            i = code.find(a)
            if i >= 0:
                out.append((rel, n, "comparison %s->%s" % (a.strip(), b.strip()),
                            line[:i] + b + line[i + len(a):]))
        for a in (" + 1", " - 1"):
            i = code.find(a)
            if i >= 0 and not code[i + len(a):i + len(a) + 1].isalnum() and code[i + len(a):i + len(a) + 1] != ".":
                out.append((rel, n, "dropped '%s'" % a.strip(), line[:i] + line[i + len(a):]))
        m = re.search(r"\[(\w+)\]", code)
        if m and not m.group(1).isdigit():
            out.append((rel, n, "added '+ 1' to an index",
                        line[:m.end(1)] + " + 1" + line[m.end(1):]))
        m = re.search(r"\b(if|while)\s*\(", code)
        if m:
            end = matching_paren(line, m.end() - 1)
            if end > 0:
                cond = line[m.end():end]
                out.append((rel, n, "negated %s condition" % m.group(1),
                            line[:m.end()] + "!(" + cond + ")" + line[end:]))
        m = re.search(r"\breturn\s+(true|false|0|1|-1|nullptr|[A-Za-z_]\w*)\s*;", code)
        if m:
            value = m.group(1)
            other = {"true": "false", "false": "true", "0": "1", "1": "0", "-1": "0",
                     "nullptr": None}.get(value, "{}")
            if other is not None:
                out.append((rel, n, "return %s instead of %s" % (other, value),
                            line[:m.start(1)] + other + line[m.end(1):]))
        if (stripped.endswith(";") and not DECL_START.search(line) and stripped.count("(") == stripped.count(")")
                and not stripped.startswith(("}", "{", ")")) and "=" in stripped or
                re.match(r"^\s*[\w.\->]+\(.*\);\s*$", line) and not DECL_START.search(line)):
            if not stripped.endswith(("{", ",")) and "[&" not in stripped:
                out.append((rel, n, "deleted statement", re.sub(r"\S.*$", ";", line)))
    return out, lines


def sample():
    rng = random.Random(seed)
    per_folder = {}
    texts = {}
    for folder in folders:
        cands = []
        for root, _, files in sorted(w for src in sources_of[folder] for w in os.walk(os.path.join(top, src))):
            for name in sorted(files):
                if name.endswith(".cpp") and name != "main.cpp" and "render" not in name:
                    c, lines = candidates_of(os.path.join(root, name))
                    cands += c
                    texts[os.path.relpath(os.path.join(root, name), top)] = lines
        cands.sort()
        rng.shuffle(cands)
        per_folder[folder] = cands
    return per_folder, texts


def load_sample(texts):
    """Mutants of a saved sample, each placed at its original line nearest to
    where it was; a mutant whose line is gone is reported and left out."""
    out = {f: [] for f in folders}
    with open(sample_path) as f:
        for row in f:
            if not row.strip():
                continue
            m = json.loads(row)
            lines = texts.get(m["file"])
            if lines is None:
                lines = open(os.path.join(top, m["file"]), encoding="utf-8", errors="surrogateescape").read().split("\n")
                texts[m["file"]] = lines
            places = [i for i, l in enumerate(lines) if l == m["before"]]
            if not places:
                print("sample: %s:%d no longer holds %r; left out" % (m["file"], m["line"], m["before"].strip()))
                continue
            n = min(places, key=lambda i: abs(i - (m["line"] - 1)))
            group = next(f for f in folders if m["file"].split("/")[0] in sources_of[f])
            out[group].append((m["file"], n, m["what"], m["after"]))
    return out


# ------------------------------------------------------------------- running
def run(cmd, timeout=None, env=None):
    try:
        p = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, timeout=timeout, env=env)
        return p.returncode, p.stdout.decode(errors="replace")
    except subprocess.TimeoutExpired:
        return "timeout", ""


def test_programs():
    # Only programs the build still makes: a test program removed from the
    # sources may have left its old binary behind.
    rc, out = run(["cmake", "--build", build, "--target", "help"])
    targets = {line.split(":")[0].strip() for line in out.splitlines()}
    progs = []
    for area in sorted(os.listdir(os.path.join(build, "tests"))):
        d = os.path.join(build, "tests", area)
        if os.path.isdir(d):
            for name in sorted(os.listdir(d)):
                p = os.path.join(d, name)
                if name.startswith("test_") and name in targets and os.access(p, os.X_OK) and os.path.isfile(p):
                    progs.append(p)
    # The slow programs last, so a killed mutant is usually caught early.
    slow = ("test_raytracing", "test_builder")
    return sorted(progs, key=lambda p: os.path.basename(p) in slow)


def configure_and_build():
    if not os.path.exists(os.path.join(build, "build.ninja")):
        # With ccache the original of a file is a cache hit when it is rebuilt
        # after its mutant, and a second run with the same sample rebuilds
        # nothing it has seen.
        launcher = ["-DCMAKE_CXX_COMPILER_LAUNCHER=ccache"] if shutil.which("ccache") else []
        rc, out = run(["cmake", "-S", top, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo"] + launcher)
        if rc != 0:
            print(out)
            sys.exit("mutate.sh: configure failed")
    rc, out = run(["cmake", "--build", build])
    if rc != 0:
        print(out[-4000:])
        sys.exit("mutate.sh: the unmutated code does not build")
    # Some tests read the tables of the demo installation.
    rc, out = run(["cmake", "--build", build, "--target", "help"])
    if rc == 0 and any(line.startswith("demo:") for line in out.splitlines()):
        rc, out = run(["cmake", "--build", build, "--target", "demo"])
        if rc != 0:
            print(out[-4000:])
            sys.exit("mutate.sh: the demo installation does not build")


def tests_pass(progs, env):
    for p in progs:
        rc, out = run([p], timeout=120, env=env)
        if rc != 0:
            return False, os.path.basename(p) + ("" if rc != "timeout" else " (hung)")
    return True, ""


def main():
    os.makedirs(build, exist_ok=True)
    restore()
    per_folder, texts = sample()
    if sample_path:
        per_folder = load_sample(texts)
    if list_only:
        for folder in folders:
            for rel, n, what, _ in per_folder[folder][:count // len(folders) + 1]:
                print("%s:%d %s" % (rel, n + 1, what))
        return
    print("Building %s ..." % build, flush=True)
    configure_and_build()
    progs = test_programs()
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen", GTEST_FAIL_FAST="1")
    ok, which = tests_pass(progs, env)
    if not ok:
        sys.exit("mutate.sh: the tests fail without any mutant (%s)" % which)

    quota = {f: count // len(folders) + (1 if i < count % len(folders) else 0) for i, f in enumerate(folders)}
    if only:
        quota = {f: 0 for f in folders}
    if sample_path:
        quota = {f: len(per_folder[f]) for f in folders}
    built = []
    killed, survivors, tried, skipped = 0, [], 0, 0
    started = time.time()
    for folder in folders:
        cands = per_folder[folder]
        if only:
            cands = [c for c in sum(per_folder.values(), []) if "%s:%d" % (c[0], c[1] + 1) == only][:1]
            quota[folder] = len(cands)
        done = 0
        for rel, n, what, new_line in cands:
            if done >= quota[folder]:
                break
            path = os.path.join(top, rel)
            lines = list(texts[rel])
            lines[n] = new_line
            shutil.copy2(path, backup)
            with open(backup_name, "w") as f:
                f.write(path)
            try:
                with open(path, "w", encoding="utf-8", errors="surrogateescape") as f:
                    f.write("\n".join(lines))
                stamps = {p: os.stat(p).st_mtime_ns for p in progs}
                rc, out = run(["cmake", "--build", build] + sum([["--target", os.path.basename(p)] for p in progs], []),
                              timeout=900)
                if rc != 0:
                    skipped += 1
                    continue
                done += 1
                tried += 1
                built.append({"file": rel, "line": n + 1, "what": what,
                              "before": texts[rel][n], "after": new_line})
                relinked = [p for p in progs if os.stat(p).st_mtime_ns != stamps[p]]
                ok, which = tests_pass(relinked, env)
                status = "survived" if ok else "killed by " + which
                if ok:
                    survivors.append("%s:%d  %s" % (rel, n + 1, what))
                else:
                    killed += 1
                print("[%3d] %-44s %-32s %s" % (tried, "%s:%d" % (rel, n + 1), what[:32], status), flush=True)
            finally:
                restore()
    # Leave the build folder matching the restored sources.
    run(["cmake", "--build", build])
    minutes = (time.time() - started) / 60
    if save_path:
        with open(save_path, "w") as f:
            for m in built:
                f.write(json.dumps(m) + "\n")
    print()
    print("Mutants: %d built (%d did not compile and were replaced), %d killed, %d survived"
          % (tried, skipped, killed, len(survivors)))
    if tried:
        print("Kill rate: %.1f %%  (seed %d, %.0f min)" % (100.0 * killed / tried, seed, minutes))
    if survivors:
        print("Survivors:")
        for s in survivors:
            print("  " + s)


try:
    main()
finally:
    restore()
PYTHON
