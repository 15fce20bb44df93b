#!/usr/bin/python3
"""The README's playbook and inventory over ten simulated Ethernet printers on
loopback, judged by what the simulators hold and what they were sent:

1. the first run changes every printer (settings and logos);
2. the second reports changed=0 and sends no write (no setup mode, no NV upload);
3. --check --diff on a printer whose speed was changed behind Ansible's back
   shows the change and leaves the printer as it is;
4. a printer stopped in the middle of a run fails that host alone, with its reason.

usage: fleet_playbook_test.py BIN_DIR SOURCE_DIR
"""

import os
import shutil
import subprocess
import sys
import time

import ansible_harness as harness

PRINTERS = 10
ERASE_PLAYBOOK = """- hosts: shop_printers
  gather_facts: false
  tasks:
    - korva.printers.printer_logos:
        port: ETHERNET_II
        ip: "{{ ansible_host }}"
        model: KORVA20IIE-II
        state: absent
"""
SETUP_WRITE = 'setup mode entered'
NV_UPLOAD = 'FS q:'
NV_ERASED = 'images announced; NV memory erased'
# What a printer that went away mid-run can be failed with.
GONE_REASONS = {'refused', 'reset', 'hang-up', 'no-answer', 'unreachable'}


def main():
    harness.skip_unless_ansible()
    bin_dir, source_dir = sys.argv[1], sys.argv[2]
    harness.skip_unless_korva_has(bin_dir, 'logo upload', '--if-changed')
    work = harness.scratch('korva-ansible-fleet.')
    fleet = harness.ReadmeFleet(bin_dir, source_dir, work, PRINTERS)
    run = harness.AnsibleRun(bin_dir, source_dir, work)
    check = harness.Checks()
    try:
        playbook = ('-i', 'printers.ini', 'site.yml', '--forks', str(PRINTERS))

        started = time.monotonic()
        code, output = run.playbook(*playbook)
        recap = harness.recap(output)
        check.expect(code == 0, 'the first run exited %d:\n%s' % (code, output))
        for host, sim in fleet.sims.items():
            state = sim.state()
            check.expect(recap.get(host, {}).get('changed', 0) >= 2 and recap[host]['failed'] == 0,
                         '%s: first run recap %s' % (host, recap.get(host)))
            check.expect(len(sim.events(SETUP_WRITE)) == 1, '%s: %d setup writes in the first run'
                         % (host, len(sim.events(SETUP_WRITE))))
            # The header centred in 512 dots: 208 white dots on its left.
            check.expect([(image['width'], image['height']) for image in state.get('nv_images', [])]
                         == [(208 + 96, 48), (64, 64)], '%s: NV images %s' % (host, state.get('nv_images')))
        print('first run: %.1f s' % (time.monotonic() - started))

        wanted = fleet.sims['p01'].state().get('settings')
        check.expect(all(sim.state().get('settings') == wanted for sim in fleet.sims.values()),
                     'the printers hold different settings after the first run')
        writes, uploads = fleet.counts(SETUP_WRITE), fleet.counts(NV_UPLOAD)
        images = dict((host, sim.state().get('nv_images')) for host, sim in fleet.sims.items())
        code, output = run.playbook(*playbook)
        recap = harness.recap(output)
        check.expect(code == 0, 'the second run exited %d:\n%s' % (code, output))
        check.expect(sorted(recap) == sorted(fleet.sims), 'second run recap names %s' % sorted(recap))
        for host, sim in fleet.sims.items():
            check.expect(recap.get(host, {}).get('changed') == 0, '%s: second run recap %s' % (host, recap.get(host)))
        check.expect(fleet.counts(SETUP_WRITE) == writes, 'the second run wrote settings: %s' % fleet.counts(SETUP_WRITE))
        check.expect(fleet.counts(NV_UPLOAD) == uploads, 'the second run uploaded logos: %s' % fleet.counts(NV_UPLOAD))
        check.expect(all(sim.state().get('nv_images') == images[host] for host, sim in fleet.sims.items()),
                     'the second run changed NV images')

        # state: absent twice on p02: the first erases, the second finds korva's
        # record of that erase and sends nothing.
        with open(os.path.join(run.work, 'erase.yml'), 'w') as out:
            out.write(ERASE_PLAYBOOK)
        erases = len(fleet.sims['p02'].events(NV_ERASED))
        for attempt, changed in (('first', 1), ('second', 0)):
            code, output = run.playbook('-i', 'printers.ini', 'erase.yml', '--limit', 'p02')
            recap = harness.recap(output)
            check.expect(code == 0 and recap.get('p02', {}).get('changed') == changed,
                         'state=absent, %s run: exit %d, recap %s\n%s' % (attempt, code, recap.get('p02'), output))
        check.expect(len(fleet.sims['p02'].events(NV_ERASED)) == erases + 1,
                     'p02 was erased %d times by two runs' % (len(fleet.sims['p02'].events(NV_ERASED)) - erases))
        check.expect(not fleet.sims['p02'].state().get('nv_images'),
                     'p02 holds NV images after the erase: %s' % fleet.sims['p02'].state().get('nv_images'))

        # p04 drifts: someone set its speed back to 220 with korva directly.
        drifted = fleet.sims['p04']
        korva = os.path.join(bin_dir, 'korva')
        code, output = run_korva(run, korva, 'setup', 'write', '-p', 'ETHERNET_II', '--ip', fleet.addresses['p04'],
                                 '--model', 'KORVA20IIE-II', 'speed=220')
        check.expect(code == 0, 'korva setup write speed=220 on p04: %s' % output)
        held = drifted.state().get('settings')
        check.expect(held != wanted, 'korva setup write speed=220 left p04 as it was')
        drift_writes = len(drifted.events(SETUP_WRITE))
        code, output = run.playbook(*(playbook + ('--check', '--diff', '--limit', 'p04')))
        recap = harness.recap(output)
        check.expect(code == 0, '--check --diff exited %d:\n%s' % (code, output))
        check.expect('-speed=220' in output and '+speed=180' in output,
                     '--check --diff shows no speed 220 -> 180:\n%s' % output)
        check.expect(recap.get('p04', {}).get('changed') == 1, '--check --diff recap %s' % recap.get('p04'))
        check.expect(drifted.state().get('settings') == held and len(drifted.events(SETUP_WRITE)) == drift_writes,
                     '--check --diff changed the printer')

        # p07 goes away once the run reached it; p04 is brought back meanwhile.
        stopped = fleet.sims['p07']
        before = stopped.connections()
        process = run.start_playbook(*playbook)
        deadline = time.monotonic() + 60
        while stopped.connections() == before and process.poll() is None and time.monotonic() < deadline:
            time.sleep(0.01)
        stopped.stop()
        output = process.communicate()[0]
        recap, fatal = harness.recap(output), harness.failures(output)
        check.expect(process.returncode != 0, 'a run with a stopped printer exited 0')
        check.expect(list(fatal) == ['p07'], 'the hosts that failed: %s\n%s' % (sorted(fatal), output))
        reason = fatal.get('p07', {}).get('reason')
        check.expect(reason in GONE_REASONS and fatal['p07'].get('msg'),
                     'p07 failed with reason %s, msg %s' % (reason, fatal.get('p07', {}).get('msg')))
        check.expect(fatal.get('p07', {}).get('changed') is False, 'p07 failed as changed')
        for host in fleet.sims:
            if host != 'p07':
                check.expect(recap.get(host, {}).get('failed') == 0, '%s: %s' % (host, recap.get(host)))
        check.expect(recap.get('p04', {}).get('changed') == 1 and drifted.state().get('settings') == wanted,
                     'p04 was not brought back: %s' % recap.get('p04'))
    finally:
        fleet.stop()
    if check.failures == 0:
        shutil.rmtree(work, ignore_errors=True)
        print('fleet playbook ok: %d printers' % PRINTERS)
        return 0
    print('the run folder stays for a look: ' + work)
    return 1


def run_korva(run, korva, *args):
    process = subprocess.run([korva] + list(args), env=run.env, capture_output=True, universal_newlines=True)
    return process.returncode, process.stdout + process.stderr


if __name__ == '__main__':
    sys.exit(main())
