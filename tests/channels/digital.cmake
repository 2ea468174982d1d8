# Tests of the digital channel records, table and worker commands.
