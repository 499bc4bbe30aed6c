#!/usr/bin/env python3
"""Checks a real GEDCOM file for what PRIVACY=Y lets through.

    scripts/privacy-scan.py KINLOOM-CREATE FILE.ged WORK-DIR [PEDIGREEALL]

Runs kinloom-create on the file twice in WORK-DIR/off and WORK-DIR/on (notes,
sources and photos on; every pedigree chart unless PEDIGREEALL is N, which
deep trees want, whose charts run to gigabytes), with PRIVACY off and on. Those
whom the private run left out of gendex.txt are the presumed living; the
private site and its log are then searched for their display names, birth and
death lines, life spans, note lines and photo files as the open site shows
them. A text that a dead person shares (the same name, the same birth line)
is not searched for, and a name inside a longer name is no match. Prints one
line per file: the counts and the number of leaks, then up to ten leaks."""
import os, re, subprocess, sys, shutil

exe, ged, work = sys.argv[1], os.path.abspath(sys.argv[2]), sys.argv[3]
all_charts = sys.argv[4] if len(sys.argv) > 4 else 'Y'

def run(privacy):
    d = os.path.join(work, 'on' if privacy else 'off')
    shutil.rmtree(d, ignore_errors=True)
    os.makedirs(d)
    with open(os.path.join(d, 'kinloom.cfg'), 'w') as f:
        f.write('EMAIL=me@example.org\nHOME=https://example.org/\nGEDFILE=%s\n' % ged)
        f.write('NOTES=Y\nSOURCES=Y\nPHOTOS=Y\nPEDIGREEALL=%s\n' % all_charts)
        if privacy: f.write('PRIVACY=Y\n')
    p = subprocess.run([exe], cwd=d, capture_output=True)
    return d, p.returncode, p.stdout.decode('latin-1')

def files(d, kinds=None):
    out = {}
    for root, _, names in os.walk(os.path.join(d, 'html')):
        for n in names:
            if kinds and not n.startswith(kinds): continue
            path = os.path.join(root, n)
            out[os.path.relpath(path, d)] = open(path, 'rb').read().decode('latin-1')
    out['kinloom.log'] = open(os.path.join(d, 'kinloom.log'), 'rb').read().decode('latin-1')
    return out

def fmt(name):  # "Given /Surname/ Suffix" as the pages show it
    m = re.match(r'^(.*?)/(.*?)/(.*)$', name)
    if not m: return name.rstrip()
    given, sur, suf = m.group(1).rstrip(), m.group(2), m.group(3)
    s = given + ' ' + sur
    if suf: s += ', ' + suf.lstrip(' ,')
    return s

off, rc_off, _ = run(False)
on, rc_on, out_on = run(True)
f_off, f_on = files(off, ('gendex', 'nti', 'pho')), files(on)
f_on['file names'] = '\n'.join(f_on)
g_off = f_off['html/gendex.txt'].splitlines()[1:]
g_on = set(f_on['html/gendex.txt'].splitlines()[1:])
dead_lines = [l for l in g_off if l in g_on]
living = [l.split('|') for l in g_off if l not in g_on]
dead_texts = set()
for l in dead_lines:
    p = l.split('|')
    dead_texts.update(x for x in (fmt(p[2]), p[3], p[4], p[5], p[6]) if x)
    dead_texts.add('Born: ' + p[3].ljust(17) + 'at: ' + p[4] + ' ')
    dead_texts.add('Died: ' + p[5].ljust(17) + 'at: ' + p[6] + ' ')
    dead_texts.add('(' + p[3] + '-' + p[5] + ')')
    m = re.match(r'^(.*?)/(.*?)/', p[2])
    if m and not m.group(2).strip(): dead_texts.add(', ' + m.group(1).strip() + '</A>')
probes = []
for p in living:
    name, bd, bp, dd, dp = p[2], p[3], p[4], p[5], p[6]
    disp = fmt(name)
    given = disp.split(' ')[0] if disp else ''
    m = re.match(r'^(.*?)/(.*?)/', name)
    if m and m.group(1).strip() and disp not in dead_texts:
        if m.group(2).strip():
            probes.append(('name', disp))
        else:  # no surname: the names index entry alone is distinct enough
            index = ', ' + m.group(1).strip() + '</A>'
            if index not in dead_texts: probes.append(('index', '>' + index))
    for caption, date, place in (('Born: ', bd, bp), ('Died: ', dd, dp)):
        if date or place:
            event = caption + date.ljust(17) + 'at: ' + place + ' '
            if event not in dead_texts: probes.append(('event', event))
    if (bd or dd) and '(' + bd + '-' + dd + ')' not in dead_texts:
        probes.append(('span', '(' + bd + '-' + dd + ')'))
# Notes and photos of the living, from the open site.
living_names = {fmt(p[2]) for p in living} - dead_texts
for path, text in f_off.items():
    base = os.path.basename(path)
    if base.startswith('nti'):
        m = re.search(r'<TITLE>Notes for (.*)</TITLE>', text)
        if m and m.group(1) in living_names:
            body = text.split('<HR NOSHADE SIZE=3>\n', 1)[-1].split('<HR NOSHADE SIZE=1>')[0]
            for line in body.split('<BR>\n'):
                line = line.strip()
                if len(line) >= 25: probes.append(('note', line[:60]))
    if base.startswith('pho'):
        m = re.search(r'Photo for <A HREF="[^"]*">(.*?)</A>', text)
        f = re.search(r'<img src="([^"]*)"', text)
        if m and f and m.group(1) in living_names and f.group(1):
            probes.append(('photo', f.group(1)))
leaks = []
paths = list(f_on)
big = '\0'.join(f_on[p] for p in paths)
starts = []
at = 0
for p in paths:
    starts.append(at)
    at += len(f_on[p]) + 1
import bisect
for kind, probe in set(probes):
    i = big.find(probe)
    while i >= 0:
        # A name inside a longer name ("Lawrence Ignatius Smith", "John
        # Smith, Jr.") or in free text is no match.
        end = i + len(probe)
        inside = kind == 'name' and (
            (i >= 2 and big[i - 1] == ' ' and big[i - 2].isalpha()) or
            not (big[end:end + 1] in ('<', '/', '\n', '|') or big[end:end + 2] == ' ('))
        if not inside:
            leaks.append((kind, probe, paths[bisect.bisect_right(starts, i) - 1]))
            break
        i = big.find(probe, i + 1)
print('%s: rc off=%d on=%d; %s; gendex lines off=%d on=%d; probes=%d; leaks=%d'
      % (os.path.basename(ged), rc_off, rc_on, out_on.strip().splitlines()[0] if out_on else '-',
         len(g_off), len(g_on), len(probes), len(leaks)))
for l in leaks[:10]: print('  LEAK', l)
