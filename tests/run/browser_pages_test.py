#!/usr/bin/env python3
"""The pages in a real browser (headless Chromium).

Writes the site of the hostile tree (tests/reliability/safe_pages/hostile.ged)
with SUBDIRS both ways and the site of an ordinary tree with accented names,
serves them from a small HTTP server on the loopback address that declares
every page "text/html; charset=utf-8", and loads them all at once in one
Chromium: a harness page opens each page in a frame and reads its DOM. It
fails when any element or attribute of a page can have come from a payload
(an element or attribute that Kinloom never writes, an event handler, a
style, a picture or link to another host), when the notes lose their <b> or
their https link, or when an accented name does not read right under the
UTF-8 header.

Usage: browser_pages_test.py KINLOOM_CREATE SOURCE_DIR
Exit 0: passed; 1: failed; 77: skipped (no chromium).
"""
import http.server
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading

SKIP = 77

CONFIG = """EMAIL=me@example.org
HOME=https://example.org/
GEDFILE=tree.ged
NOTES=Y
UCSURNAME=Y
SOUNDEX=Y
SOURCES=Y
PHOTOS=Y
SUBDIRS={subdirs}
PEDIGREEALL=Y
"""

ORDINARY_TREE = """0 HEAD
1 CHAR UTF-8
0 @I1@ INDI
1 NAME Hans /M\u00fcller/
1 SEX M
1 BIRT
2 DATE 3 MAR 1850
2 PLAC K\u00f6ln
1 FAMS @F1@
1 NOTE A <b>miller</b> of <a href="https://example.org/mill">the mill</a>
0 @I2@ INDI
1 NAME \u00c9milie /B\u00e9rard/
1 SEX F
1 FAMS @F1@
0 @F1@ FAM
1 HUSB @I1@
1 WIFE @I2@
0 TRLR
"""

# Every element a page of Kinloom holds: its own and those a note keeps
# (TBODY is put in by the browser's parser).
ELEMENTS = set("""HTML HEAD TITLE BODY PRE HR B A FONT CENTER BR H1 IMG I U EM STRONG
SMALL BIG SUP SUB P DIV SPAN BLOCKQUOTE UL OL LI H2 H3 H4 H5 H6 TABLE TBODY TR TD TH""".split())
# Every attribute, by element.
ATTRIBUTES = {
    "BODY": {"background", "bgcolor", "text", "link", "vlink"},
    "HR": {"noshade", "size"},
    "A": {"href", "name", "rel"},
    "FONT": {"size"},
    "IMG": {"src"},
}

HARNESS = """<!DOCTYPE html>
<html><body><pre id="result"></pre><script>
const pages = %s;
const allowedElements = new Set(%s);
const allowedAttributes = %s;
const results = {};
let left = pages.length;
function inspect(path, doc) {
  const found = [];
  for (const el of doc.querySelectorAll('*')) {
    if (!allowedElements.has(el.tagName)) found.push('element ' + el.tagName);
    for (const attr of el.attributes) {
      const allowed = allowedAttributes[el.tagName] || [];
      if (!allowed.includes(attr.name)) found.push('attribute ' + el.tagName + ' ' + attr.name);
    }
    if (el.tagName === 'IMG' && new URL(el.src).host !== location.host)
      found.push('picture from ' + el.src);
    if (el.tagName === 'A' && el.hasAttribute('href')) {
      const url = new URL(el.href);
      if (url.host !== location.host && !['http:', 'https:', 'mailto:'].includes(url.protocol))
        found.push('link to ' + el.href);
    }
  }
  results[path] = {problems: found, text: doc.body ? doc.body.innerText : '',
                   bold: Array.from(doc.querySelectorAll('b')).map(b => b.textContent),
                   links: Array.from(doc.querySelectorAll('a[rel]')).map(
                       a => a.href + ' ' + a.rel)};
}
function finish() {
  document.getElementById('result').textContent = JSON.stringify(results);
}
// Pages that never finish loading are reported as not loaded.
setTimeout(finish, 15000);
for (const path of pages) {
  const frame = document.createElement('iframe');
  frame.onload = () => {
    inspect(path, frame.contentDocument);
    if (--left === 0) finish();
  };
  frame.src = path;
  document.body.appendChild(frame);
}
</script></body></html>
"""


class Handler(http.server.SimpleHTTPRequestHandler):
    """Serves the pages as many web hosts do: text/html; charset=utf-8.

    Scripts of the pages are not run (a payload's alert() would stop
    headless Chromium); what the test looks for is any element or attribute
    a payload made, whether it could run or not."""

    def end_headers(self):
        if self.path.endswith(".htm"):
            self.send_header("Content-Security-Policy", "script-src 'none'")
        super().end_headers()

    def guess_type(self, path):
        if path.endswith(".htm"):
            return "text/html; charset=utf-8"
        return super().guess_type(path)

    def log_message(self, *args):
        pass


def find_chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    return None


def build_site(kinloom_create, where, tree, subdirs):
    os.makedirs(where)
    with open(os.path.join(where, "tree.ged"), "wb") as f:
        f.write(tree)
    with open(os.path.join(where, "kinloom.cfg"), "w") as f:
        f.write(CONFIG.format(subdirs=subdirs))
    env = dict(os.environ, SOURCE_DATE_EPOCH="946684800")
    subprocess.run([kinloom_create], cwd=where, env=env, check=True,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    pages = []
    for root, _, files in os.walk(os.path.join(where, "html")):
        for name in files:
            if name.endswith(".htm"):
                pages.append(os.path.relpath(os.path.join(root, name), os.path.dirname(where)))
    return sorted(pages)


def main():
    kinloom_create, source_dir = sys.argv[1], sys.argv[2]
    chromium = find_chromium()
    if chromium is None:
        print("chromium not found: skipped")
        return SKIP
    top = tempfile.mkdtemp(prefix="kinloom-browser-")
    try:
        with open(os.path.join(source_dir, "tests/reliability/safe_pages/hostile.ged"), "rb") as f:
            hostile = f.read()
        pages = (build_site(kinloom_create, os.path.join(top, "flat"), hostile, "N") +
                 build_site(kinloom_create, os.path.join(top, "subdirs"), hostile, "Y") +
                 build_site(kinloom_create, os.path.join(top, "ordinary"),
                            ORDINARY_TREE.encode("utf-8"), "N"))
        with open(os.path.join(top, "harness.html"), "w") as f:
            f.write(HARNESS % (json.dumps(pages), json.dumps(sorted(ELEMENTS)),
                               json.dumps({k: sorted(v) for k, v in ATTRIBUTES.items()})))
        handler = lambda *a, **k: Handler(*a, directory=top, **k)
        server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=server.serve_forever, daemon=True).start()
        url = "http://127.0.0.1:%d/harness.html" % server.server_address[1]
        profile = os.path.join(top, "profile")
        # No other host can be reached: a page that asks one fails at once.
        try:
            dom = subprocess.run(
                [chromium, "--headless", "--no-sandbox", "--disable-gpu",
                 "--disable-background-networking", "--disable-component-update",
                 "--disable-sync", "--no-first-run", "--user-data-dir=" + profile,
                 "--host-resolver-rules=MAP * ~NOTFOUND, EXCLUDE 127.0.0.1",
                 "--virtual-time-budget=20000", "--dump-dom", url],
                capture_output=True, timeout=60).stdout.decode("utf-8")
        except subprocess.TimeoutExpired:
            print("chromium did not finish within 60 seconds")
            return 1
        finally:
            server.shutdown()
        start = dom.find('<pre id="result">')
        end = dom.find("</pre>", start)
        if start < 0 or end < 0 or end == start + len('<pre id="result">'):
            print("the harness did not finish:\n" + dom[:2000])
            return 1
        import html
        results = json.loads(html.unescape(dom[start + len('<pre id="result">'):end]))
        failures = []
        for path in pages:
            if path not in results:
                failures.append(path + ": not loaded")
                continue
            failures += [path + ": " + p for p in results[path]["problems"]]
        for site in ("flat/html/", "subdirs/html/"):
            notes = site + ("nti00001.htm" if site == "flat/html/" else "nti/nti00001.htm")
            family = site + ("fam00001.htm" if site == "flat/html/" else "fam/fam00001.htm")
            if "<Jack>" not in results.get(family, {}).get("text", ""):
                failures.append(family + ": <Jack> does not show")
            if "bold" not in results.get(notes, {}).get("bold", []):
                failures.append(notes + ": the note lost its <b>")
            if ("https://example.org/x?a=1&b=2 nofollow noopener"
                    not in results.get(notes, {}).get("links", [])):
                failures.append(notes + ": the note lost its https link")
        ordinary = results.get("ordinary/html/fam00001.htm", {})
        for name in ("Hans M\u00dcLLER", "\u00c9milie B\u00c9RARD", "K\u00f6ln"):
            if name not in ordinary.get("text", ""):
                failures.append("ordinary/html/fam00001.htm: " + name + " does not read right")
        if "B\u00c9RARD" not in results.get("ordinary/html/surnames.htm", {}).get("text", ""):
            failures.append("ordinary/html/surnames.htm: B\u00c9RARD does not read right")
        if "miller" not in results.get("ordinary/html/nti00001.htm", {}).get("bold", []):
            failures.append("ordinary/html/nti00001.htm: the note lost its <b>")
        for failure in failures:
            print(failure)
        print("%d pages checked, %d problems" % (len(pages), len(failures)))
        return 1 if failures else 0
    finally:
        shutil.rmtree(top, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
