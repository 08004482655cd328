#!/usr/bin/python3
"""Time per recomputation in the browser page, in headless Chromium (a benchmark, not a test).

For each model: a new strip width typed N times (alternating between two values, so that
every input changes the design), timed from the input event to the results on the page
(parse, evaluate, map and drawing, through the Web Worker; for the field model the design
alone, its map following), and the engine's own share (the evaluation alone, as the page
reports it).

usage: bench/web_page.py [DIST] [N]    (default build-web/dist, 50; build it with scripts/web)
"""
import os
import statistics
import sys
import tempfile

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
dist = sys.argv[1] if len(sys.argv) > 1 else os.path.join(root, "build-web", "dist")
count = int(sys.argv[2]) if len(sys.argv) > 2 else 50

options = webdriver.ChromeOptions()
for flag in ("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
             "--disable-background-networking --disable-component-update --disable-sync").split():
    options.add_argument(flag)
options.add_argument("--user-data-dir=" + tempfile.mkdtemp())
options.binary_location = "/usr/bin/chromium"
driver = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
driver.set_script_timeout(120)

# One input event to the next change of the results' timing line (written last when a design
# is shown) or of the failure line: [round trip ms, engine ms or None, failure text].
ONE = """
const [value, done] = arguments;
const w = document.getElementById('w');
const watched = [document.getElementById('timing'), document.getElementById('failure')];
const observer = new MutationObserver(() => {
  observer.disconnect();
  const elapsed = performance.now() - started;
  const failure = document.getElementById('failure').textContent;
  done([elapsed, failure ? null : Number(document.getElementById('timing').textContent), failure]);
});
for (const node of watched) observer.observe(node, {childList: true, characterData: true, subtree: true});
const started = performance.now();
w.value = value;
w.dispatchEvent(new Event('input', {bubbles: true}));
"""

try:
    driver.get("file://" + os.path.abspath(dist) + "/index.html")
    driver.execute_async_script(
        "const done = arguments[0]; const t = () => document.getElementById('zo_ohm').textContent ?"
        " done() : setTimeout(t, 20); t();")
    for model in ["closed-form", "field"]:
        driver.execute_script("const m = document.getElementById('model'); m.value = arguments[0];"
                              "m.dispatchEvent(new Event('change', {bubbles: true}))", model)
        driver.execute_async_script("setTimeout(arguments[0], 500)")
        rounds, engine, failure = [], [], ""
        for k in range(count):
            elapsed, inner, failure = driver.execute_async_script(ONE, "1.6" if k % 2 else "1.5")
            rounds.append(elapsed)
            if inner is not None:
                engine.append(inner)
        line = (f"{model}: input to results, median {statistics.median(rounds):.1f} ms, "
                f"slowest {max(rounds):.1f} ms over {count}")
        if engine:
            line += f"; the engine's evaluation, median {statistics.median(engine):.2f} ms"
        if failure:
            line += f"; ends in: {failure}"
        print(line)
finally:
    driver.quit()
