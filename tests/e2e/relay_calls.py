#!/usr/bin/python3
"""Reads a Wine trace (WINEDEBUG=+relay,+dialog) of one Quenloft.exe run.

Usage: relay_calls.py calls|dialog TRACE

The trace holds every process the run started in the prefix. The program runs
on one thread, the one that creates the "Korvantis.Quenloft.ExclusiveMutex"
mutex; only that thread's lines are read.

  calls   each traced call of the program, in order, one a line:
          Name(arguments) -> result   (no "-> result" when the call never returned)
  dialog  the dialog templates the platform loaded for the program, as Wine's
          dialog manager lists them: style, caption, font, units, controls.

Strings appear as "text": the relay's \\XXXX escapes are decoded, \\n, \\" and
\\\\ are kept as written, and the pointer in front of each string is dropped.
"""
import re
import sys

MUTEX_NAME = 'L"Korvantis.Quenloft.ExclusiveMutex"'
LINE = re.compile(r"^([0-9a-f]{4}):(.*)$")
CALL = re.compile(r"^Call (?:[\w.-]+)\.(\w+)\((.*)\) ret=[0-9a-f]+$")
RETURN = re.compile(r"^Ret  (?:[\w.-]+)\.(\w+)\(\) retval=([0-9a-f]+) ret=[0-9a-f]+$")
DIALOG = re.compile(r"^trace:dialog:\w+ +(.*)$")
POINTER_BEFORE_STRING = re.compile(r'\b[0-9a-f]{8,16} (?=L")')
ESCAPED_UNIT = re.compile(r"\\([0-9a-f]{4})")


def decode(text):
    text = POINTER_BEFORE_STRING.sub("", text)
    text = ESCAPED_UNIT.sub(lambda unit: chr(int(unit.group(1), 16)), text)
    return text.replace('L"', '"')


def program_lines(trace_lines):
    thread = None
    for raw in trace_lines:
        match = LINE.match(raw.rstrip("\n"))
        if not match:
            continue
        tid, rest = match.groups()
        if thread is None and rest.startswith("Call ") and MUTEX_NAME in rest:
            thread = tid
        if tid == thread:
            yield rest
    if thread is None:
        sys.exit("relay_calls: no thread created the mutex %s" % MUTEX_NAME)


def calls(lines):
    entries, open_calls = [], []
    for line in lines:
        call = CALL.match(line)
        if call:
            entries.append("%s(%s)" % (call.group(1), decode(call.group(2))))
            open_calls.append((call.group(1), len(entries) - 1))
            continue
        returned = RETURN.match(line)
        if returned and open_calls and open_calls[-1][0] == returned.group(1):
            _, index = open_calls.pop()
            entries[index] += " -> " + returned.group(2)
    return entries


def dialog(lines):
    return [decode(m.group(1)) for m in map(DIALOG.match, lines) if m]


def main(argv):
    if len(argv) != 3 or argv[1] not in ("calls", "dialog"):
        sys.exit(__doc__)
    with open(argv[2], encoding="utf-8", errors="replace") as trace:
        lines = list(program_lines(trace))
    for entry in (calls if argv[1] == "calls" else dialog)(lines):
        print(entry)


if __name__ == "__main__":
    main(sys.argv)
