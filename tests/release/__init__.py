"""The run command and the release files under Xvfb and Wine (run from tests/: python3 -m unittest release.test_release)."""
