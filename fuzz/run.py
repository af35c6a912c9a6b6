#!/usr/bin/env python3
"""Runs every fuzzer of the native build for a while, each on a scratch copy
of its seed corpus (the committed seeds stay as they are). A crash leaves its
input in the scratch folder, which is named in the output."""

import argparse
import shutil
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--build", required=True, help="the native build folder")
    parser.add_argument("--seconds", type=int, default=60, help="time per fuzzer")
    parser.add_argument("names", nargs="*", help="only these fuzzers")
    args = parser.parse_args()
    fuzzers = sorted(p for p in (Path(args.build) / "fuzz").glob("fuzz_*") if p.is_file())
    if args.names:
        fuzzers = [f for f in fuzzers if f.name in args.names]
    scratch = Path(tempfile.mkdtemp(prefix="qnb-fuzz."))
    failed = []
    for fuzzer in fuzzers:
        corpus = scratch / fuzzer.name
        seeds = HERE / "corpus" / fuzzer.name
        if seeds.is_dir():
            shutil.copytree(seeds, corpus)
        else:
            corpus.mkdir()
        run = subprocess.run([str(fuzzer), f"-max_total_time={args.seconds}", "-print_final_stats=1",
                              f"-artifact_prefix={scratch}/{fuzzer.name}-", str(corpus)],
                             capture_output=True, text=True, errors="replace")
        runs = next((l.split(":")[-1].strip() for l in run.stderr.splitlines()
                     if l.startswith("stat::number_of_executed_units")), "?")
        print(f"{fuzzer.name:24} {'ok' if run.returncode == 0 else 'FAILED'}  {runs} runs")
        if run.returncode != 0:
            failed.append(fuzzer.name)
            print("\n".join(run.stderr.splitlines()[-20:]))
    print(f"scratch corpora and any crash inputs: {scratch}")
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
