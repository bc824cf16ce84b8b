"""The ordinary user the tests run savers and compositors as: XScreenSaver and MATE's saver
will not run hacks as root, and sway will not start as root."""
import os
import pwd
import subprocess
import sys

TEST_USER = "fluttera-test"


def ordinary_user(test=None):
    """The test user (made when missing); skips the test (without one: ends the run) where
    that cannot be."""
    def cannot(why):
        test.skipTest(why) if test else sys.exit(why)
    try:
        return pwd.getpwnam(TEST_USER)
    except KeyError:
        if os.geteuid() != 0:
            cannot(f"no user {TEST_USER} and not root to make one")
        subprocess.run(["useradd", "-m", "-s", "/bin/sh", TEST_USER], check=True)
        print(f"(made the user {TEST_USER} for this test)", file=sys.stderr)
        user = pwd.getpwnam(TEST_USER)
    if os.geteuid() != 0 and os.geteuid() != user.pw_uid:
        cannot(f"cannot run programs as {TEST_USER}")
    return user
