# -*- coding: utf-8 -*-
# Copyright: 2026 The KorvaTool developers
"""Where korva's network-setting datagrams go: the options the network module
and the inventory plugin share (documented in the doc fragment korva.printers.broadcast)."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import fcntl
import socket
import struct

# The kernel's requests for an interface's IPv4 address and mask (linux/sockios.h).
SIOCGIFADDR = 0x8915
SIOCGIFNETMASK = 0x891B


def _interface_value(probe, request, interface):
    answer = fcntl.ioctl(probe.fileno(), request, struct.pack('256s', interface[:15].encode('utf-8')))
    return struct.unpack('!I', answer[20:24])[0]


def interface_broadcast(interface):
    """The broadcast address of `interface`'s IPv4 subnet, so the datagrams leave through it.

    Made from the address and mask, since an address may be set up without a
    broadcast address of its own.
    """
    probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    try:
        address = _interface_value(probe, SIOCGIFADDR, interface)
        mask = _interface_value(probe, SIOCGIFNETMASK, interface)
    except (IOError, OSError) as error:
        raise ValueError('interface %s has no IPv4 address: %s' % (interface, error))
    finally:
        probe.close()
    return socket.inet_ntoa(struct.pack('!I', address | (~mask & 0xFFFFFFFF)))


def broadcast_options(broadcast, interface, udp_port, listen_port):
    """korva's --broadcast, --udp-port and --listen-port for the values given."""
    if interface:
        broadcast = interface_broadcast(interface)
    options = []
    for flag, value in (('--broadcast', broadcast), ('--udp-port', udp_port), ('--listen-port', listen_port)):
        if value is not None:
            options += [flag, str(value)]
    return options
