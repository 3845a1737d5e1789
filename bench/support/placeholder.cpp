// The benchmark support library needs at least one source of its own.
