#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: printer_info
short_description: What a KORVA printer is and holds
version_added: 1.0.0
description:
  - Asks the printer for its model ID (C(korva status)) and returns the series it names,
    its user settings (with the settings it cannot report listed apart), and for an
    Ethernet printer its MAC address and network values.
  - Reads only, it never changes the printer.
options:
  settings:
    description:
      - Also read the user settings. C(false) only checks that the printer answers
        (C(--no-settings)), the fast check before a fleet run.
    type: bool
    default: true
extends_documentation_fragment:
  - korva.printers.common
  - korva.printers.connection
attributes:
  check_mode:
    support: full
    description: It reads the printer in check mode too.
  diff_mode:
    support: none
    description: It changes nothing.
author:
  - The KorvaTool developers
'''

EXAMPLES = r'''
- name: Read what the printer is
  korva.printers.printer_info:
    port: ETHERNET_II
    ip: 127.0.0.1
    model: KORVA20IIE-II
  register: info

- name: Show its speed
  ansible.builtin.debug:
    msg: "{{ info.printer.series }} printer, {{ info.printer.settings.speed }} mm/s"
'''

RETURN = r'''
printer:
  description: What the printer answered.
  returned: success
  type: dict
  contains:
    answered:
      description: Whether the printer answered (a task whose printer did not answer fails).
      type: bool
    model:
      description: The model named in I(model); the printer tells its series, not the model within it.
      type: str
      sample: KORVA20IIE-II
    series:
      description: The printer series its model ID names.
      type: str
      sample: KORVA20II
    model_id:
      description: The model ID the printer answered, as a number.
      type: int
    model_id_hex:
      description: The same ID in hexadecimal, as korva prints it.
      type: str
      sample: '22'
    settings:
      description:
        - The user settings, NAME to value as C(korva setup read) prints them;
          null when I(settings=false) or the printer has none.
      type: dict
      sample: {speed: 220, cut-mode: partial}
    write_only:
      description: Settings the printer takes but cannot report (never in I(settings)).
      type: list
      elements: str
      sample: [stop-bits]
    unknowns:
      description: Settings whose answer was no value the printer takes.
      type: list
      elements: str
    network:
      description:
        - An Ethernet printer's network values (C(ip), C(mask), C(gateway), C(tcp_port), C(dhcp)),
          null when it was not found by a search by its address.
      type: dict
    mac:
      description: An Ethernet printer's MAC address where it was found, else null.
      type: str
      sample: '00:2B:9E:12:34:56'
    target:
      description: The printer addressed (C(port), and for Ethernet the resolved C(ip) and C(tcp_port)).
      type: dict
korva:
  description: korva's whole JSON result.
  returned: always
  type: dict
reason:
  description: korva's reason code when the task failed (C(no-answer), C(refused), C(busy), ...).
  returned: failure
  type: str
  sample: no-answer
'''

from ansible_collections.korva.printers.plugins.module_utils.korva_runner import printer_module

# The keys of `korva status -j` this module returns as they are.
PRINTER_KEYS = ('answered', 'model', 'series', 'model_id', 'model_id_hex', 'settings', 'write_only', 'unknowns', 'network')


def main():
    module, korva, connection = printer_module(dict(settings=dict(type='bool', default=True)))
    words = ['status'] + connection
    if not module.params['settings']:
        words.append('--no-settings')
    result = korva.run_or_fail(words)
    printer = dict((key, result.get(key)) for key in PRINTER_KEYS)
    target = result.get('target') or {}
    printer['mac'] = target.get('mac')
    printer['target'] = target
    module.exit_json(changed=False, printer=printer, korva=result)


if __name__ == '__main__':
    main()
