#!/usr/bin/python3
"""Runs test files of the Python module with pytest: run.py FILE...

Exit 77 (skipped) when pytest cannot be imported.
"""
import sys

try:
    import pytest
except ImportError:
    print("SKIP: pytest is not installed (Debian: python3-pytest)")
    sys.exit(77)

sys.exit(pytest.main(["-q", "-p", "no:cacheprovider", *sys.argv[1:]]))
