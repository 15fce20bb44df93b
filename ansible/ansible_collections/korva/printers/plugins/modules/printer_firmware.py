#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: printer_firmware
short_description: Write one area of a firmware image into a KORVA printer
version_added: 1.0.0
description:
  - Checks the image against the model and writes one of its areas into the printer's loader
    (C(korva firmware download)).
  - The printer restarts after a download. It does not answer until it is on again, so give
    the following tasks on it time (M(ansible.builtin.wait_for) on its TCP port, or a pause).
  - A printer cannot report the firmware it holds, so every run that is not in check mode
    downloads; guard the task with a condition (for example on the model or a fact of your own).
  - A failed download is never reported as changed unless korva says it sent something that
    changes the printer (an older-series erase); C(reason) and C(msg) say what the printer holds.
options:
  image:
    description: The firmware image on the managed host (C(.K20) images, raw C(.bin) for KORVA10 printers).
    type: path
    required: true
  area:
    description: The area of the image to write.
    type: str
    choices: [program, boot, downloader, font]
    default: program
  allow_boot:
    description:
      - Allow writing the C(boot), C(downloader) or C(font) area (korva's C(--yes)). A printer whose
        boot area download fails may not start again.
    type: bool
    default: false
extends_documentation_fragment:
  - korva.printers.common
  - korva.printers.connection
attributes:
  check_mode:
    support: full
    description: Checks the image and returns what would be sent (area, bytes, checksum or blocks); nothing is sent.
  diff_mode:
    support: none
    description: The printer cannot report the firmware it holds.
author:
  - The KorvaTool developers
'''

EXAMPLES = r'''
- name: New program firmware for the KORVA20II printers
  korva.printers.printer_firmware:
    port: ETHERNET_II
    ip: 127.0.0.1
    model: KORVA20IIE-II
    image: /srv/korva/KORVA20.K22
    area: program

- name: Wait until the printer is on again
  ansible.builtin.wait_for:
    host: 127.0.0.1
    port: 6001
    timeout: 120
'''

RETURN = r'''
series:
  description: C(new) or C(old), the loader protocol the image is for.
  returned: success
  type: str
area:
  description: The area written (or that would be).
  returned: success
  type: str
bytes:
  description: The bytes sent (in check mode, that would be sent).
  returned: success
  type: int
checksum:
  description: Newer series, the packet's checksum.
  returned: success
  type: str
confirmed:
  description: Whether the printer answered for the download; null in check mode.
  returned: success
  type: bool
korva:
  description: korva's whole JSON result.
  returned: always
  type: dict
reason:
  description: korva's reason code when the task failed (C(model-mismatch), C(bad-input), C(no-answer), ...).
  returned: failure
  type: str
'''

from ansible_collections.korva.printers.plugins.module_utils.korva_report import changed_of
from ansible_collections.korva.printers.plugins.module_utils.korva_runner import printer_module

# Areas korva writes only when told to (--yes): a failure there can leave a printer that does not start.
GUARDED_AREAS = ('boot', 'downloader', 'font')


def main():
    module, korva, connection = printer_module(
        dict(image=dict(type='path', required=True),
             area=dict(type='str', choices=['program', 'boot', 'downloader', 'font'], default='program'),
             allow_boot=dict(type='bool', default=False)),
        required_one_of=[('model', 'device_type')])
    params = module.params
    area = params['area']
    if area in GUARDED_AREAS and not params['allow_boot']:
        module.fail_json(msg='the %s area is written only with allow_boot: true' % area, reason='usage',
                         changed=False)
    words = ['firmware', 'download', '--area', area] + connection
    if area in GUARDED_AREAS:
        words.append('--yes')
    if module.check_mode:
        words.append('--dry-run')
    result = korva.run_or_fail(words + ['--', params['image']])
    module.exit_json(changed=changed_of(result, True),
                     series=result.get('series'), area=result.get('area'), bytes=result.get('bytes'),
                     checksum=result.get('checksum'), confirmed=result.get('confirmed'), korva=result)


if __name__ == '__main__':
    main()
