#!/usr/bin/python3
"""Writes the system-call filter of a systemd unit (its SystemCallFilter= and
SystemCallErrorNumber= lines) as a seccomp BPF program, for bubblewrap's
--seccomp, so that a sandbox imposes the filter the unit would. Groups such
as @system-service are expanded by systemd-analyze itself.

    unit_seccomp.py UNIT OUTPUT
"""
import errno
import subprocess
import sys

import seccomp


def group_members(group, seen):
    """The system calls of a group, its nested groups expanded."""
    listing = subprocess.run(["systemd-analyze", "syscall-filter", "--no-pager", group],
                             check=True, capture_output=True, text=True).stdout
    calls = set()
    for line in listing.splitlines()[1:]:
        entry = line.strip()
        if not entry or entry.startswith("#"):
            continue
        if entry.startswith("@"):
            if entry not in seen:
                seen.add(entry)
                calls |= group_members(entry, seen)
        else:
            calls.add(entry)
    return calls


def expand(items):
    calls = set()
    for item in items:
        calls |= group_members(item, {item}) if item.startswith("@") else {item}
    return calls


def unit_filter(path):
    """The calls the unit allows and the errno the others fail with. Like
    systemd, the first line decides between an allow list and a deny list;
    later lines add to it or, with '~', take from it."""
    allowed = None
    error = errno.EPERM
    with open(path, encoding="utf-8") as unit:
        for line in unit:
            key, _, value = line.strip().partition("=")
            if key == "SystemCallErrorNumber":
                error = getattr(errno, value)
            elif key == "SystemCallFilter":
                deny = value.startswith("~")
                calls = expand(value.lstrip("~").split())
                if allowed is None:
                    if deny:
                        sys.exit("a deny-list filter is not mirrored here")
                    allowed = calls
                elif deny:
                    allowed -= calls
                else:
                    allowed |= calls
    if allowed is None:
        sys.exit("the unit has no SystemCallFilter=")
    # What systemd permits whatever the filter says.
    return allowed | {"execve", "exit", "exit_group", "getrlimit", "rt_sigreturn", "sigreturn"}, error


def main():
    unit, output = sys.argv[1:3]
    allowed, error = unit_filter(unit)
    bpf = seccomp.SyscallFilter(defaction=seccomp.ERRNO(error))
    for call in sorted(allowed):
        try:
            bpf.add_rule(seccomp.ALLOW, call)
        except (RuntimeError, ValueError):
            pass  # a call this architecture does not have
    with open(output, "wb") as program:
        bpf.export_bpf(program)


if __name__ == "__main__":
    main()
