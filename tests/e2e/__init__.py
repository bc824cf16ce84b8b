"""End-to-end tests: the real Fluttera.scr under Xvfb and Wine (run from tests/: python3 -m e2e.run)."""
