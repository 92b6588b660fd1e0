#!/usr/bin/env python3
"""The suite's mutation score: hours of work, so never part of the test command.

    python3 scripts/mutation.py                    # the seeds and size of docs/reliability.md
    python3 scripts/mutation.py --seeds 5 6 --n 50
    python3 scripts/mutation.py --summary-only     # the summary again from the last reports
    python3 scripts/mutation.py --runs 2           # two seeds at a time (each its own cache)
    python3 scripts/mutation.py --windows-only     # the registry store's mutants under wine
    python3 scripts/mutation.py --recheck          # the last reports' survivors against HEAD's tests

Draws mutants of src/, bench/ (but the emulated adapter) and driver/ (the bench's driver core)
with ../shared/tools/mutate.py, one run per seed, each mutant rebuilt and run through CTest but
for the journeys and the adapter's own runs (see EXCLUDE). The Linux build never compiles the
Windows-only files (the registry store), so they stay out of that draw: every one of their mutants runs through the Windows
tests instead, cross-compiled and run under wine, and is counted apart. Writes
build-mutation/summary.md, which scripts/reliability.sh puts into docs/reliability.md; a
survivor is explained there when scripts/mutation-explanations.tsv holds a line for it.

A test written for a survivor changes no code that is drawn from, so the draw of a later run
would be the same: --recheck runs the survivors of the reports in build-mutation/ again (but
those explained as equivalent), against HEAD's tests, and keeps in each report the commit they
were rechecked at. It refuses
when src/, bench/ or driver/ differ from the commit the mutants were drawn at.
"""
import argparse
import glob
import json
import os
import shutil
import subprocess
import sys
import tempfile

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
TOOL = os.path.join(os.path.dirname(ROOT), "shared", "tools", "mutate.py")
OUT = os.path.join(ROOT, "build-mutation")
EXPLANATIONS = os.path.join(ROOT, "scripts", "mutation-explanations.tsv")
# The emulated adapter serves the adapter library's tests, which EXCLUDE leaves out.
ADAPTER_EMULATOR = "bench/emulator/"
WINDOWS_ONLY = ["src/platform/registry_store.cpp", "src/platform/registry_store.h"]
DEFAULT_SEEDS = [11, 12, 13, 14]
DEFAULT_N = 25
# The journeys drive the same binaries as the end-to-end tests, slowly; the adapter's own runs
# drive them over the emulated adapter, which is no code of src/, bench/ or driver/.
EXCLUDE = "^journey/|^e2e/adapter_|^drivers/adapter_"

sys.path.insert(0, os.path.dirname(TOOL))
import mutate  # noqa: E402  (the shared tool: how candidates are found and drawn)


def git(*args, cwd=ROOT):
    return subprocess.run(["git", *args], cwd=cwd, check=True, capture_output=True,
                          text=True).stdout.strip()


def linux_paths():
    files = git("ls-files", "src", "bench", "driver").split("\n")
    return [f for f in files if f.endswith(mutate.CODE_EXTENSIONS) and f not in WINDOWS_ONLY
            and not f.startswith(ADAPTER_EMULATOR)]


def seed_root(seed):
    """Each seed's own temporary root, so that seeds can run side by side on one commit."""
    return os.path.join(tempfile.gettempdir(), f"mutation-seed{seed}")


def report_path(sha, seed, n):
    return os.path.join(seed_root(seed), "mutate", f"{sha[:12]}-seed{seed}-n{n}.json")


def prepare_quick_build(sha, env):
    """The tool configures its build only when it finds none in its cache. One made here first
    compiles without optimisation or debug information (the program's own build has both), and
    links with LLVM's linker when there is one, so that each mutant's rebuild does less work;
    the code and the tests are the same."""
    cache = os.path.join(env["TMPDIR"], "mutate", sha[:12])
    src, build = os.path.join(cache, "src"), os.path.join(cache, "build")
    if os.path.exists(os.path.join(build, "CMakeCache.txt")):
        return
    if not os.path.isdir(os.path.join(src, ".git")):
        subprocess.run(["git", "clone", "-q", "--no-checkout", ROOT, src], check=True)
        subprocess.run(["git", "checkout", "-q", "--detach", sha], cwd=src, check=True)
    subprocess.run(["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=Quick",
                    "-DCMAKE_CXX_FLAGS_QUICK=-O0", "-DCMAKE_C_FLAGS_QUICK=-O0",
                    "-DCMAKE_CXX_COMPILER_LAUNCHER=ccache", "-DCMAKE_C_COMPILER_LAUNCHER=ccache",
                    *faster_linker()], env=env, check=True, stdout=subprocess.DEVNULL)


def faster_linker():
    """Each mutant relinks some fifty programs: LLVM's linker does it about four times faster
    than the default one (0.5 s against 2.1 s for one test, measured here under load)."""
    if not shutil.which("ld.lld"):
        return []
    return [f"-DCMAKE_{kind}_LINKER_FLAGS=-fuse-ld=lld" for kind in ("EXE", "SHARED", "MODULE")]


def seed_env(seed):
    root = seed_root(seed)
    os.makedirs(root, exist_ok=True)
    env = dict(os.environ, TMPDIR=root)
    # Objects built for another seed or an earlier commit serve this one: paths in the cache
    # are relative to each root, and the cache itself is shared.
    env.setdefault("CCACHE_DIR", os.path.join(tempfile.gettempdir(), "mutation-ccache"))
    env["CCACHE_BASEDIR"] = os.path.join(root, "mutate")
    env.setdefault("CCACHE_NOHASHDIR", "1")
    return env


def start_seed(seed, n, sha):
    env = seed_env(seed)
    prepare_quick_build(sha, env)
    command = [sys.executable, TOOL, "--checkout", ROOT, "--n", str(n), "--seed", str(seed),
               "--exclude", EXCLUDE, "--stop-on-failure", "--timeout", "600",
               "--paths", *linux_paths()]
    log = open(os.path.join(OUT, f"linux-seed{seed}.log"), "w")
    log.write("$ " + " ".join(command[:13]) + " --paths <src, bench and driver but "
              + " ".join(WINDOWS_ONLY) + ">\n")
    log.flush()
    return subprocess.Popen(command, env=env, stdout=log, stderr=subprocess.STDOUT)


def run_linux(sha, seeds, n, runs):
    waiting, running = list(seeds), []
    while waiting or running:
        while waiting and len(running) < runs:
            seed = waiting.pop(0)
            running.append((seed, start_seed(seed, n, sha)))
        seed, process = running.pop(0)
        if process.wait() != 0:
            sys.exit(f"mutation: seed {seed} failed; see {OUT}/linux-seed{seed}.log")
        shutil.copy(report_path(sha, seed, n), OUT)


def apply_mutant(src, m):
    """Puts the mutant's line in place of the original in the checkout `src`."""
    path = os.path.join(src, m["file"])
    with open(path, newline="") as f:
        lines = f.read().split("\n")
    lines[m["line"] - 1] = m["after"]
    with open(path, "w", newline="") as f:
        f.write("\n".join(lines))


def rebuild_and_test(src, build, env):
    """(outcome, first failing tests) of the checkout in `src` as it stands."""
    rc, out = run(["cmake", "--build", build], src, env)
    if rc != 0:
        return "invalid", []
    rc, out = run(["ctest", "-E", EXCLUDE, "--stop-on-failure", "--timeout", "600",
                   "--output-on-failure"], build, env)
    return ("killed" if rc != 0 else "survived"), mutate.failing_tests(out)


def recheck_report(path, head):
    report = json.load(open(path))
    if report.get("rechecked_at") == head:
        return
    drawn = report["commit"]
    if subprocess.run(["git", "diff", "--quiet", drawn, head, "--", "src", "bench", "driver"],
                      cwd=ROOT).returncode != 0:
        sys.exit(f"mutation: the code differs from {drawn[:12]}, where seed {report['seed']} "
                 "was drawn: run the seeds again instead")
    cache = os.path.join(seed_root(report["seed"]), "mutate", drawn[:12])
    src, build = os.path.join(cache, "src"), os.path.join(cache, "build")
    env = seed_env(report["seed"])
    subprocess.run(["git", "fetch", "-q", ROOT, head], cwd=src, check=True)
    subprocess.run(["git", "checkout", "-q", "--detach", head], cwd=src, check=True)
    try:
        # One explained as equivalent survives whatever the tests: no run can tell it apart.
        known = explanations()
        for m in report["mutations"]:
            if m["outcome"] != "survived" or (m["file"], m["before"].strip(), m["after"].strip()) in known:
                continue
            apply_mutant(src, m)
            m["outcome"], m["failing"] = rebuild_and_test(src, build, env)
            subprocess.run(["git", "checkout", "-q", "--", m["file"]], cwd=src, check=True)
            print(f"seed {report['seed']} {m['id']} {m['outcome']:8} {m['file']}:{m['line']}",
                  flush=True)
    finally:
        # The tool's own runs expect the cache at the commit it was drawn at.
        subprocess.run(["git", "checkout", "-q", "--detach", drawn], cwd=src, check=True)
    report.setdefault("first_run_killed", report["killed"])
    for key in ("killed", "survived", "invalid"):
        report[key] = sum(m["outcome"] == key for m in report["mutations"])
    valid = report["killed"] + report["survived"]
    report["score_percent"] = round(100.0 * report["killed"] / valid, 1) if valid else 0.0
    report["rechecked_at"] = head
    with open(path, "w") as f:
        json.dump(report, f, indent=1)


def recheck(head):
    for path in sorted(glob.glob(os.path.join(OUT, "*-seed*-n*.json"))):
        recheck_report(path, head)


def run(command, cwd, env=None):
    result = subprocess.run(command, cwd=cwd, env=env, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, errors="replace")
    return result.returncode, result.stdout


def run_windows(sha):
    """Every mutant of the Windows-only files, through the Windows tests under wine."""
    work = tempfile.mkdtemp(prefix="mutate-windows-")
    src, build = os.path.join(work, "src"), os.path.join(work, "build")
    subprocess.run(["git", "clone", "-q", ROOT, src], check=True)
    subprocess.run(["git", "checkout", "-q", "--detach", sha], cwd=src, check=True)
    env = dict(os.environ, WINEPREFIX=os.path.join(work, "wine"), WINEDEBUG="-all",
               WINEDLLOVERRIDES="mscoree,mshtml=")
    wine = "/usr/lib/wine/wine64"
    configure = ["cmake", "-S", src, "-B", build, "-G", "Ninja", "-DCMAKE_BUILD_TYPE=RelWithDebInfo",
                 "-DPULVAR_WINDOW=OFF", f"-DCMAKE_TOOLCHAIN_FILE={src}/cmake/mingw-x86_64.cmake"]
    test = ["ctest", "--output-on-failure", "-R", "^plain/"]
    try:
        for step in (configure, ["cmake", "--build", build], [wine, "wineboot", "-i"], test):
            rc, out = run(step, work, env)
            if rc != 0:
                sys.exit("mutation: the Windows baseline failed at " + " ".join(step) + "\n" + out)
        mutants = [c for f in WINDOWS_ONLY for c in mutate.file_candidates(src, f)]
        for m in mutants:
            apply_mutant(src, m)
            rc, out = run(["cmake", "--build", build], work, env)
            if rc != 0:
                m["outcome"] = "invalid"
            else:
                rc, out = run(test, build, env)
                m["outcome"] = "killed" if rc != 0 else "survived"
            subprocess.run(["git", "checkout", "-q", "--", m["file"]], cwd=src, check=True)
            print(f"windows {m['outcome']:8} {m['file']}:{m['line']} [{m['kind']}]", flush=True)
    finally:
        subprocess.run(["wineserver", "-k"], env=env, cwd=work)
    with open(os.path.join(OUT, "windows.json"), "w") as f:
        json.dump({"commit": sha, "mutations": mutants}, f, indent=1)
    shutil.rmtree(work, ignore_errors=True)


def explanations():
    known = {}
    if os.path.exists(EXPLANATIONS):
        for line in open(EXPLANATIONS, encoding="utf-8"):
            if line.strip() and not line.startswith("#"):
                file, before, after, why = line.rstrip("\n").split("\t")
                known[(file, before.strip(), after.strip())] = why
    return known


def summary():
    known = explanations()
    reports = [json.load(open(p)) for p in sorted(glob.glob(os.path.join(OUT, "*-seed*-n*.json")))]
    rows, survivors = [], []
    totals = {"killed": 0, "survived": 0, "invalid": 0}
    for r in reports:
        rows.append(f"| {r['seed']} | {r['n']} | {r['killed']} | {r['survived']} | {r['invalid']} "
                    f"| {r['score_percent']} % | {round(r['run_time_s'] / 60)} |")
        for key in totals:
            totals[key] += r[key]
        survivors += [m for m in r["mutations"] if m["outcome"] == "survived"]
    valid = totals["killed"] + totals["survived"]
    score = 100.0 * totals["killed"] / valid if valid else 0.0
    text = ["| seed | mutants | killed | survived | invalid | score | minutes |",
            "|---|---|---|---|---|---|---|", *rows,
            f"| all | {valid + totals['invalid']} | {totals['killed']} | {totals['survived']} "
            f"| {totals['invalid']} | {score:.1f} % | |", ""]
    rechecked = {r["rechecked_at"][:12] for r in reports if "rechecked_at" in r}
    if rechecked:
        first = sum(r.get("first_run_killed", r["killed"]) for r in reports)
        text.insert(0, f"The first run killed {first} of {valid} valid ({100.0 * first / valid:.1f} %); "
                       f"its survivors were run again against the tests of commit "
                       f"{', '.join(sorted(rechecked))}, the code drawn from unchanged.\n")
    if reports:
        text.insert(0, f"Commit {reports[0]['commit'][:12]}; "
                       f"mutation score {totals['killed']} killed of {valid} valid "
                       f"({score:.1f} %).\n")
    text += ["Each survivor, and why no test can catch it:", ""]
    for m in survivors:
        why = known.get((m["file"], m["before"].strip(), m["after"].strip()), "not explained")
        text.append(f"- `{m['file']}:{m['line']}` `{m['before'].strip()}` -> "
                    f"`{m['after'].strip()}`: {why}")
    windows = os.path.join(OUT, "windows.json")
    if os.path.exists(windows):
        report = json.load(open(windows))
        mutants = report["mutations"]
        count = {k: sum(m["outcome"] == k for m in mutants) for k in ("killed", "survived", "invalid")}
        text += ["", f"Windows-only files ({', '.join(WINDOWS_ONLY)}) at commit "
                     f"{report['commit'][:12]}, every mutant through the "
                     f"Windows tests under wine: {count['killed']} killed, {count['survived']} "
                     f"survived, {count['invalid']} invalid."]
        for m in mutants:
            if m["outcome"] == "survived":
                why = known.get((m["file"], m["before"].strip(), m["after"].strip()),
                                "not explained")
                text.append(f"- `{m['file']}:{m['line']}` `{m['before'].strip()}` -> "
                            f"`{m['after'].strip()}`: {why}")
    with open(os.path.join(OUT, "summary.md"), "w") as f:
        f.write("\n".join(text) + "\n")
    print("\n".join(text))


def main():
    ap = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    ap.add_argument("--seeds", type=int, nargs="+", default=DEFAULT_SEEDS)
    ap.add_argument("--n", type=int, default=DEFAULT_N, help="mutants per seed")
    ap.add_argument("--summary-only", action="store_true")
    ap.add_argument("--skip-windows", action="store_true")
    ap.add_argument("--windows-only", action="store_true",
                    help="only the Windows-only files, beside the Linux reports already there")
    ap.add_argument("--runs", type=int, default=1, help="seeds run side by side")
    ap.add_argument("--recheck", action="store_true",
                    help="the survivors of the last reports again, against HEAD's tests")
    args = ap.parse_args()
    os.makedirs(OUT, exist_ok=True)
    if not args.summary_only:
        if git("status", "--porcelain", "--untracked-files=no"):
            sys.exit("mutation: commit first: only HEAD is mutated")
        sha = git("rev-parse", "HEAD")
        if args.recheck:
            recheck(sha)
        elif not args.windows_only:
            # The Windows report stays: the registry store's mutants are counted apart.
            for old in glob.glob(os.path.join(OUT, "*-seed*-n*.json")):
                os.remove(old)
            run_linux(sha, args.seeds, args.n, args.runs)
        if not args.skip_windows and not args.recheck:
            run_windows(sha)
    summary()


if __name__ == "__main__":
    main()
