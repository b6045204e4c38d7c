#!/usr/bin/env python3
"""Checks that the folders of src/core depend on each other one way only.

A folder depends on another when one of its files includes a header of the other. The check
fails (exit 1) when the folders' dependencies form a cycle, naming the folders of each cycle
and one include that makes each step, so the line to move is plain to see.
"""
import os
import re
import sys

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "src", "core")
INCLUDE = re.compile(r'\s*#\s*include\s*"core/([a-z]+)/([^"]+)"')


def folder_edges():
    """Maps each folder to the folders it includes from, with one example include each."""
    edges = {}
    for folder in sorted(os.listdir(ROOT)):
        path = os.path.join(ROOT, folder)
        if not os.path.isdir(path):
            continue
        edges.setdefault(folder, {})
        for name in sorted(os.listdir(path)):
            with open(os.path.join(path, name), encoding="utf-8", errors="replace") as source:
                for line in source:
                    match = INCLUDE.match(line)
                    if match and match.group(1) != folder:
                        example = f"{folder}/{name} includes {match.group(1)}/{match.group(2)}"
                        edges[folder].setdefault(match.group(1), example)
    return edges


def cycles(edges):
    """The strongly connected groups of more than one folder (Tarjan's algorithm)."""
    index, low, stack, on_stack, groups = {}, {}, [], set(), []

    def visit(node):
        index[node] = low[node] = len(index)
        stack.append(node)
        on_stack.add(node)
        for target in edges.get(node, {}):
            if target not in index:
                visit(target)
                low[node] = min(low[node], low[target])
            elif target in on_stack:
                low[node] = min(low[node], index[target])
        if low[node] == index[node]:
            group = []
            while True:
                member = stack.pop()
                on_stack.discard(member)
                group.append(member)
                if member == node:
                    break
            if len(group) > 1:
                groups.append(sorted(group))

    for node in sorted(edges):
        if node not in index:
            visit(node)
    return groups


def main():
    edges = folder_edges()
    found = cycles(edges)
    for group in found:
        print("src/core folders depending on each other: " + ", ".join(group))
        for folder in group:
            for target, example in sorted(edges[folder].items()):
                if target in group:
                    print("  " + example)
    if found:
        return 1
    print(f"src/core: {len(edges)} folders, dependencies one way")
    return 0


if __name__ == "__main__":
    sys.exit(main())
