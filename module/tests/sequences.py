from collections.abc import Sequence


class Items(Sequence):
    """A user-defined Sequence that is neither a list nor a tuple."""

    def __init__(self, *items):
        self.items = items

    def __getitem__(self, i):
        return self.items[i]

    def __len__(self):
        return len(self.items)
