from collections.abc import Mapping, Sequence


class Items(Sequence):
    """A user-defined Sequence that is neither a list nor a tuple."""

    def __init__(self, *items):
        self.items = items

    def __getitem__(self, i):
        return self.items[i]

    def __len__(self):
        return len(self.items)


class Tree(Mapping):
    """A tree dict seen only through the Mapping protocol, its children an `Items`."""

    def __init__(self, tree):
        self.tree = dict(tree, children=Items(*tree["children"]))

    def __getitem__(self, key):
        return self.tree[key]

    def __iter__(self):
        return iter(self.tree)

    def __len__(self):
        return len(self.tree)
