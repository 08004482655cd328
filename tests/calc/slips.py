#!/usr/bin/python3
"""cuplo-calc on the slips a new user makes: the exit status and the exact standard error each
must give, nothing on standard output, and no file left in the output folder but the one a
successful run writes.

usage: slips.py CUPLO_CALC DEFAULTS_FILE
"""
import os
import subprocess
import sys
import tempfile

calc, defaults = sys.argv[1:3]
D = ["--defaults", defaults]
HIGH_F = "is above any microstrip coupler's frequency"

# (arguments, exit status, standard error lines without "cuplo-calc: ", file the run writes);
# {dir} is the output folder.
SLIPS = [
    # A bare number is in inches or GHz: a value meant in mm or MHz is far beyond a design.
    (["impedance", *D, "--h", "0.508"], 2,
     ["--h: 0.508 in is thicker than any microstrip substrate; "
      "for 0.508 mm write 0.508mm, for inches 0.508in"], None),
    (["dispersion", *D, "--f", "5800"], 2,
     [f"--f: 5800 GHz {HIGH_F}; for 5800 MHz write 5800MHz, for GHz 5800GHz"], None),
    (["response", *D, "--f", "10", "--fo", "10000", "-o", "{dir}/c.s4p"], 2,
     [f"--fo: 10000 GHz {HIGH_F}; for 10000 MHz write 10000MHz, for GHz 10000GHz"], None),
    (["impedance", *D, "--units", "mm", "--w", "30"], 2,
     ["--w: 30 mm is wider than any strip of a microstrip coupler; for 30 mil write 30mil, "
      "for mm 30mm"], None),
    # Written with its unit, the same number is taken as typed.
    (["impedance", *D, "--h", "0.508mm", "-o", "{dir}/c.csv"], 0, [], "c.csv"),
    # Touchstone names: the coupler is a four-port; other commands write none.
    (["response", *D, "--f", "6:14:1", "-o", "{dir}/c.s2p"], 2,
     ['-o: "{dir}/c.s2p": the coupler is a four-port, its Touchstone file is .s4p'], None),
    (["response", *D, "--f", "6:14:1", "--format", "csv", "-o", "{dir}/c.s4p"], 2,
     ['-o: "{dir}/c.s4p" is a Touchstone name, but --format csv writes csv: leave out --format, '
      "or rename the file"], None),
    (["impedance", *D, "-o", "{dir}/c.s4p"], 2,
     ['-o: "{dir}/c.s4p" is a Touchstone name; impedance writes no Touchstone file '
      "(response does): name it .csv, .json or .txt"], None),
    # An extension that chooses nothing is not silently a table.
    (["impedance", *D, "-o", "{dir}/c.dat"], 2,
     ['-o: "{dir}/c.dat": the extension chooses the format (.csv, .json, .txt): rename the '
      "file, or give --format"], None),
    (["impedance", *D, "-o", "{dir}/c.txt"], 0, [], "c.txt"),
    (["impedance", *D, "--format", "csv", "-o", "{dir}/c.dat"], 0, [], "c.dat"),
    # The output's folder is checked before anything is computed.
    (["impedance", *D, "--format", "csv", "-o", "/dev/full"], 4,
     ['cannot write "/dev/full": No space left on device'], None),
    (["layout", *D, "-o", "{dir}/nodir/c.gds"], 2,
     ['-o: "{dir}/nodir/c.gds": the folder "{dir}/nodir" does not exist'], None),
    (["impedance", *D, "-o", "{dir}"], 2, ['-o: "{dir}" is a folder'], None),
    # Typos: the nearest option or command, by edit distance.
    (["synthesize", *D, "--copling", "3"], 2,
     ['--copling: synthesize takes no such option ("--copling 3"); did you mean --coupling?'],
     None),
    (["impedance", *D, "--W=2mil"], 2,
     ['--W: impedance takes no such option ("--W=2mil"); did you mean --w?'], None),
    (["synthesise", *D], 2,
     ['"synthesise" is not a command (impedance, dispersion, synthesize, sensitivity, response, '
      "layout, tolerance); did you mean synthesize?"], None),
    # The parser's complaints in the house's form.
    (["impedance", *D, "--w", "1mil", "--w", "2mil"], 2, ["--w: given twice"], None),
    (["impedance", *D, "--w"], 2, ["--w: no value given"], None),
    (["sensitivity", *D, "--mode", "evn"], 2, ['--mode: "evn" is not even, odd or both'], None),
    (["impedance", *D, "--units", "nm"], 2, ['--units: "nm" is not in, mil, mm or um'], None),
    (["response", *D, "--f", "9:11:1", "--fo", "10", "--l", "0.1", "-o", "{dir}/c.s4p"], 2,
     ["--l: give --l or --fo, not both"], None),
    (["synthesize", *D, "--zo", "50", "--zoe", "120"], 2,
     ["--zo: give --zo and --coupling, or --zoe and --zoo, not both"], None),
    (["layout", *D, "--w", "2mil", "--coupling", "3", "-o", "{dir}/c.svg"], 2,
     ["--w: the coupler is given by its geometry (--w, --s, --l or --fo) or by targets "
      "(--zo, --coupling, --f, --dispersive), not both"], None),
    # Choices in any case.
    (["sensitivity", *D, "--mode", "BOTH", "--format", "JSON", "-o", "{dir}/c.json"], 0, [],
     "c.json"),
    # nm is a length unit: the mask's grid in nanometres.
    (["layout", *D, "--grid", "5nm", "--format", "csv", "-o", "{dir}/c.gds"], 0, [], "c.gds"),
    # A synthesis that finds no strips says what this substrate reaches (values of this build).
    (["synthesize", *D, "--zo", "500"], 1,
     ["warning: Zo (ohm) = 500 is above 100, the models' accuracy limit",
      "--zo 500: the widest and narrowest strips on this substrate give Zo from 13.3 to 109 "
      "ohm at 3 dB"], None),
    (["synthesize", *D, "--zo", "3", "--coupling", "-10"], 1,
     ["warning: Zo (ohm) = 3 is below 20, the models' accuracy limit",
      "--zo 3: the widest and narrowest strips on this substrate give Zo from 4.49 to 121 "
      "ohm at 10 dB"], None),
    (["synthesize", *D, "--coupling", "40"], 1,
     ["warning: coupling (dB) = -40 is below -12, the models' accuracy limit",
      "warning: |coupling| (dB) = 40 is above 10, the models' accuracy limit",
      "--coupling 40: the narrowest and widest gaps on this substrate give a coupling from "
      "0.294 to 27.1 dB at 50 ohm"], None),
    (["layout", *D, "--zo", "500", "--f", "10", "-o", "{dir}/c.gds"], 1,
     ["warning: Zo (ohm) = 500 is above 100, the models' accuracy limit",
      "--zo 500: the widest and narrowest strips on this substrate give Zo from 13.3 to 109 "
      "ohm at 3 dB"], None),
]

failures = []
for args, status, lines, written in SLIPS:
    with tempfile.TemporaryDirectory() as folder:
        run = [a.replace("{dir}", folder) for a in args]
        done = subprocess.run([calc] + run, capture_output=True, text=True)
        expected = "".join(f"cuplo-calc: {line.replace('{dir}', folder)}\n" for line in lines)
        left = sorted(os.listdir(folder))
        if (done.returncode != status or done.stderr != expected or
                status != 0 and done.stdout != "" or left != ([written] if written else [])):
            failures.append((args, done.returncode, done.stderr, left))
for failure in failures:
    print("FAIL", failure)
sys.exit(1 if failures else 0)
