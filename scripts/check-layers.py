#!/usr/bin/env python3
"""Checks the include structure of the C++ tree.

Usage: check-layers.py [--no-widgets LAYER,... --widgets-headers DIR] [SRC]
       (SRC: default src/ of this repository; DIR: Qt's QtWidgets include folder)

Every folder directly under SRC is a layer (a static library). A quoted include is either
"<layer>/Name.h", found in <layer>/include/<layer>/Name.h or, for a private header, in
<layer>/Name.h, or "Name.h" relative to the including file's folder, which the compiler tries
first. Angle-bracket includes and generated files (moc, ui, qrc) are not the tree's business.

Exits 1, listing what it found, when
  - layers include each other in a cycle;
  - units of one layer include each other in a cycle, where Foo.cpp and its Foo.h (beside it or
    in include/<layer>/) are one unit: Foo.cpp including Bar.h and Bar.cpp including Foo.h
    tie Foo and Bar together as surely as two headers including each other;
  - a quoted include names no file of the tree, or climbs out with "..";
  - a file of a layer given with --no-widgets includes a Qt Widgets header: a name of DIR, as
    <Name> or <QtWidgets/Name>, or <QtWidgets> itself.
"""
import fnmatch
import os
import posixpath
import re
import sys
from collections import deque

SOURCES = ('.h', '.hh', '.hpp', '.c', '.cc', '.cpp', '.cxx')
GENERATED = ('moc_*.cpp', '*.moc', 'ui_*.h', 'qrc_*.cpp')
INCLUDE = re.compile(r'\s*#\s*include\s*"([^"]+)"')
SYSTEM_INCLUDE = re.compile(r'\s*#\s*include\s*<([^>]+)>')


def source_files(src, layers):
    """Paths relative to src, with '/', of the source files under the layer folders."""
    for layer in layers:
        for folder, subfolders, names in os.walk(os.path.join(src, layer)):
            subfolders[:] = sorted(d for d in subfolders if not d.startswith('.'))
            rel = os.path.relpath(folder, src).replace(os.sep, '/')
            for name in sorted(names):
                if name.endswith(SOURCES):
                    yield f'{rel}/{name}'


def includes(src, rel):
    """(line number, name) of each quoted include of the file that is not generated."""
    with open(os.path.join(src, rel), encoding='utf-8', errors='replace') as f:
        for number, line in enumerate(f, 1):
            match = INCLUDE.match(line)
            if match and not any(fnmatch.fnmatch(posixpath.basename(match[1]), g) for g in GENERATED):
                yield number, match[1]


def widget_includes(src, layers, no_widgets, widgets_headers):
    """One line for each include of a Qt Widgets header by a file of the layers in no_widgets."""
    found = []
    for rel in source_files(src, [layer for layer in layers if layer in no_widgets]):
        with open(os.path.join(src, rel), encoding='utf-8', errors='replace') as f:
            for number, line in enumerate(f, 1):
                match = SYSTEM_INCLUDE.match(line)
                if not match:
                    continue
                name = match[1]
                module, _, rest = name.partition('/')
                if name == 'QtWidgets' or module == 'QtWidgets' or (not rest and name in widgets_headers):
                    found.append(f'{rel}:{number}: #include <{name}> is Qt Widgets, '
                                 f'which layer {rel.split("/")[0]} must not use')
    return found


def resolve(src, layers, rel, name):
    """The included file (relative to src) and None, or None and what is wrong with the include."""
    if name.startswith('/') or '..' in name.split('/'):
        return None, 'climbs out of its folder'
    candidates = [posixpath.normpath(posixpath.join(posixpath.dirname(rel), name))]
    layer, _, rest = name.partition('/')
    if rest and layer in layers:
        candidates += [f'{layer}/include/{layer}/{rest}', f'{layer}/{rest}']
    for candidate in candidates:
        if os.path.isfile(os.path.join(src, candidate)):
            return candidate, None
    own = rel.split('/')[0]
    if '/' not in name and os.path.isfile(os.path.join(src, own, 'include', own, name)):
        return None, f'names no file (the public header is "{own}/{name}")'
    return None, 'names no file'


def unit(rel):
    """media/include/media/audio/Foo.h and media/audio/Foo.cpp are both the unit media/audio/Foo."""
    layer = rel.split('/')[0]
    public = f'{layer}/include/{layer}/'
    if rel.startswith(public):
        rel = layer + '/' + rel[len(public):]
    return posixpath.splitext(rel)[0]


def reachable(graph, start):
    seen, stack = set(), [start]
    while stack:
        for nxt in graph.get(stack.pop(), ()):
            if nxt not in seen:
                seen.add(nxt)
                stack.append(nxt)
    return seen


def shortest_cycle(graph, start, within):
    """start -> ... -> start through the nodes of `within`, fewest steps first."""
    parent, queue = {}, deque([start])
    while queue:
        node = queue.popleft()
        for nxt in sorted(graph.get(node, ())):
            if nxt == start:
                chain = [node]
                while chain[-1] != start:
                    chain.append(parent[chain[-1]])
                return chain[::-1] + [start]
            if nxt in within and nxt not in parent:
                parent[nxt] = node
                queue.append(nxt)
    raise AssertionError('no cycle through ' + start)


def cycles(graph):
    """One cycle for each knot of nodes that all reach each other, and the knot's members."""
    reach = {node: reachable(graph, node) for node in graph}
    found, done = [], set()
    for node in sorted(graph):
        if node in done or node not in reach[node]:
            continue
        knot = {other for other in reach[node] if node in reach.get(other, ())}
        done |= knot
        found.append((shortest_cycle(graph, node, knot), sorted(knot)))
    return found


def report_cycles(kind, graph, evidence):
    lines = []
    for chain, knot in cycles(graph):
        lines.append(f'{kind}: {" -> ".join(chain)}')
        others = [n for n in knot if n not in chain]
        if others:
            lines.append(f'    (tied in as well: {", ".join(others)})')
        for a, b in zip(chain, chain[1:]):
            lines.append(f'    {evidence[a, b]}')
    return lines


def check(src, no_widgets=(), widgets_headers=frozenset()):
    """The problem lines, the numbers of cycles and of bad includes, and of layers and units."""
    layers = sorted(d for d in os.listdir(src)
                    if not d.startswith('.') and os.path.isdir(os.path.join(src, d)))
    layer_graph, unit_graph, evidence, bad = {}, {}, {}, []
    for rel in source_files(src, layers):
        unit_graph.setdefault(unit(rel), set())
        for number, name in includes(src, rel):
            target, problem = resolve(src, layers, rel, name)
            if problem:
                bad.append(f'{rel}:{number}: #include "{name}" {problem}')
                continue
            a, b = rel.split('/')[0], target.split('/')[0]
            if a == b:  # units only within a layer: across layers the layer cycle tells it
                graph, a, b = unit_graph, unit(rel), unit(target)
            else:
                graph = layer_graph
            if a != b:
                graph.setdefault(a, set()).add(b)
                evidence.setdefault((a, b), f'{rel}:{number}: #include "{name}"')
    found = (report_cycles('include cycle between layers', layer_graph, evidence)
             + report_cycles('include cycle between units', unit_graph, evidence))
    cycle_count = sum(line.startswith('include cycle') for line in found)
    bad += widget_includes(src, layers, no_widgets, widgets_headers)
    return found + bad, cycle_count, len(bad), len(layers), len(unit_graph)


def main(argv):
    usage = f'usage: {argv[0]} [--no-widgets LAYER,... --widgets-headers DIR] [SRC]'
    args, options = argv[1:], {}
    while args and args[0] in ('--no-widgets', '--widgets-headers') and len(args) > 1:
        options[args[0]] = args[1]
        args = args[2:]
    if len(args) > 1 or args and args[0].startswith('-') or len(options) == 1:
        print(usage, file=sys.stderr)
        return 2
    here = os.path.dirname(os.path.abspath(__file__))
    src = args[0] if args else os.path.normpath(os.path.join(here, '..', 'src'))
    if not os.path.isdir(src):
        print(f'{argv[0]}: no folder {src}', file=sys.stderr)
        return 2
    no_widgets, widgets_headers = (), frozenset()
    if options:
        headers = options['--widgets-headers']
        if not os.path.isdir(headers):
            print(f'{argv[0]}: no folder {headers}', file=sys.stderr)
            return 2
        no_widgets = [layer for layer in options['--no-widgets'].split(',') if layer]
        widgets_headers = frozenset(os.listdir(headers))
    problems, cycle_count, bad_count, layer_count, unit_count = check(src, no_widgets, widgets_headers)
    if not problems:
        print(f'layers: {layer_count}, units: {unit_count}, no include cycles')
        return 0
    print('\n'.join(problems))
    print(f'layers: {layer_count}, units: {unit_count}, '
          f'include cycles: {cycle_count}, bad includes: {bad_count}')
    return 1


if __name__ == '__main__':
    sys.exit(main(sys.argv))
