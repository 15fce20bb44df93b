#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: printer_network
short_description: Keep a KORVA Ethernet printer's network settings as wanted
version_added: 1.0.0
description:
  - Finds the printer with the MAC address given by a UDP broadcast search and, when any of
    its address, mask, gateway, TCP port or DHCP use differs, sends the new values
    (C(korva net set)). The printer restarts with them; the task waits until it answers
    a search with the new values.
  - A printer that already holds every value is sent nothing and the task is not changed.
  - The datagrams leave through I(interface), or the one the route to I(broadcast) takes; run
    the task on a host on the printer's LAN.
options:
  mac:
    description: The printer's MAC address, C(XX:XX:XX:XX:XX:XX).
    type: str
    required: true
  ip:
    description: Its new IP address (ending in 1 to 254).
    type: str
    required: true
  mask:
    description: Its new subnet mask.
    type: str
    required: true
  gateway:
    description: Its new gateway (ending in 1 to 254).
    type: str
    required: true
  tcp_port:
    description: Its new TCP port, 1024 to 65534.
    type: int
    required: true
  dhcp:
    description: Whether it takes its address from DHCP.
    type: bool
    required: true
extends_documentation_fragment:
  - korva.printers.common
  - korva.printers.broadcast
attributes:
  check_mode:
    support: full
    description: Searches for the printer and says what would change (korva's C(--dry-run)); sends no change.
  diff_mode:
    support: full
    description: Each value that differs, before and after.
author:
  - The KorvaTool developers
'''

EXAMPLES = r'''
- name: The printer at the till takes a fixed address
  korva.printers.printer_network:
    mac: '00:2B:9E:12:34:56'
    ip: 127.0.0.7
    mask: 255.255.255.0
    gateway: 127.0.0.1
    tcp_port: 6001
    dhcp: false
'''

RETURN = r'''
changes:
  description: Each value that differed, NAME to C(from) and C(to).
  returned: success
  type: dict
  sample: {ip: {from: 127.0.0.5, to: 127.0.0.7}}
before:
  description: The values the search found (C(ip), C(mask), C(gateway), C(tcp_port), C(dhcp)).
  returned: success
  type: dict
after:
  description: The values the printer answered with after the change (the wanted ones in check mode or when nothing changed).
  returned: success
  type: dict
confirmed:
  description: Whether the printer answered with the new values after restarting; null when nothing was sent.
  returned: success
  type: bool
korva:
  description: korva's whole JSON result.
  returned: always
  type: dict
reason:
  description: korva's reason code when the task failed (C(no-answer) when no printer has that MAC, C(not-kept), ...).
  returned: failure
  type: str
'''

from ansible_collections.korva.printers.plugins.module_utils.korva_report import (
    changed_of, changes_diff)
from ansible_collections.korva.printers.plugins.module_utils.korva_net import broadcast_options
from ansible_collections.korva.printers.plugins.module_utils.korva_runner import printer_module

# Module option -> `korva net set` option.
NET_FLAGS = (('mac', '--mac'), ('ip', '--ip'), ('mask', '--mask'), ('gateway', '--gateway'),
             ('tcp_port', '--tcp-port'))


def main():
    module, korva, _ = printer_module(
        dict(mac=dict(type='str', required=True),
             ip=dict(type='str', required=True),
             mask=dict(type='str', required=True),
             gateway=dict(type='str', required=True),
             tcp_port=dict(type='int', required=True),
             dhcp=dict(type='bool', required=True),
             broadcast=dict(type='str'),
             interface=dict(type='str'),
             udp_port=dict(type='int'),
             listen_port=dict(type='int')),
        connection=False, mutually_exclusive=[('broadcast', 'interface')])
    params = module.params
    words = ['net', 'set', '--dhcp', 'on' if params['dhcp'] else 'off']
    for name, flag in NET_FLAGS:
        words += [flag, str(params[name])]
    try:
        words += broadcast_options(params['broadcast'], params['interface'], params['udp_port'],
                                   params['listen_port'])
    except ValueError as error:
        module.fail_json(msg=str(error), reason='usage', changed=False)
    if module.check_mode:
        words.append('--dry-run')
    result = korva.run_or_fail(words)
    changes = result.get('changes') or {}
    module.exit_json(changed=changed_of(result, not module.check_mode), changes=changes,
                     before=result.get('before'), after=result.get('after'), confirmed=result.get('confirmed'),
                     korva=result, diff=changes_diff(changes, 'printer', 'wanted'))


if __name__ == '__main__':
    main()
