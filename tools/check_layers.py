#!/usr/bin/env python3
"""Checks the include graph: each layer includes only the layers below it, and
a header under private/ only from inside the folder that holds that private/.

check_layers.py [ROOT]   lists every offending include; exit status 1 if any.
check_layers.py --self-test   plants one offence of each kind in a scratch tree.
"""
import os
import re
import sys
import tempfile

INCLUDE = re.compile(r'^\s*#\s*include\s*"([^"]+)"', re.M)
SOURCES = ('.cpp', '.h')
SKIP = {'.git', 'build'}

# Including folder (longest prefix wins) -> folders it may include from.
# None means anything of ours.
ALLOWED = [
    ('ZR/core/', ['ZR/core/']),
    ('ZR/dsp/', ['ZR/core/', 'ZR/dsp/']),
    ('ZR/Pic/', ['ZR/core/', 'ZR/Pic/']),
    # A window walks its widgets through their declaration (virtual calls only).
    ('ZR/Win/', ['ZR/core/', 'ZR/Pic/', 'ZR/Win/', 'ZR/Wid/ZR_Wid.h']),
    ('ZR/Wid/', ['ZR/core/', 'ZR/Pic/', 'ZR/Win/', 'ZR/Wid/']),
    # The Windows dialog takes its owner from the framework window's parent.
    ('ZR/Dlg/', ['ZR/core/', 'ZR/Dlg/', 'ZR/Win/ZR_Win_Win32.h']),
    ('ZR/Rts/', ['ZR/core/', 'ZR/Rts/']),
    ('ZR/', ['ZR/']),
    ('app/', ['ZR/', 'app/']),
    ('vst/', ['ZR/', 'app/', 'vst/']),
    ('host/', ['ZR/', 'app/', 'vst/', 'host/']),
    ('tools/', None),
    ('tests/', None),
    ('bench/', None),
]
FORBIDDEN = {'tools/': ['tests/']}


def sources(root):
    for top, dirs, files in os.walk(root):
        dirs[:] = sorted(d for d in dirs if d not in SKIP and not d.startswith('build'))
        for name in sorted(files):
            if name.endswith(SOURCES):
                path = os.path.join(top, name)
                yield os.path.relpath(path, root).replace(os.sep, '/')


def resolve(root, source, target):
    """The repository path an include names, or None for a system header."""
    bases = [os.path.dirname(source), '']
    if source.startswith('tests/'):
        bases.append('tests')
    for base in bases:
        path = os.path.normpath(os.path.join(base, target)).replace(os.sep, '/')
        if not path.startswith('..') and os.path.isfile(os.path.join(root, path)):
            return path
    return None


def layer_rule(source):
    for prefix, allowed in ALLOWED:
        if source.startswith(prefix):
            return prefix, allowed
    return None, None


def offences(root):
    found = []
    for source in sources(root):
        with open(os.path.join(root, source), encoding='utf-8', errors='replace') as f:
            text = f.read()
        for target in INCLUDE.findall(text):
            path = resolve(root, source, target)
            if path is None or path == source:
                continue
            parts = path.split('/')
            if 'private' in parts[:-1]:
                owner = '/'.join(parts[:parts.index('private')]) + '/'
                if not source.startswith(owner):
                    found.append(f'{source}: includes {path}, private to {owner}')
                    continue
            prefix, allowed = layer_rule(source)
            if prefix is None:
                continue
            if allowed is not None and not any(path.startswith(a) for a in allowed):
                found.append(f'{source}: includes {path}, outside {", ".join(allowed)}')
            elif any(path.startswith(f) for f in FORBIDDEN.get(prefix, [])):
                found.append(f'{source}: includes {path}, which {prefix} may not use')
    return found


def self_test():
    planted = {
        'ZR/core/a.h': '#include "ZR/dsp/b.h"\n',           # core reaching up
        'ZR/dsp/b.h': '#include "app/c.h"\n',                # dsp reaching up
        'ZR/dsp/kernels/private/p.h': '',
        'ZR/dsp/effects/d.cpp': '#include "ZR/dsp/kernels/private/p.h"\n',  # sibling
        'app/c.h': '#include "../vst/e.h"\n',               # relative, upward
        'vst/e.h': '#include "ZR/dsp/b.h"\n',                # allowed
        'tools/t.cpp': '#include "tests/u.h"\n',            # tools using tests
        'tests/u.h': '#include "ZR/dsp/kernels/private/p.h"\n',
        'ZR/dsp/kernels/k.cpp': '#include "private/p.h"\n#include <vector>\n',  # allowed
    }
    expected = {'ZR/core/a.h', 'ZR/dsp/b.h', 'ZR/dsp/effects/d.cpp', 'app/c.h', 'tools/t.cpp',
                'tests/u.h'}
    with tempfile.TemporaryDirectory() as root:
        for path, text in planted.items():
            os.makedirs(os.path.join(root, os.path.dirname(path)), exist_ok=True)
            with open(os.path.join(root, path), 'w') as f:
                f.write(text)
        reported = {line.split(':')[0] for line in offences(root)}
    if reported != expected:
        print(f'self-test: expected offences in {sorted(expected)}, got {sorted(reported)}')
        return 1
    print('self-test: every planted offence reported, nothing else')
    return 0


def main(argv):
    if argv[1:] == ['--self-test']:
        return self_test()
    root = argv[1] if len(argv) > 1 else os.path.join(os.path.dirname(__file__), '..')
    found = offences(os.path.abspath(root))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == '__main__':
    sys.exit(main(sys.argv))
