#!/usr/bin/python3
"""printer_firmware against a simulated KORVA20II printer on loopback TCP, a
row per task: what Ansible reports and what the simulator's loader took.

usage: firmware_module_test.py BIN_DIR SOURCE_DIR
"""

import os
import shutil
import sys

import ansible_harness as harness

IMAGE_SIZE = 0x100000


def write_image(path, signature):
    """A newer-series image: patterned bytes, the signature at 0x0FFFFC, no extended font."""
    image = bytearray((i * 7) % 251 for i in range(IMAGE_SIZE))
    image[0x0FFFFC:0x0FFFFF] = signature.encode()
    image[0x0FFFFF] = ord('0')
    with open(path, 'wb') as out:
        out.write(image)


# (name, task options, --check, the task fails with this reason (None: it does not),
#  changed, whether the printer's loader holds a complete program area afterwards)
ROWS = [
    ('check mode checks the image and sends nothing', {'image': 'k22.K20'}, True, None, True, False),
    ('the boot area without allow_boot is refused before anything is sent',
     {'image': 'k22.K20', 'area': 'boot'}, False, 'usage', False, False),
    ('a file that is no firmware image is refused, nothing sent', {'image': 'x99.K20'}, False, 'bad-input',
     False, False),
    ('no korva on the host', {'image': 'k22.K20', 'executable': '/nonexistent/korva'}, False, 'no-korva',
     False, False),
    ('the program area is written', {'image': 'k22.K20'}, False, None, True, True),
]


def playbook(port, options):
    task = dict(port='ETHERNET_II', ip='127.0.0.1', tcp_port=port, model='KORVA20IIE-II', **options)
    task['image'] = '{{ playbook_dir }}/' + task['image']
    lines = ''.join('        %s: "%s"\n' % (key, value) for key, value in sorted(task.items()))
    return ('- hosts: printer\n  gather_facts: false\n  tasks:\n'
            '    - name: Firmware\n      korva.printers.printer_firmware:\n' + lines)


def main():
    harness.skip_unless_ansible()
    bin_dir, source_dir = sys.argv[1], sys.argv[2]
    work = harness.scratch('korva-ansible-firmware.')
    write_image(os.path.join(work, 'k22.K20'), 'K22')
    write_image(os.path.join(work, 'x99.K20'), 'X99')
    with open(os.path.join(work, 'hosts.ini'), 'w') as out:
        out.write('printer ansible_connection=local\n')
    run = harness.AnsibleRun(bin_dir, source_dir, work)
    failures = 0
    for name, options, check, reason, changed, written in ROWS:
        sim = harness.Simulator(bin_dir, os.path.join(work, 'sim'), '--tcp', '127.0.0.1:0')
        try:
            with open(os.path.join(work, 'firmware.yml'), 'w') as out:
                out.write(playbook(sim.tcp_port, options))
            code, output = run.playbook('-i', 'hosts.ini', 'firmware.yml', *(['--check'] if check else []))
            recap = harness.recap(output).get('printer', {})
            fatal = harness.failures(output).get('printer')
            firmware = (sim.state().get('firmware') or [{}])[-1]
            problems = []
            if (fatal or {}).get('reason') != reason:
                problems.append('reason %s, not %s' % ((fatal or {}).get('reason'), reason))
            if fatal is not None and not fatal.get('msg'):
                problems.append('no msg')
            reported = fatal.get('changed') if fatal is not None else bool(recap.get('changed'))
            if reported is not changed:
                problems.append('changed %s, not %s' % (reported, changed))
            complete = bool(firmware.get('complete')) and firmware.get('area') == 'program'
            if complete != written or (not written and sim.events('firmware:')):
                problems.append('the loader holds %s, events %s' % (firmware, sim.events('firmware:')))
            if problems:
                failures += 1
                print('FAIL: %s: %s\n%s' % (name, '; '.join(problems), output))
            else:
                print('ok: ' + name)
        finally:
            sim.stop()
    if failures == 0:
        shutil.rmtree(work, ignore_errors=True)
        print('firmware module ok: %d rows' % len(ROWS))
    return 1 if failures else 0


if __name__ == '__main__':
    sys.exit(main())
