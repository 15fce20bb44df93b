# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    # The options of every module: which korva runs, how long it waits, and
    # whether a printer's silence counts as done.
    DOCUMENTATION = r'''
options:
  executable:
    description:
      - The C(korva) program on the managed host, a name looked up in C(PATH) or a path.
    type: str
    default: korva
  timeout:
    description:
      - How long the printer may take to answer, in milliseconds (korva's C(--timeout)).
      - Unset, each korva command uses its own default.
    type: int
  require_confirmed:
    description:
      - A printer that took everything but did not answer for it (a line that cannot
        answer) fails the task with reason C(confirm-required) instead of counting as done.
    type: bool
    default: true
requirements:
  - korva (KorvaTool) on the managed host
notes:
  - Each task runs C(korva -j) on the managed host. For Ethernet printers that is usually
    the control node (C(ansible_connection=local)); for serial, parallel and USB printers
    it is the POS host the printer is plugged into.
  - A failed task returns C(reason), korva's reason code, and C(msg), korva's own text. Besides
    korva's codes, C(no-korva) says korva is not installed on the host, C(no-result) that it
    printed no result, C(usage) and C(bad-input) that the module refused its options before
    running korva.
'''
