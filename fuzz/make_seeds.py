#!/usr/bin/python3
"""Writes a small seed corpus for the csTimer fuzzer: the tiny real export as
it is, and from every larger real export a cut-down copy that keeps its shape
(session keys, string-encoded sessions, multi-phase records, 5th elements,
multi-line scrambles) but only a few records per session.
Usage: make_seeds.py DATA_DIR OUT_DIR"""
import json, os, sys

src, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
for name in sorted(os.listdir(src)):
    if not name.endswith('.txt'):
        continue
    raw = open(os.path.join(src, name), 'rb').read()
    if len(raw) < 4096:
        open(os.path.join(out, name), 'wb').write(raw)
        continue
    doc = json.loads(raw)
    for variant in range(3):
        small = {}
        kept = 0
        for key, value in doc.items():
            if key.startswith('session'):
                kept += 1
                if kept > 6:
                    continue
            encoded = isinstance(value, str)
            records = json.loads(value) if encoded and key.startswith('session') else value
            if key.startswith('session') and isinstance(records, list):
                # Prefer records that show the file's peculiarities.
                odd = [r for r in records if len(r[0]) > 2 or len(r) > 4 or '\n' in str(r[1]) or ',' in str(r[2])]
                pick = (odd[variant * 2:variant * 2 + 2] + records[variant * 3:variant * 3 + 2])[:3]
                small[key] = json.dumps(pick, ensure_ascii=False) if encoded else pick
            elif key == 'properties' and variant == 0 and len(json.dumps(value)) < 3000:
                small[key] = value
            elif key == 'properties':
                small[key] = '{}' if isinstance(value, str) else {}
        text = json.dumps(small, ensure_ascii=False, separators=(',', ':')).encode()
        open(os.path.join(out, '%s.%d' % (name, variant)), 'wb').write(text)
