# Tests of the analog channel records, table and worker commands.
