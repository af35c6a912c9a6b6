"""One runner for the scenario scripts that drive the Windows programs under Wine.

    runner = Runner(__doc__, prefix="qnb-net")
    runner.argument("--qnbdiag", required=True)

    @runner.scenario
    def http_client(s):
        result = s.box.run([s.args.qnbdiag, "http-get", url], capture_output=True)
        s.check(result.returncode == 0, "http-get: exit %d" % result.returncode)  # noted, goes on
        s.expect(result.stdout == body, "the body")                               # noted, ends the scenario

    if __name__ == "__main__":
        sys.exit(runner.main())

Every scenario of a script runs in one Wine prefix (making one takes
seconds), on a private X server when the runner is made with gui=True.
What they share beyond the prefix (a test service, a mapped drive) comes
from a @runner.shared generator; @runner.before_each and @runner.after_each
set each scenario's ground. -k PART picks the scenarios whose names contain
PART (repeatable); --list names them. One line per scenario with its time,
the problems under a failed one, a closing count; exit status 1 when one
failed, 2 when -k picked none.
"""

import argparse
import contextlib
import os
import sys
import time
import traceback

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from winebox import WineBox  # noqa: E402


class Failed(Exception):
    """Ends a scenario: what it expected and did not find."""


class Scenario:
    """What a scenario function is handed: its prefix, the script's arguments,
    what @runner.shared made, and the checks."""

    def __init__(self, name, box, xvfb, args, shared):
        self.name = name
        self.box = box
        self.xvfb = xvfb
        self.args = args
        self.shared = shared
        self.problems = []

    def check(self, condition, what):
        """Notes a problem when condition is false, and lets the scenario go on."""
        if not condition:
            self.problems.append(what)
        return bool(condition)

    def expect(self, condition, what):
        """Ends the scenario when condition is false."""
        if not condition:
            raise Failed(what)

    def fail(self, what):
        raise Failed(what)


class Runner:
    def __init__(self, description, prefix="qnb-scenarios", gui=False, compositor=False):
        self.parser = argparse.ArgumentParser(description=description,
                                              formatter_class=argparse.RawDescriptionHelpFormatter)
        self.parser.add_argument("-k", dest="patterns", action="append", default=[], metavar="PART",
                                 help="run only the scenarios whose names contain PART (repeatable)")
        self.parser.add_argument("--list", action="store_true", help="name the scenarios and end")
        self.prefix = prefix
        self.gui = gui
        self.compositor = compositor
        self.scenarios = []
        self._shared = None
        self._before = None
        self._after = None

    def argument(self, *args, **kwargs):
        self.parser.add_argument(*args, **kwargs)

    def scenario(self, function=None, name=None):
        """Registers function(s) as a scenario, under its own name or NAME;
        usable as @runner.scenario or runner.scenario(function, name=...)."""
        if function is None:
            return lambda f: self.scenario(f, name)
        self.scenarios.append((name or function.__name__, function))
        return function

    def shared(self, generator):
        """generator(box, args, xvfb) runs around all the scenarios; what it yields is s.shared."""
        self._shared = contextlib.contextmanager(generator)
        return generator

    def before_each(self, function):
        self._before = function
        return function

    def after_each(self, function):
        """function(s) runs after each scenario, failed or not."""
        self._after = function
        return function

    def main(self, argv=None):
        args = self.parser.parse_args(argv)
        chosen = [(n, f) for n, f in self.scenarios
                  if not args.patterns or any(p in n for p in args.patterns)]
        if args.list:
            print("\n".join(n for n, _ in chosen))
            return 0
        if not chosen:
            print("no scenario matches %s; there are: %s"
                  % (" ".join(args.patterns), " ".join(n for n, _ in self.scenarios)))
            return 2
        width = max(len(n) for n, _ in chosen)
        failed = 0
        with contextlib.ExitStack() as stack:
            xvfb = None
            if self.gui:
                from xvfb import Xvfb
                xvfb = stack.enter_context(Xvfb(compositor=self.compositor))
            box = stack.enter_context(WineBox(self.prefix, display=xvfb.display if xvfb else None))
            shared = stack.enter_context(self._shared(box, args, xvfb)) if self._shared else None
            for name, function in chosen:
                s = Scenario(name, box, xvfb, args, shared)
                started = time.monotonic()
                try:
                    if self._before:
                        self._before(s)
                    function(s)
                except Failed as problem:
                    s.problems.append(str(problem))
                except Exception:  # noqa: BLE001 -- any error fails this scenario, not the others
                    s.problems.append(traceback.format_exc().rstrip())
                finally:
                    if self._after:
                        self._after(s)
                print("%-*s  %-6s %5.1f s" % (width, name, "FAILED" if s.problems else "ok",
                                              time.monotonic() - started), flush=True)
                for problem in s.problems:
                    print("    " + problem.replace("\n", "\n    "), flush=True)
                failed += bool(s.problems)
        print("scenarios: %d passed, %d failed" % (len(chosen) - failed, failed))
        return 1 if failed else 0
