#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: printer_logos
short_description: Keep a set of logos in a KORVA printer's NV memory
version_added: 1.0.0
description:
  - I(state=present) stores the pictures as NV logos 1 to n, in the order given
    (C(korva logo upload --if-changed)), replacing the logos stored before. The
    upload is sent only when the set differs from the last upload this printer
    confirmed.
  - I(state=absent) erases every NV logo (C(korva logo erase --if-changed)), unless the
    last logo command this printer confirmed was an erase.
  - A printer cannot list its NV logos, so korva remembers on the managed host, per printer
    (an Ethernet printer by its MAC, asked with a search sent to its address, so a new address
    keeps the record; by its address and TCP port when it does not answer; else by its device
    path), the fingerprint of the last upload the printer confirmed, or that it confirmed an
    erase. A change made behind korva's back
    (another tool, another host) is not seen; I(force=true) uploads or erases anyway.
options:
  files:
    description:
      - The pictures, on the managed host (Windows bitmaps, PNG, GIF, JPEG, TIFF or WebP).
      - Required with I(state=present).
    type: list
    elements: dict
    suboptions:
      path:
        description: The picture file.
        type: path
        required: true
      center:
        description: Centre this logo in the printable width (I(max_width)).
        type: bool
        default: false
  state:
    description: Whether the logos are stored (C(present)) or every NV logo is erased (C(absent)).
    type: str
    choices: [present, absent]
    default: present
  force:
    description: Upload (or erase) even when korva recorded the same set (or an erase) for this printer.
    type: bool
    default: false
  gray:
    description: 4-bit gray images (not on KORVA10 printers).
    type: bool
    default: false
  threshold:
    description: The black and white diverging point, 0 to 255 (korva's default 128).
    type: int
  max_width:
    description: The maximum printable width in dots that I(center) centres in.
    type: int
extends_documentation_fragment:
  - korva.printers.common
  - korva.printers.connection
attributes:
  check_mode:
    support: full
    description:
      - Converts every picture, checks the NV budget and compares the fingerprint with the
        recorded one; nothing is sent. With I(state=absent) it says whether an erase would be sent.
  diff_mode:
    support: full
    description: Each logo's number, name, size, bytes and fingerprint, and the NV memory it takes.
author:
  - The KorvaTool developers
notes:
  - I(state=absent) after an erase the printer confirmed sends nothing and is not changed; a
    printer whose erase was not confirmed, or that korva never erased, is erased.
'''

EXAMPLES = r'''
- name: The shop's two logos, the first one centred
  korva.printers.printer_logos:
    port: ETHERNET_II
    ip: 127.0.0.1
    model: KORVA20IIE-II
    files:
      - path: /srv/korva/header.bmp
        center: true
      - path: /srv/korva/footer.png

- name: No logos at all
  korva.printers.printer_logos:
    port: /dev/ttyUSB0
    model: KORVA20IIS
    state: absent
'''

RETURN = r'''
fingerprint:
  description: The fingerprint of the whole converted set.
  returned: state=present and success
  type: str
  sample: sha256:4f3c...
logos:
  description: Each logo, C(number), C(name), C(width), C(height) (dots), C(bytes), C(fingerprint).
  returned: state=present and success
  type: list
  elements: dict
nv_bytes:
  description: The NV memory the set takes, in bytes (check mode).
  returned: check mode
  type: int
nv_capacity:
  description: The printer's NV graphics memory, in bytes (check mode).
  returned: check mode
  type: int
already_uploaded:
  description: Whether korva found the same set recorded for this printer and sent nothing.
  returned: state=present and success
  type: bool
already_erased:
  description: Whether korva found the printer's last confirmed logo command was an erase and sent nothing.
  returned: state=absent and success
  type: bool
confirmed:
  description: Whether the printer answered for what it was sent; null when nothing was sent.
  returned: success
  type: bool
korva:
  description: korva's whole JSON result.
  returned: always
  type: dict
reason:
  description: korva's reason code when the task failed (C(too-large), C(bad-input), C(no-answer), ...).
  returned: failure
  type: str
'''

from ansible_collections.korva.printers.plugins.module_utils.korva_report import (
    changed_of, logos_diff)
from ansible_collections.korva.printers.plugins.module_utils.korva_runner import (
    printer_module)


def upload_words(params):
    """`korva logo upload` with the pictures and their conversion options."""
    words = ['logo', 'upload']
    centred = [str(number) for number, picture in enumerate(params['files'], 1) if picture['center']]
    if centred:
        words.append('--center=' + ','.join(centred))
    if params['gray']:
        words.append('--gray')
    if params['threshold'] is not None:
        words += ['--threshold', str(params['threshold'])]
    if params['max_width'] is not None:
        words += ['--max-width', str(params['max_width'])]
    if not params['force']:
        words.append('--if-changed')
    return words


def main():
    module, korva, connection = printer_module(
        dict(files=dict(type='list', elements='dict', options=dict(
                 path=dict(type='path', required=True),
                 center=dict(type='bool', default=False))),
             state=dict(type='str', choices=['present', 'absent'], default='present'),
             force=dict(type='bool', default=False),
             gray=dict(type='bool', default=False),
             threshold=dict(type='int'),
             max_width=dict(type='int')),
        required_if=[('state', 'present', ('files',))])
    params = module.params

    if params['state'] == 'absent':
        # korva's record of the last confirmed erase decides; force erases anyway.
        words = ['logo', 'erase'] + ([] if params['force'] else ['--if-changed']) + connection
        result = korva.run_or_fail(words + (['--dry-run'] if module.check_mode else []))
        would_change = changed_of(result, not result.get('skipped'))
        erase_diff = {'before': 'NV logos: as stored\n' if would_change else 'NV logos: none\n',
                      'after': 'NV logos: none\n'}
        module.exit_json(changed=would_change, confirmed=result.get('confirmed'),
                         already_erased=bool(result.get('skipped')), korva=result, diff=erase_diff)

    words = upload_words(params) + connection
    pictures = ['--'] + [picture['path'] for picture in params['files']]
    if module.check_mode:
        result = korva.run_or_fail(words + ['--dry-run'] + pictures)
        would_change = params['force'] or changed_of(result, True)
    else:
        result = korva.run_or_fail(words + pictures)
        would_change = changed_of(result, not result.get('skipped'))
    module.exit_json(changed=would_change, fingerprint=result.get('fingerprint'), logos=result.get('logos'),
                     nv_bytes=result.get('nv_bytes'), nv_capacity=result.get('nv_capacity'),
                     already_uploaded=bool(result.get('skipped')), confirmed=result.get('confirmed'), korva=result,
                     diff=logos_diff(result, would_change))


if __name__ == '__main__':
    main()
