#!/usr/bin/env python3
"""Listings written to PDF by the real program from the command line.

With no display at all (DISPLAY and QT_QPA_PLATFORM unset), `kesto
--print-two-column P.m --to out.pdf` on a program with Japanese comments and
lines wider than a column ends with 0 and writes a PDF whose words, read back
with `pdftotext -bbox`, are every statement's words whole, none beyond the
page, and whose right-column statements all start at one x. `--print` writes
the one-column listing. A missing program and an output in a missing folder
end non-zero with one line on stderr and write nothing.

usage: print_pdf.py KESTO_BINARY ARTEFACT_DIR
"""

import collections
import os
import re
import shutil
import subprocess
import sys
import tempfile

WORD = re.compile(r'<page width="([\d.]+)"|<word xMin="([\d.]+)" yMin="[\d.]+" '
                  r'xMax="([\d.]+)" yMax="[\d.]+">([^<]*)</word>')


def kesto(binary, work, *args):
    env = {k: v for k, v in os.environ.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    env["XDG_RUNTIME_DIR"] = tempfile.mkdtemp(dir=work)
    return subprocess.run([binary, *args], env=env, capture_output=True, text=True, timeout=120)


def pages(pdf):
    """(page width, [(xMin, xMax, word)]) per page."""
    html = subprocess.run(["pdftotext", "-bbox", pdf, "-"], capture_output=True, text=True,
                          check=True).stdout
    result = []
    for m in WORD.finditer(html):
        if m.group(1):
            result.append((float(m.group(1)), []))
        else:
            result[-1][1].append((float(m.group(2)), float(m.group(3)), m.group(4)))
    return result


def run(binary, artefacts):
    if not shutil.which("pdftotext"):
        raise RuntimeError("pdftotext is missing (Debian: poppler-utils)")
    work = tempfile.mkdtemp(prefix="kesto-print-")
    lines = []
    for n in range(1, 301):
        lines.append(f"N{n}G01X-1.889Z-1.889F1500")
        if n % 7 == 0:
            lines.append(f"N{n}G02X12.5Y-3.75I1.25J-2.5K0.5F1500S12000M08")
        if n % 11 == 0:
            lines.append(f"(荒加工工具交換T{n:02d})")
    program = os.path.join(work, "P.m")
    with open(program, "wb") as f:
        f.write(("\r\n".join(lines) + "\r\n").encode("cp932"))

    out = os.path.join(artefacts, "two-column.pdf")
    done = kesto(binary, work, "--print-two-column", program, "--to", out)
    if done.returncode != 0:
        raise RuntimeError(f"--print-two-column ended {done.returncode}: {done.stderr}")
    counts = collections.Counter()
    for width, words in pages(out):
        starts = set()
        for x_min, x_max, word in words:
            counts[word] += 1
            if x_max > width:
                raise RuntimeError(f"{word!r} passes the page's edge ({x_max} > {width})")
            if x_min > width * 0.4 and word[0] in "N(":
                starts.add(round(x_min, 1))
        if len(starts) != 1:
            raise RuntimeError(f"right-column statements start at {sorted(starts)}")
    expected = {"F1500": 300 + 300 // 7, "M08": 300 // 7, "(荒加工工具交換T297)": 1, "N300": 1}
    for word, count in expected.items():
        if counts[word] != count:
            raise RuntimeError(f"{word!r} printed {counts[word]} times, expected {count}")

    one = os.path.join(artefacts, "one-column.pdf")
    if kesto(binary, work, "--print", program, "--to", one).returncode != 0:
        raise RuntimeError("--print failed")
    text = subprocess.run(["pdftotext", one, "-"], capture_output=True, text=True).stdout
    if "N300 G01 X-1.889 Z-1.889 F1500 ;" not in text:
        raise RuntimeError("the one-column listing lacks the last statement")

    for args in (["--print", os.path.join(work, "missing.m"), "--to", os.path.join(work, "a.pdf")],
                 ["--print", program, "--to", os.path.join(work, "missing", "a.pdf")]):
        failed = kesto(binary, work, *args)
        if failed.returncode == 0 or len(failed.stderr.strip().splitlines()) != 1:
            raise RuntimeError(f"{args}: ended {failed.returncode}, said {failed.stderr!r}")
        if os.path.exists(args[-1]):
            raise RuntimeError(f"{args[-1]} was written")
    print("listings written to PDF without a display:", out, one)


if __name__ == "__main__":
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    os.makedirs(sys.argv[2], exist_ok=True)
    try:
        run(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))
    except Exception as error:  # report and fail the test
        print("FAILED:", error, file=sys.stderr)
        sys.exit(1)
