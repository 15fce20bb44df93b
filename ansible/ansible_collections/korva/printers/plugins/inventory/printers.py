# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
name: printers
short_description: The KORVA Ethernet printers on the local network
version_added: 1.0.0
description:
  - Finds the KORVA Ethernet printers that answer a UDP broadcast search (C(korva net search))
    from the control node, asks each for its model ID (C(korva status --no-settings)), which
    names its series, and makes each printer a host named by its IP address.
  - Hosts get C(ansible_host), C(ansible_connection=local) (the modules run C(korva) on the
    control node) and the variables C(korva_mac), C(korva_ip), C(korva_tcp_port),
    C(korva_mask), C(korva_gateway), C(korva_dhcp), C(korva_series) and C(korva_model_id).
  - Every printer is in the group C(korva_printers) and in a group for its series,
    C(korva_series_) and the series with other characters than letters and digits as
    C(_) (C(korva_series_KORVA20II)); a printer that did not answer is in
    C(korva_series_unknown). The model within a series (its interface) is no answer of the
    printer; give it to the modules as I(model).
  - The inventory file's name must end in C(korva_printers.yml) or C(korva_printers.yaml).
extends_documentation_fragment:
  - constructed
  - korva.printers.broadcast
options:
  plugin:
    description: The name of this plugin, it should always be set to C(korva.printers.printers).
    type: str
    required: true
    choices: [korva.printers.printers]
  executable:
    description: The C(korva) program, a name looked up in C(PATH) or a path.
    type: str
    default: korva
  timeout:
    description: How long to listen after the last answer, and how long each printer may take to tell its model ID, in milliseconds.
    type: int
  series_queries:
    description: How many printers are asked for their model ID at once; 0 asks none (every printer is C(korva_series_unknown)).
    type: int
    default: 8
'''

EXAMPLES = r'''
# korva_printers.yml: every KORVA printer this LAN's broadcast reaches
plugin: korva.printers.printers
timeout: 1500
keyed_groups:
  - key: korva_dhcp
    prefix: dhcp
'''

import json
import re
import subprocess
from concurrent.futures import ThreadPoolExecutor

from ansible.errors import AnsibleParserError
from ansible.module_utils.common.process import get_bin_path
from ansible.plugins.inventory import BaseInventoryPlugin, Constructable
from ansible_collections.korva.printers.plugins.module_utils.korva_net import broadcast_options
from ansible_collections.korva.printers.plugins.module_utils.korva_report import (
    KorvaResultError, parse_result)

ALL_GROUP = 'korva_printers'
# A search result's key -> host variable.
SEARCH_VARIABLES = (('mac', 'korva_mac'), ('ip', 'korva_ip'), ('tcp_port', 'korva_tcp_port'),
                    ('mask', 'korva_mask'), ('gateway', 'korva_gateway'), ('dhcp', 'korva_dhcp'))


def series_group(series):
    """The group of a series: korva_series_ and the series, other characters than letters and digits as _."""
    return 'korva_series_' + re.sub(r'[^A-Za-z0-9]', '_', series or 'unknown')


class InventoryModule(BaseInventoryPlugin, Constructable):

    NAME = 'korva.printers.printers'

    def verify_file(self, path):
        return super(InventoryModule, self).verify_file(path) and \
            path.endswith(('korva_printers.yml', 'korva_printers.yaml'))

    def parse(self, inventory, loader, path, cache=True):
        super(InventoryModule, self).parse(inventory, loader, path, cache)
        self._read_config_data(path)
        executable = self.get_option('executable')
        if '/' not in executable:
            executable = get_bin_path(executable)
        printers = self._search(executable)
        workers = self.get_option('series_queries')
        if workers > 0 and printers:
            with ThreadPoolExecutor(max_workers=workers) as pool:
                identities = list(pool.map(lambda printer: self._identity(executable, printer), printers))
        else:
            identities = [(None, None)] * len(printers)
        self.inventory.add_group(ALL_GROUP)
        for printer, (series, model_id) in zip(printers, identities):
            self._add_host(printer, series, model_id)

    def _korva(self, argv):
        """korva's result object; a run that printed none raises AnsibleParserError."""
        process = subprocess.run(argv, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE,
                                 stderr=subprocess.PIPE, universal_newlines=True, check=False)
        try:
            return parse_result(process.stdout)
        except KorvaResultError as error:
            raise AnsibleParserError('%s: %s %s' % (' '.join(argv), error, process.stderr.strip()))

    def _search(self, executable):
        try:
            argv = [executable, '-j', 'net', 'search'] + broadcast_options(
                self.get_option('broadcast'), self.get_option('interface'), self.get_option('udp_port'),
                self.get_option('listen_port'))
        except ValueError as error:
            raise AnsibleParserError(str(error))
        if self.get_option('timeout') is not None:
            argv += ['--timeout', str(self.get_option('timeout'))]
        result = self._korva(argv)
        # No printer answering is an empty LAN, not an error of the inventory.
        if result.get('outcome') != 'done' and result.get('reason') != 'no-answer' and not result.get('printers'):
            raise AnsibleParserError('korva net search: %s' % (result.get('error') or result.get('reason')))
        return [printer for printer in result.get('printers') or [] if printer.get('ip')]

    def _identity(self, executable, printer):
        """(series, model ID) the printer tells, or (None, None) when it does not answer."""
        argv = [executable, '-j', 'status', '--no-settings', '--port', 'ETHERNET_II', '--ip', printer['ip']]
        if printer.get('tcp_port'):
            argv += ['--tcp-port', str(printer['tcp_port'])]
        if self.get_option('timeout') is not None:
            argv += ['--timeout', str(self.get_option('timeout'))]
        try:
            result = self._korva(argv)
        except AnsibleParserError:
            return None, None
        return result.get('series'), result.get('model_id')

    def _add_host(self, printer, series, model_id):
        host = printer['ip']
        self.inventory.add_host(host, group=ALL_GROUP)
        self.inventory.add_group(series_group(series))
        self.inventory.add_child(series_group(series), host)
        variables = dict((name, printer.get(key)) for key, name in SEARCH_VARIABLES)
        variables.update(ansible_host=host, ansible_connection='local', korva_series=series, korva_model_id=model_id)
        for name, value in variables.items():
            self.inventory.set_variable(host, name, value)
        strict = self.get_option('strict')
        self._set_composite_vars(self.get_option('compose'), variables, host, strict=strict)
        self._add_host_to_composed_groups(self.get_option('groups'), variables, host, strict=strict)
        self._add_host_to_keyed_groups(self.get_option('keyed_groups'), variables, host, strict=strict)
