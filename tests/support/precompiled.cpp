// The translation unit that carries the test suites' shared precompiled header.
