# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    # Where korva's network-setting datagrams go and where their answers arrive.
    DOCUMENTATION = r'''
options:
  broadcast:
    description: Where the datagrams go (korva's default 255.255.255.255, every printer on the LAN).
    type: str
  interface:
    description:
      - The network interface the datagrams leave through, instead of I(broadcast), they go to
        its IPv4 broadcast address.
    type: str
  udp_port:
    description: The UDP port the datagrams go to (korva's default 2918).
    type: int
  listen_port:
    description: The UDP port the answers arrive on (korva's default 2918).
    type: int
'''
