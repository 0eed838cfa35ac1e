#!/usr/bin/env python3
"""Derives the Wubi 86 split of each GBK character and writes assets/decomp/splits.tsv.

A split is kept only when it is verified: the keys of its roots, read by the Wubi 86 coding
rules, give the character's full code in Rime's wubi86 table, and the roots' stroke counts add
up to the character's stroke count in Rime's stroke table. Among verified splits the one with
the fewest roots wins (Wubi takes the largest roots first).

Component trees come from cjk-decomp and Make Me a Hanzi; where they split a component
differently from Wubi, the curated overrides in overrides.tsv (beside this script) say how Wubi
reads it. Standard library only, so it runs anywhere Python 3 does.

    derive.py [--report FILE] [--check CHARS] [--repin]

Its inputs from outside the project are pinned in inputs.tsv beside this script (SHA-256 of each
file, and the Debian package of the Rime tables with the version it was pinned at): a table that
changed would quietly change the splits, so the script refuses to run on one that differs until
it is re-pinned deliberately with --repin.
"""

import argparse
import collections
import hashlib
import itertools
import json
import os
import re
import sys
import unicodedata

HERE = os.path.dirname(os.path.abspath(__file__))
SOURCE = os.path.normpath(os.path.join(HERE, '..', '..'))
SHARED = os.path.normpath(os.path.join(SOURCE, '..', 'shared', 'data'))

WUBI_DICT = '/usr/share/rime-data/wubi86.dict.yaml'
STROKE_DICT = '/usr/share/rime-data/stroke.dict.yaml'
CJK_DECOMP = os.path.join(SHARED, 'cjk-decomp', 'cjk-decomp.txt')
MMAH_DICT = os.path.join(SHARED, 'makemeahanzi', 'dictionary.txt')
PINS = os.path.join(HERE, 'inputs.tsv')
ROOT_TABLE = os.path.join(SOURCE, 'assets', 'roots', 'wubi86_roots.json')
DECOMP_DIR = os.path.join(SOURCE, 'assets', 'decomp')

# Stroke classes of the stroke table (h s p n z) and the keys Wubi gives them.
STROKE_KEY = {'h': 'g', 's': 'h', 'p': 't', 'n': 'y', 'z': 'n'}
# Identification letter: last stroke class x shape (1 left-right, 2 top-bottom, 3 other).
ID_KEYS = {'h': 'gfd', 's': 'hjk', 'p': 'tre', 'n': 'yui', 'z': 'nbv'}
SINGLE_STROKES = {'一': 'h', '丨': 's', '丿': 'p', '丶': 'n', '乙': 'z'}


# --------------------------------------------------------------------------------------------
# Pinned inputs

# name -> (path, Debian package that ships it or '')
INPUTS = collections.OrderedDict([
    ('wubi86.dict.yaml', (WUBI_DICT, 'rime-data-wubi')),
    ('stroke.dict.yaml', (STROKE_DICT, 'rime-data-stroke')),
    ('cjk-decomp.txt', (CJK_DECOMP, '')),
    ('makemeahanzi/dictionary.txt', (MMAH_DICT, '')),
])


def sha256(path):
    h = hashlib.sha256()
    with open(path, 'rb') as f:
        for block in iter(lambda: f.read(1 << 20), b''):
            h.update(block)
    return h.hexdigest()


def package_version(package):
    """The installed Debian version of a package, or '' where dpkg cannot tell."""
    try:
        import subprocess
        out = subprocess.run(['dpkg-query', '-W', '-f=${Version}', package],
                             capture_output=True, text=True, check=False)
        return out.stdout.strip() if out.returncode == 0 else ''
    except OSError:
        return ''


def read_pins(path=PINS):
    """name -> (package, version, sha256) from the pin file."""
    pins = {}
    if os.path.exists(path):
        with open(path, encoding='utf-8') as f:
            for line in f:
                line = line.rstrip('\n')
                if line and not line.startswith('#'):
                    name, package, version, digest = (line.split('\t') + [''] * 4)[:4]
                    pins[name] = (package, version, digest)
    return pins


def check_inputs(repin=False, path=PINS):
    """Refuses (returns a message) when an input is missing or differs from its pin; with
    repin, records the inputs as they are now instead."""
    pins = read_pins(path)
    now = collections.OrderedDict()
    problems = []
    for name, (file, package) in INPUTS.items():
        if not os.path.exists(file):
            problems.append('%s: missing (%s)' % (name, file))
            continue
        now[name] = (package, package_version(package) if package else '', sha256(file))
        if not repin:
            pinned = pins.get(name)
            if pinned is None:
                problems.append('%s: not pinned' % name)
            elif pinned[2] != now[name][2]:
                was = ' %s %s' % (pinned[0], pinned[1]) if pinned[0] else ''
                is_ = ' %s %s' % (package, now[name][1]) if package else ''
                problems.append('%s (%s): SHA-256 %s, pinned %s (pinned from%s, installed%s)'
                                % (name, file, now[name][2], pinned[2], was or ' a copy', is_ or ' a copy'))
    if problems:
        return ('derive.py: the inputs differ from those pinned in %s:\n  %s\n'
                'Check what changed, then run with --repin to pin the inputs as they are now.'
                % (os.path.relpath(path, SOURCE), '\n  '.join(problems)))
    if repin:
        with open(path, 'w', encoding='utf-8') as f:
            f.write('# Inputs of derive.py, pinned: a run refuses inputs that differ (derive.py --repin\n'
                    '# re-pins them deliberately).\n# input\tDebian package\tversion pinned\tSHA-256\n')
            for name, (package, version, digest) in now.items():
                f.write('%s\t%s\t%s\t%s\n' % (name, package, version, digest))
    return None


# --------------------------------------------------------------------------------------------
# Code and stroke tables

def rime_rows(path):
    """The tab-separated rows of a Rime dictionary's body (after its '...' header end)."""
    body = False
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if line == '...':
                body = True
            elif body and line and not line.startswith('#'):
                yield line.split('\t')


def load_codes(path=WUBI_DICT):
    """Character -> its full codes (the longest ones; z codes are lookup helpers), in the table's
    order: the first is the one the tutor's code dictionary lists first and so shows, and the one
    a picture explains."""
    codes = collections.defaultdict(list)
    for parts in rime_rows(path):
        if len(parts) >= 2 and len(parts[0]) == 1 and re.fullmatch('[a-y]{1,4}', parts[1]):
            if parts[1] not in codes[parts[0]]:
                codes[parts[0]].append(parts[1])
    full = {}
    for ch, cs in codes.items():
        longest = max(len(c) for c in cs)
        full[ch] = [c for c in cs if len(c) == longest]
    return full


def load_strokes(path=STROKE_DICT):
    """Character -> stroke classes. The table lists Taiwan's forms first and then, for many
    characters, the mainland form; the mainland one is what Wubi's roots are drawn from."""
    strokes = {}
    for parts in rime_rows(path):
        if len(parts) >= 2 and len(parts[0]) == 1 and re.fullmatch('[hspnz]+', parts[1]):
            strokes[parts[0]] = parts[1]  # a later line (mainland) replaces an earlier one
    return strokes


# --------------------------------------------------------------------------------------------
# Roots

# Working list: the shared root table wins where both name a root; this adds variant forms.
BUILTIN_ROOTS = {
    'g': '王 一 五 戋 龶 𤣩',
    'f': '土 士 二 干 十 寸 雨 ⻗',
    'd': '大 犬 三 古 石 厂 丆 𠂇 ナ 镸',
    's': '木 丁 西 覀 ⻃',
    'a': '工 戈 弋 艹 ⺾ ⺿ 廾 廿 卄 龷 匚 匸 七',
    'h': '目 丨 亅 卜 ⺊ 上 止 龰 ⺪ 丄',
    'j': '日 曰 早 虫 刂 ⺜',
    'k': '口 川',
    'l': '田 甲 囗 四 皿 罒 ⺲ ⺫ 车 力',
    'm': '山 由 冂 贝 几 ⺆',
    't': '禾 竹 ⺮ 丿 彳 夂 攵 ⺙ 𠂉',
    'r': '白 手 扌 龵 斤 𠂆 𠂒',
    'e': '月 彡 乃 用 豕 𧰨 𧘇 爫 ⺤ ⺼',
    'w': '人 亻 八 𠆢',
    'q': '金 钅 勹 ⺈ 儿 夕 𠂊 乂 㐅',
    'y': '言 讠 文 方 广 亠 丶 乀',
    'u': '立 辛 丷 冫 丬 疒 门 六 䒑',
    'i': '水 氵 小 ⺌ ⺍ 氺',
    'o': '火 灬 米',
    'p': '之 辶 廴 冖 宀 ⻌',
    'n': '已 己 巳 乙 乛 乚 𠃊 𠃋 𠃌 𠃍 𠄌 ㇉ 尸 心 忄 ⺗ 羽',
    'b': '子 孑 了 也 耳 卩 ⺋ 阝 ⻏ ⻖ 凵',
    'v': '女 刀 九 臼 彐 ⺕ 巛',
    'c': '又 巴 马 厶 龴',
    'x': '纟 幺 弓 匕',
}
KEY_NAMES = dict(zip('gfdsahjklmtrewqyuiopnbvcx', '王土大木工目日口田山禾白月人金言立水火之已子女又纟'))


def load_extra_roots(path=os.path.join(DECOMP_DIR, 'extra_roots.tsv')):
    """Root -> (key or '', strokes, glyph, clip, identification stroke) for shapes the root and
    stroke tables lack. The identification stroke, where given, is the stroke class the
    identification letter reads when the root ends a character (龙's bend, not its dot)."""
    extra = {}
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line or line.startswith('#'):
                continue
            cols = line.split('\t') + [''] * 6
            extra[cols[0]] = (cols[1], cols[2], cols[3], cols[4], cols[5])
    return extra


def load_roots():
    """Root -> key, and the key-name characters.

    The shared root table (assets/roots/wubi86_roots.json) is the authority: its roots and keys
    win. The working list above still supplies the variant forms the component trees use
    (⺮, 亅, 乛, …), on the keys where the shared table puts their main form."""
    roots = {}
    key_names = {}
    source = 'builtin'
    if os.path.exists(ROOT_TABLE):
        with open(ROOT_TABLE, encoding='utf-8') as f:
            table = json.load(f)
        for row in table['keys']:
            key = row['key'].lower()
            key_names[row['name']] = key
            for r in row['roots']:
                if not r.startswith('@'):  # named shapes: ours are in extra_roots.tsv
                    roots.setdefault(r, key)
        source = 'shared'
    for key, text in BUILTIN_ROOTS.items():
        for r in text.split():
            roots.setdefault(r, key)
    for key, name in KEY_NAMES.items():
        key_names.setdefault(name, key)
    return roots, key_names, source


# --------------------------------------------------------------------------------------------
# Component trees

# Structures, by how Wubi reads them: 'a' left to right, 'd' top to bottom, 'o' outside then
# inside, 'i' inside then outside (凵 below, 辶 廴), 'x' overlapping parts whose interleaving
# must be tried.
CJK_OPS = {
    'a': 'a', 'a/m': 'a', 'a/t': 'a', 'a/s': 'a', 'ra': 'a', 'ra/m': 'a', 'r3a': 'a', 'r4a': 'a',
    'ba': 'a', 'ba/o': 'a', 'wa': 'a',
    'd': 'd', 'd/t': 'd', 'd/m': 'd', 'd/s': 'd', 'd/o': 'd', 'rd': 'd', 'rd/m': 'd', 'rd/s': 'd',
    'rd/t': 'd', 'r3d': 'd', 'r3d/m': 'd', 'r4d': 'd', 'r3tr': 'd', 'r3gw': 'd', 'r4sq': 'd',
    'bd': 'd', 'bd/t': 'd', 'bd/m': 'd', 'wd': 'd',
    's': 'o', 'st': 'o', 'stl': 'o', 'str': 'o', 'sl': 'o', 'sr': 'o', 's/t': 'o', 'st/t': 'o',
    'stl/s': 'o', 'stl/m': 'o', 'sl/s': 'o', 'sl/m': 'o', 'str/o': 'o',
    'sb': 'i', 'sbr': 'i', 'sbl': 'b', 'sbl/o': 'b', 'sbl/m': 'b',
    'w': 'x', 'wt': 'x', 'wb': 'x', 'wl': 'x', 'wr': 'x', 'wtl': 'x', 'wtr': 'x', 'wbl': 'x',
    'wbr': 'x', 'w/t': 'x', 'w/o': 'x', 'wl/t': 'x', 'wt/t': 'x', 'lock': 'x', 'built': 's',
    'c': 'x', 'r5x': 'x', 'r4dia': 'x',
}
REPEAT = {'ra': 2, 'ra/m': 2, 'rd': 2, 'rd/m': 2, 'rd/s': 2, 'rd/t': 2, 'r3a': 3, 'r3d': 3,
          'r3d/m': 3, 'r3tr': 3, 'r3gw': 3, 'r4sq': 4, 'r4a': 4, 'r4d': 4, 'r5x': 5, 'r4dia': 4}
IDS_OPS = {'⿰': ('a', 2), '⿱': ('d', 2), '⿲': ('a', 3), '⿳': ('d', 3), '⿴': ('o', 2),
           '⿵': ('o', 2), '⿶': ('i', 2), '⿷': ('o', 2), '⿸': ('o', 2), '⿹': ('o', 2),
           '⿺': ('b', 2), '⿻': ('x', 2)}
SHAPE_OF_OP = {'a': 1, 'd': 2}

# CJK stroke characters as the single-stroke roots Wubi files them under.
STROKE_CHARS = {}
for _c in '㇐㇀':
    STROKE_CHARS[_c] = '一'
for _c in '㇑㇚':
    STROKE_CHARS[_c] = '丨'
for _c in '㇒㇓':
    STROKE_CHARS[_c] = '丿'
for _c in '㇔㇏㇝㇃':
    STROKE_CHARS[_c] = '丶'
for _c in '㇕㇖㇗㇘㇙㇛㇜㇞㇟㇠㇡㇆㇇㇈㇉㇊㇋㇌㇍㇎㇂㇄㇅':
    STROKE_CHARS[_c] = '乙'


class Trees:
    """Alternative decompositions of each component: lists of (op, [children])."""

    def __init__(self):
        self.alts = collections.defaultdict(list)
        self.matches = {}  # character -> for each outline stroke, its component's path or None

    def add(self, node, op, children):
        entry = (op, tuple(children))
        if entry not in self.alts[node] and node not in children:
            self.alts[node].append(entry)

    def load_cjk(self, path):
        with open(path, encoding='utf-8') as f:
            for line in f:
                m = re.match(r'^([^:]+):([^(]*)\((.*)\)$', line.strip())
                if not m:
                    continue
                node, conf, kids = m.group(1), m.group(2), [k for k in m.group(3).split(',') if k]
                kids = [STROKE_CHARS.get(k, k) for k in kids]
                if conf in REPEAT and len(kids) == 1:
                    kids = kids * REPEAT[conf]
                op = CJK_OPS.get(conf)
                if op is None or len(kids) < 2:
                    continue
                self.add(node, op, kids)

    def load_mmah(self, path):
        with open(path, encoding='utf-8') as f:
            for line in f:
                entry = json.loads(line)
                ch, ids = entry['character'], entry.get('decomposition', '')
                if entry.get('matches'):
                    self.matches[ch] = [tuple(m) if m is not None else None
                                        for m in entry['matches']]
                if not ids or ids == '？' or len(ids) == 1:
                    continue
                pos = [0]
                counter = [0]

                def parse():
                    c = ids[pos[0]]
                    pos[0] += 1
                    if c in IDS_OPS:
                        op, n = IDS_OPS[c]
                        kids = [parse() for _ in range(n)]
                        if any(k is None for k in kids):
                            return None
                        counter[0] += 1
                        name = '%s#%d' % (ch, counter[0])
                        self.add(name, op, kids)
                        return name
                    if c == '？':
                        return None
                    return STROKE_CHARS.get(c, c)

                try:
                    top = parse()
                except IndexError:
                    continue
                if top is not None and top != ch:
                    # the whole character is the top node of its own tree
                    for op, kids in self.alts.pop(top, []):
                        self.add(ch, op, kids)


# --------------------------------------------------------------------------------------------
# Overrides: component -> how Wubi reads it, as roots in order, or as a structure.

def load_overrides(path):
    """Lines: component TAB op TAB parts (space separated). op '=' gives roots in reading order
    (any component may be named; it is expanded further), other ops are structures."""
    result = collections.defaultdict(list)
    if not os.path.exists(path):
        return result
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.rstrip('\n')
            if not line or line.startswith('#'):
                continue
            cols = line.split('\t')
            result[cols[0]].append((cols[1], tuple(cols[2].split())))
    return result


# --------------------------------------------------------------------------------------------
# Search

MAX_CANDS = 48


# Variant forms in the trees, drawn as the root Wubi names (same key, same strokes).
CANONICAL = {'⺆': '冂', '⻌': '辶', '𤣩': '王', '⺾': '艹', '⺿': '艹', '⺙': '攵', '⺤': '爫', '⺕': '彐'}


def interleavings(a, b):
    """All merges of two root sequences that keep the order within each."""
    n = len(a) + len(b)
    for pos in itertools.combinations(range(n), len(a)):
        out, ia, ib = [], 0, 0
        pset = set(pos)
        for i in range(n):
            if i in pset:
                out.append(a[ia])
                ia += 1
            else:
                out.append(b[ib])
                ib += 1
        yield tuple(out)


class Splitter:
    def __init__(self, roots, key_names, strokes, trees, overrides, extra, codes=None):
        self.extra = extra
        self.codes = codes or {}
        self.verified = {}
        self.verified_any = {}
        self.below = {}
        for r, (key, _, _, _, _) in extra.items():
            if key and r not in roots:
                roots[r] = key
        self.roots = roots
        self.key_names = key_names
        self.strokes = strokes
        self.trees = trees
        self.overrides = overrides
        self.memo = {}
        self.by_stroke_index = None
        self.use_strokes = True
        self.from_strokes = set()

    def alternatives(self, node):
        if node in self.overrides:
            # A curated reading replaces what the trees say.
            return self.overrides[node]
        return self.trees.alts.get(node, [])

    def cands(self, node, depth=0):
        """Root sequences a component can be read as, fewest roots first."""
        if node in self.memo:
            return self.memo[node]
        self.memo[node] = []  # guards against cycles
        out = []
        if node in self.roots:
            out.append((CANONICAL.get(node, node),))
        own = self.component_split(node)
        if own is not None and len(own[0]) > 1:
            # A component that is a character reads inside others as it reads alone (粦 in 磷),
            # and its own split is already confirmed by its code.
            out.append(own[0])
        if depth < 12:
            for op, kids in self.alternatives(node):
                out.extend(self.combine(op, kids, depth))
        seen = set()
        uniq = []
        for c in sorted(out, key=len):
            if c not in seen:
                seen.add(c)
                uniq.append(c)
        self.memo[node] = uniq[:MAX_CANDS]
        return self.memo[node]

    def combine(self, op, kids, depth):
        lists = [self.cands(k, depth + 1) for k in kids]
        if any(not l for l in lists):
            return []
        out = []
        if op in ('a', 'd', 's', '=', 'o'):
            orders = [lists]
        elif op == 'i':
            orders = [lists[::-1], lists]
        elif op == 'b':
            orders = [lists[1:] + lists[:1], lists]
        else:  # 'x': overlapping parts
            orders = [lists, lists[::-1]]
        for ls in orders:
            for combo in itertools.islice(itertools.product(*ls), 400):
                out.append(tuple(r for part in combo for r in part))
        if op == 'x' and len(lists) == 2:
            for a in lists[0][:8]:
                for b in lists[1][:8]:
                    if len(a) + len(b) <= 7:
                        out.extend(interleavings(a, b))
        if op == 'o' and len(lists) == 2:
            # an enclosing part that Wubi splits may carry its first roots before the inside
            # and its last after (载: 十 戈 车)
            for a in lists[0][:8]:
                for b in lists[1][:8]:
                    for cut in range(1, len(a)):
                        out.append(a[:cut] + b + a[cut:])
        return out

    def shapes(self, ch):
        """Top-level structures of a character: (shape, op, kids)."""
        out = []
        for op, kids in self.alternatives(ch):
            shape = SHAPE_OF_OP.get(op, 3)
            if op == 'o' and kids[0] in ('𠂇', 'ナ', '气'):
                shape = 2  # 𠂇 over its part reads as top and bottom (有 DEF, 布 DMHJ, 氖 RNEB)
            out.append((shape, op, kids))
        return out

    # -- coding rules --------------------------------------------------------------------

    def root_strokes(self, r):
        if r in SINGLE_STROKES:
            return SINGLE_STROKES[r]
        if r in self.extra and self.extra[r][1]:
            return self.extra[r][1]
        return self.strokes.get(r)

    def last_stroke(self, seq, frame=True):
        """Stroke class the identification letter reads: the last stroke of the last root,
        ignoring a closing 辶 or 廴 that frames the character (written last but read as the
        frame); one inside a part (莲, 涟) is an ordinary root."""
        body = list(seq)
        while frame and len(body) > 1 and body[-1] in ('辶', '廴', '⻌'):
            body.pop()
        last = body[-1]
        if last in ('力', '刀', '九', '匕'):
            return 'z'  # their long bend counts, whatever the stroke order
        if last in self.extra and self.extra[last][4]:
            return self.extra[last][4]
        if last in ('戈', '戋'):
            return 'p'  # read top to bottom: the 丿 comes last
        st = self.root_strokes(last)
        return st[-1] if st else None

    def code_of_root_char(self, ch):
        """Code of a character that is a root itself."""
        if ch in self.key_names:
            k = self.key_names[ch]
            return k * 4
        k = self.roots[ch]
        if ch in SINGLE_STROKES:
            return k + k + 'll'
        st = self.root_strokes(ch)
        if not st:
            return None
        if ch in ('戈', '戋'):
            st = st[:-2] + st[-1] + st[-2]  # the 丿 is read last
        if len(st) == 1:
            return k + STROKE_KEY[st[0]] + 'll'
        if len(st) == 2:
            return k + STROKE_KEY[st[0]] + STROKE_KEY[st[1]]
        return k + STROKE_KEY[st[0]] + STROKE_KEY[st[1]] + STROKE_KEY[st[-1]]

    def explain(self, ch, seq, keys, ident):
        """The code a split gives, and what gives it: the indices of the roots the code takes,
        or how a character that is a root itself is coded (with the indices of the strokes
        read, where it is by its strokes)."""
        if len(seq) == 1:
            code = self.code_of_root_char(ch)
            if ch in self.key_names:
                return code, 'key-name'
            if ch in SINGLE_STROKES:
                return code, 'stroke'
            coded = self.root_strokes(ch)
            if ch in ('戈', '戋'):
                coded = coded[:-2] + coded[-1] + coded[-2]  # the 丿 is read last
            # The strokes read, as indices in writing order (the order of the outline drawn):
            # the k-th stroke of a class the code reads is the k-th written of that class, so
            # 忄, coded 丶 丨 丶 but written 丶 丶 丨, reads its strokes 0, 2 and 1.
            written = matching_strokes(self, ch)
            where, seen = [], collections.Counter()
            for c in coded:
                at = [i for i, w in enumerate(written) if w == c][seen[c]]
                seen[c] += 1
                where.append(at)
            read = where[:2] + (where[-1:] if len(where) >= 3 else [])
            return code, 'root-char ' + ' '.join(map(str, read))
        if len(seq) >= 4:
            return keys[:3] + keys[-1], ' '.join(map(str, [0, 1, 2, len(seq) - 1]))
        return keys + ident, ' '.join(map(str, range(len(seq))))

    def code_of(self, seq, shape):
        keys = ''.join(self.roots[r] for r in seq)
        if len(seq) >= 4:
            return keys[:3] + keys[-1], None
        if len(seq) < 2:
            return None, None
        # 辶 and 廴 frame the character only where it reads as "other" (这); under 艹 (莲) or
        # beside 氵 (涟) the part they close is one of two, and their 捺 is the last stroke.
        frame = seq[-1] in ('辶', '廴', '⻌') and shape == 3
        ls = self.last_stroke(seq, frame)
        if ls is None:
            return None, None
        ident = ID_KEYS[ls][shape - 1]
        return keys + ident, ident

    def stroke_count(self, seq):
        total = 0
        for r in seq:
            st = self.root_strokes(r)
            if st is None:
                return None
            total += len(st)
        return total

    def by_strokes(self, ch, full, shapes):
        """Verified splits read straight off the stroke order: runs of strokes that are roots,
        the fewest roots first. This catches what the trees group differently from Wubi (才 is
        十 and 丿, not 𠂇 and 丿), but not an enclosure whose closing stroke comes last."""
        if self.by_stroke_index is None:
            idx = collections.defaultdict(list)
            for r in self.roots:
                st = self.root_strokes(r)
                if st and r not in CANONICAL:
                    idx[st].append(r)
            self.by_stroke_index = idx
            self.max_root_len = max(len(k) for k in idx)
        idx = self.by_stroke_index
        st = self.strokes.get(ch, '')
        n = len(st)
        results = []
        for code in full:
            # At most four roots: then every root is checked by the code. A fifth or sixth root
            # read off the strokes would sit in the middle, where the code cannot confirm it, and
            # a wrong picture teaches a wrong split.
            for k in range(2, 5):
                if k > n:
                    break
                if (len(code) == 3) != (k == 2) or len(code) < 3:
                    continue
                found = []

                def dfs(pos, seq):
                    if len(found) >= 32:
                        return
                    i = len(seq)
                    if i == k:
                        if pos == n:
                            found.append(tuple(seq))
                        return
                    remaining = k - i
                    if n - pos < remaining:
                        return
                    for ln in range(1, min(self.max_root_len, n - pos) + 1):
                        for r in idx.get(st[pos:pos + ln], ()):
                            key = self.roots[r]
                            if k >= 4:
                                if i < 3 and key != code[i]:
                                    continue
                                if i == k - 1 and key != code[3]:
                                    continue
                            elif key != code[i]:
                                continue
                            seq.append(r)
                            dfs(pos + ln, seq)
                            seq.pop()

                dfs(0, [])
                for seq in found:
                    for sh in shapes:
                        c, ident = self.code_of(seq, sh)
                        if c == code:
                            results.append((seq, sh if ident else 0, ident or ''))
                            break
                if results:
                    break
        if not results:
            return None
        # Roots with the same strokes and key (凵 and 了, 厶 and 又) are told apart by the
        # component trees: prefer the split whose roots appear in them.
        named = self.descendants(ch)
        seq, sh, ident = min(results, key=lambda r: (len(r[0]), -len(set(r[0]) & named)))
        return seq, ''.join(self.roots[r] for r in seq), ident, sh

    def descendants(self, node, seen=None):
        """Every component the trees name anywhere below a node, with their root forms."""
        if seen is None:
            if node not in self.below:
                self.below[node] = self.descendants(node, set())
            return self.below[node]
        for _, kids in self.alternatives(node):
            for k in kids:
                if k not in seen:
                    seen.add(k)
                    seen.add(CANONICAL.get(k, k))
                    self.descendants(k, seen)
        return seen

    def verified_split(self, ch):
        """The character's own verified split, of the full code the tutor shows, or None
        (memoised)."""
        if ch not in self.verified:
            self.verified[ch] = None  # guards against cycles
            full = self.codes.get(ch)
            if full and ch in self.strokes:
                self.verified[ch] = self.split(ch, full[:1])
        return self.verified[ch]

    def component_split(self, ch):
        """A verified split of any of the character's full codes: inside another character a
        component may be read either way, since the whole is checked by its own code."""
        if ch not in self.verified_any:
            self.verified_any[ch] = None
            own = self.verified_split(ch)
            full = self.codes.get(ch)
            if own is None and full and len(full) > 1:
                own = self.split(ch, full[1:])
            self.verified_any[ch] = own
        return self.verified_any[ch]

    def split(self, ch, full):
        """Best verified split: (roots, keys, ident, shape) or None."""
        if ch in self.roots:
            code = self.code_of_root_char(ch)
            if code in full:
                return (ch,), self.roots[ch], '', 0
        n = len(self.strokes.get(ch, ''))
        best = None
        for shape, op, kids in self.shapes(ch):
            for seq in self.combine(op, kids, 0):
                if len(seq) < 2 or (best and len(seq) >= len(best[0])):
                    continue
                if self.stroke_count(seq) != n:
                    continue
                shapes = [shape]
                if len(seq) <= 3 and shape != 3 and any(r in SINGLE_STROKES for r in seq):
                    shapes.append(3)  # a single stroke joined to a root makes a whole shape
                for sh in shapes:
                    code, ident = self.code_of(seq, sh)
                    if code in full:
                        best = (seq, ''.join(self.roots[r] for r in seq), ident or '',
                                sh if ident else 0)
                        break
        if best is None and self.use_strokes:
            shapes = sorted({sh for sh, _, _ in self.shapes(ch)}) or [1, 2, 3]
            if 3 not in shapes:
                shapes.append(3)
            best = self.by_strokes(ch, full, shapes)
            if best:
                self.from_strokes.add(ch)
        if best is not None and best[0][0] == '卄' and '艹' in self.descendants(ch):
            # One root, two shapes: a grass top is drawn as the learner sees it (花, not 卄 化).
            best = (('艹',) + tuple(best[0][1:]),) + tuple(best[1:])
        return best



def assign_strokes(sp, ch, seq):
    """Which root each stroke of the character belongs to, in writing order, or None.

    Roots are mostly written one after another, but an enclosure is closed after what it holds
    (国) and interwoven roots alternate (载), so each stroke goes to a root whose next stroke it
    matches, with as few changes of root as possible, roots begun in reading order where the
    strokes allow it. Where Make Me a Hanzi says which component each stroke of the outline
    belongs to, a root keeps to the component of its first stroke: of the 丿 丶 pairs of 爽 the
    last is 大's, not the first, and 方's hook in 施 is 方's."""
    st = sp.strokes.get(ch, '')
    parts = [matching_strokes(sp, r) for r in seq]
    if len(seq) == 1 or sum(len(x) for x in parts) != len(st):
        return None if len(seq) > 1 else [0] * len(st)
    if len(seq) > 16:
        return None  # one hex digit a root
    paths = sp.trees.matches.get(ch) if sp.trees is not None else None
    if paths is not None and len(paths) != len(st):
        paths = None
    for guide in ([paths, None] if paths else [None]):
        owner = match_strokes(st, parts, ordered=True, paths=guide)
        if owner is None:
            # The tables sometimes order a component's strokes differently inside a character
            # (车 alone hzhs, in 载 hzsh): then each root takes its strokes in any order.
            owner = match_strokes(st, parts, ordered=False, paths=guide)
        if owner is None:
            # A root's stroke may change class inside a character (月 starts with 丨 in 甫, 匕
            # with a rising 一 in 比, 刂 with 丿 in 弗); in writing order, let those classes
            # stand in.
            owner = match_strokes(st, parts, ordered=True, loose=True, paths=guide)
        if owner is not None:
            return owner
    return None


def matching_strokes(sp, root):
    """A root's strokes in writing order. The stroke table's order where it only reorders what
    the coding reads (方 is written 丶 一 𠃌 丿, though its code reads the hook last)."""
    coded = sp.root_strokes(root) or ''
    written = sp.strokes.get(root, '')
    return written if sorted(written) == sorted(coded) and written else coded


def path_distance(a, b):
    """How far apart two strokes' components are: 0 in the same one, more the nearer the top
    of the tree they part."""
    if a is None or b is None or a == b:
        return 0
    common = 0
    while common < min(len(a), len(b)) and a[common] == b[common]:
        common += 1
    if common == min(len(a), len(b)):
        return 0  # one holds the other
    return 4.0 / (2 ** common)


# Stroke classes that one root's stroke may take inside another character.
LOOSE = {('p', 's'), ('s', 'p'), ('p', 'h'), ('h', 'p'), ('n', 'h'), ('h', 'n')}


def match_strokes(st, parts, ordered, loose=False, paths=None):
    n, k = len(st), len(parts)
    memo = {}
    # The guide multiplies the states (each root remembers its component); where it would take
    # long, the plain match below it is the answer.
    budget = [20000 if paths is not None else 200000]

    def started(progress, j):
        return progress[j] != 0 if ordered else len(progress[j]) < len(parts[j])

    def best(i, progress, current, homes):
        if i == n:
            return (0, ())
        key = (i, progress, current, homes)
        if key in memo:
            return memo[key]
        budget[0] -= 1
        if budget[0] < 0:
            raise OverflowError
        result = None
        for j in range(k):
            done = progress[j]
            if ordered:
                if done >= len(parts[j]):
                    continue
                if parts[j][done] != st[i] and not (loose and (parts[j][done], st[i]) in LOOSE):
                    continue
                nxt = progress[:j] + (done + 1,) + progress[j + 1:]
            else:
                # progress holds the strokes still to come, sorted
                if st[i] not in done:
                    continue
                at = done.index(st[i])
                nxt = progress[:j] + (done[:at] + done[at + 1:],) + progress[j + 1:]
            cost = (j != current)
            nhomes = homes
            if paths is not None:
                if homes[j] is None:
                    nhomes = homes[:j] + (paths[i] or (),) + homes[j + 1:]
                else:
                    cost += path_distance(paths[i], homes[j])
            sub = best(i + 1, nxt, j, nhomes)
            if sub is None:
                continue
            cost += sub[0]
            if not started(progress, j) and any(not started(progress, e) for e in range(j)):
                cost += 2  # roots are begun in reading order unless the strokes say otherwise
            if result is None or cost < result[0]:
                result = (cost, (j,) + sub[1])
        memo[key] = result
        return result

    start = (0,) * k if ordered else tuple(''.join(sorted(p)) for p in parts)
    try:
        found = best(0, start, -1, (None,) * k)
    except (OverflowError, RecursionError):
        return None
    return list(found[1]) if found else None


def charsets():
    gb2312, gbk = [], []
    for b1 in range(0x81, 0xFF):
        for b2 in range(0x40, 0xFF):
            try:
                c = bytes([b1, b2]).decode('gbk')
            except UnicodeDecodeError:
                continue
            if len(c) == 1 and 'CJK' in unicodedata.name(c, ''):
                gbk.append(c)
                if 0xB0 <= b1 <= 0xF7 and b2 >= 0xA1:
                    gb2312.append(c)
    return gb2312, gbk


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument('--report', help='write the unverified characters and their components here')
    ap.add_argument('--check', help='print the candidates of these characters')
    ap.add_argument('--out', default=os.path.join(DECOMP_DIR, 'splits.tsv'))
    ap.add_argument('--repin', action='store_true',
                    help='record the inputs as they are now in inputs.tsv, instead of refusing '
                         'inputs that differ from it')
    args = ap.parse_args()
    refused = check_inputs(args.repin)
    if refused:
        print(refused, file=sys.stderr)
        sys.exit(1)

    codes = load_codes()
    strokes = load_strokes()
    roots, key_names, source = load_roots()
    trees = Trees()
    trees.load_cjk(CJK_DECOMP)
    trees.load_mmah(MMAH_DICT)
    overrides = load_overrides(os.path.join(HERE, 'overrides.tsv'))
    sp = Splitter(roots, key_names, strokes, trees, overrides, load_extra_roots(), codes)

    if args.check:
        for ch in args.check:
            print(ch, codes.get(ch, []), strokes.get(ch))
            for shape, op, kids in sp.shapes(ch):
                print('  ', op, kids, shape)
                for seq in sp.combine(op, kids, 0)[:30]:
                    print('     ', ' '.join(seq), sp.code_of(seq, shape)[0], sp.stroke_count(seq))
            print('  =>', sp.split(ch, codes.get(ch, [])[:1]))
        return

    gb2312, gbk = charsets()
    gbset = set(gb2312)
    rows = []
    failed = []
    for ch in gbk:
        best = sp.verified_split(ch)  # computed once, also for the characters that contain it
        if best is None:
            failed.append(ch)
            continue
        rows.append((ch,) + best)
    ok = {r[0] for r in rows}
    print('roots: %s table; %d read off the strokes' % (source, len(sp.from_strokes)), file=sys.stderr)
    print('GB2312 %d/%d  GBK %d/%d' % (sum(1 for c in gb2312 if c in ok), len(gb2312),
                                       len(ok), len(gbk)), file=sys.stderr)
    with open(args.out, 'w', encoding='utf-8') as f:
        f.write('# character\troots\tkeys\tidentification letter\tshape (1 left-right, '
                '2 top-bottom, 3 other; given with the identification letter)\t'
                'root of each stroke, in writing order (empty where the strokes do not match)\t'
                'full code explained\t'
                'what gives the code: the roots it takes (1, 2, 3 and the last of more than four), '
                'or for a root itself key-name, stroke, or root-char with the strokes read\n')
        mapped = 0
        for ch, seq, keys, ident, shape in rows:
            owner = assign_strokes(sp, ch, seq)
            mapped += owner is not None
            code, coding = sp.explain(ch, seq, keys, ident)
            f.write('%s\t%s\t%s\t%s\t%s\t%s\t%s\t%s\n'
                    % (ch, ' '.join(seq), keys, ident, shape if shape else '',
                       ''.join('%x' % j for j in owner) if owner else '', code, coding))
    print('strokes matched to roots: %d/%d' % (mapped, len(rows)), file=sys.stderr)
    if args.report:
        comp = collections.Counter()
        fset = set(failed)

        def blame(node, seen):
            for op, kids in sp.alternatives(node):
                for k in set(kids):
                    if k in seen:
                        continue
                    seen.add(k)
                    if k in fset or (k not in sp.roots and k not in ok):
                        comp[k] += 1
                        if not (len(k) == 1 and k in fset):
                            blame(k, seen)

        for ch in failed:
            blame(ch, set())
        with open(args.report, 'w', encoding='utf-8') as f:
            f.write('failed GB2312: %s\n' % ''.join(c for c in failed if c in gbset))
            for k, n in comp.most_common(400):
                f.write('%s\t%d\t%s\t%s\t%s\n' % (k, n, ' '.join(codes.get(k, [])),
                                              strokes.get(k, ''), sp.alternatives(k)[:2]))


if __name__ == '__main__':
    main()
