#!/usr/bin/python3
"""Kills imports and clean-ups of pantrela-cli at random moments and checks
that the collection is always whole: after each kill the next start lists
exactly the recipes of before or of after the operation, never a mixture,
and a following clean-up adds nothing.

usage: bench/kill_trials.py [--cli build/src/app/pantrela-cli] [--trials 40]
       [--base 4000] [--import 3000] [--seed N]

Not part of the test run; it prints its figures and exits 1 when a trial
found a mixture, a listing changed by a clean-up, or a failed command.
"""
import argparse
import os
import random
import shutil
import signal
import subprocess
import sys
import tempfile
import time


def meal_master(first, count, tag):
    out = []
    for i in range(first, first + count):
        out.append(
            "---------- Recipe via Meal-Master (tm) v8.01\r\n"
            f"      Title: {tag} Dish {i:05d}\r\n"
            f" Categories: {tag} {i % 17}\r\n"
            "   Servings: 4\r\n\r\n"
            f"      {1 + i % 5} c  Rice\r\n      2 tb Butter\r\n      1    Onion, chopped\r\n\r\n"
            "  Cook the rice. " + "Stir now and then. " * (5 + i % 20) + "\r\n-----\r\n\r\n")
    return "".join(out)


class Cli:
    def __init__(self, path):
        self.path = path

    def args(self, data, *rest):
        return [self.path, "--yes", "--data-dir", data] + list(rest)

    def run(self, data, *rest):
        p = subprocess.run(self.args(data, *rest), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        return p.returncode, p.stdout.decode("utf-8", "replace"), p.stderr.decode("utf-8", "replace")

    def listing(self, data):
        rc, out, err = self.run(data, "list")
        if rc != 0:
            raise RuntimeError(f"list failed ({rc}): {err}")
        return sorted(line.split("\t")[0] for line in out.splitlines() if line)

    def killed(self, data, delay, *rest):
        """Starts the command, kills it with SIGKILL after `delay` seconds;
        True when it was still running then."""
        p = subprocess.Popen(self.args(data, *rest), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        try:
            p.wait(timeout=delay)
            return False
        except subprocess.TimeoutExpired:
            p.send_signal(signal.SIGKILL)
            p.wait()
            return True


def timed(fn):
    start = time.monotonic()
    fn()
    return time.monotonic() - start


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    ap = argparse.ArgumentParser()
    ap.add_argument("--cli", default=os.path.join(here, "..", "build", "src", "app", "pantrela-cli"))
    ap.add_argument("--trials", type=int, default=40)
    ap.add_argument("--base", type=int, default=20000, help="recipes in the collection before")
    ap.add_argument("--import", dest="imported", type=int, default=20000, help="recipes in the imported file")
    ap.add_argument("--seed", type=int, default=None)
    a = ap.parse_args()
    seed = a.seed if a.seed is not None else int(time.time())
    rng = random.Random(seed)
    cli = Cli(os.path.abspath(a.cli))
    work = tempfile.mkdtemp(prefix="pantrela-kill-")
    failures = []
    try:
        base = os.path.join(work, "base") + "/"
        os.makedirs(base)
        src = os.path.join(work, "base.mmf")
        with open(src, "w", newline="") as f:
            f.write(meal_master(0, a.base, "Base"))
        imp = os.path.join(work, "import.mmf")
        with open(imp, "w", newline="") as f:
            f.write(meal_master(0, a.imported, "New"))
        rc, _, err = cli.run(base, "import", "--chapters", src)
        assert rc == 0, err
        # Deleted versions give the clean-up something to drop.
        rc, _, err = cli.run(base, "delete-chapter", "Base 3")
        assert rc == 0, err
        before = cli.listing(base)

        def fresh(name):
            d = os.path.join(work, name) + "/"
            shutil.rmtree(d, ignore_errors=True)
            shutil.copytree(base, d)
            return d

        d = fresh("full")
        import_time = timed(lambda: cli.run(d, "import", "--chapters", imp))
        after = cli.listing(d)
        assert len(after) == len(before) + a.imported, (len(after), len(before))
        d = fresh("full")
        cleanup_time = timed(lambda: cli.run(d, "cleanup"))
        assert cli.listing(d) == before

        print(f"seed {seed}; collection {len(before)} recipes, import of {a.imported}")
        print(f"uninterrupted: import {import_time:.2f} s, clean-up {cleanup_time:.2f} s")

        results = {}
        for kind, command, span, outcomes in (
            ("import", ("import", "--chapters", imp), import_time, {"before": before, "after": after}),
            ("clean-up", ("cleanup",), cleanup_time, {"unchanged": before}),
        ):
            counts = {name: 0 for name in outcomes}
            counts.update({"finished before the kill": 0, "mixture": 0, "clean-up added": 0})
            for trial in range(a.trials):
                d = fresh("trial")
                delay = rng.uniform(0.02, span * 1.05)
                if not cli.killed(d, delay, *command):
                    counts["finished before the kill"] += 1
                got = cli.listing(d)  # the next start
                name = next((n for n, want in outcomes.items() if got == want), None)
                if name is None:
                    counts["mixture"] += 1
                    failures.append(f"{kind} trial {trial} (kill at {delay:.3f} s): {len(got)} recipes listed")
                else:
                    counts[name] += 1
                rc, _, err = cli.run(d, "cleanup")
                if rc != 0:
                    failures.append(f"{kind} trial {trial}: clean-up failed: {err.strip()}")
                if cli.listing(d) != got:
                    counts["clean-up added"] += 1
                    failures.append(f"{kind} trial {trial} (kill at {delay:.3f} s): the clean-up changed the list")
            results[kind] = counts
            print(f"{kind}: {a.trials} kills at random moments within {span * 1.05:.2f} s: " +
                  ", ".join(f"{n} {c}" for n, c in counts.items()))
    finally:
        shutil.rmtree(work, ignore_errors=True)
    for f in failures:
        print("FAILED:", f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
