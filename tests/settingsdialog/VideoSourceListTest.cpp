// Video source list tests.
