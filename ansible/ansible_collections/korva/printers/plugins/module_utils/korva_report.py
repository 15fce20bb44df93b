# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers
"""What the modules read from one `korva -j` result.

korva prints one JSON object on one line of standard output for every run,
failures included. Nothing here imports Ansible, so the rules can be tested
with a plain Python interpreter.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json

# The reasons a module reports besides korva's own: korva is not on the host,
# or it printed no result that can be read.
REASON_NO_KORVA = 'no-korva'
REASON_NO_RESULT = 'no-result'
# korva's code for "sent, the printer did not confirm it, and a confirmation was required".
REASON_CONFIRM_REQUIRED = 'confirm-required'


class KorvaResultError(Exception):
    """korva printed no result object (it crashed, or is not korva)."""


def parse_result(stdout):
    """The result object on korva's standard output: its last line that is a JSON object."""
    for line in reversed((stdout or '').splitlines()):
        line = line.strip()
        if not line.startswith('{'):
            continue
        try:
            value = json.loads(line)
        except ValueError:
            continue
        if isinstance(value, dict):
            return value
    raise KorvaResultError('korva printed no JSON result')


def failure_of(result, require_confirmed):
    """(reason, msg) when the run failed, else None.

    korva itself fails a run that was not confirmed when a confirmation is
    required; an older korva only says "confirmed": false, which is judged here
    the same way.
    """
    outcome = result.get('outcome')
    if outcome != 'done':
        reason = result.get('reason') or 'failed'
        msg = result.get('error') or 'korva: %s (%s)' % (outcome or 'no outcome', reason)
        return reason, msg
    if require_confirmed and result.get('confirmed') is False:
        return (REASON_CONFIRM_REQUIRED,
                'sent, not confirmed: the printer gave no answer that proves it has it, '
                'and a confirmation is required')
    return None


def changed_of(result, sent_something):
    """Whether the printer was changed: korva's `changed`, or when an older korva
    does not say, whether anything that changes the printer was sent."""
    changed = result.get('changed')
    if changed is None:
        return bool(sent_something)
    return bool(changed)


def setting_words(settings):
    """NAME=VALUE words for `korva setup write`, in a stable order.

    YAML reads an unquoted off, on, yes or no as a boolean, which is no word
    of any setting (cut-adjust=off, drawer-with-cut=disable): refused, so the
    printer never gets a guess.
    """
    words = []
    for name in sorted(settings):
        value = settings[name]
        if isinstance(value, bool) or value is None:
            raise ValueError("setting %s: give its value as text in quotes, as 'korva setup read' "
                             "prints it (YAML reads off, on, yes and no as true or false)" % name)
        words.append('%s=%s' % (name, value))
    return words


def _lines(values):
    return ''.join('%s=%s\n' % (name, _text(values[name])) for name in sorted(values))


def _text(value):
    if value is None:
        return 'unknown'
    if isinstance(value, bool):
        return 'true' if value else 'false'
    return str(value)


def changes_diff(changes, before_header, after_header):
    """Ansible's diff of {NAME: {"from": A, "to": B}}: NAME=A lines before, NAME=B after."""
    changes = changes or {}
    return {
        'before_header': before_header,
        'after_header': after_header,
        'before': _lines(dict((name, change.get('from')) for name, change in changes.items())),
        'after': _lines(dict((name, change.get('to')) for name, change in changes.items())),
    }


def logo_lines(result):
    """One line per logo of an upload result: its number, name, size in dots, bytes, fingerprint."""
    lines = []
    for logo in result.get('logos') or []:
        lines.append('logo %s %s: %sx%s dots, %s bytes, %s\n' % (
            logo.get('number'), logo.get('name'), logo.get('width'), logo.get('height'),
            logo.get('bytes'), logo.get('fingerprint')))
    if result.get('nv_bytes') is not None:
        lines.append('NV memory: %s of %s bytes\n' % (result['nv_bytes'], result.get('nv_capacity')))
    lines.append('fingerprint: %s\n' % result.get('fingerprint'))
    return ''.join(lines)


def logos_diff(result, would_change):
    """The diff of an upload: the logos it sends after, and before only that the
    printer holds another set (it cannot list its logos; korva knows only the
    fingerprint of its last confirmed upload)."""
    if not would_change:
        text = logo_lines(result)
        return {'before': text, 'after': text}
    return {
        'before_header': 'printer',
        'after_header': 'upload',
        'before': 'logos other than the last set korva uploaded to this printer\n',
        'after': logo_lines(result),
    }
