"""Simulated printers and real ansible-playbook runs for the tests of the
korva.printers collection and its benchmark.

The playbook and inventory run are the README's own ("Fleets with Ansible"),
so the README stays true; the simulators' state files say what the printers
hold.
"""

import json
import os
import random
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time

# ctest's SKIP_RETURN_CODE for these tests.
SKIP = 77
PYTHON = '/usr/bin/python3'


def ansible_missing():
    """Why the collection cannot be tried here, or None."""
    for program in ('ansible-playbook', 'ansible-doc'):
        if shutil.which(program) is None:
            return '%s is not installed (make deps installs ansible-core)' % program
    if subprocess.run([PYTHON, '-c', 'import ansible'], capture_output=True).returncode != 0:
        return '%s cannot import ansible (make deps installs ansible-core)' % PYTHON
    return None


def skip_unless_ansible():
    reason = ansible_missing()
    if reason:
        print('SKIPPED: ' + reason)
        sys.exit(SKIP)


def skip_unless_korva_has(bin_dir, command, option):
    """Skips where this korva's COMMAND has no OPTION, one the collection relies on."""
    process = subprocess.run([os.path.join(bin_dir, 'korva'), 'help'] + command.split(),
                             capture_output=True, universal_newlines=True)
    if option not in process.stdout:
        print('SKIPPED: korva %s has no %s here, which the collection needs' % (command, option))
        sys.exit(SKIP)


class Simulator:
    """One korva-sim, its state file in `folder`."""

    def __init__(self, bin_dir, folder, *options, wrapper=()):
        os.makedirs(folder, exist_ok=True)
        self.state_path = os.path.join(folder, 'state.json')
        self.out_path = os.path.join(folder, 'out')
        with open(self.out_path, 'w') as out:
            self.process = subprocess.Popen(list(wrapper) + [os.path.join(bin_dir, 'korva-sim'), '--state', self.state_path]
                                            + list(options), stdout=out, stderr=subprocess.STDOUT)
        self.tcp_port = None
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline:
            text = open(self.out_path).read()
            match = re.search(r'^tcp=.*:(\d+)$', text, re.M)
            if match:
                self.tcp_port = int(match.group(1))
            if re.search(r'^ready$', text, re.M):
                return
            if self.process.poll() is not None:
                break
            time.sleep(0.02)
        self.stop()
        raise RuntimeError('korva-sim %s did not start: %s' % (' '.join(options), open(self.out_path).read()))

    def state(self):
        try:
            with open(self.state_path) as state:
                return json.load(state)
        except (OSError, ValueError):
            return {}

    def events(self, containing=''):
        return [event for event in self.state().get('events', []) if containing in event]

    def connections(self):
        return len(self.state().get('received', []))

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            try:
                self.process.wait(5)
            except subprocess.TimeoutExpired:
                self.process.kill()
                self.process.wait()


def loopback_net():
    """127.X.Y: a /24 of loopback addresses of its own, so parallel tests do not meet."""
    return '127.%d.%d' % (random.randint(20, 219), random.randint(1, 250))


def write_bmp(path, width, height):
    """A 24-bit bitmap: a black disc on white."""
    stride = (width * 3 + 3) & ~3
    rows = bytearray()
    radius = min(width, height) / 2 - 4
    for y in range(height):
        for x in range(width):
            inside = (x - width / 2) ** 2 + (y - height / 2) ** 2 < radius ** 2
            rows += b'\0\0\0' if inside else b'\xff\xff\xff'
        rows += b'\0' * (stride - width * 3)
    header = struct.pack('<2sIHHI', b'BM', 54 + len(rows), 0, 0, 54)
    info = struct.pack('<IiiHHIIiiII', 40, width, height, 1, 24, 0, len(rows), 2835, 2835, 0, 0)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, 'wb') as bmp:
        bmp.write(header + info + rows)


def readme_block(source_dir, first_line):
    """The README's code block whose first line is `first_line`."""
    with open(os.path.join(source_dir, 'README.md')) as readme:
        text = readme.read()
    for block in re.findall(r'^```[a-z]*\n(.*?)^```', text, re.M | re.S):
        if block.splitlines()[0] == first_line:
            return block
    raise RuntimeError('README.md has no code block beginning "%s"' % first_line)


def inventory_with_hosts(readme_inventory, group, hosts):
    """The README's inventory with its hosts in `group` replaced by `hosts` ({name: address})."""
    lines, in_group = [], False
    for line in readme_inventory.splitlines():
        if line.startswith('['):
            in_group = line == '[%s]' % group
            lines.append(line)
            if in_group:
                lines += ['%s ansible_host=%s' % (name, address) for name, address in sorted(hosts.items())]
            continue
        if not (in_group and line.strip() and not line.startswith('#')):
            lines.append(line)
    return '\n'.join(lines) + '\n'


class AnsibleRun:
    """ansible-playbook with this source tree's collection and korva, in a folder of its own."""

    def __init__(self, bin_dir, source_dir, work, wrapper=()):
        self.work = work
        # A command the Ansible programs run under, e.g. ip netns exec NAME.
        self.wrapper = list(wrapper)
        self.env = dict(os.environ)
        self.env.update(
            PATH=os.path.abspath(bin_dir) + os.pathsep + os.environ.get('PATH', ''),
            ANSIBLE_COLLECTIONS_PATH=os.path.join(os.path.abspath(source_dir), 'ansible'),
            ANSIBLE_CONFIG=os.path.join(work, 'ansible.cfg'),
            ANSIBLE_LOCAL_TEMP=os.path.join(work, 'ansible-local'),
            ANSIBLE_REMOTE_TEMP=os.path.join(work, 'ansible-remote'),
            ANSIBLE_NOCOLOR='1', ANSIBLE_FORCE_COLOR='0', ANSIBLE_RETRY_FILES_ENABLED='0',
            ANSIBLE_STDOUT_CALLBACK='default', ANSIBLE_LOAD_CALLBACK_PLUGINS='0',
            # korva keeps its record of uploaded logos (and its notes) here.
            XDG_STATE_HOME=os.path.join(work, 'state'), XDG_CONFIG_HOME=os.path.join(work, 'config'),
            HOME=work)
        self.env.pop('KORVA_REQUIRE_CONFIRMED', None)
        with open(self.env['ANSIBLE_CONFIG'], 'w') as config:
            config.write('[defaults]\ninterpreter_python = %s\n' % PYTHON)

    def playbook(self, *args):
        """(exit code, everything it printed)."""
        return self.program('ansible-playbook', *args)

    def program(self, name, *args):
        """(exit code, everything it printed) of an Ansible program."""
        process = subprocess.run(self.wrapper + [name] + list(args), cwd=self.work, env=self.env,
                                 stdout=subprocess.PIPE, stderr=subprocess.STDOUT, universal_newlines=True)
        return process.returncode, process.stdout

    def start_playbook(self, *args):
        return subprocess.Popen(self.wrapper + ['ansible-playbook'] + list(args), cwd=self.work, env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT, universal_newlines=True)


class ReadmeFleet:
    """Simulated Ethernet printers on loopback addresses of their own (port 6001, as the
    README's playbook expects), the README's inventory naming them, its playbook and logos."""

    def __init__(self, bin_dir, source_dir, work, count):
        self.bin_dir = bin_dir
        net = loopback_net()
        self.addresses = dict(('p%02d' % n, '%s.%d' % (net, n)) for n in range(1, count + 1))
        self.sims = {}
        try:
            for host, address in sorted(self.addresses.items()):
                self.sims[host] = Simulator(bin_dir, os.path.join(work, host), '--tcp', address + ':6001')
        except RuntimeError:
            self.stop()
            raise
        inventory = readme_block(source_dir, '# printers.ini')
        with open(os.path.join(work, 'printers.ini'), 'w') as out:
            out.write(inventory_with_hosts(inventory, 'shop_printers', self.addresses))
        with open(os.path.join(work, 'site.yml'), 'w') as out:
            out.write(readme_block(source_dir, '# site.yml'))
        write_bmp(os.path.join(work, 'logos', 'header.bmp'), 96, 48)
        write_bmp(os.path.join(work, 'logos', 'footer.bmp'), 64, 64)

    def counts(self, containing):
        return dict((host, len(sim.events(containing))) for host, sim in self.sims.items())

    def stop(self):
        for sim in self.sims.values():
            sim.stop()


class Checks:
    """Counts the failed expectations and prints each."""

    def __init__(self):
        self.failures = 0

    def expect(self, condition, what):
        if not condition:
            self.failures += 1
            print('FAIL: ' + what)
        return condition


def recap(output):
    """{host: {"ok": n, "changed": n, "failed": n, ...}} from the PLAY RECAP lines."""
    hosts = {}
    for host, counts in re.findall(r'^(\S+)\s+:\s+(ok=.*)$', output, re.M):
        hosts[host] = dict((key, int(value)) for key, value in re.findall(r'(\w+)=(\d+)', counts))
    return hosts


def failures(output):
    """{host: the failed task's result} from the "fatal: [host]: FAILED! => {...}" lines."""
    results = {}
    for host, text in re.findall(r'^fatal: \[([^\]]+)\]: FAILED! => (\{.*\})$', output, re.M):
        results[host] = json.loads(text)
    return results


def scratch(prefix):
    return tempfile.mkdtemp(prefix=prefix)
