# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers
"""Runs `korva -j` for a module and turns its result into the module's answer.

The options every module shares are declared here once; their documentation
is the doc fragments `korva.printers.common` and `korva.printers.connection`.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import os

from ansible.module_utils.basic import AnsibleModule

from ansible_collections.korva.printers.plugins.module_utils.korva_report import (
    REASON_NO_KORVA, REASON_NO_RESULT, KorvaResultError, failure_of, parse_result)

COMMON_ARGS = dict(
    executable=dict(type='str', default='korva'),
    timeout=dict(type='int'),
    require_confirmed=dict(type='bool', default=True),
)

# Module option -> korva option, for the options that name the printer and its line.
CONNECTION_FLAGS = (
    ('port', '--port'),
    ('ip', '--ip'),
    ('tcp_port', '--tcp-port'),
    ('model', '--model'),
    ('device_type', '--device-type'),
    ('baud', '--baud'),
    ('data_bits', '--data-bits'),
    ('parity', '--parity'),
    ('stop_bits', '--stop-bits'),
    ('flow', '--flow'),
    ('wait_lock', '--wait-lock'),
)

CONNECTION_ARGS = dict(
    COMMON_ARGS,
    port=dict(type='str', required=True),
    ip=dict(type='str'),
    tcp_port=dict(type='int'),
    model=dict(type='str'),
    device_type=dict(type='int'),
    baud=dict(type='int'),
    data_bits=dict(type='int'),
    parity=dict(type='str', choices=['none', 'odd', 'even']),
    stop_bits=dict(type='str', choices=['1', '1.5', '2']),
    flow=dict(type='str', choices=['hw', 'sw', 'none']),
    wait_lock=dict(type='int'),
)


def connection_options(params):
    """korva's options for the printer the module's parameters name."""
    options = []
    for name, flag in CONNECTION_FLAGS:
        if params.get(name) is not None:
            options += [flag, str(params[name])]
    return options


def printer_module(options, connection=True, **rules):
    """A module that runs korva: its AnsibleModule (check mode supported), its
    Korva and, for a module that addresses one printer, korva's options for it.

    `options` are the module's own; the common ones (and with `connection` the
    printer's) are added here. `rules` go to AnsibleModule (required_if, ...).
    """
    shared = CONNECTION_ARGS if connection else COMMON_ARGS
    module = AnsibleModule(argument_spec=dict(shared, **options), supports_check_mode=True, **rules)
    korva = Korva(module)
    return module, korva, connection_options(module.params) if connection else []


class Korva:
    """One module's runs of korva."""

    def __init__(self, module):
        self.module = module
        executable = module.params['executable']
        self.executable = executable if '/' in executable else module.get_bin_path(executable)
        if not self.executable or not os.access(self.executable, os.X_OK):
            module.fail_json(msg='%s is not installed on this host (KorvaTool)' % executable,
                             reason=REASON_NO_KORVA, changed=False)
        self.require_confirmed = module.params['require_confirmed']

    def run(self, words):
        """Runs `korva -j WORDS [--timeout MS]`; its result object."""
        argv = [self.executable, '-j'] + list(words)
        if self.module.params.get('timeout') is not None:
            argv += ['--timeout', str(self.module.params['timeout'])]
        # korva turns "sent, not confirmed" into a failure of its own when asked to.
        environ = {'KORVA_REQUIRE_CONFIRMED': '1' if self.require_confirmed else '0'}
        rc, stdout, stderr = self.module.run_command(argv, environ_update=environ)
        try:
            return parse_result(stdout)
        except KorvaResultError as error:
            self.module.fail_json(msg='%s: %s' % (error, stderr.strip() or 'no output'),
                                  reason=REASON_NO_RESULT, rc=rc, cmd=argv, changed=False)

    def run_or_fail(self, words):
        """Runs korva; on a failure ends the module with korva's reason and text.

        A failed run is "changed" only when korva says it sent something that
        changes the printer before it failed.
        """
        result = self.run(words)
        failure = failure_of(result, self.require_confirmed)
        if failure is not None:
            reason, msg = failure
            self.module.fail_json(msg=msg, reason=reason, korva=result, changed=result.get('changed') is True)
        return result
