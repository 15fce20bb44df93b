# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    # The printer a module talks to, named as korva's connection options name it.
    DOCUMENTATION = r'''
options:
  port:
    description:
      - The printer's port, as korva's C(--port) takes it, a serial device (C(/dev/ttyUSB0)),
        a parallel one (C(/dev/parport0)), C(USB), a USB printer node (C(/dev/usb/lp1))
        or C(ETHERNET_II).
    type: str
    required: true
  ip:
    description:
      - The Ethernet printer's address or host name (C(--ip)).
    type: str
  tcp_port:
    description:
      - The Ethernet printer's TCP port (C(--tcp-port)); korva's default is 6001.
    type: int
  model:
    description:
      - The printer model, for example C(KORVA20IIE-II) (C(--model)).
    type: str
  device_type:
    description:
      - The device type instead of I(model), 1 KORVA20, 2 KORVA10, 3 KORVA20II (C(--device-type)).
    type: int
  baud:
    description:
      - Serial rate (C(--baud)); korva's default is 115200.
    type: int
  data_bits:
    description:
      - Serial data bits, 5 to 8 (C(--data-bits)).
    type: int
  parity:
    description:
      - Serial parity (C(--parity)).
    type: str
    choices: [none, odd, even]
  stop_bits:
    description:
      - The serial line's stop bits on this host (C(--stop-bits)), not the printer setting
        of that name, which I(settings) of M(korva.printers.printer_settings) sets.
    type: str
    choices: ['1', '1.5', '2']
  flow:
    description:
      - Serial flow control (C(--flow)).
    type: str
    choices: [hw, sw, none]
  wait_lock:
    description:
      - Ethernet printers only, wait up to this many seconds for another korva run on the same
        printer to end (C(--wait-lock)) instead of failing with reason C(busy).
    type: int
'''
