#!/usr/bin/env python3
"""Fails when an include in src/ points up a layer or a core file includes Qt.

Usage: check_layers.py [SOURCE_ROOT]   (the rules are in tools/layers.txt)
"""
import pathlib
import re
import sys

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.MULTILINE)
QT_HEADER = re.compile(r'^(Q[A-Za-z]|qt|Qt)')


def read_rules(path):
    layers, allowed = [], set()
    for line in path.read_text().splitlines():
        words = line.split('#', 1)[0].split()
        if not words:
            continue
        if words[0] == 'allow':
            allowed.add((words[1], words[2]))  # sources starting with words[1] may include words[2]
        else:
            layers.append((words[0], words[1:]))
    rank = {}
    for index, (name, folders) in enumerate(layers):
        for folder in folders:
            rank[folder] = (index, name)
    return rank, allowed


def folder_of(path, rank):
    """The longest listed folder that holds path ('src/...'), or None."""
    best = None
    for folder in rank:
        if (path + '/').startswith(folder + '/') and (best is None or len(folder) > len(best)):
            best = folder
    return best


def is_allowed(fault, allowed):
    source = fault.split(':', 1)[0]
    for prefix, header in allowed:
        if source.startswith(prefix) and (f'"{header}"' in fault or (header == 'Qt' and 'includes Qt' in fault)):
            return True
    return False


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).resolve().parent.parent)
    rank, allowed = read_rules(root / 'tools' / 'layers.txt')
    faults = []
    for file in sorted((root / 'src').rglob('*')):
        if file.suffix not in ('.h', '.cpp'):
            continue
        source = file.relative_to(root).as_posix()
        folder = folder_of(source, rank)
        if folder is None:
            faults.append(f'{source}: its folder has no layer in tools/layers.txt')
            continue
        level, layer = rank[folder]
        for kind, header in INCLUDE.findall(file.read_text(errors='replace')):
            if kind == '<':
                if layer == 'core' and QT_HEADER.match(header):
                    faults.append(f'{source}: core code includes Qt <{header}>')
                continue
            if (file.parent / header).exists():
                target = (file.parent / header).relative_to(root).as_posix()
            elif (root / 'src' / header).exists():
                target = 'src/' + header
            else:
                continue  # a generated or system header
            target_folder = folder_of(target, rank)
            if target_folder is None:
                continue
            target_level, target_layer = rank[target_folder]
            if target_level > level:
                faults.append(f'{source}: includes "{header}" of the {target_layer} layer from the {layer} layer')
    faults = [fault for fault in faults if not is_allowed(fault, allowed)]
    for fault in faults:
        print(fault)
    return 1 if faults else 0


if __name__ == '__main__':
    sys.exit(main())
