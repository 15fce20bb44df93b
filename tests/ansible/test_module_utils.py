#!/usr/bin/python3
"""The collection's reading of korva's JSON results, as tables of korva's
outputs and what a module makes of them, and where its datagrams go. Needs
no Ansible."""

import importlib.util
import os
import sys
import unittest

MODULE_UTILS = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'ansible', 'ansible_collections',
                            'korva', 'printers', 'plugins', 'module_utils')


def load(name):
    spec = importlib.util.spec_from_file_location(name, os.path.join(MODULE_UTILS, name + '.py'))
    module = importlib.util.module_from_spec(spec)
    spec.loader.exec_module(module)
    return module


report = load('korva_report')
net = load('korva_net')

SETUP_WRITE_DONE = ('{"schema":1,"command":"setup write","target":{"port":"ETHERNET_II","ip":"127.0.0.1",'
                    '"tcp_port":6001,"mac":null},"outcome":"done","reason":"none","error":null,'
                    '"changed":true,"changes":{"speed":{"from":180,"to":220}},"verified":true}')


class ParseResult(unittest.TestCase):
    ROWS = [
        # (korva's standard output, the result's outcome, or None when there is no result)
        ('one line', SETUP_WRITE_DONE + '\n', 'done'),
        ('no newline at the end', '{"outcome":"failed","reason":"busy"}', 'failed'),
        ('text before it', 'speed: 180 -> 220\n{"outcome":"done","reason":"none"}\n', 'done'),
        ('blank lines after it', '{"outcome":"done"}\n\n  \n', 'done'),
        ('the last of two objects', '{"outcome":"failed"}\n{"outcome":"cancelled"}\n', 'cancelled'),
        ('an array is no result', '[1,2]\n', None),
        ('a line cut short', '{"outcome":"do\n', None),
        ('nothing', '', None),
        ('None (no output captured)', None, None),
        ('only words', 'Segmentation fault\n', None),
    ]

    def test_rows(self):
        for name, stdout, outcome in self.ROWS:
            with self.subTest(name):
                if outcome is None:
                    with self.assertRaises(report.KorvaResultError):
                        report.parse_result(stdout)
                else:
                    self.assertEqual(report.parse_result(stdout)['outcome'], outcome)


class FailureOf(unittest.TestCase):
    ROWS = [
        # (name, result, require_confirmed, (reason, msg) or None)
        ('done', {'outcome': 'done', 'reason': 'none', 'confirmed': True}, True, None),
        ('failed with korva\'s text', {'outcome': 'failed', 'reason': 'no-answer', 'error': 'the printer did not answer'},
         True, ('no-answer', 'the printer did not answer')),
        ('failed without text', {'outcome': 'failed', 'reason': 'refused', 'error': None}, True,
         ('refused', 'korva: failed (refused)')),
        ('failed without reason', {'outcome': 'failed'}, False, ('failed', 'korva: failed (failed)')),
        ('cancelled', {'outcome': 'cancelled', 'reason': 'cancelled', 'error': 'SIGTERM'}, True,
         ('cancelled', 'SIGTERM')),
        ('no outcome at all', {}, False, ('failed', 'korva: no outcome (failed)')),
        ('korva refused the unconfirmed run itself',
         {'outcome': 'failed', 'reason': 'confirm-required', 'error': 'sent, not confirmed', 'confirmed': False},
         True, ('confirm-required', 'sent, not confirmed')),
        ('not confirmed, a confirmation required', {'outcome': 'done', 'reason': 'not-confirmed', 'confirmed': False},
         True, ('confirm-required', None)),
        ('not confirmed, none required', {'outcome': 'done', 'reason': 'not-confirmed', 'confirmed': False},
         False, None),
        ('nothing to confirm (nothing sent)', {'outcome': 'done', 'reason': 'none', 'confirmed': None}, True, None),
        ('read with unknowns is done', {'outcome': 'done', 'reason': 'unknowns', 'unknowns': ['margin']}, True, None),
    ]

    def test_rows(self):
        for name, result, require, expected in self.ROWS:
            with self.subTest(name):
                failure = report.failure_of(result, require)
                if expected is None:
                    self.assertIsNone(failure)
                    continue
                reason, msg = expected
                self.assertEqual(failure[0], reason)
                if msg is None:
                    self.assertIn('not confirmed', failure[1])
                else:
                    self.assertEqual(failure[1], msg)


class ChangedOf(unittest.TestCase):
    ROWS = [
        # (name, result, sent_something, changed)
        ('korva says changed', {'changed': True}, False, True),
        ('korva says unchanged though something went out', {'changed': False}, True, False),
        ('an older korva that says nothing, after a write', {}, True, True),
        ('an older korva that says nothing, nothing sent', {}, False, False),
        ('korva cannot tell', {'changed': None}, True, True),
    ]

    def test_rows(self):
        for name, result, sent, changed in self.ROWS:
            with self.subTest(name):
                self.assertIs(report.changed_of(result, sent), changed)


class SettingWords(unittest.TestCase):
    ROWS = [
        # (name, settings, words, or None when refused)
        ('numbers and words, sorted', {'speed': 220, 'cut-mode': 'full'}, ['cut-mode=full', 'speed=220']),
        ('a word YAML did not turn', {'cut-adjust': 'off'}, ['cut-adjust=off']),
        ('a setup code as its hexadecimal text', {'setup-code': 'AB'}, ['setup-code=AB']),
        ('none', {}, []),
        ('YAML\'s off read as false', {'cut-adjust': False}, None),
        ('YAML\'s yes read as true', {'drawer-with-cut': True}, None),
        ('no value', {'speed': None}, None),
    ]

    def test_rows(self):
        for name, settings, words in self.ROWS:
            with self.subTest(name):
                if words is None:
                    with self.assertRaises(ValueError) as raised:
                        report.setting_words(settings)
                    self.assertIn(list(settings)[0], str(raised.exception))
                else:
                    self.assertEqual(report.setting_words(settings), words)


class ChangesDiff(unittest.TestCase):
    ROWS = [
        # (name, changes, before text, after text)
        ('one setting', {'speed': {'from': 180, 'to': 220}}, 'speed=180\n', 'speed=220\n'),
        ('sorted by name', {'speed': {'from': 180, 'to': 220}, 'cut-mode': {'from': 'partial', 'to': 'full'}},
         'cut-mode=partial\nspeed=180\n', 'cut-mode=full\nspeed=220\n'),
        ('a value the printer did not tell', {'margin': {'from': None, 'to': 8}}, 'margin=unknown\n', 'margin=8\n'),
        ('DHCP as true and false', {'dhcp': {'from': True, 'to': False}}, 'dhcp=true\n', 'dhcp=false\n'),
        ('nothing differs', {}, '', ''),
        ('an older korva without changes', None, '', ''),
    ]

    def test_rows(self):
        for name, changes, before, after in self.ROWS:
            with self.subTest(name):
                diff = report.changes_diff(changes, 'printer', 'wanted')
                self.assertEqual((diff['before'], diff['after']), (before, after))
                self.assertEqual((diff['before_header'], diff['after_header']), ('printer', 'wanted'))


class LogosDiff(unittest.TestCase):
    UPLOAD = {'fingerprint': 'sha256:ab', 'nv_bytes': 1200, 'nv_capacity': 262144,
              'logos': [{'number': 1, 'name': 'header.bmp', 'width': 96, 'height': 48, 'bytes': 580,
                         'fingerprint': 'sha256:01'}]}

    def test_rows(self):
        rows = [
            # (name, result, would change, whether before and after differ)
            ('the recorded set', self.UPLOAD, False, False),
            ('another set', self.UPLOAD, True, True),
            ('an upload korva reported without logos', {'fingerprint': None, 'logos': None}, True, True),
        ]
        for name, result, would_change, differs in rows:
            with self.subTest(name):
                diff = report.logos_diff(result, would_change)
                self.assertEqual(diff['before'] != diff['after'], differs)
                self.assertIn('fingerprint: %s' % result['fingerprint'], diff['after'])
        after = report.logos_diff(self.UPLOAD, True)['after']
        self.assertIn('logo 1 header.bmp: 96x48 dots, 580 bytes, sha256:01', after)
        self.assertIn('NV memory: 1200 of 262144 bytes', after)


class BroadcastOptions(unittest.TestCase):
    ROWS = [
        # (name, broadcast, interface, udp_port, listen_port, korva's options, or None when refused)
        ('korva\'s defaults', None, None, None, None, []),
        ('an address and ports', '127.0.0.1', None, 2919, 2918,
         ['--broadcast', '127.0.0.1', '--udp-port', '2919', '--listen-port', '2918']),
        ('the loopback interface: its subnet\'s broadcast address', None, 'lo', None, None,
         ['--broadcast', '127.255.255.255']),
        ('an interface that is not there', None, 'korva-none0', None, None, None),
    ]

    def test_rows(self):
        for name, broadcast, interface, udp_port, listen_port, options in self.ROWS:
            with self.subTest(name):
                if options is None:
                    with self.assertRaises(ValueError) as raised:
                        net.broadcast_options(broadcast, interface, udp_port, listen_port)
                    self.assertIn(interface, str(raised.exception))
                else:
                    self.assertEqual(net.broadcast_options(broadcast, interface, udp_port, listen_port), options)


if __name__ == '__main__':
    unittest.main(verbosity=2)
