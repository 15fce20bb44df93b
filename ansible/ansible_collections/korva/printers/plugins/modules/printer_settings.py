#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: printer_settings
short_description: Keep a KORVA printer's user settings as wanted
version_added: 1.0.0
description:
  - Reads the printer's user settings and writes only when one of the wanted settings
    differs (C(korva setup write)), then reads them back to prove the printer kept them.
  - A printer that already holds every wanted value is sent nothing and the task is not changed.
  - Settings not named keep the values the printer holds.
options:
  settings:
    description:
      - The wanted settings, the names and values C(korva setup read) prints
        (C(speed), C(cut-mode), C(paper-width), C(stop-bits), ...).
      - Give words in quotes where YAML would read them as true or false (C('off'), C('on')).
      - Settings the printer cannot report (C(stop-bits), listed in C(write_only) by
        M(korva.printers.printer_info)) never make the task changed, since no answer can tell
        whether the printer holds them; they are written with the next change of another setting.
    type: dict
  from_file:
    description:
      - A file on the managed host that C(korva setup read) wrote (NAME=VALUE lines or its JSON),
        the settings of another printer; I(settings) given as well take precedence.
    type: path
  verify:
    description:
      - Read the settings back after writing them and fail with reason C(not-kept) when the
        printer holds other values. C(false) is korva's C(--no-verify).
    type: bool
    default: true
extends_documentation_fragment:
  - korva.printers.common
  - korva.printers.connection
attributes:
  check_mode:
    support: full
    description: Reads the printer and says what would change (korva's C(--dry-run)), sends nothing.
  diff_mode:
    support: full
    description: Each changed setting as NAME=VALUE, before and after.
author:
  - The KorvaTool developers
'''

EXAMPLES = r'''
- name: Print fast and cut in full
  korva.printers.printer_settings:
    port: ETHERNET_II
    ip: 127.0.0.1
    model: KORVA20IIE-II
    settings:
      speed: 220
      cut-mode: full
      cut-adjust: 'off'

- name: The settings of a reference printer, on a serial POS printer
  korva.printers.printer_settings:
    port: /dev/ttyUSB0
    model: KORVA20IIS
    from_file: /etc/korva/reference-settings.txt
'''

RETURN = r'''
changes:
  description: Each setting that differed, NAME to C(from) (what the printer held) and C(to).
  returned: success
  type: dict
  sample: {speed: {from: 180, to: 220}}
verified:
  description:
    - Whether the settings were read back after the write and matched; null when nothing was written.
  returned: success
  type: bool
settings:
  description: The settings the printer holds after the run, where korva read them.
  returned: success
  type: dict
not_kept:
  description: On reason C(not-kept), each setting the printer did not keep, NAME to C(written) and C(read).
  returned: failure
  type: dict
korva:
  description: korva's whole JSON result of the last run.
  returned: always
  type: dict
reason:
  description: korva's reason code when the task failed (C(not-kept), C(no-answer), C(bad-input), ...).
  returned: failure
  type: str
'''

from ansible_collections.korva.printers.plugins.module_utils.korva_report import (
    changed_of, changes_diff, setting_words)
from ansible_collections.korva.printers.plugins.module_utils.korva_runner import (
    printer_module)


def main():
    module, korva, connection = printer_module(
        dict(settings=dict(type='dict'), from_file=dict(type='path'), verify=dict(type='bool', default=True)),
        required_one_of=[('settings', 'from_file')])
    params = module.params
    try:
        words = setting_words(params['settings'] or {})
    except ValueError as error:
        module.fail_json(msg=str(error), reason='bad-input', changed=False)
    if params['from_file']:
        words = ['--from', params['from_file']] + words
    words += connection

    # The dry run reads the printer and tells what differs: it decides whether
    # anything is written, with any korva, and gives check mode its answer.
    planned = korva.run_or_fail(['setup', 'write', '--dry-run'] + words)
    changes = planned.get('changes') or {}
    would_change = changed_of(planned, bool(changes))
    if module.check_mode or not would_change:
        module.exit_json(changed=would_change, changes=changes, verified=None,
                         settings=planned.get('settings'), korva=planned,
                         diff=changes_diff(changes, 'printer', 'wanted'))

    written = korva.run_or_fail(['setup', 'write'] + ([] if params['verify'] else ['--no-verify']) + words)
    changes = written.get('changes', changes) or {}
    module.exit_json(changed=changed_of(written, True), changes=changes,
                     verified=written.get('verified', params['verify']),
                     settings=written.get('settings'), korva=written,
                     diff=changes_diff(changes, 'printer', 'wanted'))


if __name__ == '__main__':
    main()
