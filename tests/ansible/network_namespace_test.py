#!/usr/bin/python3
"""The inventory plugin and printer_network with real broadcasts, inside a
pair of network namespaces made for this test (scripts/netns-up.sh): the
simulated printer in one, Ansible and korva in the other. Skipped where
namespaces cannot be made.

1. the inventory finds the printer: a host named by its address, with its
   MAC and series, in its series' group;
2. --check --diff with other values shows them and sends no change (the
   module's datagrams go to the broadcast address of the host's interface,
   the inventory's to 255.255.255.255);
3. a run changes the printer, judged by the simulator's network values;
4. the same run again is not changed and sends no change.

usage: network_namespace_test.py BIN_DIR SOURCE_DIR
"""

import json
import os
import re
import shutil
import subprocess
import sys

import ansible_harness as harness

MAC = '00:2B:9E:00:00:28'
CHANGE_HELD = 'change held until apply'
# The values the printer is given: data it stores, no address anything is sent to.
WANTED = {'ip': '127.0.0.77', 'mask': '255.255.255.0', 'gateway': '127.0.0.1', 'tcp_port': 9100, 'dhcp': False}


class Namespaces:
    def __init__(self, source_dir):
        self.script_dir = os.path.join(source_dir, 'scripts')
        self.suffix = 'ans%d' % (os.getpid() % 100000000)
        process = subprocess.run([os.path.join(self.script_dir, 'netns-up.sh'), self.suffix],
                                 capture_output=True, universal_newlines=True)
        if process.returncode == harness.SKIP:
            print('SKIPPED: network namespaces cannot be made here: ' + process.stderr.strip())
            sys.exit(harness.SKIP)
        if process.returncode != 0:
            raise RuntimeError('netns-up.sh: ' + process.stdout + process.stderr)
        self.host = 'korva-host-' + self.suffix
        self.printer = 'korva-printer-' + self.suffix
        self.host_interface = 'kh-' + self.suffix

    def address(self, namespace):
        """The IPv4 address the namespace's veth end has."""
        text = subprocess.run(['ip', '-n', namespace, '-4', '-o', 'addr', 'show', 'scope', 'global'],
                              capture_output=True, universal_newlines=True).stdout
        return re.search(r'inet (\d+\.\d+\.\d+\.\d+)/', text).group(1)

    def down(self):
        subprocess.run([os.path.join(self.script_dir, 'netns-down.sh'), self.suffix], capture_output=True)


def network_playbook(values, interface):
    options = dict(values, mac=MAC, interface=interface)
    lines = ''.join('        %s: %s\n' % (key, json.dumps(value)) for key, value in sorted(options.items()))
    return ('- hosts: control\n  gather_facts: false\n  tasks:\n'
            '    - name: Network\n      korva.printers.printer_network:\n' + lines)


def main():
    harness.skip_unless_ansible()
    bin_dir, source_dir = sys.argv[1], sys.argv[2]
    harness.skip_unless_korva_has(bin_dir, 'net set', '--dry-run')
    namespaces = Namespaces(source_dir)
    work = harness.scratch('korva-ansible-netns.')
    sim = None
    check = harness.Checks()
    expect = check.expect

    try:
        printer_address = namespaces.address(namespaces.printer)
        sim = harness.Simulator(bin_dir, os.path.join(work, 'sim'), '--udp', '0.0.0.0:2918', '--tcp', '0.0.0.0:6001',
                                '--ip', printer_address, '--mac', MAC,
                                wrapper=('ip', 'netns', 'exec', namespaces.printer))
        run = harness.AnsibleRun(bin_dir, source_dir, work, wrapper=('ip', 'netns', 'exec', namespaces.host))

        with open(os.path.join(work, 'korva_printers.yml'), 'w') as out:
            out.write('plugin: korva.printers.printers\n')
        code, output = run.program('ansible-inventory', '-i', 'korva_printers.yml', '--list')
        expect(code == 0, 'ansible-inventory exited %d: %s' % (code, output))
        inventory = json.loads(output[output.index('{'):]) if '{' in output else {}
        variables = inventory.get('_meta', {}).get('hostvars', {}).get(printer_address, {})
        expect(variables.get('korva_mac') == MAC and variables.get('korva_tcp_port') == 6001,
               'the inventory has no printer %s with MAC %s: %s' % (printer_address, MAC, output))
        expect(variables.get('ansible_connection') == 'local', 'the printer is not run locally: %s' % variables)
        expect(inventory.get('korva_series_KORVA20II', {}).get('hosts') == [printer_address],
               'the series group: %s' % output)
        expect(inventory.get('korva_printers', {}).get('hosts') == [printer_address], 'the printers group: %s' % output)

        with open(os.path.join(work, 'hosts.ini'), 'w') as out:
            out.write('control ansible_connection=local\n')
        with open(os.path.join(work, 'network.yml'), 'w') as out:
            out.write(network_playbook(WANTED, namespaces.host_interface))
        held = sim.state().get('network')
        code, output = run.playbook('-i', 'hosts.ini', 'network.yml', '--check', '--diff')
        expect(code == 0 and harness.recap(output).get('control', {}).get('changed') == 1,
               '--check --diff: %d %s' % (code, output))
        expect('+ip=127.0.0.77' in output and '+tcp_port=9100' in output, '--check --diff shows no diff:\n' + output)
        expect(sim.state().get('network') == held and not sim.events(CHANGE_HELD),
               '--check sent a change: %s' % sim.state().get('network'))

        code, output = run.playbook('-i', 'hosts.ini', 'network.yml')
        network = sim.state().get('network', {})
        expect(code == 0 and harness.recap(output).get('control', {}).get('changed') == 1, 'the change: ' + output)
        expect((network.get('ip'), network.get('port'), network.get('gateway')) == ('127.0.0.77', 9100, '127.0.0.1'),
               'the printer holds %s' % network)

        changes = len(sim.events(CHANGE_HELD))
        code, output = run.playbook('-i', 'hosts.ini', 'network.yml')
        expect(code == 0 and harness.recap(output).get('control', {}).get('changed') == 0, 'the second run: ' + output)
        expect(len(sim.events(CHANGE_HELD)) == changes, 'the second run sent a change: %s' % sim.events('netcfg'))
    finally:
        if sim:
            sim.stop()
        namespaces.down()
    if check.failures == 0:
        shutil.rmtree(work, ignore_errors=True)
        print('network module and inventory ok')
        return 0
    print('the run folder stays for a look: ' + work)
    return 1


if __name__ == '__main__':
    sys.exit(main())
