// build anchor
