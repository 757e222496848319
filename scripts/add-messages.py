#!/usr/bin/env python3
"""Adds catalogue texts to resources/messages_en.txt, messages_ja.txt and app/MessageIds.h.

usage: python3 scripts/add-messages.py FILE.tsv [REPO_ROOT]
FILE.tsv: one text per line, TAB separated: name, number, English, Japanese[, comment]
  (name like kMsgSomething; number inside an existing group, e.g. 24001 in group 24000).
Each text goes right after the last text of its group (the thousands block) in the
three files, so that people adding texts to different groups never touch the same lines.
The group's header line (e.g. "24000<TAB>...") must already exist in both catalogues and
a marker comment "/* group 24000 */" in app/MessageIds.h."""
import sys, re
root = sys.argv[2] if len(sys.argv) > 2 else '.'
rows = [l.rstrip('\n').split('\t') for l in open(sys.argv[1], encoding='utf-8') if l.strip() and not l.startswith('#')]

def insert_catalogue(path, num, text):
    lines = open(path, encoding='utf-8').read().split('\n')
    group = num // 1000 * 1000
    last = None
    for i, l in enumerate(lines):
        m = re.match(r'^(\d+)\t', l)
        if m:
            n = int(m.group(1))
            if n == num:
                sys.exit('%s: number %d exists already' % (path, num))
            if group <= n < group + 1000 and n < num:
                last = i
    if last is None:
        sys.exit('%s: group %d has no header line' % (path, group))
    lines.insert(last + 1, '%d\t%s' % (num, text))
    open(path, 'w', encoding='utf-8').write('\n'.join(lines))

def insert_macro(path, name, num, comment):
    lines = open(path, encoding='utf-8').read().split('\n')
    group = num // 1000 * 1000
    marker = None
    last = None
    for i, l in enumerate(lines):
        if '/* group %d */' % group in l:
            marker = i
        m = re.search(r'X\((\w+),\s*(\d+)\)', l)
        if m:
            if m.group(1) == name:
                sys.exit('name %s exists already' % name)
            n = int(m.group(2))
            if group <= n < group + 1000 and n < num:
                last = i
    at = last if last is not None else marker
    if at is None:
        sys.exit('%s: no "/* group %d */" marker' % (path, group))
    body = '    X(%s, %d)' % (name, num)
    if comment:
        body = body.ljust(49) + '/* %s */' % comment
    lines.insert(at + 1, body.ljust(99) + '\\')
    open(path, 'w', encoding='utf-8').write('\n'.join(lines))

for r in rows:
    name, num, en, ja = r[:4]
    comment = r[4] if len(r) > 4 else ''
    num = int(num)
    insert_catalogue(root + '/resources/messages_en.txt', num, en)
    insert_catalogue(root + '/resources/messages_ja.txt', num, ja)
    insert_macro(root + '/app/MessageIds.h', name, num, comment)
print('added', len(rows))
