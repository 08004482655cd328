#!/usr/bin/python3
"""The browser page in headless Chromium, against cuplo-calc.

Opened from the file system and from a static server on the loopback, the page loads with no
console error and opens on the demo design; typed anew, the demo design shows cuplo-calc's Zo,
coupling and centre frequency to the decimals shown, and its tolerance panel cuplo-calc
tolerance's median Zo and 5 and 95 % coupling; changing W moves the design point on the map; a bad value shows cuplo-calc's message beside its field and keeps the last good result;
the downloaded Touchstone file, footprint and mask (its time fixed as SOURCE_DATE_EPOCH fixes
cuplo-calc's) equal cuplo-calc's byte for byte, in geometry and in targets mode; the defaults
file reads back in cuplo-calc; the field model gives cuplo-calc's values; every input has a
label; at 400 px nothing runs off the side. Screenshots at 1280 x 800 and 400 x 800 go to
ARTIFACTS.

Exits 77 (skipped) without Chromium, its driver or Selenium, or without the built page.

usage: page_test.py DIST CUPLO_CALC ARTIFACTS
"""
import functools
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

dist, calc, artifacts = sys.argv[1:4]
CHROMIUM, DRIVER = "/usr/bin/chromium", "/usr/bin/chromedriver"
try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
except ImportError:
    print("skipped: python3-selenium is not installed")
    sys.exit(77)
if not (os.path.exists(CHROMIUM) and os.path.exists(DRIVER)):
    print("skipped: chromium or chromium-driver is not installed")
    sys.exit(77)
if not os.path.exists(os.path.join(dist, "index.html")):
    print("skipped: the page was not built (no Emscripten)")
    sys.exit(77)

EPOCH = "1700000000"
scratch = tempfile.mkdtemp()
downloads = os.path.join(scratch, "downloads")
os.makedirs(downloads)
os.makedirs(artifacts, exist_ok=True)
results = []


def check(name, ok, detail=""):
    results.append(ok)
    print(("ok    " if ok else "FAIL  ") + name + ("" if ok else ": " + str(detail)))


def browser():
    options = webdriver.ChromeOptions()
    for flag in ("--headless --no-sandbox --disable-gpu --disable-quic --no-first-run "
                 "--disable-background-networking --disable-component-update --disable-sync").split():
        options.add_argument(flag)
    options.add_argument("--user-data-dir=" + tempfile.mkdtemp(dir=scratch))
    options.add_argument("--window-size=1280,800")
    options.binary_location = CHROMIUM
    options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
    options.add_experimental_option("prefs", {"download.default_directory": downloads,
                                              "download.prompt_for_download": False})
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    driver.execute_cdp_cmd("Page.setDownloadBehavior", {"behavior": "allow", "downloadPath": downloads})
    return driver


def run_calc(*args, env=None):
    done = subprocess.run([calc, *args], capture_output=True, text=True, env=env)
    return done


def wait(driver, condition, seconds=20):
    end = time.time() + seconds
    while time.time() < end:
        value = condition(driver)
        if value:
            return value
        time.sleep(0.05)
    return None


def text(driver, id_):
    return driver.find_element("id", id_).text


def attribute(driver, id_, name):
    return driver.find_element("id", id_).get_attribute(name)


def settled(driver):
    """Waits until the page has handled what was typed: the engine answered the last input."""
    time.sleep(0.3)
    wait(driver, lambda d: d.execute_script("return document.querySelectorAll('progress:not([hidden])').length == 0"))


def type_into(driver, id_, value):
    field = driver.find_element("id", id_)
    field.clear()
    field.send_keys(value)
    driver.execute_script("arguments[0].dispatchEvent(new Event('change', {bubbles: true}))", field)
    settled(driver)


def console_errors(driver):
    return [e for e in driver.get_log("browser") if e["level"] == "SEVERE"]


def download(driver, button, name):
    path = os.path.join(downloads, name)
    if os.path.exists(path):
        os.remove(path)
    driver.find_element("id", button).click()
    wait(driver, lambda d: os.path.exists(path) and not os.path.exists(path + ".crdownload"))
    time.sleep(0.2)
    return open(path, "rb").read() if os.path.exists(path) else b""


def read(path):
    with open(path, "rb") as f:
        return f.read()


# The demo design, as typed into the page (lengths in mil, as it opens) and given to cuplo-calc.
DEMO = [("er", "9.8"), ("h", "25"), ("t", "0.2"), ("n", "4"), ("res", "2.44"), ("sr", "4"),
        ("dltan", "0.0002"), ("w", "1.5"), ("s", "2"), ("l", "122.5"), ("fmin", "6"),
        ("fmax", "14"), ("fstep", "0.5"), ("reference", "50")]
SUBSTRATE = ["--n", "4", "--er", "9.8", "--h", "25mil", "--t", "0.2mil"]
LOSSES = ["--res", "2.44", "--sr", "4", "--dltan", "0.0002"]
GEOMETRY = ["--w", "1.5mil", "--s", "2mil", "--l", "122.5mil"]
SWEEP = ["--f", "6GHz:14GHz:0.5GHz", "--reference", "50"]


class Quiet(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def served(folder):
    handler = functools.partial(Quiet, directory=folder)
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


driver = browser()
server = served(dist)
try:
    # Both ways of opening the page.
    for where, url in [("file system", "file://" + os.path.abspath(dist) + "/index.html"),
                       ("static server", f"http://127.0.0.1:{server.server_address[1]}/index.html")]:
        driver.get(url + "?source_date_epoch=" + EPOCH)
        shown = wait(driver, lambda d: text(d, "zo_ohm"))
        check(f"opens from the {where} on the demo design", shown == "50.11", shown)
        check(f"no console error from the {where}", not console_errors(driver), console_errors(driver))

    # The demo design typed anew, against cuplo-calc.
    for id_, value in DEMO:
        type_into(driver, id_, value)
    statics = json.loads(run_calc("impedance", *SUBSTRATE, *GEOMETRY[:4], "--f", "0",
                                  "--format", "json").stdout)["rows"][0]
    head = json.loads(run_calc("response", *SUBSTRATE, *GEOMETRY, *LOSSES, *SWEEP,
                               "--format", "json").stdout)["design"]
    for id_, expected in [("zo_ohm", statics["zo_ohm"]), ("coupling_db", statics["coupling_db"]),
                          ("zoe_ohm", statics["zoe_ohm"]), ("eeff_odd", statics["eeff_odd"]),
                          ("fo_ghz", head["fo_ghz"])]:
        page = text(driver, id_)
        decimals = len(page.split(".")[1]) if "." in page else 0
        check(f"{id_} as cuplo-calc's to the decimals shown", page == f"{expected:.{decimals}f}",
              f"{page} against {expected}")

    # Its tolerances, typed as cuplo-calc takes them: the same samples, so the same percentiles.
    tolerances = [("w_tol", "10um"), ("s_tol", "0.5mil"), ("h_tol", "5%"), ("er_tol", "2%"),
                  ("t_tol", "10%"), ("samples", "1000"), ("seed", "7")]
    for id_, value in tolerances:
        type_into(driver, id_, value)
    wait(driver, lambda d: attribute(d, "tolerance", "aria-busy") == "false")
    rows = {row["statistic"]: row for row in json.loads(run_calc(
        "tolerance", *SUBSTRATE, *GEOMETRY, *LOSSES, "--reference", "50", "--format", "json",
        *[a for id_, value in tolerances for a in ("--" + id_.replace("_", "-"), value)]).stdout)["rows"]}
    differ = []
    for statistic, key in [("p50", "zo_ohm"), ("p5", "coupling_db"), ("p95", "coupling_db")]:
        page = text(driver, f"{statistic}-{key}")
        decimals = len(page.split(".")[1]) if "." in page else 0
        if page != f"{rows[statistic][key]:.{decimals}f}":
            differ.append(f"{statistic} {key}: {page} against {rows[statistic][key]}")
    check("tolerances: median Zo and 5 and 95 % coupling as cuplo-calc's", not differ, differ)

    # Files of the demo design, byte for byte.
    s4p = os.path.join(scratch, "coupler.s4p")
    run_calc("response", *SUBSTRATE, *GEOMETRY, *LOSSES, *SWEEP, "-o", s4p)
    check("Touchstone file as cuplo-calc's", download(driver, "download-s4p", "coupler.s4p") == read(s4p))
    footprint = os.path.join(scratch, "coupler.kicad_mod")
    run_calc("layout", *SUBSTRATE, *GEOMETRY, "--reference", "50", "-o", footprint)
    check("footprint as cuplo-calc's", download(driver, "download-kicad_mod", "coupler.kicad_mod") == read(footprint))
    mask = os.path.join(scratch, "coupler.gds")
    run_calc("layout", *SUBSTRATE, *GEOMETRY, "--reference", "50", "-o", mask,
             env=dict(os.environ, SOURCE_DATE_EPOCH=EPOCH))
    check("mask as cuplo-calc's", download(driver, "download-gds", "coupler.gds") == read(mask))
    preview = os.path.join(scratch, "coupler.svg")
    run_calc("layout", *SUBSTRATE, *GEOMETRY, "--reference", "50", "-o", preview)
    check("drawing as cuplo-calc's", download(driver, "download-svg", "coupler.svg") == read(preview))
    defaults = download(driver, "download-def", "coupler.DEF")
    with open(os.path.join(scratch, "page.DEF"), "wb") as f:
        f.write(defaults)
    read_back = run_calc("impedance", "--defaults", os.path.join(scratch, "page.DEF"), "--f", "0",
                         "--format", "json")
    zo_back = json.loads(read_back.stdout)["rows"][0]["zo_ohm"] if read_back.returncode == 0 else None
    check("defaults file read back by cuplo-calc", zo_back is not None and f"{zo_back:.2f}" == "50.11",
          read_back.stderr)

    # W moves the design point.
    before = float(attribute(driver, "design-point", "cx"))
    type_into(driver, "w", "2")
    after = float(attribute(driver, "design-point", "cx"))
    check("a wider W moves the design point right", after > before + 1, (before, after))

    # A bad value: cuplo-calc's words beside the field, the last good result kept and marked.
    good = text(driver, "zo_ohm")
    for id_, typed, option in [("w", "abc", "--w"), ("h", "0", "--h"), ("n", "5", "--n"),
                               ("s", "2x", "--s"), ("fstep", "-1", "--f")]:
        type_into(driver, id_, typed)
        if option == "--f":
            words = run_calc("response", *SUBSTRATE, *GEOMETRY, "--f", "6:14:-1").stderr
        else:
            given = SUBSTRATE + GEOMETRY[:4]
            others = [a for k, v in zip(given[::2], given[1::2]) if k != option for a in (k, v)]
            words = run_calc("impedance", *others, "--f", "0", option, typed).stderr
        expected = words.strip().split(f"cuplo-calc: {option}: ", 1)[-1]
        message = text(driver, f"{id_}-error")
        check(f"bad {id_} {typed!r}: cuplo-calc's message beside it", message == expected,
              f"{message!r} against {expected!r}")
        check(f"bad {id_} {typed!r}: the last good result kept and marked",
              text(driver, "zo_ohm") == good and driver.find_element("id", "stale").is_displayed())
        type_into(driver, id_, dict(DEMO + [("w", "2")])[id_])
    check("mended: the result is current again", not driver.find_element("id", "stale").is_displayed())

    # A file name that is no file name: refused beside it, no file made, the design unharmed.
    type_into(driver, "name", "a/b")
    driver.find_element("id", "download-s4p").click()
    time.sleep(1)
    check("a bad file name is refused and makes no file",
          text(driver, "name-error") and text(driver, "file-failure") and
          not any(n.startswith("a") for n in os.listdir(downloads)) and
          not driver.find_element("id", "stale").is_displayed(), os.listdir(downloads))
    type_into(driver, "name", "coupler")

    # Targets: the synthesized coupler's file equals cuplo-calc's for the geometry it names.
    type_into(driver, "w", "1.5")
    driver.find_element("id", "mode-targets").click()
    settled(driver)
    for id_, value in [("zo", "50"), ("coupling", "-3"), ("f", "10")]:
        type_into(driver, id_, value)
    page = download(driver, "download-s4p", "coupler.s4p")
    head = dict(line[2:].split(" = ", 1) for line in page.decode().splitlines()
                if line.startswith("! ") and " = " in line)
    s4p = os.path.join(scratch, "targets.s4p")
    run_calc("response", *SUBSTRATE, "--w", head.get("w_in", "0"), "--s", head.get("s_in", "0"),
             "--fo", "10GHz", *LOSSES, *SWEEP, "-o", s4p)
    check("targets: Touchstone file as cuplo-calc's", page == read(s4p))
    synthesis = json.loads(run_calc("synthesize", *SUBSTRATE, "--zo", "50", "--coupling", "-3",
                                    "--format", "json").stdout)["rows"][0]
    check("targets: W as cuplo-calc synthesizes it",
          abs(float(attribute(driver, "w", "value")) - synthesis["w_in"] * 1000) < 1e-4)
    # Targets no strips reach: what this substrate reaches, in cuplo-calc's words.
    type_into(driver, "zo", "500")
    settled(driver)
    words = run_calc("synthesize", *SUBSTRATE, "--zo", "500", "--coupling", "-3").stderr
    expected = words.strip().splitlines()[-1].removeprefix("cuplo-calc: ")
    check("targets out of reach: cuplo-calc's reachable range", text(driver, "failure") == expected,
          f"{text(driver, 'failure')!r} against {expected!r}")
    driver.find_element("id", "mode-geometry").click()
    settled(driver)

    # The field model, solved in the page's worker: the demo design's Zo and coupling as
    # cuplo-calc's field model gives them.
    for id_, value in DEMO:
        type_into(driver, id_, value)
    settled(driver)
    driver.execute_script("const m = document.getElementById('model'); m.value = 'field';"
                          "m.dispatchEvent(new Event('change', {bubbles: true}))")
    solved = wait(driver, lambda d: text(d, "failure") or
                  (text(d, "status") == "Field model." and "solved"))
    check("field model: solved in the page", solved == "solved", solved)
    field = json.loads(run_calc("impedance", *SUBSTRATE, *GEOMETRY[:4], "--f", "0",
                                "--model", "field", "--format", "json").stdout)["rows"][0]
    for id_ in ("zo_ohm", "coupling_db"):
        page = text(driver, id_)
        decimals = len(page.split(".")[1]) if "." in page else 0
        check(f"field model: {id_} as cuplo-calc's", page == f"{field[id_]:.{decimals}f}",
              f"{page} against {field[id_]}")
    driver.execute_script("const m = document.getElementById('model'); m.value = 'closed-form';"
                          "m.dispatchEvent(new Event('change', {bubbles: true}))")
    settled(driver)
    check("closed-form again after the field model", text(driver, "failure") == "" and
          not driver.find_element("id", "stale").is_displayed())

    # Labels and keyboard: every input and list has a label; Tab reaches W from H.
    unlabelled = driver.execute_script(
        "return [...document.querySelectorAll('input, select')].filter(e =>"
        " e.labels.length == 0 && !e.getAttribute('aria-label') && !e.closest('label')).map(e => e.id)")
    check("every input has a label", unlabelled == [], unlabelled)

    check("no console error in the whole run", not console_errors(driver), console_errors(driver))
    # The screenshots show the page as it opens.
    driver.set_window_size(1280, 800)
    driver.get("file://" + os.path.abspath(dist) + "/index.html")
    wait(driver, lambda d: text(d, "zo_ohm"))
    time.sleep(0.5)
    driver.save_screenshot(os.path.join(artifacts, "page-1280x800.png"))
    driver.set_window_size(400, 800)
    time.sleep(0.5)
    driver.save_screenshot(os.path.join(artifacts, "page-400x800.png"))
    width = driver.execute_script("return document.documentElement.scrollWidth")
    check("at 400 px nothing runs off the side", width <= 400, width)
finally:
    driver.quit()
    server.shutdown()
    shutil.rmtree(scratch, ignore_errors=True)

print(f"{results.count(True)} passed, {results.count(False)} failed")
sys.exit(0 if all(results) else 1)
